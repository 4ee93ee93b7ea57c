#pragma once
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "platform/Log.h"

// Turns the diagnostic log on into a file of its own for the life of the object
// (in this test program's copy of the log), and reads back the lines written.
class LogCapture {
 public:
  LogCapture() {
    path_ = dir_.filePath("tarnello.log");
    qputenv("TARNELLO_LOG", QFile::encodeName(path_));
    Platform::ReopenLog();
  }
  ~LogCapture() {
    qunsetenv("TARNELLO_LOG");
    Platform::ReopenLog();
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // Every line, without the "tarnello[PID] HH:MM:SS.mmm " prefix.
  QStringList Lines() const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList lines;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts))
      lines.append(line.section(' ', 2));
    return lines;
  }
  // The lines of one area ("plugins", "save", ...), without the area.
  QStringList Area(const QString& area) const {
    QStringList lines;
    const QString prefix = area + QStringLiteral(": ");
    for (const QString& line : Lines())
      if (line.startsWith(prefix)) lines.append(line.mid(prefix.size()));
    return lines;
  }
  const QString& Path() const { return path_; }

 private:
  QTemporaryDir dir_;
  QString path_;
};

#pragma once
// What every fuzz target of a reader needs: a place for its files, message boxes
// that show nothing, and a check that stops the run with the invariant it broke.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/MessageBox.h"

namespace Fuzz {
class SilentMessageBoxes : public MessageBoxService {
 public:
  void Show(Window*, const QString&, const QString&) override { ++shown; }
  int shown = 0;
};

inline SilentMessageBoxes& Boxes() {
  static SilentMessageBoxes boxes;
  return boxes;
}

inline const QString& Workspace() {
  // In memory where it can be: the writers flush every file to the disk.
  static QTemporaryDir* dir = new QTemporaryDir(QFile::exists("/dev/shm") ? QStringLiteral("/dev/shm/tarnello-fuzz-XXXXXX")
                                                                          : QString());
  static const QString path = dir->path();
  return path;
}

inline void Setup() { SetMessageBoxService(&Boxes()); }

inline QByteArray Bytes(const uint8_t* data, size_t size) {
  return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

inline QString WriteFile(const QString& name, const QByteArray& bytes) {
  const QString path = Workspace() + '/' + name;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) std::abort();
  return path;
}

inline QByteArray ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) std::abort();
  return file.readAll();
}

#define FUZZ_CHECK(condition)                                                  \
  do {                                                                         \
    if (!(condition)) {                                                        \
      std::fprintf(stderr, "invariant broken at %s:%d: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                            \
    }                                                                          \
  } while (0)
}  // namespace Fuzz

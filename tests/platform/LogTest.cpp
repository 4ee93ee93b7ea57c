#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "platform/Log.h"
#include "support/LogCapture.h"

namespace {

// Sends this process's stderr to a file while it lives.
class StderrToFile {
 public:
  StderrToFile() : path_(dir_.filePath("stderr.txt")) {
    fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    QFile file(path_);
    file.open(QIODevice::WriteOnly);
    file.close();
    const int fd = ::open(QFile::encodeName(path_).constData(), O_WRONLY | O_APPEND);
    dup2(fd, STDERR_FILENO);
    ::close(fd);
  }
  ~StderrToFile() { Restore(); }
  QString Text() {
    Restore();
    QFile file(path_);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
  }

 private:
  void Restore() {
    if (saved_ < 0) return;
    dup2(saved_, STDERR_FILENO);
    ::close(saved_);
    saved_ = -1;
  }
  QTemporaryDir dir_;
  QString path_;
  int saved_ = -1;
};

void UseLogSetting(const char* value) {
  if (value) qputenv("TARNELLO_LOG", value);
  else qunsetenv("TARNELLO_LOG");
  Platform::ReopenLog();
}

TEST(Log, OffUnlessAskedForAndOneOnStderr) {
  for (const char* off : {static_cast<const char*>(nullptr), "", "0"}) {
    StderrToFile err;
    UseLogSetting(off);
    EXPECT_FALSE(Platform::LogEnabled());
    Platform::Log("test", "nothing");
    EXPECT_EQ(err.Text(), "") << (off ? off : "unset");
  }
  {
    StderrToFile err;
    UseLogSetting("1");
    EXPECT_TRUE(Platform::LogEnabled());
    Platform::Log("test", "to stderr");
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^tarnello\\[%1\\] \\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d test: to stderr\\n$")
                                       .arg(getpid()))
                    .match(err.Text())
                    .hasMatch());
  }
  UseLogSetting(nullptr);
}

TEST(Log, AFileIsAppendedToAndEveryEventStaysOneLine) {
  QTemporaryDir dir;
  const QString path = dir.filePath("log.txt");
  QFile old(path);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("an earlier run\n");
  old.close();
  UseLogSetting(QFile::encodeName(path).constData());
  Platform::Log("save", QStringLiteral("two\nlines\r and ü"));
  Platform::Log("sound", std::string_view("plain"));
  UseLogSetting(nullptr);
  Platform::Log("sound", "after it was turned off");

  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
  ASSERT_EQ(lines.size(), 4);  // three lines and the empty rest after the last break
  EXPECT_EQ(lines[0], "an earlier run");
  EXPECT_TRUE(lines[1].endsWith(" save: two lines  and ü")) << lines[1].toStdString();
  EXPECT_TRUE(lines[2].endsWith(" sound: plain"));
  EXPECT_EQ(lines[3], "");
}

TEST(Log, AFileThatCannotBeOpenedFallsBackToStderr) {
  StderrToFile err;
  UseLogSetting("/nonexistent-folder/tarnello.log");
  EXPECT_TRUE(Platform::LogEnabled());
  Platform::Log("test", "still seen");
  UseLogSetting(nullptr);
  const QString text = err.Text();
  EXPECT_TRUE(text.contains("cannot open the log file /nonexistent-folder/tarnello.log")) << text.toStdString();
  EXPECT_TRUE(text.contains(" test: still seen\n"));
}

TEST(Log, LinesFromManyThreadsNeverInterleave) {
  LogCapture log;
  const std::string payload(300, 'x');
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) Platform::Log("thread" + std::to_string(t), payload);
    });
  for (std::thread& thread : threads) thread.join();
  const QStringList lines = log.Lines();
  ASSERT_EQ(lines.size(), 800);
  for (const QString& line : lines)
    ASSERT_TRUE(QRegularExpression("^thread[0-3]: x{300}$").match(line).hasMatch()) << line.toStdString();
}

}  // namespace

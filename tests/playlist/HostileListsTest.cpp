// Playlists nobody would write by hand load in bounded memory or are refused.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlsFile.h"
#include "support/RecordingMessageBoxes.h"

namespace {
// Peak resident memory in kB since the last ResetPeak.
long PeakKb() {
  QFile status("/proc/self/status");
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLong();
  return -1;
}

bool ResetPeak() {
  QFile clear("/proc/self/clear_refs");
  return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

struct HostileLists : ::testing::Test {
  QTemporaryDir dir;
  PlayOrder order;
  Playlist playlist{order};
  RecordingMessageBoxes boxes;

  // Writes count copies of line after head, in blocks, without holding the file in memory.
  QString Write(const QByteArray& head, const QByteArray& line, qint64 count, const QString& name) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(head);
    QByteArray block;
    for (int i = 0; i < 65536 / std::max<int>(1, int(line.size())) + 1; ++i) block += line;
    const qint64 perBlock = block.size() / line.size();
    for (qint64 written = 0; written < count;) {
      const qint64 n = std::min(perBlock, count - written);
      file.write(block.constData(), n * line.size());
      written += n;
    }
    return path;
  }

  // Peak memory growth of f in MB, or 0 where the kernel cannot reset the peak or
  // the address sanitizer keeps freed memory in quarantine.
  template <typename F>
  long GrowthMb(F f) {
#ifdef __SANITIZE_ADDRESS__
    const bool measured = false;
#else
    const bool measured = ResetPeak();
#endif
    const long before = PeakKb();
    f();
    return measured ? (PeakKb() - before) / 1024 : 0;
  }
};
}  // namespace

TEST_F(HostileLists, TenMillionLinesOfAnM3uStopAtTheEntryLimit) {
  const QString paths = Write("#EXTM3U\n", "/a\n", 10'000'000, "paths.m3u");
  PlaylistFile file;
  const long growth = GrowthMb([&] { EXPECT_TRUE(file.ReadM3u(paths)); });
  EXPECT_EQ(file.entries.size(), PlaylistFile::kMaxEntries);
  EXPECT_EQ(file.entries.back().path, "/a");
  EXPECT_LT(growth, 200) << "MB";
  QFile::remove(paths);

  // Ten million lines that are no entries are read through.
  const QString comments = Write("#EXTM3U\n", "#\n", 10'000'000, "comments.m3u");
  const long commentGrowth = GrowthMb([&] { EXPECT_TRUE(file.ReadM3u(comments)); });
  EXPECT_TRUE(file.entries.empty());
  EXPECT_LT(commentGrowth, 50) << "MB";
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(HostileLists, AHundredMegabyteLineOfAnM3uIsSkippedInBoundedMemory) {
  const QString path = Write("#EXTM3U\n#EXTINF:5,Before\n/before.mp3\n", "x", 100'000'000, "line.m3u");
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("\n#EXTINF:7,After\n/after.mp3\n");
  }
  PlaylistFile file;
  const long growth = GrowthMb([&] { EXPECT_TRUE(file.ReadM3u(path)); });
  EXPECT_LT(growth, 20) << "MB";
  ASSERT_EQ(file.entries.size(), 1u);  // the byte limit ends reading inside the long line
  EXPECT_EQ(file.entries[0].path, "/before.mp3");

  // A path or title just beyond the text limit is skipped with its line, and the
  // lines after it are read; one of exactly the limit is kept.
  const QString limit = Write("#EXTM3U\n/before.mp3\n", "y", PlaylistFile::kMaxTextLength + 1, "limit.m3u");
  {
    QFile more(limit);
    ASSERT_TRUE(more.open(QIODevice::Append));
    more.write("\n#EXTINF:1," + QByteArray(PlaylistFile::kMaxTextLength + 1, 't') + "\n/after.mp3\n");
    more.write("#EXTINF:2," + QByteArray(PlaylistFile::kMaxTextLength, 't') + "\n/" +
               QByteArray(PlaylistFile::kMaxTextLength - 1, 'z') + "\n");
  }
  ASSERT_TRUE(file.ReadM3u(limit));
  ASSERT_EQ(file.entries.size(), 3u);
  EXPECT_EQ(file.entries[1].path, "/after.mp3");
  EXPECT_EQ(file.entries[1].title, "");
  EXPECT_EQ(file.entries[2].title.size(), PlaylistFile::kMaxTextLength);
  EXPECT_EQ(file.entries[2].path.size(), PlaylistFile::kMaxTextLength);
}

TEST_F(HostileLists, PlsFilesBeyondOneMegabyteAreNoPlsLists) {
  const QString lines = Write("[playlist]\nNumberOfEntries=10000000\n", "F\n", 10'000'000, "lines.pls");
  const QString line = Write("[playlist]\nNumberOfEntries=1\nFile1=", "x", 100'000'000, "line.pls");
  const long growth = GrowthMb([&] {
    EXPECT_FALSE(ReadPls(playlist, lines));
    EXPECT_FALSE(ReadPls(playlist, line));
  });
  EXPECT_EQ(playlist.GetCount(), 0);
  EXPECT_LT(growth, 10) << "MB";

  // Just below the limit the list is read.
  const QByteArray head = "[playlist]\nNumberOfEntries=1\nFile1=/a.mp3\n";
  const QString fits = Write(head, "; padding line\n", (kMaxPlsBytes - head.size()) / 15, "fits.pls");
  EXPECT_TRUE(ReadPls(playlist, fits));
  EXPECT_EQ(playlist.GetCount(), 1);
}

// The options file and the playlist file are replaced whole or not at all: a
// writer killed at any moment, a full disk and a read-only folder leave the
// previous file as it was.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <random>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "playlist/PlaylistFile.h"
#include "settings/SafeFile.h"
#include "settings/SettingsFile.h"

namespace {
constexpr int kSkipped = 77;

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// A store of count lines, each a little different, as a file would give it.
SettingsFile Store(int count, const QString& tag) {
  QByteArray text = "[tarnello]\n";
  for (int i = 0; i < count; ++i) text += QString("Key%1=%2%1\n").arg(i).arg(tag).toUtf8();
  QTemporaryDir dir;
  SettingsFile store;
  if (WriteFile(dir.filePath("in.txt"), text)) store.LoadFromFile(dir.filePath("in.txt"));
  return store;
}

QByteArray Bytes(const SettingsFile& store) {
  QByteArray bytes;
  for (const QString& line : store.Lines()) bytes += line.toUtf8() + '\n';
  return bytes;
}

PlaylistFile List(int count, const QString& tag) {
  PlaylistFile list;
  for (int i = 0; i < count; ++i) list.entries.push_back({i, tag + QString::number(i), "/music/" + tag + ".mp3"});
  return list;
}

// Files of the folder other than the named ones: temporaries left behind.
QStringList Others(const QString& folder, const QStringList& names) {
  QStringList others = QDir(folder).entryList(QDir::Files | QDir::Hidden);
  for (const QString& name : names) others.removeAll(name);
  return others;
}

// Runs body in a child process with a fresh tmpfs of the given size mounted at
// folder in a mount namespace of its own (as root, or through a user namespace).
// The child's exit code: body's result, kSkipped when nothing could be mounted.
int InSmallTmpfs(const QString& folder, const char* size, const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (unshare(CLONE_NEWNS) != 0) {
      const uid_t uid = getuid();
      const gid_t gid = getgid();
      if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) _exit(kSkipped);
      const auto put = [](const char* path, const QByteArray& text) { return WriteFile(path, text); };
      put("/proc/self/setgroups", "deny");
      if (!put("/proc/self/uid_map", QByteArray::number(0) + ' ' + QByteArray::number(uid) + " 1") ||
          !put("/proc/self/gid_map", QByteArray::number(0) + ' ' + QByteArray::number(gid) + " 1"))
        _exit(kSkipped);
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) _exit(kSkipped);
    const QByteArray options = QByteArray("size=") + size + ",mode=0755";
    if (mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) != 0) _exit(kSkipped);
    _exit(body());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

struct StateFiles : ::testing::Test {
  QTemporaryDir dir;
  QString Path(const QString& name) const { return dir.filePath(name); }
};
}  // namespace

TEST_F(StateFiles, AWriterKilledAtAnyMomentLeavesTheOldOrTheNewFile) {
  // Big enough that a write takes a while, so the kills land inside writes.
  const SettingsFile stores[2] = {Store(3000, "old"), Store(6000, "new")};
  const PlaylistFile lists[2] = {List(2000, "old"), List(4000, "new")};
  const QString options = Path("tarnello.txt");
  const QString playlist = Path("tarnello.m3u");
  ASSERT_EQ(stores[0].SaveToFile(options), 1);
  ASSERT_TRUE(lists[0].WriteM3u(playlist));
  const QByteArray storeBytes[2] = {ReadAll(options), Bytes(stores[1])};
  ASSERT_TRUE(lists[1].WriteM3u(playlist));
  const QByteArray listNew = ReadAll(playlist);
  ASSERT_TRUE(lists[0].WriteM3u(playlist));
  const QByteArray listOld = ReadAll(playlist);

  std::mt19937 random(14);
  int sawNew = 0;
  for (int round = 0; round < 60; ++round) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      for (int i = 1;; ++i) {
        stores[i % 2].SaveToFile(options);
        lists[i % 2].WriteM3u(playlist);
      }
    }
    usleep(std::uniform_int_distribution<useconds_t>(0, 30000)(random));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    const QByteArray nowOptions = ReadAll(options);
    const QByteArray nowList = ReadAll(playlist);
    EXPECT_TRUE(nowOptions == storeBytes[0] || nowOptions == storeBytes[1]) << "round " << round << ": "
                                                                          << nowOptions.size() << " bytes";
    EXPECT_TRUE(nowList == listOld || nowList == listNew) << "round " << round << ": " << nowList.size();
    sawNew += nowOptions == storeBytes[1];
    // A temporary of the killed writer may stay behind; it is never the file itself.
    for (const QString& other : Others(dir.path(), {"tarnello.txt", "tarnello.m3u"})) QFile::remove(Path(other));
  }
  EXPECT_GT(sawNew, 0) << "no kill came after a completed write";
}

TEST_F(StateFiles, AFullDiskKeepsThePreviousFilesAndLeavesNoTemporary) {
  const QString folder = Path("small");
  ASSERT_TRUE(QDir().mkpath(folder));
  const int result = InSmallTmpfs(folder, "256k", [&] {
    const QString options = folder + "/tarnello.txt";
    const QString playlist = folder + "/tarnello.m3u";
    if (Store(20, "old").SaveToFile(options) != 1 || !List(20, "old").WriteM3u(playlist)) return 1;
    const QByteArray oldOptions = ReadAll(options);
    const QByteArray oldList = ReadAll(playlist);
    // Fill what is left of the disk.
    QFile filler(folder + "/filler");
    if (!filler.open(QIODevice::WriteOnly)) return 2;
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    filler.close();
    if (Store(3000, "new").SaveToFile(options) != 0) return 3;
    if (List(3000, "new").WriteM3u(playlist)) return 4;
    if (ReadAll(options) != oldOptions || ReadAll(playlist) != oldList) return 5;
    if (!Others(folder, {"tarnello.txt", "tarnello.m3u", "filler"}).isEmpty()) return 6;
    // With room again the same writes succeed.
    QFile::remove(folder + "/filler");
    if (Store(3000, "new").SaveToFile(options) != 1 || !List(3000, "new").WriteM3u(playlist)) return 7;
    return ReadAll(options) == Bytes(Store(3000, "new")) ? 0 : 8;
  });
  if (result == kSkipped) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root or user namespaces)";
  EXPECT_EQ(result, 0) << "step that failed, see the body";
}

TEST_F(StateFiles, AReadOnlyFolderFailsTheWriteAndKeepsTheFile) {
  const QString folder = Path("readonly");
  ASSERT_TRUE(QDir().mkpath(folder));
  const int result = InSmallTmpfs(folder, "1m", [&] {
    const QString options = folder + "/tarnello.txt";
    const QString playlist = folder + "/tarnello.m3u";
    if (Store(5, "old").SaveToFile(options) != 1 || !List(5, "old").WriteM3u(playlist)) return 1;
    const QByteArray oldOptions = ReadAll(options);
    const QByteArray oldList = ReadAll(playlist);
    const QByteArray native = QFile::encodeName(folder);
    if (mount(nullptr, native.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) return kSkipped;
    if (Store(5, "new").SaveToFile(options) != 0 || List(5, "new").WriteM3u(playlist)) return 2;
    return ReadAll(options) == oldOptions && ReadAll(playlist) == oldList ? 0 : 3;
  });
  if (result == kSkipped) GTEST_SKIP() << "cannot mount a read-only tmpfs here (needs root or user namespaces)";
  EXPECT_EQ(result, 0);
}

TEST_F(StateFiles, ReplacingKeepsTheModeAndWritesThroughALink) {
  const QString real = Path("real.txt");
  ASSERT_TRUE(WriteFile(real, "old\n"));
  ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
  ASSERT_TRUE(QFile::link(real, Path("tarnello.txt")));
  ASSERT_TRUE(ReplaceFileSafely(Path("tarnello.txt"), "new\n"));
  EXPECT_EQ(ReadAll(real), "new\n");
  EXPECT_TRUE(QFileInfo(Path("tarnello.txt")).isSymLink());
  struct stat info;
  ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  // A folder that does not exist: nothing is written, and the call says so.
  EXPECT_FALSE(ReplaceFileSafely(Path("missing/tarnello.txt"), "x"));
}

TEST_F(StateFiles, StartUpRemovesOnlyTheTemporariesOfAKilledWriter) {
  const QString options = Path("tarnello.txt");
  const SettingsFile store = Store(20000, "big");
  ASSERT_EQ(store.SaveToFile(options), 1);
  // Kill writers until one dies inside a write and leaves its temporary.
  QStringList left;
  for (int round = 0; round < 200 && left.isEmpty(); ++round) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      for (;;) store.SaveToFile(options);
    }
    usleep(useconds_t(2000 + 500 * (round % 20)));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    left = Others(dir.path(), {"tarnello.txt"});
  }
  ASSERT_FALSE(left.isEmpty()) << "no kill landed inside a write";

  // Names that only look like ours, and a temporary a live writer still holds.
  const QStringList decoys = {"tarnello.txt.bak",   "tarnello.txt.Ab12C",  "tarnello.txt.Ab12Cde",
                              "tarnello.txt.Ab-12C", "xtarnello.txt.Ab12Cd", "tarnello.m3u.Ab12Cd"};
  for (const QString& name : decoys) ASSERT_TRUE(WriteFile(Path(name), "keep"));
  ASSERT_TRUE(QDir(dir.path()).mkdir("tarnello.txt.Folder"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(Path("tarnello.txt.Fifo00")).constData(), 0600), 0);
  ASSERT_TRUE(QFile::link(Path("tarnello.txt.bak"), Path("tarnello.txt.Link00")));
  ASSERT_TRUE(WriteFile(Path("tarnello.txt.Busy00"), "being written"));
  const int busy = ::open(QFile::encodeName(Path("tarnello.txt.Busy00")).constData(), O_RDONLY);
  ASSERT_GE(busy, 0);
  ASSERT_EQ(::flock(busy, LOCK_EX), 0);

  EXPECT_EQ(RemoveStaleTemporaries(options), left.size());
  ::close(busy);
  QStringList kept = decoys;
  kept << "tarnello.txt.Folder" << "tarnello.txt.Fifo00" << "tarnello.txt.Link00" << "tarnello.txt.Busy00";
  QStringList now = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
  now.removeAll("tarnello.txt");
  kept.sort();
  now.sort();
  EXPECT_EQ(now, kept);
  EXPECT_EQ(Bytes(store), ReadAll(options));

  // Through a link the temporaries sit beside the file it names.
  ASSERT_TRUE(QDir(dir.path()).mkdir("real"));
  ASSERT_TRUE(WriteFile(Path("real/list.m3u"), "#EXTM3U\n"));
  ASSERT_TRUE(WriteFile(Path("real/list.m3u.Qw3rty"), "partial"));
  ASSERT_TRUE(QFile::link(Path("real/list.m3u"), Path("tarnello.m3u")));
  EXPECT_EQ(RemoveStaleTemporaries(Path("tarnello.m3u")), 1);
  EXPECT_EQ(QDir(Path("real")).entryList(QDir::Files), QStringList{"list.m3u"});
}

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

#include "platform/InstanceClaim.h"
#include "platform/MessageBox.h"
#include "platform/System.h"

namespace {
TEST(System, ProgramFolderFollowsTarnelloHome) {
  const QByteArray saved = qgetenv("TARNELLO_HOME");
  qputenv("TARNELLO_HOME", "/opt/x");
  EXPECT_EQ("/opt/x/", Platform::ProgramFolder());
  qunsetenv("TARNELLO_HOME");
  const QString own = Platform::ProgramFolder();
  EXPECT_TRUE(own.endsWith('/'));
  EXPECT_TRUE(QFile::exists(own + "platform_tests"));
  if (!saved.isEmpty()) qputenv("TARNELLO_HOME", saved);
}

// Where the writable files go: TARNELLO_HOME, the program folder, or for an
// installed copy the user's config folder, filled once from the program folder.
// The program folder here is the test's own; the files it gets are removed again.
TEST(System, DataFolderFollowsTheInstallMarkerAndIsFilledOnce) {
  const QString program = Platform::ProgramFolder();
  QTemporaryDir user;
  const QString marker = program + Platform::kInstalledMarker;
  struct Cleanup {
    QString program;
    ~Cleanup() {
      QFile::remove(program + Platform::kInstalledMarker);
      QFile::remove(program + "tarnello.txt");
      QDir(program + "Skins").removeRecursively();
      qunsetenv("XDG_CONFIG_HOME");
    }
  } cleanup{program};
  qunsetenv("TARNELLO_HOME");
  EXPECT_EQ(Platform::DataFolder(), program);
  EXPECT_TRUE(Platform::PrepareDataFolder());  // nothing to do for the program folder itself

  ASSERT_TRUE(QFile(marker).open(QIODevice::WriteOnly));
  qputenv("XDG_CONFIG_HOME", user.path().toUtf8());
  const QString data = user.path() + "/tarnello/";
  EXPECT_EQ(Platform::DataFolder(), data);
  // A relative XDG_CONFIG_HOME is not used.
  qputenv("XDG_CONFIG_HOME", "relative/config");
  EXPECT_EQ(Platform::DataFolder(), QDir::homePath() + "/.config/tarnello/");
  qputenv("XDG_CONFIG_HOME", user.path().toUtf8());
  qputenv("TARNELLO_HOME", "/opt/own");
  EXPECT_EQ(Platform::DataFolder(), "/opt/own/");
  qunsetenv("TARNELLO_HOME");

  auto write = [](const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  };
  auto read = [](const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
  };
  write(program + "tarnello.txt", "[tarnello]\nVolume=1\n");
  write(program + "Skins/Temporary/main.bmp", "default");
  write(program + "Skins/Temporary/pledit.txt", "colours");
  ASSERT_TRUE(Platform::PrepareDataFolder());
  EXPECT_EQ(read(data + "tarnello.txt"), "[tarnello]\nVolume=1\n");
  EXPECT_EQ(read(data + "Skins/Temporary/main.bmp"), "default");
  EXPECT_FALSE(QFile::exists(data + "tarnello.m3u"));  // the program folder has none
  EXPECT_TRUE(QFileInfo(data + "tarnello.txt").isWritable());

  // What the user's copy holds is never replaced, and a skin chosen since (a
  // folder with files) is not mixed with the default's files.
  write(data + "tarnello.txt", "[tarnello]\nVolume=9\n");
  QFile::remove(data + "Skins/Temporary/pledit.txt");
  write(data + "Skins/Temporary/main.bmp", "chosen");
  ASSERT_TRUE(Platform::PrepareDataFolder());
  EXPECT_EQ(read(data + "tarnello.txt"), "[tarnello]\nVolume=9\n");
  EXPECT_EQ(read(data + "Skins/Temporary/main.bmp"), "chosen");
  EXPECT_FALSE(QFile::exists(data + "Skins/Temporary/pledit.txt"));
}

TEST(System, ListFolderIsSortedByBytesAndMarksFolders) {
  QTemporaryDir dir;
  for (const char* name : {"b.so", "B.SO", "a.so", "_x", "\xc3\xa9.so"}) QFile(dir.filePath(name)).open(QIODevice::WriteOnly);
  QDir(dir.path()).mkdir("x.so");
  const auto entries = Platform::ListFolder(dir.path());
  QStringList names;
  for (const auto& e : entries) names << e.name + (e.isFolder ? "/" : "");
  EXPECT_EQ(QStringList({"B.SO", "_x", "a.so", "b.so", "x.so/", QString::fromUtf8("\xc3\xa9.so")}), names);
  EXPECT_TRUE(Platform::ListFolder(dir.filePath("missing")).empty());
}

TEST(System, LibrariesLoadAndFailCleanly) {
  QTemporaryDir dir;
  QFile junk(dir.filePath("junk.so"));
  junk.open(QIODevice::WriteOnly);
  junk.write("not a library");
  junk.close();
  EXPECT_EQ(nullptr, Platform::LoadLibrary(junk.fileName()));
  EXPECT_EQ(nullptr, Platform::LoadLibrary(dir.filePath("missing.so")));
  Platform::LibraryHandle platform = Platform::LoadLibrary(Platform::ProgramFolder() + "libtarnello-platform.so");
  if (!platform) platform = Platform::LoadLibrary("libtarnello-platform.so");
  ASSERT_NE(nullptr, platform);
  EXPECT_NE(nullptr, Platform::GetProcAddress(platform, "PlatformSendMessage"));
  EXPECT_EQ(nullptr, Platform::GetProcAddress(platform, "NoSuchSymbol"));
  Platform::FreeLibrary(platform);
  EXPECT_TRUE(Platform::StartSockets());
}

TEST(System, ResetIdleTimerIsHarmlessWithoutX11) {
  // The tests run offscreen. Qt's offscreen platform still answers the X11
  // interface, but without a display, and the call must then do nothing, however
  // often the player's idle timer fires.
  ASSERT_EQ("offscreen", QGuiApplication::platformName());
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  EXPECT_TRUE(!x11 || !x11->display());
  for (int i = 0; i < 3; ++i) Platform::ResetIdleTimer();
  EXPECT_EQ("offscreen", QGuiApplication::platformName());
}

TEST(System, DecodeTextFallsBackToLatin1ByteByByte) {
  EXPECT_EQ(QString::fromUtf8("Caf\xc3\xa9"), Platform::DecodeText("Caf\xc3\xa9"));
  EXPECT_EQ(QString::fromUtf8("Caf\xc3\xa9 \xc3\xa9"), Platform::DecodeText("Caf\xe9 \xc3\xa9"));
  EXPECT_EQ(QString::fromUtf8("\xc3\x80\xc2\xaf"), Platform::DecodeText("\xc0\xaf"));  // overlong '/'
  EXPECT_EQ(QString::fromUtf8("x\xc3\xad"), Platform::DecodeText("x\xed"));           // cut sequence
}

TEST(System, MessageLogRecordsBoxesWhenConfigured) {
  // The log service is chosen once per process, so this runs in a child process.
  QTemporaryDir dir;
  const QString log = dir.filePath("boxes.log");
  if (qEnvironmentVariableIsSet("TARNELLO_TEST_CHILD")) return;
  const QString self = QCoreApplication::applicationFilePath();
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("TARNELLO_MESSAGE_LOG", log);
  env.insert("TARNELLO_TEST_CHILD", "1");
  child.setProcessEnvironment(env);
  child.start(self, {"--gtest_filter=System.ShowBoxInChild"});
  ASSERT_TRUE(child.waitForFinished(20000));
  QFile f(log);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ("Tarnello\tOption read fail!\nCap\tline one\\nline two\n", f.readAll());
}

TEST(System, ShowBoxInChild) {
  if (!qEnvironmentVariableIsSet("TARNELLO_TEST_CHILD")) GTEST_SKIP() << "runs only as a child";
  ShowMessageBox(nullptr, "Option read fail!");
  ShowMessageBox(nullptr, "line one\nline two", "Cap");
}

// The first player of a session holds its claim for as long as it runs: a second
// start of the same session finds it taken, one of another session does not, and
// once the first has ended (however) the next start is first again.
TEST(System, TheFirstPlayerOfASessionHoldsItsClaimUntilItEnds) {
  if (qEnvironmentVariableIsSet("TARNELLO_TEST_CHILD")) return;
  const QString self = QCoreApplication::applicationFilePath();
  const QString bus = "unix:path=/nonexistent/claim-test-" + QString::number(QCoreApplication::applicationPid());
  auto start = [&](QProcess& child, const QString& address, bool hold) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TARNELLO_TEST_CHILD", "1");
    env.insert("DBUS_SESSION_BUS_ADDRESS", address);
    if (hold) env.insert("TARNELLO_CLAIM_HOLD", "1");
    child.setProcessEnvironment(env);
    child.start(self, {"--gtest_filter=System.ClaimInChild"});
    EXPECT_TRUE(child.waitForStarted(20000));
  };
  auto claim = [&](const QString& address) {
    QProcess child;
    start(child, address, false);
    EXPECT_TRUE(child.waitForFinished(20000));
    const QString out = QString::fromUtf8(child.readAllStandardOutput());
    return out.contains("claim=first") ? "first" : out.contains("claim=taken") ? "taken" : "other";
  };
  QProcess first;
  start(first, bus, true);
  QByteArray said;
  while (!said.contains("claim=") && first.waitForReadyRead(20000)) said += first.readAll();
  EXPECT_TRUE(said.contains("claim=first")) << said.constData();
  EXPECT_STREQ("taken", claim(bus));
  EXPECT_STREQ("first", claim(bus + "-other"));
  first.kill();
  ASSERT_TRUE(first.waitForFinished(20000));
  EXPECT_STREQ("first", claim(bus));
}

// The session bus is the variable's, else the user's bus socket; without either
// the session has none (no bus is started for the player).
TEST(System, SessionBusIsTheVariablesElseTheUsersSocket) {
  QTemporaryDir runtime;
  const QByteArray savedBus = qgetenv("DBUS_SESSION_BUS_ADDRESS"), savedRuntime = qgetenv("XDG_RUNTIME_DIR");
  qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
  qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/somewhere/bus");
  EXPECT_EQ("unix:path=/somewhere/bus", Platform::SessionBusAddress());
  qunsetenv("DBUS_SESSION_BUS_ADDRESS");
  EXPECT_EQ("", Platform::SessionBusAddress());
  QFile socket(runtime.filePath("bus"));
  ASSERT_TRUE(socket.open(QIODevice::WriteOnly));
  EXPECT_EQ("unix:path=" + runtime.filePath("bus").toStdString(), Platform::SessionBusAddress());
  qputenv("DBUS_SESSION_BUS_ADDRESS", savedBus);
  qputenv("XDG_RUNTIME_DIR", savedRuntime);
}

TEST(System, ClaimInChild) {
  if (!qEnvironmentVariableIsSet("TARNELLO_TEST_CHILD")) GTEST_SKIP() << "runs only as a child";
  const Platform::InstanceClaim claim = Platform::ClaimInstance();
  std::printf("claim=%s\n", claim == Platform::InstanceClaim::kFirst   ? "first"
                           : claim == Platform::InstanceClaim::kTaken ? "taken"
                                                                       : "unknown");
  std::fflush(stdout);
  // Held until the parent ends this process.
  if (qEnvironmentVariableIsSet("TARNELLO_CLAIM_HOLD")) for (;;) pause();
}
}  // namespace

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "support/RecordingMessageBoxes.h"
#include "platform/ModalLoops.h"
#include "playlist/AddCommands.h"
#include "playlist/OpenUrlDialog.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistStorage.h"
#include "playlist/PlsFile.h"
#include "settings/SettingsFile.h"

namespace {
const QString kSection = QStringLiteral("tarnello");

// A port on 127.0.0.1 where nothing listens.
int ClosedPort() {
  const int probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  bind(probe, reinterpret_cast<sockaddr*>(&address), size);
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
  close(probe);
  return ntohs(address.sin_port);
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// The test server script on 127.0.0.1, serving the files of root.
class LocalServer {
 public:
  bool Start(const QString& root, const QStringList& tlsFiles = {}) {
    QStringList arguments{QStringLiteral(TARNELLO_HTTP_SERVER), "--root", root};
    if (tlsFiles.size() == 2) arguments << "--cert" << tlsFiles[0] << "--key" << tlsFiles[1];
    process_.start(QStandardPaths::findExecutable("python3"), arguments);
    if (!process_.waitForStarted(5000)) return false;
    while (!process_.canReadLine())
      if (!process_.waitForReadyRead(10000)) return false;
    port_ = process_.readLine().trimmed().toInt();
    return port_ > 0;
  }
  ~LocalServer() {
    process_.kill();
    process_.waitForFinished(5000);
  }
  QString Url(const QString& path, const char* scheme = "http") const {
    return QStringLiteral("%1://127.0.0.1:%2/%3").arg(scheme).arg(port_).arg(path);
  }

 private:
  QProcess process_;
  int port_ = 0;
};

struct UrlCommands : ::testing::Test {
  QTemporaryDir home;
  QString tempPls = home.filePath("temp.pls");
  PlayOrder order;
  Playlist playlist{order};
  SettingsFile settings;
  QList<QStringList> offered;  // the recent URLs each dialog was given

  void SetUp() override { qputenv("TARNELLO_HOME", home.path().toUtf8()); }
  void TearDown() override {
    SetUrlChooser(nullptr);
    qunsetenv("TARNELLO_HOME");
  }
  void Enter(const QString& text, bool confirm = true) {
    SetUrlChooser([this, text, confirm](QWidget*, const QStringList& recent, QString& url) {
      offered.append(recent);
      url = text;
      return confirm;
    });
    AddUrlCommand(nullptr, playlist, settings);
  }
  QString Stored(int number) const {
    QString value;
    settings.GetString(kSection, QStringLiteral("RecentURL%1").arg(number), "", value);
    return value;
  }
};

struct HttpDownloads : UrlCommands {
  QTemporaryDir served;
  LocalServer server;
  void SetUp() override {
    UrlCommands::SetUp();
    ASSERT_TRUE(server.Start(served.path()));
  }
};
}  // namespace

TEST(UrlText, HttpIsPutInFrontOnlyWhenNoSchemeIsNamed) {
  EXPECT_EQ(NormalizeUrl("www.example.com/music/song.mp3"), "http://www.example.com/music/song.mp3");
  EXPECT_EQ(NormalizeUrl("https://x/y.mp3"), "https://x/y.mp3");
  EXPECT_EQ(NormalizeUrl("HTTP://X/y.mp3"), "HTTP://X/y.mp3");
  EXPECT_EQ(NormalizeUrl("mms+tcp://x/y"), "mms+tcp://x/y");
  EXPECT_EQ(NormalizeUrl("radio:8000/live.pls"), "http://radio:8000/live.pls");
  // "http://" inside the text is no scheme of the text's own.
  EXPECT_EQ(NormalizeUrl("proxy/get?u=http://x/y.pls"), "http://proxy/get?u=http://x/y.pls");

  EXPECT_TRUE(NamesPlsList("http://x/list.pls"));
  EXPECT_TRUE(NamesPlsList("http://x/LIST.PLS"));
  EXPECT_TRUE(NamesPlsList("http://x/a.plsx?b"));
  EXPECT_FALSE(NamesPlsList("http://x/list.Pls"));
  EXPECT_FALSE(NamesPlsList("http://x/list.m3u"));
}

TEST_F(UrlCommands, ATextWithoutSchemeBecomesOneHttpRowAndTheNewestRecentUrl) {
  Enter("www.example.com/music/song.mp3");
  ASSERT_EQ(playlist.GetCount(), 1);
  EXPECT_EQ(playlist.GetPath(0), "http://www.example.com/music/song.mp3");
  EXPECT_EQ(playlist.GetTitle(0), "http://www.example.com/music/song.mp3");
  EXPECT_EQ(playlist.GetLengthText(0), "");
  EXPECT_EQ(Stored(1), "http://www.example.com/music/song.mp3");

  Enter("  https://x/y.mp3 ");
  EXPECT_EQ(playlist.GetPath(1), "https://x/y.mp3");
  EXPECT_EQ(offered.back(), QStringList({"http://www.example.com/music/song.mp3"}));
  EXPECT_EQ(ReadRecentUrls(settings), QStringList({"http://www.example.com/music/song.mp3", "https://x/y.mp3"}));
}

TEST_F(UrlCommands, TheSameUrlTwiceIsStoredUnderTwoConsecutiveKeys) {
  Enter("http://x/a.mp3");
  Enter("http://x/a.mp3");
  EXPECT_EQ(Stored(1), "http://x/a.mp3");
  EXPECT_EQ(Stored(2), "http://x/a.mp3");
  EXPECT_EQ(Stored(3), "");
  EXPECT_EQ(offered.back(), QStringList({"http://x/a.mp3"}));
  EXPECT_EQ(playlist.GetCount(), 2);
}

TEST_F(UrlCommands, CancelOrAnEmptyTextChangesNothing) {
  Enter("http://x/a.mp3", false);
  Enter("   ");
  EXPECT_EQ(playlist.GetCount(), 0);
  EXPECT_EQ(settings.CountKeys(kSection), -1);
}

TEST_F(UrlCommands, TheHistoryEndsAtTheFirstEmptyKeyAndGrowsThere) {
  settings.WriteString(kSection, "RecentURL1", "http://one/");
  settings.WriteString(kSection, "RecentURL2", "");
  settings.WriteString(kSection, "RecentURL3", "http://three/");
  EXPECT_EQ(ReadRecentUrls(settings), QStringList({"http://one/"}));
  StoreRecentUrl(settings, "http://new/");
  EXPECT_EQ(Stored(2), "http://new/");
  EXPECT_EQ(ReadRecentUrls(settings), QStringList({"http://one/", "http://new/", "http://three/"}));
}

TEST_F(UrlCommands, APlsListThatCannotBeFetchedBecomesARowOfItsOwn) {
  const QString url = QStringLiteral("http://127.0.0.1:%1/radio.PLS").arg(ClosedPort());
  Enter(url.mid(7));
  ASSERT_EQ(playlist.GetCount(), 1);
  EXPECT_EQ(playlist.GetPath(0), url);
  EXPECT_EQ(playlist.GetTitle(0), url);
  EXPECT_FALSE(QFile::exists(tempPls));
  EXPECT_EQ(Stored(1), url);
}

TEST_F(HttpDownloads, APlsListExpandsIntoItsEntriesAlsoAfterARedirect) {
  WriteFile(served.filePath("list.pls"),
            "[playlist]\nNumberOfEntries=2\nFile1=http://stream.example.com:8000/\nTitle1=Live\n"
            "Length1=-1\nFile2=/music/b.mp3\nTitle2=B\nLength2=245\nVersion=2\n");
  Enter(server.Url("list.pls"));
  ASSERT_EQ(playlist.GetCount(), 2);
  EXPECT_EQ(playlist.GetPath(0), "http://stream.example.com:8000/");
  EXPECT_EQ(playlist.GetDisplayText(0), "1. Live");
  EXPECT_EQ(playlist.GetLengthText(0), "");
  EXPECT_EQ(playlist.GetPath(1), "/music/b.mp3");
  EXPECT_EQ(playlist.GetLengthText(1), "245");
  EXPECT_FALSE(QFile::exists(tempPls));
  EXPECT_EQ(Stored(1), server.Url("list.pls"));

  EXPECT_EQ(AddUrl(playlist, server.Url("redirect/list.pls"), tempPls), 2);
  EXPECT_EQ(playlist.GetTitle(3), "B");
}

TEST_F(HttpDownloads, AnErrorPageIsSavedAndYieldsNoRowsAndNoMessage) {
  RecordingMessageBoxes boxes;
  const QString local = home.filePath("page.pls");
  EXPECT_TRUE(DownloadUrlToFile(server.Url("missing.pls"), local));
  QFile page(local);
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  EXPECT_TRUE(page.readAll().contains("404"));

  EXPECT_EQ(AddUrl(playlist, server.Url("missing.pls"), tempPls), 0);
  EXPECT_EQ(playlist.GetCount(), 0);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_FALSE(QFile::exists(tempPls));
}

TEST_F(HttpDownloads, ASilentServerIsAbandonedAfterTheStallLimit) {
  DownloadOptions options;
  options.stallSeconds = 1;
  QElapsedTimer timer;
  timer.start();
  EXPECT_EQ(AddUrl(playlist, server.Url("silent.pls"), tempPls, options), 1);
  EXPECT_GE(timer.elapsed(), 900);
  EXPECT_LT(timer.elapsed(), 10000);
  EXPECT_EQ(playlist.GetPath(0), server.Url("silent.pls"));
  EXPECT_FALSE(QFile::exists(tempPls));
}

TEST_F(HttpDownloads, AnEndlessBodyIsCutAtTheSizeLimit) {
  DownloadOptions options;
  options.maxBytes = 64 * 1024;
  const QString local = home.filePath("cut.pls");
  EXPECT_FALSE(DownloadUrlToFile(server.Url("endless.pls"), local, options));
  EXPECT_LE(QFileInfo(local).size(), options.maxBytes);

  // The player's own limit: the list URL becomes the row, and the file goes.
  EXPECT_EQ(AddUrl(playlist, server.Url("endless.pls"), tempPls), 1);
  EXPECT_EQ(playlist.GetPath(0), server.Url("endless.pls"));
  EXPECT_FALSE(QFile::exists(tempPls));
}

TEST_F(HttpDownloads, ATricklingServerIsCutOffAtTheTotalBound) {
  // One byte a second never stalls; only the bound on the whole GET ends it.
  DownloadOptions options;
  options.totalSeconds = 2;
  QElapsedTimer timer;
  timer.start();
  EXPECT_EQ(AddUrl(playlist, server.Url("trickle.pls"), tempPls, options), 1);
  EXPECT_GE(timer.elapsed(), 1900);
  EXPECT_LT(timer.elapsed(), 10000);
  EXPECT_EQ(playlist.GetPath(0), server.Url("trickle.pls"));
  EXPECT_FALSE(QFile::exists(tempPls));
}

TEST_F(HttpDownloads, TheWaitKeepsEventsFlowingAndEndsWhenNestedLoopsAreEnded) {
  // Timers (and so painting) run while the UI thread waits; a close request ends
  // the download long before its bound, and the file still goes.
  int ticks = 0;
  bool nested = false;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    ++ticks;
    nested = Platform::InNestedLoop();
  });
  ticker.start(50);
  QTimer::singleShot(600, [] { Platform::EndNestedLoops(); });
  QElapsedTimer timer;
  timer.start();
  EXPECT_EQ(AddUrl(playlist, server.Url("trickle.pls"), tempPls), 1);
  EXPECT_LT(timer.elapsed(), 5000);
  EXPECT_GE(ticks, 5);
  EXPECT_TRUE(nested);
  EXPECT_FALSE(QFile::exists(tempPls));
  EXPECT_FALSE(Platform::InNestedLoop());
}

TEST(HttpsDownload, FetchesFromAServerWhoseCertificateIsTrustedOnly) {
  const QString openssl = QStandardPaths::findExecutable("openssl");
  if (openssl.isEmpty()) GTEST_SKIP() << "no openssl to make a certificate";
  QTemporaryDir dir;
  const QString cert = dir.filePath("cert.pem");
  const QString key = dir.filePath("key.pem");
  QProcess make;
  make.start(openssl, {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj", "/CN=127.0.0.1",
                       "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", cert});
  ASSERT_TRUE(make.waitForFinished(30000));
  ASSERT_EQ(make.exitCode(), 0) << make.readAllStandardError().toStdString();
  const QByteArray list = "[playlist]\nNumberOfEntries=1\nFile1=https://x/y.mp3\n";
  WriteFile(dir.filePath("list.pls"), list);
  LocalServer server;
  ASSERT_TRUE(server.Start(dir.path(), {cert, key}));

  DownloadOptions options;
  options.stallSeconds = 5;
  options.caBundle = cert;
  const QString local = dir.filePath("got.pls");
  ASSERT_TRUE(DownloadUrlToFile(server.Url("list.pls", "https"), local, options));
  QFile got(local);
  ASSERT_TRUE(got.open(QIODevice::ReadOnly));
  EXPECT_EQ(got.readAll(), list);

  // A certificate nobody vouches for is refused.
  options.caBundle.clear();
  EXPECT_FALSE(DownloadUrlToFile(server.Url("list.pls", "https"), local, options));
}

TEST_F(HttpDownloads, APlsListGivesARowForEveryCountedEntryAndTheSavedListKeepsThem) {
  WriteFile(served.filePath("three.pls"),
            "[playlist]\nNumberOfEntries=3\nFile1=/music/a.mp3\nTitle1=A\nFile2=/music/b.mp3\nLength2=7\n");
  Enter(server.Url("three.pls"));
  ASSERT_EQ(playlist.GetCount(), 3);
  EXPECT_EQ(playlist.GetLengthText(0), "0");
  EXPECT_EQ(playlist.GetPath(2), "");
  EXPECT_EQ(playlist.GetDisplayText(2), "3. ");
  const QString saved = home.filePath("tarnello.m3u");
  ASSERT_TRUE(SavePlaylist(playlist, saved));
  QFile file(saved);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), "#EXTM3U\n#EXTINF:0,A\n/music/a.mp3\n#EXTINF:7,\n/music/b.mp3\n#EXTINF:0,\n\n");

  // A hostile count adds the entry limit and no more.
  playlist.ClearPlaylist();
  WriteFile(served.filePath("huge.pls"), "[playlist]\nNumberOfEntries=2000000000\nFile1=/music/a.mp3\n");
  Enter(server.Url("huge.pls"));
  EXPECT_EQ(playlist.GetCount(), PlsFile::kMaxEntries);
  EXPECT_FALSE(QFile::exists(tempPls));
}

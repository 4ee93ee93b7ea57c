// Skin archives as they come from the wild: listed beside packages, unpacked flat
// whatever their layout, and loaded again from the temporary folder at the next start.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "SkinTestFiles.h"
#include "skin/SkinArchive.h"
#include "skin/SkinPackages.h"
#include "skin/SkinSet.h"
#include "support/LogCapture.h"
#include "support/RecordingMessageBoxes.h"

using namespace SkinTest;

namespace {

class SkinArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    skins_ = dir_.path() + "/Skins";
    temporary_ = skins_ + "/Temporary";
    source_ = dir_.path() + "/source";
    QDir().mkpath(skins_);
    WriteSkinFolder(source_, "[Text]\nNormal=#112233\n");
  }
  QStringList Texts() const {
    QStringList texts;
    for (const auto& box : boxes_.boxes) texts << box.text;
    return texts;
  }
  // Everything under a folder, relative to it, sorted.
  static QStringList Tree(const QString& folder) {
    QStringList paths;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) paths << it.next().mid(folder.size() + 1);
    paths.sort();
    return paths;
  }
  QByteArray Source(const QString& name) const { return ReadFile(source_ + '/' + name); }
  // The source skin's files as entries named by rename (name -> entry name); a
  // name rename leaves out is not packed.
  std::vector<ZipEntry> Entries(const std::function<QByteArray(const QString&)>& rename) const {
    std::vector<ZipEntry> entries;
    for (const ZipEntry& e : SkinEntries(source_)) {
      const QByteArray name = rename(QString::fromUtf8(e.name));
      if (!name.isEmpty()) entries.push_back({name, e.data});
    }
    return entries;
  }
  void ExpectSourceSkinLoaded(const SkinSet& skin) {
    EXPECT_EQ(skin.Bitmap(SLOT_MAIN), Decode(Source("main.bmp")));
    EXPECT_EQ(skin.Bitmap(SLOT_CBUTTONS), Decode(Source("cbuttons.bmp")));
    EXPECT_EQ(skin.Bitmap(SLOT_BALANCE), Decode(Source("balance.bmp")));
    EXPECT_EQ(skin.Bitmap(SLOT_TITLEBAR), Decode(Source("TitleBar.bmp")));
    EXPECT_EQ(skin.NormalText(), MakeColour(0x11, 0x22, 0x33));
  }

  QTemporaryDir dir_;
  QString skins_, temporary_, source_;
  RecordingMessageBoxes boxes_;
};

}  // namespace

TEST_F(SkinArchiveTest, ArchivesAreListedBesidePackagesSortedTogetherByName) {
  for (const char* name : {"b.qsk", "A.wsz", "c.WSZ", "Blue.QSK", "d.wsz.bak", "e.qsk.bak", "notes.txt"})
    WriteFile(skins_ + '/' + name, "x");
  QDir().mkdir(skins_ + "/F.wsz");
  std::vector<SkinPackage> packages = ListSkinPackages(skins_);
  QStringList labels;
  for (const SkinPackage& p : packages) labels << p.label;
  EXPECT_EQ(labels, (QStringList{"A", "b", "c", "e.qsk"}));
  EXPECT_EQ(packages[2].path, skins_ + "/c.WSZ");
  for (size_t i = 0; i < packages.size(); ++i) EXPECT_EQ(packages[i].command, SKIN_FIRST_COMMAND + int(i));

  // An installed copy's own skins and the user's, sorted together.
  const QString user = dir_.path() + "/user";
  QDir().mkpath(user);
  for (const char* name : {"a.wsz", "b.qsk", "Zed.wsz"}) WriteFile(user + '/' + name, "x");
  packages = MergeSkinPackages(ListSkinPackages(skins_), ListSkinPackages(user));
  QStringList paths;
  for (const SkinPackage& p : packages) paths << p.path.mid(dir_.path().size() + 1);
  EXPECT_EQ(paths, (QStringList{"Skins/A.wsz", "user/a.wsz", "Skins/b.qsk", "user/b.qsk", "Skins/c.WSZ",
                                "Skins/e.qsk.bak", "user/Zed.wsz"}));
  EXPECT_EQ(packages.back().command, SKIN_FIRST_COMMAND + 6);
}

TEST_F(SkinArchiveTest, EveryFolderLayoutUnpacksFlatAndLoadsAgainAtTheNextStart) {
  struct Layout {
    const char* what;
    std::function<QByteArray(const QString&)> rename;
    std::vector<ZipEntry> extra;
  };
  const std::vector<Layout> layouts = {
      {"flat", [](const QString& n) { return n.toUtf8(); }, {}},
      {"one folder", [](const QString& n) { return "My Skin/" + n.toUtf8(); }, {{"My Skin/", {}}}},
      {"backslashes", [](const QString& n) { return "My Skin\\" + n.toUtf8(); }, {}},
      {"upper case", [](const QString& n) { return "SKIN/" + n.toUpper().toUtf8(); }, {}},
      {"two levels, with extras and a second folder",
       [](const QString& n) { return "Outer\\Inner/" + n.toUtf8(); },
       {{"readme.txt", "hello"},
        {"Outer/Inner/Thumbs.db", "thumbs"},
        {"Outer/Inner/normal.cur", "cursor"},
        {"Outer/Inner/cursors/eqslid.cur", "cursor"},
        {"Outer/other/main.bmp", "not this one"},
        {"__MACOSX/Outer/Inner/._main.bmp", "resource fork"},
        {"__MACOSX/Outer/Inner/._cbuttons.bmp", "resource fork"}}},
  };
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.what);
    std::vector<ZipEntry> entries = layout.extra;
    for (ZipEntry& e : Entries(layout.rename)) entries.push_back(e);
    const QString archive = skins_ + "/Wild.wsz";
    ASSERT_TRUE(WriteZip(archive, entries));
    // Left by an earlier package with folders: the archive replaces all of it.
    QDir().mkpath(temporary_ + "/nested/deeper");
    WriteFile(temporary_ + "/nested/deeper/main.bmp", "old");

    SkinSet skin(temporary_);
    ASSERT_TRUE(skin.Load(archive));
    EXPECT_TRUE(boxes_.boxes.empty()) << Texts().join('|').toStdString();
    ExpectSourceSkinLoaded(skin);
    for (const QString& path : Tree(temporary_)) {
      EXPECT_FALSE(path.contains('/')) << path.toStdString();
      EXPECT_FALSE(QFileInfo(temporary_ + '/' + path).isDir()) << path.toStdString();
    }
    if (layout.extra.size() > 1) {
      EXPECT_EQ(ReadFile(temporary_ + "/Thumbs.db"), "thumbs");
      EXPECT_FALSE(QFile::exists(temporary_ + "/readme.txt"));  // not in the skin's folder
      EXPECT_FALSE(QFile::exists(temporary_ + "/._main.bmp"));
    }
    SkinSet restarted(temporary_);
    ASSERT_TRUE(restarted.Load(temporary_));
    ExpectSourceSkinLoaded(restarted);
  }
}

TEST_F(SkinArchiveTest, NamesDifferingOnlyInCaseTakeTheLaterEntryForEveryName) {
  // A whole lower-case set, then a whole upper-case set with other pictures.
  std::vector<ZipEntry> entries = Entries([](const QString& n) { return n.toLower().toUtf8(); });
  const QByteArray second = EncodeBmp24(Pattern(20, 12, 99));
  const QByteArray secondButtons = EncodeBmp24(Pattern(30, 10, 77));
  entries.push_back({"MAIN.BMP", second});
  entries.push_back({"CBUTTONS.BMP", secondButtons});
  const QString archive = skins_ + "/Twice.wsz";
  ASSERT_TRUE(WriteZip(archive, entries));
  SkinSet skin(temporary_);
  ASSERT_TRUE(skin.Load(archive));
  EXPECT_EQ(skin.Bitmap(SLOT_MAIN), Decode(second));
  EXPECT_EQ(skin.Bitmap(SLOT_CBUTTONS), Decode(secondButtons));
  EXPECT_EQ(skin.Bitmap(SLOT_TITLEBAR), Decode(Source("TitleBar.bmp")));
  const QStringList files = Tree(temporary_);
  EXPECT_EQ(files.filter(QRegularExpression("^main\\.bmp$", QRegularExpression::CaseInsensitiveOption)), QStringList{"MAIN.BMP"});
  SkinSet restarted(temporary_);
  ASSERT_TRUE(restarted.Load(temporary_));
  EXPECT_EQ(restarted.Bitmap(SLOT_MAIN), Decode(second));

  // The other way round, the lower-case entry comes last and wins.
  std::reverse(entries.begin(), entries.end());
  ASSERT_TRUE(WriteZip(archive, entries));
  ASSERT_TRUE(skin.Load(archive));
  EXPECT_EQ(skin.Bitmap(SLOT_MAIN), Decode(Source("main.bmp")));
  EXPECT_EQ(skin.Bitmap(SLOT_CBUTTONS), Decode(Source("cbuttons.bmp")));
}

TEST_F(SkinArchiveTest, ASkinLackingCountedFilesLoadsAgainAtTheNextStartWithTheSameColours) {
  // A package with colours first: an archive without a colour file starts from the
  // defaults, as the same skin does when loaded at the next start.
  const QString package = skins_ + "/Coloured.qsk";
  ASSERT_TRUE(WriteZip(package, SkinEntries(source_)));
  SkinSet skin(temporary_);
  ASSERT_TRUE(skin.Load(package));
  ASSERT_EQ(skin.NormalText(), MakeColour(0x11, 0x22, 0x33));

  const QString archive = skins_ + "/Sparse.wsz";
  const QStringList lacking{"PlayPaus.bmp", "nums_ex.bmp", "text.bmp", "pledit.txt", "balance.bmp"};
  ASSERT_TRUE(WriteZip(archive, Entries([&](const QString& n) { return lacking.contains(n) ? QByteArray() : n.toUtf8(); })));
  ASSERT_TRUE(skin.Load(archive));
  EXPECT_TRUE(boxes_.boxes.empty()) << Texts().join('|').toStdString();
  EXPECT_TRUE(skin.Bitmap(SLOT_PLAYPAUS).isNull());
  EXPECT_EQ(skin.Bitmap(SLOT_BALANCE), Decode(Source("volume.bmp")));  // the balance falls back
  EXPECT_EQ(skin.NormalText(), SkinColours().normalText);

  EXPECT_TRUE(SkinSet::IsValidSource(temporary_));
  SkinSet restarted(temporary_);
  ASSERT_TRUE(restarted.Load(temporary_));
  EXPECT_EQ(restarted.Bitmaps(), skin.Bitmaps());
  EXPECT_EQ(restarted.NormalText(), skin.NormalText());
  EXPECT_EQ(restarted.SelectedBackground(), skin.SelectedBackground());

  // Numbers missing too: the glyphs come from "nums_ex.bmp" as from a folder.
  ASSERT_TRUE(WriteZip(archive, Entries([](const QString& n) { return n == "Numbers.bmp" ? QByteArray() : n.toUtf8(); })));
  ASSERT_TRUE(skin.Load(archive));
  EXPECT_EQ(skin.Bitmap(SLOT_NUMBERS), Decode(Source("nums_ex.bmp")));
  ASSERT_TRUE(restarted.Load(temporary_));
  EXPECT_EQ(restarted.Bitmap(SLOT_NUMBERS), Decode(Source("nums_ex.bmp")));
}

TEST_F(SkinArchiveTest, AnArchiveHoldingNoSkinIsRefusedAndChangesNothing) {
  WriteSkinFolder(temporary_, "[Text]\nNormal=#445566\n");
  SkinSet skin(temporary_);
  ASSERT_TRUE(skin.Load(temporary_));
  const QStringList before = Tree(temporary_);

  LogCapture log;
  const QString junk = skins_ + "/Junk.wsz";
  WriteFile(junk, "PK but no zip at all");
  EXPECT_FALSE(skin.Load(junk));
  ASSERT_TRUE(WriteZip(junk, {{"readme.txt", "no skin here"}, {"folder/", {}}}));
  EXPECT_FALSE(skin.Load(junk));
  EXPECT_FALSE(skin.Load(skins_ + "/Gone.wsz"));
  // No box, but the log says which archive was refused.
  EXPECT_EQ(log.Area("skin"), QStringList({"cannot load " + junk + ": it holds no skin",
                                           "cannot load " + junk + ": it holds no skin",
                                           "cannot load " + skins_ + "/Gone.wsz: it holds no skin"}));

  EXPECT_TRUE(boxes_.boxes.empty()) << Texts().join('|').toStdString();
  EXPECT_EQ(Tree(temporary_), before);
  EXPECT_FALSE(skin.Bitmap(SLOT_MAIN).isNull());
  EXPECT_EQ(skin.NormalText(), MakeColour(0x44, 0x55, 0x66));
}

TEST_F(SkinArchiveTest, HostileEntriesNeverLeaveTheTemporaryFolder) {
  const QString outside = dir_.path() + "/outside";
  QDir().mkpath(outside);
  std::vector<ZipEntry> entries = Entries([](const QString& n) { return "../../outside/" + n.toUtf8(); });
  entries.push_back({(outside + "/absolute.txt").toUtf8(), "x"});
  entries.push_back({"..\\..\\outside\\back.txt", "x"});
  entries.push_back({"../../outside/link.bmp", (outside + "/target").toUtf8(), S_IFLNK | 0777});
  entries.push_back({"../../outside/..", "x"});
  const QString archive = skins_ + "/Slip.wsz";
  ASSERT_TRUE(WriteZip(archive, entries));
  // A link left in the temporary folder by someone else is removed, not written through.
  QDir().mkpath(temporary_);
  ASSERT_EQ(::symlink(QFile::encodeName(outside + "/victim").constData(), QFile::encodeName(temporary_ + "/main.bmp").constData()), 0);
  ASSERT_EQ(::symlink(QFile::encodeName(outside).constData(), QFile::encodeName(temporary_ + "/dir").constData()), 0);
  WriteFile(outside + "/keep.txt", "kept");

  SkinSet skin(temporary_);
  ASSERT_TRUE(skin.Load(archive));
  ExpectSourceSkinLoaded(skin);
  EXPECT_EQ(Tree(outside), QStringList{"keep.txt"});
  EXPECT_FALSE(QFileInfo(temporary_ + "/main.bmp").isSymLink());
  EXPECT_FALSE(QFile::exists(temporary_ + "/link.bmp"));
  EXPECT_EQ(ReadFile(temporary_ + "/back.txt"), "x");  // flattened into the folder
  for (const QString& path : Tree(dir_.path())) {
    EXPECT_TRUE(path.startsWith("Skins/") || path.startsWith("source") || path == "Skins" || path == "outside" ||
                path == "outside/keep.txt")
        << path.toStdString();
  }
}

TEST_F(SkinArchiveTest, ADamagedEntryIsLeftOutAndTheRestDraws) {
  const QString archive = skins_ + "/Damaged.wsz";
  ASSERT_TRUE(WriteZip(archive, Entries([](const QString& n) { return n.toUtf8(); })));
  QByteArray bytes = ReadFile(archive);
  // cbuttons.bmp's checksum, wrong in the local header and the central directory alike.
  const qsizetype local = bytes.indexOf("cbuttons.bmp") - 30 + 14;
  bytes[local] = char(bytes[local] ^ 0xFF);
  const qsizetype central = bytes.lastIndexOf("cbuttons.bmp") - 46 + 16;
  bytes[central] = char(bytes[central] ^ 0xFF);
  WriteFile(archive, bytes);

  SkinSet skin(temporary_);
  ASSERT_TRUE(skin.Load(archive));
  EXPECT_TRUE(boxes_.boxes.empty()) << Texts().join('|').toStdString();
  EXPECT_TRUE(skin.Bitmap(SLOT_CBUTTONS).isNull());
  EXPECT_EQ(skin.Bitmap(SLOT_MAIN), Decode(Source("main.bmp")));
  EXPECT_TRUE(SkinSet::IsValidSource(temporary_));
}

TEST_F(SkinArchiveTest, PackagesKeepTheirOwnRules) {
  // The same entries in a ".qsk" keep their folder, so the skin lacks its files; an
  // upper-case ".QSK" is no package and a ".wsz" in any case is an archive.
  const QString package = skins_ + "/Nested.qsk";
  ASSERT_TRUE(WriteZip(package, Entries([](const QString& n) { return "My Skin\\" + n.toUtf8(); })));
  SkinSet skin(temporary_);
  ASSERT_TRUE(skin.Load(package));
  EXPECT_TRUE(skin.Bitmap(SLOT_MAIN).isNull());
  EXPECT_TRUE(QFile::exists(temporary_ + "/My Skin/main.bmp"));
  EXPECT_FALSE(SkinSet::IsPackagePath("x.QSK"));
  EXPECT_TRUE(SkinArchive::IsArchivePath("x.wSz"));
  EXPECT_FALSE(SkinArchive::IsArchivePath("x.wsz.bak"));
}

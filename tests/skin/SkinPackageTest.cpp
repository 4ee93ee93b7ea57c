#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/RecordingMessageBoxes.h"
#include "SkinTestFiles.h"
#include "skin/SkinPackages.h"
#include "skin/SkinSet.h"
#include "skin/SkinUnpacker.h"

using namespace SkinTest;

namespace {

class SkinPackageTest : public ::testing::Test {
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
  QStringList Files(const QString& folder) const { return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name); }

  QTemporaryDir dir_;
  QString skins_, temporary_, source_;
  RecordingMessageBoxes boxes_;
};

}  // namespace

TEST_F(SkinPackageTest, ListingTakesFilesHoldingLowerCaseQsk) {
  EXPECT_TRUE(ListSkinPackages(skins_).empty());
  for (const char* name : {"Blue.qsk", "Blue.QSK", "Blue.qsk.bak", "Red.qsk", "notes.txt"}) WriteFile(skins_ + '/' + name, "x");
  QDir().mkdir(skins_ + "/X.qsk");
  const std::vector<SkinPackage> packages = ListSkinPackages(skins_);
  ASSERT_EQ(packages.size(), 3u);
  EXPECT_EQ(packages[0].label, "Blue");
  EXPECT_EQ(packages[0].path, skins_ + "/Blue.qsk");
  EXPECT_EQ(packages[0].command, SKIN_FIRST_COMMAND);
  EXPECT_EQ(packages[1].label, "Blue.qsk");  // the last four characters go, wherever ".qsk" was
  EXPECT_EQ(packages[2].label, "Red");
  EXPECT_EQ(packages[2].command, SKIN_FIRST_COMMAND + 2);
  EXPECT_TRUE(ListSkinPackages(dir_.path() + "/none").empty());

  // "Blue.qsk.bak" is taken for a folder, which is refused: the old skin stays.
  SkinSet skin(temporary_);
  ASSERT_TRUE(skin.Load(source_));
  EXPECT_FALSE(skin.Load(packages[1].path));
  EXPECT_FALSE(skin.Bitmap(SLOT_MAIN).isNull());
}

TEST_F(SkinPackageTest, OnlyTheFirst255PackagesAnswerTheirCommands) {
  QStringList paths;
  for (int i = 0; i < 300; ++i) paths << QString("p%1").arg(i);
  EXPECT_EQ(SkinPackageForCommand(paths, SKIN_BASE_COMMAND), QString());
  EXPECT_EQ(SkinPackageForCommand(paths, SKIN_FIRST_COMMAND), "p0");
  EXPECT_EQ(SkinPackageForCommand(paths, SKIN_COMMAND_END - 1), "p254");
  EXPECT_EQ(SkinPackageForCommand(paths, SKIN_COMMAND_END), QString());
  EXPECT_EQ(SkinPackageForCommand(paths.mid(0, 3), SKIN_FIRST_COMMAND + 3), QString());
}

TEST_F(SkinPackageTest, LoadingAPackageReplacesTheTemporaryFolder) {
  const QString package = skins_ + "/Blue.qsk";
  ASSERT_TRUE(WriteZip(package, SkinEntries(source_)));
  QDir().mkpath(temporary_ + "/old");
  WriteFile(temporary_ + "/old/keep.bmp", "x");
  WriteFile(temporary_ + "/stale.bmp", "x");

  SkinSet skin(temporary_);
  ASSERT_TRUE(skin.Load(package));
  EXPECT_TRUE(boxes_.boxes.empty()) << Texts().join('|').toStdString();
  EXPECT_FALSE(QFile::exists(temporary_ + "/stale.bmp"));
  EXPECT_TRUE(QFileInfo(temporary_ + "/old").isDir());  // subfolders survive, emptied of files
  EXPECT_TRUE(QFile::exists(temporary_ + "/old/keep.bmp"));
  EXPECT_EQ(ReadFile(temporary_ + "/main.bmp"), ReadFile(source_ + "/main.bmp"));
  EXPECT_EQ(skin.Bitmap(SLOT_MAIN), Decode(ReadFile(source_ + "/main.bmp")));
  EXPECT_EQ(skin.NormalText(), MakeColour(0x11, 0x22, 0x33));

  // Chosen again, it is unpacked from scratch.
  WriteFile(temporary_ + "/main.bmp", "spoilt");
  WriteFile(temporary_ + "/extra.txt", "x");
  ASSERT_TRUE(skin.Load(package));
  EXPECT_FALSE(QFile::exists(temporary_ + "/extra.txt"));
  EXPECT_FALSE(skin.Bitmap(SLOT_MAIN).isNull());
}

TEST_F(SkinPackageTest, APackagePathTooLongForItsBufferIsRefusedBeforeAnythingChanges) {
  WriteSkinFolder(temporary_);
  SkinSet skin(temporary_);
  ASSERT_TRUE(skin.Load(temporary_));
  const QString package = skins_ + '/' + QString(255 - skins_.size(), 'p') + ".qsk";  // 256 bytes and more
  ASSERT_TRUE(WriteZip(dir_.path() + "/short.qsk", SkinEntries(source_)));
  QFile::link(dir_.path() + "/short.qsk", package);
  EXPECT_FALSE(skin.Load(package));
  EXPECT_TRUE(SkinSet::IsValidSource(temporary_));
  EXPECT_FALSE(skin.Bitmap(SLOT_MAIN).isNull());
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(SkinPackageTest, APackageWithAFolderUnpacksIntoThatSubfolder) {
  const QString package = skins_ + "/Nested.qsk";
  std::vector<ZipEntry> entries = {{"nested/", {}}};
  for (ZipEntry& e : SkinEntries(source_, "nested/")) entries.push_back(e);
  ASSERT_TRUE(WriteZip(package, entries));
  SkinSet skin(temporary_);
  ASSERT_TRUE(skin.Load(package));
  EXPECT_TRUE(QFile::exists(temporary_ + "/nested/main.bmp"));
  for (const QImage& bitmap : skin.Bitmaps()) EXPECT_TRUE(bitmap.isNull());
  EXPECT_FALSE(SkinSet::IsValidSource(temporary_));
}

TEST_F(SkinPackageTest, APackageRemovedAfterListingEmptiesTheSkin) {
  SkinSet skin(temporary_);
  WriteSkinFolder(temporary_, "[Text]\nNormal=#445566\n");
  ASSERT_TRUE(skin.Load(temporary_));
  const QString package = skins_ + "/Gone.qsk";
  EXPECT_TRUE(skin.Load(package));  // still loads, with nothing to load
  ASSERT_EQ(Texts(), QStringList{"Cannot open " + package + "/" + package});
  EXPECT_FALSE(QFileInfo::exists(temporary_));
  for (const QImage& bitmap : skin.Bitmaps()) EXPECT_TRUE(bitmap.isNull());
  EXPECT_EQ(skin.NormalText(), MakeColour(0x44, 0x55, 0x66));
  EXPECT_FALSE(SkinSet(temporary_).Load(temporary_));  // the next start shows "Load Fail!"

  WriteFile(package, "PK this is no zip");
  SkinUnpacker unpacker;
  EXPECT_FALSE(unpacker.Unpack(package, temporary_));
}

TEST_F(SkinPackageTest, EntryNamesUpTo255BytesAreExtractedLongerOnesRefused) {
  const QByteArray longest(255, 'n');
  const QByteArray tooLong = "dir/" + QByteArray(252, 'm');
  const QString package = skins_ + "/Names.qsk";
  ASSERT_TRUE(WriteZip(package, {{longest, "a"}, {tooLong, "b"}, {"after.txt", "c"}}));
  SkinUnpacker unpacker;
  ASSERT_TRUE(unpacker.Unpack(package, temporary_));
  EXPECT_EQ(ReadFile(temporary_ + '/' + QString::fromLatin1(longest)), "a");
  EXPECT_FALSE(QFileInfo::exists(temporary_ + "/dir"));
  EXPECT_EQ(ReadFile(temporary_ + "/after.txt"), "c");
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_TRUE(Texts()[0].startsWith("error opening dir/"));
}

TEST_F(SkinPackageTest, EntriesNeverLeaveTheDestination) {
  const QString package = skins_ + "/Slip.qsk";
  const QString outside = dir_.path() + "/outside";
  ASSERT_TRUE(WriteZip(package, {{"../outside/up.txt", "x"},
                                 {(dir_.path() + "/outside/absolute.txt").toUtf8(), "x"},
                                 {"sub/../../outside/climb.txt", "x"},
                                 {"..\\outside\\back.txt", "x"},
                                 {"../outside/", {}},
                                 {"link.bmp", (dir_.path() + "/outside/target").toUtf8(), S_IFLNK | 0777},
                                 {"good/ok.txt", "fine", S_IFREG | 0644}}));
  QDir().mkpath(outside);
  SkinUnpacker unpacker;
  ASSERT_TRUE(unpacker.Unpack(package, temporary_));
  EXPECT_EQ(Files(outside), QStringList());
  EXPECT_EQ(Files(temporary_), QStringList{"good"});
  EXPECT_EQ(ReadFile(temporary_ + "/good/ok.txt"), "fine");
  EXPECT_EQ(boxes_.boxes.size(), 5u) << Texts().join('|').toStdString();
  for (const QString& text : Texts()) EXPECT_TRUE(text.startsWith("error opening ")) << text.toStdString();
  EXPECT_TRUE(Texts().contains("error opening ..\\outside\\back.txt\n"));  // the name as stored

  // A link placed in the destination by someone else is not written through.
  ASSERT_EQ(::symlink(QFile::encodeName(outside).constData(), QFile::encodeName(temporary_ + "/good/via").constData()), 0);
  ASSERT_EQ(::symlink(QFile::encodeName(outside + "/file").constData(), QFile::encodeName(temporary_ + "/good/file.txt").constData()), 0);
  ASSERT_TRUE(WriteZip(package, {{"good/via/x.txt", "x"}, {"good/file.txt", "x"}}));
  ASSERT_TRUE(unpacker.Unpack(package, temporary_));
  EXPECT_EQ(Files(outside), QStringList());
}

TEST_F(SkinPackageTest, OversizedEntriesAreRefusedWithoutFillingTheDisk) {
  const QByteArray zeros(SkinUnpacker::kMaxEntrySize + 1, '\0');
  const QString package = skins_ + "/Bomb.qsk";
  // An honest header, then one that claims 100 bytes for the same data.
  ASSERT_TRUE(WriteZip(package, {{"big.bmp", zeros}, {"main.bmp", "small"}, {"liar.bmp", zeros, 0, 100}}));
  ASSERT_LT(QFileInfo(package).size(), 1024 * 1024);
  testing::internal::CaptureStdout();
  SkinUnpacker unpacker;
  ASSERT_TRUE(unpacker.Unpack(package, temporary_));
  // The liar yields no more than it claimed, and its checksum then fails.
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "error -105 with zipfile in unzCloseCurrentFile\n");
  EXPECT_EQ(Files(temporary_), (QStringList{"liar.bmp", "main.bmp"}));
  EXPECT_LE(QFileInfo(temporary_ + "/liar.bmp").size(), 100);
  EXPECT_EQ(Texts(), QStringList{"error opening big.bmp\n"});
}

TEST_F(SkinPackageTest, ADamagedEntryStopsTheExtraction) {
  const QString package = skins_ + "/Damaged.qsk";
  ASSERT_TRUE(WriteZip(package, {{"a.txt", QByteArray(1000, 'a')}, {"b.txt", QByteArray(1000, 'b')}, {"c.txt", "c"}}));
  QByteArray bytes = ReadFile(package);
  // Both copies of b.txt's CRC (local header and central directory) agree on a wrong value.
  const qsizetype local = bytes.indexOf("b.txt") - 30 + 14;
  bytes[local] = char(bytes[local] ^ 0xFF);
  const qsizetype central = bytes.lastIndexOf("b.txt") - 46 + 16;
  bytes[central] = char(bytes[central] ^ 0xFF);
  WriteFile(package, bytes);

  testing::internal::CaptureStdout();
  SkinUnpacker unpacker;
  ASSERT_TRUE(unpacker.Unpack(package, temporary_));
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, "error -105 with zipfile in unzCloseCurrentFile\n");
  EXPECT_TRUE(QFile::exists(temporary_ + "/a.txt"));
  EXPECT_FALSE(QFile::exists(temporary_ + "/c.txt"));  // stopped at b.txt
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST(SkinFolders, MakeFolderPathCreatesEveryLevelAndDeleteFolderFilesKeepsSubfolders) {
  QTemporaryDir dir;
  const QString deep = dir.path() + "/a/b/c";
  EXPECT_TRUE(MakeFolderPath(deep));
  EXPECT_TRUE(MakeFolderPath(deep));
  WriteFile(dir.path() + "/a/b/file", "x");
  EXPECT_FALSE(MakeFolderPath(dir.path() + "/a/b/file/d"));

  WriteFile(deep + "/x.bmp", "x");
  DeleteFolderFiles(dir.path() + "/a/b");
  EXPECT_FALSE(QFile::exists(dir.path() + "/a/b/file"));
  EXPECT_TRUE(QFile::exists(deep + "/x.bmp"));
  EXPECT_TRUE(QFileInfo(dir.path() + "/a/b").isDir());
  DeleteFolderFiles(deep);
  EXPECT_FALSE(QFileInfo::exists(deep));
}

TEST_F(SkinPackageTest, HostilePackagesAreUnpackedWithinBounds) {
  // Ten thousand entries: the first kMaxEntries are extracted, with one message.
  std::vector<ZipEntry> many;
  for (int i = 0; i < 10000; ++i) many.push_back({QString("f%1.bmp").arg(i, 5, 10, QChar('0')).toUtf8(), "x"});
  const QString package = skins_ + "/Many.qsk";
  ASSERT_TRUE(WriteZip(package, many));
  SkinUnpacker unpacker;
  ASSERT_TRUE(unpacker.Unpack(package, temporary_));
  EXPECT_EQ(size_t(Files(temporary_).size()), SkinUnpacker::kMaxEntries);
  EXPECT_EQ(Texts(), QStringList{"error: more than 1024 entries in zipfile\n"});

  // Folders nested 200 deep: names longer than an entry name may be are refused,
  // so nothing below the 128th level is created.
  QByteArray deep;
  std::vector<ZipEntry> nested;
  for (int level = 0; level < 200; ++level) {
    deep += "d/";
    nested.push_back({deep, {}});
  }
  nested.push_back({deep + "main.bmp", "x"});
  const QString deepPackage = skins_ + "/Deep.qsk";
  ASSERT_TRUE(WriteZip(deepPackage, nested));
  const QString deepTarget = dir_.path() + "/deep";
  boxes_.boxes.clear();
  ASSERT_TRUE(unpacker.Unpack(deepPackage, deepTarget));
  int depth = 0;
  for (QString folder = deepTarget + "/d"; QFileInfo(folder).isDir(); folder += "/d") ++depth;
  EXPECT_LE(depth, 128);
  EXPECT_GT(depth, 100);  // the levels whose names fit are made
  // The file's name does not fit either: it is refused, silently, as its cut name
  // reads as a folder.
  EXPECT_TRUE(QDir(deepTarget).entryList(QDir::Files).isEmpty());
  EXPECT_LE(Texts().size(), 1);
}

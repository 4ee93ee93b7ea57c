#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "SkinTestFiles.h"
#include "app/MainWindow.h"
#include "support/RecordingMessageBoxes.h"

using namespace SkinTest;

namespace {

class SkinStartupTest : public ::testing::Test {
 protected:
  void SetUp() override { qputenv("TARNELLO_HOME", home_.path().toUtf8()); }
  void TearDown() override { qunsetenv("TARNELLO_HOME"); }
  int Count(const QString& text) const {
    int n = 0;
    for (const auto& box : boxes_.boxes) n += box.text == text;
    return n;
  }
  QTemporaryDir home_;
  RecordingMessageBoxes boxes_;
};

}  // namespace

TEST_F(SkinStartupTest, AnEmptyTemporaryFolderShowsLoadFailAndGoesOn) {
  QDir().mkpath(home_.path() + "/Skins/Temporary");
  MainWindow window;
  ASSERT_TRUE(window.Create("Tarnello"));
  EXPECT_EQ(Count("Load Fail!"), 1);
  EXPECT_EQ(Count("Option read fail!"), 1);
  for (const QImage& bitmap : window.Skin().Bitmaps()) EXPECT_TRUE(bitmap.isNull());
  EXPECT_EQ(window.Skin().Folder(), home_.path() + "/Skins/Temporary");
}

TEST_F(SkinStartupTest, TheLastUnpackedSkinLoadsAndPackagesAreChosenFromTheList) {
  const QString skins = home_.path() + "/Skins";
  WriteSkinFolder(skins + "/Temporary", "[Text]\nNormal=#010203\n");
  const QString source = home_.path() + "/source";
  WriteSkinFolder(source, "[Text]\nNormal=#0a0b0c\n");
  ASSERT_TRUE(WriteZip(skins + "/Blue.qsk", SkinEntries(source)));
  WriteFile(skins + "/Blue.qsk.bak", "x");

  MainWindow window;
  ASSERT_TRUE(window.Create("Tarnello"));
  EXPECT_EQ(Count("Load Fail!"), 0);
  EXPECT_EQ(window.Skin().NormalText(), MakeColour(1, 2, 3));

  const std::vector<SkinPackage> packages = window.RefreshSkinPackages();
  ASSERT_EQ(packages.size(), 2u);
  window.ChooseSkin(packages[1].command);  // "Blue.qsk.bak": not a package, not a skin folder
  EXPECT_EQ(Count("qsk load Fail!"), 1);
  EXPECT_EQ(window.Skin().NormalText(), MakeColour(1, 2, 3));
  window.ChooseSkin(packages[0].command);
  EXPECT_EQ(Count("qsk load Fail!"), 1);
  EXPECT_EQ(window.Skin().NormalText(), MakeColour(10, 11, 12));
  EXPECT_FALSE(window.Skin().Bitmap(SLOT_MAIN).isNull());
}

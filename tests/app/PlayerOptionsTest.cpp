// Option values as a hostile or stale "tarnello.txt" gives them, and the
// first-start options fitted to a dense desktop.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/FirstStart.h"
#include "settings/Options.h"
#include "settings/SettingsFile.h"

namespace {
SettingsFile Store(const QByteArray& text) {
  QTemporaryDir dir;
  QFile file(dir.filePath("tarnello.txt"));
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
  file.close();
  SettingsFile store;
  EXPECT_EQ(1, store.LoadFromFile(file.fileName()));
  return store;
}

int Read(const SettingsFile& s, const char* key) { return Options::ReadInt(s, key, -99999); }

const QByteArray kShipped =
    "[tarnello]\nEQ_x=0\nEQ_y=142\nEQ_width=275\nEQ_height=116\nPL_x=0\nPL_y=258\nPL_width=275\n"
    "PL_height=232\nMain_x=0\nMain_y=26\nScale=100\nWholeList=1\nFirstStart=1\n";
}  // namespace

TEST(PlayerOptions, ScalesTakeTheNearestDrawnScale) {
  for (int scale : Options::kScales) EXPECT_EQ(Options::NearestScale(scale), scale);
  EXPECT_EQ(Options::NearestScale(1), 50);
  EXPECT_EQ(Options::NearestScale(49), 50);
  EXPECT_EQ(Options::NearestScale(62), 50);
  EXPECT_EQ(Options::NearestScale(63), 75);
  EXPECT_EQ(Options::NearestScale(94), 100);  // halfway: the larger
  EXPECT_EQ(Options::NearestScale(125), 150);
  EXPECT_EQ(Options::NearestScale(201), 200);
  EXPECT_EQ(Options::NearestScale(2147483647), 200);
  // No scale at all (a value that is not a number reads as 0) is the default.
  EXPECT_EQ(Options::NearestScale(0), 100);
  EXPECT_EQ(Options::NearestScale(-2147483647 - 1), 100);
}

TEST(PlayerOptions, WindowPlacesAndSizesStayWhereAScreenCanShowThem) {
  EXPECT_EQ(Options::BoundSize(2147483647, 275, 1920), 1920);
  EXPECT_EQ(Options::BoundSize(1, 100, 1080), 100);
  EXPECT_EQ(Options::BoundSize(-5, 100, 1080), 100);
  EXPECT_EQ(Options::BoundSize(500, 100, 1080), 500);
  // The minimum wins on a screen smaller than it.
  EXPECT_EQ(Options::BoundSize(300, 550, 320), 550);
  // No screen to measure: kept within the coordinates a window system takes.
  EXPECT_EQ(Options::BoundSize(2147483647, 1, 0), Options::kMaxCoordinate);
  EXPECT_EQ(Options::BoundCoordinate(2147483647), Options::kMaxCoordinate);
  EXPECT_EQ(Options::BoundCoordinate(-2147483647 - 1), -Options::kMaxCoordinate);
  EXPECT_EQ(Options::BoundCoordinate(-40), -40);
}

TEST(FirstStartOptions, EachSignalOfADenseDesktopCounts) {
  using Platform::DesktopDensity;
  EXPECT_FALSE(FirstStart::IsHighDensity(DesktopDensity{}));
  EXPECT_FALSE(FirstStart::IsHighDensity(DesktopDensity{1.5, 1, 96, 110}));
  EXPECT_TRUE(FirstStart::IsHighDensity(DesktopDensity{2, 0, 96, 96}));
  EXPECT_TRUE(FirstStart::IsHighDensity(DesktopDensity{0, 2, 96, 96}));
  EXPECT_TRUE(FirstStart::IsHighDensity(DesktopDensity{0, 0, 168, 96}));
  EXPECT_FALSE(FirstStart::IsHighDensity(DesktopDensity{0, 0, 167, 96}));
  EXPECT_TRUE(FirstStart::IsHighDensity(DesktopDensity{0, 0, 96, 192}));
  // A screen that claims a few millimetres is not a dense one.
  EXPECT_FALSE(FirstStart::IsHighDensity(DesktopDensity{0, 0, 96, 25000}));
}

TEST(FirstStartOptions, ShippedOptionsOnADenseDesktopStartAtScale200StillDocked) {
  SettingsFile s = Store(kShipped);
  EXPECT_TRUE(FirstStart::FitShippedOptions(s, true));
  EXPECT_EQ(Read(s, "Scale"), 200);
  EXPECT_EQ(Read(s, "FirstStart"), 0);
  EXPECT_EQ(Read(s, "WholeList"), 1);
  // The main window is 116 high at 100: the equalizer and editor stay under it at 200.
  EXPECT_EQ(Read(s, "EQ_y"), 26 + 232);
  EXPECT_EQ(Read(s, "PL_y"), 26 + 464);
  EXPECT_EQ(Read(s, "PL_width"), 550);
  EXPECT_EQ(Read(s, "PL_height"), 464);
  EXPECT_EQ(Read(s, "EQ_x"), 0);
  // Once fitted, the options are read as they are: the next start changes nothing.
  const QStringList fitted = s.Lines();
  EXPECT_FALSE(FirstStart::FitShippedOptions(s, true));
  EXPECT_EQ(s.Lines(), fitted);
}

TEST(FirstStartOptions, OnlyShippedOptionsOnADenseDesktopChange) {
  // An ordinary desktop: the shipped layout as it is, the key consumed.
  SettingsFile plain = Store(kShipped);
  EXPECT_TRUE(FirstStart::FitShippedOptions(plain, false));
  EXPECT_EQ(Read(plain, "Scale"), 100);
  EXPECT_EQ(Read(plain, "PL_y"), 258);
  EXPECT_EQ(Read(plain, "FirstStart"), 0);

  // Options a player wrote (no key, or the key at 0) are never touched.
  for (const QByteArray& text : {QByteArray("[tarnello]\nScale=100\nPL_y=258\n"),
                                 QByteArray("[tarnello]\nScale=100\nFirstStart=0\n"), QByteArray()}) {
    SettingsFile s = Store(text);
    const QStringList before = s.Lines();
    EXPECT_FALSE(FirstStart::FitShippedOptions(s, true));
    EXPECT_EQ(s.Lines(), before);
  }
}

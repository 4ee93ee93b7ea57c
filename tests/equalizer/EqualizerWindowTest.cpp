// The equalizer window: its first start, when its settings reach the plug-in,
// presets, docking, scaling and what it keeps in the settings store.
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "SkinControlTestSupport.h"
#include "equalizer/EqPresets.h"
#include "equalizer/EqualizerDock.h"
#include "equalizer/EqualizerWindow.h"
#include "equalizer/PresetDialog.h"
#include "playback/PluginManager.h"
#include "settings/SettingsFile.h"
#include "skin/Scale.h"
#include "skin/SkinSet.h"

using namespace SkinTest;

namespace {
int chosenPreset = -1;
int ChooseForTest(QWidget*) { return chosenPreset; }

class EqualizerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(root_.isValid());
    QDir(root_.path()).mkpath("Plugins");
    QDir(root_.path()).mkpath("control");
    control_ = root_.path() + "/control";
    qputenv("TARNELLO_TEST_PLUGIN_DIR", control_.toUtf8());
    ASSERT_TRUE(QFile::copy(TEST_PLUGIN, root_.path() + "/Plugins/a.so"));
    plugins_ = std::make_unique<PluginManager>(nullptr, root_.path() + "/Plugins");
    plugins_->LoadAll();
    // A current plug-in, as after a track started.
    ASSERT_EQ(plugins_->PlayFile("x.tst"), 0);
    skin_.Load(TestSkinFolder());
    SetPresetChooser(ChooseForTest);
    chosenPreset = -1;
  }
  void TearDown() override {
    window_.reset();
    SetPresetChooser(nullptr);
    plugins_.reset();
    qunsetenv("TARNELLO_TEST_PLUGIN_DIR");
  }

  EqualizerWindow& Create() {
    window_ = std::make_unique<EqualizerWindow>();
    EXPECT_TRUE(window_->Create(
        skin_, [this](int enabled, const int16_t* bands, int preamp) { plugins_->ApplyEqualizer(enabled, bands, preamp); },
        settings_, nullptr));
    window_->Show();
    QCoreApplication::processEvents();
    QFile::remove(control_ + "/log.txt");
    return *window_;
  }
  void Set(const QString& key, const QString& value) { settings_.WriteString("tarnello", key, value); }
  // The equalizer calls the plug-in got since the window was created.
  QStringList Applied() {
    QFile f(control_ + "/log.txt");
    QStringList out;
    if (!f.open(QIODevice::ReadOnly)) return out;
    for (const QString& line : QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts))
      if (line.contains("applyEqualizer")) out << line.section(' ', 2);
    return out;
  }
  void Click(Window& w) {
    Press(w, {2, 2});
    Release(w, {2, 2});
    DeliverPosted();
  }

  QTemporaryDir root_;
  QString control_;
  std::unique_ptr<PluginManager> plugins_;
  SkinSet skin_{QString()};
  SettingsFile settings_;
  std::unique_ptr<EqualizerWindow> window_;
};

TEST_F(EqualizerTest, AFirstStartIsFlatOffAndAt0x100) {
  EqualizerWindow& eq = Create();
  EXPECT_EQ(eq.GetWindowRect(), Rect::FromSize(0, 100, 275, 116));
  EXPECT_EQ(eq.OnSwitch().GetState(), 0);
  EXPECT_EQ(eq.AutoSwitch().GetState(), 0);
  const EqualizerState state = eq.GetEqualizer();
  EXPECT_EQ(state.enabled, 0);
  EXPECT_EQ(state.preamp, 31);
  for (int16_t band : state.bands) EXPECT_EQ(band, 31);
}

TEST_F(EqualizerTest, StoredValuesAreReadClampedAndWrittenBackInOrder) {
  Set("EQ_x", "5");
  Set("EQOn", "3");
  Set("EQPreset", "99");
  Set("EQ3", "-4");
  Set("EQ9", "12");
  EqualizerWindow& eq = Create();
  EXPECT_EQ(eq.OnSwitch().GetState(), 1);
  EXPECT_EQ(eq.Preamp().GetPosition(), 63);
  EXPECT_EQ(eq.Band(3).GetPosition(), 0);
  EXPECT_EQ(eq.Band(9).GetPosition(), 12);
  eq.Close();
  QStringList keys;
  for (const QString& line : settings_.Lines()) keys << line.section('=', 0, 0);
  EXPECT_EQ(keys, (QStringList{"[tarnello]", "EQ_x", "EQOn", "EQPreset", "EQ3", "EQ9", "EQ_Visible", "EQ_y",
                               "EQ_width", "EQ_height", "EQAuto", "EQ0", "EQ1", "EQ2", "EQ4", "EQ5", "EQ6", "EQ7",
                               "EQ8"}));
  QString value;
  settings_.GetString("tarnello", "EQ_Visible", "", value);
  EXPECT_EQ(value, "1");
  settings_.GetString("tarnello", "EQOn", "", value);
  EXPECT_EQ(value, "1");
  settings_.GetString("tarnello", "EQPreset", "", value);
  EXPECT_EQ(value, "63");
}

TEST_F(EqualizerTest, SettingsReachThePluginOnlyWhenTheyTakeEffect) {
  EqualizerWindow& eq = Create();
  // Switch off: releasing the preamp or a band sends nothing, moving never does.
  Press(eq.Preamp(), {7, 5});
  Move(eq.Preamp(), {7, 10});
  Release(eq.Preamp(), {7, 10});
  DeliverPosted();
  EXPECT_TRUE(Applied().isEmpty());
  const int preamp = eq.Preamp().GetPosition();
  EXPECT_LT(preamp, 31);

  // Switching on sends the current values once, with the switch's state.
  Click(eq.OnSwitch());
  EXPECT_EQ(Applied(), QStringList{QString("1 31,31,31,31,31,31,31,31,31,31 %1").arg(preamp)});

  // A band released while on: enabled 1 with the ten bands and the preamp.
  Press(eq.Band(0), {7, 60});
  Move(eq.Band(0), {7, 63});
  Release(eq.Band(0), {7, 63});
  DeliverPosted();
  ASSERT_EQ(Applied().size(), 2);
  EXPECT_EQ(Applied().last(), QString("1 63,31,31,31,31,31,31,31,31,31 %1").arg(preamp));

  // The auto switch only flips itself; switching off sends enabled 0.
  Click(eq.AutoSwitch());
  EXPECT_EQ(eq.AutoSwitch().GetState(), 1);
  EXPECT_EQ(Applied().size(), 2);
  Click(eq.OnSwitch());
  EXPECT_EQ(Applied().last(), QString("0 63,31,31,31,31,31,31,31,31,31 %1").arg(preamp));
}

TEST_F(EqualizerTest, APresetSetsTheBandsAndKeepsThePreamp) {
  Set("EQPreset", "20");
  EqualizerWindow& eq = Create();
  chosenPreset = 5;  // "Full Treble"
  ASSERT_STREQ(EqPresets()[5].name, "Full Treble");
  Click(eq.PresetsButton());
  EXPECT_EQ(eq.Band(9).GetPosition(), 3);
  EXPECT_EQ(eq.Band(0).GetPosition(), 48);
  EXPECT_EQ(eq.Preamp().GetPosition(), 20);
  // The switch is off: the plug-in still gets the values, with enabled 0.
  EXPECT_EQ(Applied(), QStringList{"0 48,48,48,39,26,13,5,5,5,3 20"});

  // No preset chosen: nothing changes, nothing is sent.
  chosenPreset = -1;
  Click(eq.PresetsButton());
  EXPECT_EQ(Applied().size(), 1);
  EXPECT_EQ(eq.Band(9).GetPosition(), 3);
}

TEST_F(EqualizerTest, ThePlayersStateHoldsWhatANewTrackGetsAfterEveryChange) {
  Set("EQ2", "40");
  EqualizerWindow& eq = Create();
  PlayerState state;
  eq.ShareState(state);
  EXPECT_EQ(state.Equalizer(), eq.GetEqualizer());
  EXPECT_EQ(state.Equalizer().bands[2], 40);

  // A band being dragged with the switch off: nothing is applied, but a track
  // started now gets where the band is.
  Press(eq.Band(0), {7, 60});
  Move(eq.Band(0), {7, 63});
  DeliverPosted();
  EXPECT_EQ(state.Equalizer().bands[0], 63);
  Move(eq.Band(0), {7, 2});
  Release(eq.Band(0), {7, 2});
  DeliverPosted();
  EXPECT_EQ(state.Equalizer(), eq.GetEqualizer());
  EXPECT_LT(state.Equalizer().bands[0], 63);

  Click(eq.OnSwitch());
  EXPECT_EQ(state.Equalizer().enabled, 1);
  chosenPreset = 5;
  Click(eq.PresetsButton());
  EXPECT_EQ(state.Equalizer().bands[9], 3);
  EXPECT_EQ(state.Equalizer(), eq.GetEqualizer());
}

TEST_F(EqualizerTest, ThePresetDialogListsTheSeventeenWithNothingSelected) {
  PresetDialog dialog;
  EXPECT_EQ(dialog.windowTitle(), "Load EQ Preset");
  ASSERT_EQ(dialog.List()->count(), 17);
  for (int i = 0; i < 17; ++i) EXPECT_EQ(dialog.List()->item(i)->text(), EqPresets()[size_t(i)].name);
  EXPECT_EQ(dialog.List()->item(6)->text(), "Laptop speakers/headphones");
  dialog.show();
  dialog.List()->setFocus();
  QCoreApplication::processEvents();
  // Taking the focus makes a row current but selects nothing.
  EXPECT_EQ(dialog.SelectedIndex(), -1);
  dialog.List()->item(12)->setSelected(true);
  EXPECT_EQ(dialog.SelectedIndex(), 12);
}

TEST_F(EqualizerTest, HalfScaleHalvesTheWindowAndItsSliders) {
  EqualizerWindow& eq = Create();
  eq.SetScale(50);
  EXPECT_EQ(eq.GetWindowRect(), Rect::FromSize(0, 100, 138, 58));
  const QRect band = eq.Band(4).Widget()->geometry();
  EXPECT_EQ(band, QRect(ScaleControl(50, 78 + 18 * 4), 19, 7, 32));
  EXPECT_EQ(eq.Band(4).ValueToThumb(0).Width(), 6);
  eq.SetScale(150);
  EXPECT_EQ(eq.GetWindowRect().Width(), 413);
  EXPECT_EQ(eq.PresetsButton().Widget()->geometry(), QRect(326, 27, 66, 18));
}

TEST_F(EqualizerTest, SkinPicturesFollowTheSwitchesAndSliders) {
  const SkinMap map = LoadTestSkinMap();
  EqualizerWindow& eq = Create();
  QImage image = eq.Widget()->grab().toImage();
  EXPECT_EQ(PixelAt(image, 5, 60), map.Colour("eqmain.background"));
  EXPECT_EQ(PixelAt(image, 14 + 12, 18 + 6), map.Colour("eqmain.on.off"));
  Click(eq.OnSwitch());
  image = eq.Widget()->grab().toImage();
  EXPECT_EQ(PixelAt(image, 14 + 12, 18 + 6), map.Colour("eqmain.on.on"));
  // The thumb of a band in the middle sits halfway down its slider.
  EXPECT_EQ(PixelAt(image, 78 + 7, 38 + 26 + 5), map.Colour("eqmain.thumb"));
}

TEST(EqualizerDock, SnapsToEdgesAndDocksUnderTheOtherWindows) {
  const Rect main = Rect::FromSize(100, 26, 275, 116);
  const Rect start = Rect::FromSize(500, 400, 275, 116);
  // Within 9 pixels of the main window's lower left corner: docked there.
  EqualizerDrop d = DropEqualizer(start, Rect::FromSize(109, 151, 275, 116), main, std::nullopt, 1024, 768);
  EXPECT_EQ(d.equalizer, Rect::FromSize(100, 142, 275, 116));
  d = DropEqualizer(start, Rect::FromSize(110, 151, 275, 116), main, std::nullopt, 1024, 768);
  EXPECT_EQ(d.equalizer, Rect::FromSize(110, 151, 275, 116));
  // Screen edges.
  d = DropEqualizer(start, Rect::FromSize(-9, 5, 275, 116), main, std::nullopt, 1024, 768);
  EXPECT_EQ(d.equalizer, Rect::FromSize(0, 0, 275, 116));
  d = DropEqualizer(start, Rect::FromSize(1024 - 275 + 9, 768 - 116 - 9, 275, 116), main, std::nullopt, 1024, 768);
  EXPECT_EQ(d.equalizer, Rect::FromSize(1024 - 275, 768 - 116, 275, 116));

  // A playlist editor docked under the equalizer moves along; released near the
  // editor's lower left corner, the equalizer docks under it.
  const Rect playlist = Rect::FromSize(500, 516, 275, 200);
  d = DropEqualizer(start, Rect::FromSize(300, 300, 275, 116), main, playlist, 1024, 768);
  ASSERT_TRUE(d.playlist);
  EXPECT_EQ(*d.playlist, Rect::FromSize(300, 416, 275, 200));
  const Rect apart = Rect::FromSize(20, 300, 275, 200);
  d = DropEqualizer(start, Rect::FromSize(25, 505, 275, 116), main, apart, 1024, 768);
  EXPECT_FALSE(d.playlist);
  EXPECT_EQ(d.equalizer, Rect::FromSize(20, 500, 275, 116));
}

}  // namespace

// The base of the three skinned windows: where the options keep each window,
// how a stored place is kept on the desktop, sizing to a scale, and how the
// focus is shared between the player's windows.
#include <gtest/gtest.h>

#include <vector>

#include "settings/Options.h"
#include "settings/SettingsFile.h"
#include "skin/PlayerWindows.h"
#include "skin/SkinnedWindow.h"

namespace {
QString Value(const SettingsFile& s, const QString& key) {
  QString value;
  s.GetString(Options::kSection, key, QStringLiteral("<none>"), value);
  return value;
}

TEST(WindowPlacement, EachWindowHasItsOwnKeysAndDefaults) {
  const SettingsFile empty;
  EXPECT_EQ(Placement::Read(empty, kMainPlacement, 1920, 1080), Rect::FromSize(0, 26, 275, 116));
  EXPECT_EQ(Placement::Read(empty, kEqualizerPlacement, 1920, 1080), Rect::FromSize(0, 100, 275, 116));
  EXPECT_EQ(Placement::Read(empty, kPlaylistPlacement, 1920, 1080), Rect::FromSize(0, 100, 275, 100));
  EXPECT_EQ(kMainPlacement.Key("x"), QStringLiteral("Main_x"));
  EXPECT_EQ(kEqualizerPlacement.Key("height"), QStringLiteral("EQ_height"));
  EXPECT_EQ(kPlaylistPlacement.Key("Visible"), QStringLiteral("PL_Visible"));

  SettingsFile s;
  Options::WriteInt(s, "PL_x", 40);
  Options::WriteInt(s, "PL_y", -12);
  Options::WriteInt(s, "PL_width", 300);
  Options::WriteInt(s, "PL_height", 410);
  EXPECT_EQ(Placement::Read(s, kPlaylistPlacement, 1920, 1080), Rect::FromSize(40, -12, 300, 410));
  // The other windows do not read the editor's keys.
  EXPECT_EQ(Placement::Read(s, kEqualizerPlacement, 1920, 1080), Rect::FromSize(0, 100, 275, 116));
}

TEST(WindowPlacement, StoredPlaceIsKeptOnTheDesktop) {
  SettingsFile s;
  Options::WriteInt(s, "EQ_x", 99999);
  Options::WriteInt(s, "EQ_y", -99999);
  Options::WriteInt(s, "EQ_width", 50000);
  Options::WriteInt(s, "EQ_height", 0);
  const Rect r = Placement::Read(s, kEqualizerPlacement, 1920, 1080);
  EXPECT_EQ(r.left, Options::kMaxCoordinate);
  EXPECT_EQ(r.top, -Options::kMaxCoordinate);
  EXPECT_EQ(r.Width(), 1920);
  EXPECT_EQ(r.Height(), 1);
  // Without a screen to measure, the size is only kept within the coordinates.
  EXPECT_EQ(Placement::Read(s, kEqualizerPlacement, 0, 0).Width(), Options::kMaxCoordinate);
}

TEST(WindowPlacement, WrittenPlaceReadsBackAndOnlySecondaryWindowsKeepShown) {
  SettingsFile s;
  Placement::Write(s, kEqualizerPlacement, Rect::FromSize(10, 20, 137, 58), false);
  Placement::Write(s, kMainPlacement, Rect::FromSize(-5, 7, 550, 232), true);
  EXPECT_EQ(Placement::Read(s, kEqualizerPlacement, 1920, 1080), Rect::FromSize(10, 20, 137, 58));
  EXPECT_EQ(Placement::Read(s, kMainPlacement, 1920, 1080), Rect::FromSize(-5, 7, 550, 232));
  EXPECT_EQ(Value(s, "EQ_Visible"), QStringLiteral("0"));
  EXPECT_FALSE(Placement::ReadShown(s, kEqualizerPlacement));
  EXPECT_EQ(Value(s, "Main_Visible"), QStringLiteral("<none>"));
  // The shown flag leads the window's keys, as the options file has always had them.
  EXPECT_EQ(s.GetLine(0, Options::kSection), QStringLiteral("EQ_Visible=0"));
  EXPECT_EQ(s.GetLine(1, Options::kSection), QStringLiteral("EQ_x=10"));
}

TEST(WindowPlacement, WindowIsShownUnlessTheOptionsSayZero) {
  SettingsFile s;
  EXPECT_TRUE(Placement::ReadShown(s, kPlaylistPlacement));
  Options::WriteInt(s, "PL_Visible", 2);
  EXPECT_TRUE(Placement::ReadShown(s, kPlaylistPlacement));
  Options::WriteInt(s, "PL_Visible", 0);
  EXPECT_FALSE(Placement::ReadShown(s, kPlaylistPlacement));
}

// A skinned window that records its title-strip redraws, and a stand-in main
// window that records the focus messages it is sent.
class TestWindow : public SkinnedWindow {
 public:
  explicit TestWindow(const WindowPlacement& place) : SkinnedWindow(place) {}
  using SkinnedWindow::CreateSkinned;
  using SkinnedWindow::KeepScale;
  using SkinnedWindow::OnFocusGained;
  using SkinnedWindow::OnFocusLost;
  using SkinnedWindow::ReadPlacement;
  using SkinnedWindow::SizeToScale;
  using SkinnedWindow::WritePlacement;
  int titleRedraws = 0;

 protected:
  void RedrawTitleStrip() override { ++titleRedraws; }
};

class MessageRecorder : public Window {
 public:
  std::vector<uint32_t> heard;

 protected:
  intptr_t OnMessage(uint32_t m, uintptr_t w, intptr_t l) override {
    heard.push_back(m);
    return Window::OnMessage(m, w, l);
  }
};

TEST(SkinnedWindow, IsCreatedHiddenAndPlacedFromItsKeys) {
  SettingsFile s;
  Options::WriteInt(s, "EQ_x", 30);
  Options::WriteInt(s, "EQ_y", 40);
  TestWindow w(kEqualizerPlacement);
  ASSERT_TRUE(w.CreateSkinned("eq", 10006, nullptr));
  EXPECT_FALSE(w.IsVisible());
  w.ReadPlacement(s);
  EXPECT_EQ(w.GetWindowRect(), Rect::FromSize(30, 40, 275, 116));

  // Sized to the scale by the controls' rule, its corner kept: 275 x 116 at 50 %.
  w.KeepScale(50);
  w.SizeToScale(275, 116);
  EXPECT_EQ(w.GetScale(), 50);
  EXPECT_EQ(w.GetWindowRect(), Rect::FromSize(30, 40, 138, 58));

  SettingsFile out;
  w.WritePlacement(out);
  EXPECT_EQ(Value(out, "EQ_Visible"), QStringLiteral("0"));
  EXPECT_EQ(Placement::Read(out, kEqualizerPlacement, 1920, 1080), Rect::FromSize(30, 40, 138, 58));
}

TEST(SkinnedWindow, FocusMovingBetweenPlayerWindowsIsNotTheMainWindowsConcern) {
  MessageRecorder main;
  ASSERT_TRUE(main.CreateTopLevel("main", Rect::FromSize(0, 0, 50, 50), 1, nullptr, false));
  TestWindow eq(kEqualizerPlacement);
  TestWindow pl(kPlaylistPlacement);
  ASSERT_TRUE(eq.CreateSkinned("eq", 2, nullptr));
  ASSERT_TRUE(pl.CreateSkinned("pl", 3, nullptr));
  PlayerWindows::Publish(&main, &eq, &pl);

  eq.OnFocusGained();
  EXPECT_EQ(eq.titleRedraws, 1);
  eq.OnFocusLost(&pl);
  eq.OnFocusLost(&main);
  EXPECT_EQ(eq.titleRedraws, 3);
  MessageRecorder other;
  ASSERT_TRUE(other.CreateTopLevel("other", Rect::FromSize(0, 0, 50, 50), 4, nullptr, false));
  // Another window of the program, or another program (null), takes the focus.
  pl.OnFocusLost(&other);
  pl.OnFocusLost(nullptr);
  PlayerWindows::Publish(nullptr, nullptr, nullptr);
  EXPECT_EQ(main.heard, (std::vector<uint32_t>{MSG_CHILD_FOCUS_GAINED, MSG_CHILD_FOCUS_LOST, MSG_CHILD_FOCUS_LOST}));
  EXPECT_EQ(pl.titleRedraws, 2);
  // Without a published main window nobody is told.
  eq.OnFocusLost(nullptr);
  EXPECT_EQ(main.heard.size(), 3u);
}
}  // namespace

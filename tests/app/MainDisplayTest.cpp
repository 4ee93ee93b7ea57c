// The numbers of the main window that need no window: time glyphs, lamps, where
// the windows go after a drag, and the popup menu's items.
#include <QMenu>
#include <gtest/gtest.h>

#include "app/MainLayout.h"
#include "app/PopupMenu.h"
#include "app/SnapCarry.h"

using namespace MainLayout;

namespace {
using Glyphs = std::array<int, 5>;
constexpr int B = kBlankGlyph;

Glyphs GlyphsForMs(int ms) {
  int seconds = ms / 1000;
  const int minutes = seconds / 60;
  return TimeGlyphs(minutes, seconds - minutes * 60);
}
}  // namespace

TEST(TimeGlyphs, MinutesBelowAHundredLeaveTheHundredsBlank) {
  EXPECT_EQ(GlyphsForMs(61500), (Glyphs{B, 0, 1, 0, 1}));
  EXPECT_EQ(GlyphsForMs(0), (Glyphs{B, 0, 0, 0, 0}));
  EXPECT_EQ(GlyphsForMs(5999999), (Glyphs{B, 9, 9, 5, 9}));
  EXPECT_EQ(GlyphsForMs(6000000), (Glyphs{1, 0, 0, 0, 0}));
}

TEST(TimeGlyphs, NeverIndexPastTheDigitStrip) {
  // 1000 minutes and more stay at the largest time the display can show.
  EXPECT_EQ(TimeGlyphs(1000, 0), (Glyphs{9, 9, 9, 5, 9}));
  EXPECT_EQ(TimeGlyphs(35791, 23), (Glyphs{9, 9, 9, 5, 9}));
  // A plug-in without a position reports -1; other negatives show as zero too.
  EXPECT_EQ(GlyphsForMs(-1), (Glyphs{B, 0, 0, 0, 0}));
  EXPECT_EQ(GlyphsForMs(-125000), (Glyphs{B, 0, 0, 0, 0}));
  for (int glyph : TimeGlyphs(999, 120)) {
    EXPECT_GE(glyph, 0);
    EXPECT_LE(glyph, B);
  }
}

TEST(Lamps, OneChannelIsMonoTwoOrMoreStereo) {
  EXPECT_FALSE(LampsFor(0).mono || LampsFor(0).stereo);
  EXPECT_FALSE(LampsFor(-1).mono || LampsFor(-1).stereo);
  EXPECT_TRUE(LampsFor(1).mono && !LampsFor(1).stereo);
  EXPECT_TRUE(!LampsFor(2).mono && LampsFor(2).stereo);
  EXPECT_TRUE(!LampsFor(5).mono && LampsFor(5).stereo);
}

namespace {
constexpr int kScreenW = 1024;
constexpr int kScreenH = 768;

Rect MainAt(int x, int y) { return Rect::FromSize(x, y, 275, 116); }

int SnappedTop(int top) {
  return SnapAndCarry(MainAt(300, 300), MainAt(300, top), std::nullopt, std::nullopt, kScreenW, kScreenH).main.top;
}
int SnappedLeft(int left) {
  return SnapAndCarry(MainAt(300, 300), MainAt(left, 300), std::nullopt, std::nullopt, kScreenW, kScreenH).main.left;
}
}  // namespace

TEST(Snap, TopEdgeTaskBarAndBottomEdge) {
  EXPECT_EQ(SnappedTop(20), 26);
  EXPECT_EQ(SnappedTop(12), 12);
  EXPECT_EQ(SnappedTop(5), 0);
  EXPECT_EQ(SnappedTop(-9), 0);
  EXPECT_EQ(SnappedTop(-10), -10);
  EXPECT_EQ(SnappedTop(17), 26);
  EXPECT_EQ(SnappedTop(36), 36);
  // Bottom edge within 10 pixels of the screen's bottom: the window sits on it.
  EXPECT_EQ(SnappedTop(kScreenH - 116 - 9), kScreenH - 116);
  EXPECT_EQ(SnappedTop(kScreenH - 116 + 9), kScreenH - 116);
  EXPECT_EQ(SnappedTop(kScreenH - 116 - 10), kScreenH - 116 - 10);
}

TEST(Snap, LeftAndRightEdges) {
  EXPECT_EQ(SnappedLeft(9), 0);
  EXPECT_EQ(SnappedLeft(-9), 0);
  EXPECT_EQ(SnappedLeft(10), 10);
  EXPECT_EQ(SnappedLeft(kScreenW - 275 - 5), kScreenW - 275);
  EXPECT_EQ(SnappedLeft(kScreenW - 275 + 9), kScreenW - 275);
  EXPECT_EQ(SnappedLeft(kScreenW - 275 - 10), kScreenW - 275 - 10);
}

TEST(Carry, ADockedChainMovesTogetherInItsOrder) {
  const Rect start = MainAt(100, 100);
  const DockedWindow playlist{Rect::FromSize(100, 216, 275, 232), true};
  const DockedWindow equalizer{Rect::FromSize(100, 448, 275, 116), true};
  const SnapResult r = SnapAndCarry(start, MainAt(300, 150), equalizer, playlist, kScreenW, kScreenH);
  EXPECT_EQ(r.main, MainAt(300, 150));
  ASSERT_TRUE(r.playlist && r.equalizer);
  EXPECT_EQ(*r.playlist, Rect::FromSize(300, 266, 275, 232));
  EXPECT_EQ(*r.equalizer, Rect::FromSize(300, 498, 275, 116));

  // The editor hidden: it still comes along, the equalizer under it stays.
  const DockedWindow hidden{playlist.rect, false};
  const SnapResult h = SnapAndCarry(start, MainAt(300, 150), equalizer, hidden, kScreenW, kScreenH);
  ASSERT_TRUE(h.playlist);
  EXPECT_EQ(*h.playlist, Rect::FromSize(300, 266, 275, 232));
  EXPECT_FALSE(h.equalizer);
}

TEST(Carry, EqualizerFirstAndSnappedTargets) {
  const Rect start = MainAt(100, 100);
  const DockedWindow equalizer{Rect::FromSize(100, 216, 275, 116), true};
  const DockedWindow playlist{Rect::FromSize(100, 332, 275, 200), true};
  // Released at y = 20: everything snaps to 26 below the task bar, in the old order.
  const SnapResult r = SnapAndCarry(start, MainAt(5, 20), equalizer, playlist, kScreenW, kScreenH);
  EXPECT_EQ(r.main, MainAt(0, 26));
  EXPECT_EQ(*r.equalizer, Rect::FromSize(0, 142, 275, 116));
  EXPECT_EQ(*r.playlist, Rect::FromSize(0, 258, 275, 200));

  // A window that was not docked under the main window when the drag began stays.
  const DockedWindow apart{Rect::FromSize(600, 400, 275, 116), true};
  const SnapResult a = SnapAndCarry(start, MainAt(300, 300), apart, std::nullopt, kScreenW, kScreenH);
  EXPECT_FALSE(a.equalizer);
  EXPECT_FALSE(a.playlist);
}

namespace {
struct Entry {
  QString text;
  int command;  // -1: separator, 0: submenu
  bool enabled;
  bool checked;
};

std::vector<Entry> Entries(const QMenu* menu) {
  std::vector<Entry> out;
  for (const QAction* a : menu->actions()) {
    const int command = a->isSeparator() ? -1 : a->menu() ? 0 : a->data().toInt();
    out.push_back({a->text(), command, a->isEnabled(), a->isChecked()});
  }
  return out;
}

const QMenu* Submenu(const QMenu* menu, int position) { return menu->actions().at(position)->menu(); }
}  // namespace

TEST(PopupMenu, ItemsTopToBottomWithChecksAndGrayedItems) {
  MenuState state;
  state.playlistVisible = true;
  state.shuffle = true;
  std::vector<SkinPackage> packages{{"Blue", "/s/Blue.qsk", 42797}, {"Red", "/s/Red.qsk", 42798}};
  const auto menu = BuildPopupMenu("Tarnello", state, packages);
  const std::vector<Entry> top = Entries(menu.get());
  ASSERT_EQ(top.size(), 14u);  // with "Jump to file..." before the last separator
  EXPECT_EQ(top[0].command, CMD_ABOUT);
  EXPECT_EQ(top[1].command, -1);
  EXPECT_EQ(top[2].text, "Main Window");
  EXPECT_TRUE(top[2].checked);
  EXPECT_EQ(top[3].text, "Playlist &Editor");
  EXPECT_TRUE(top[3].checked);
  EXPECT_EQ(top[4].text, "E&qualizer");
  EXPECT_FALSE(top[4].checked);
  EXPECT_EQ(top[6].text, "Language");
  EXPECT_FALSE(top[6].enabled);
  EXPECT_EQ(top[7].text, "Plugins");
  EXPECT_FALSE(top[7].enabled);
  EXPECT_EQ(top[8].text, "&Option");
  EXPECT_EQ(top[9].text, "Scale");
  EXPECT_EQ(top[10].text, "Skins");
  EXPECT_EQ(top[13].command, CMD_EXIT);

  const std::vector<Entry> option = Entries(Submenu(menu.get(), 8));
  ASSERT_EQ(option.size(), 15u);
  EXPECT_EQ(option[0].command, CMD_PREFERENCES);
  EXPECT_EQ(option[3].command, CMD_TIME_ELAPSED);
  EXPECT_EQ(option[4].command, CMD_TIME_REMAINING);
  // The time display counts up unless the count-down was chosen.
  EXPECT_TRUE(option[3].enabled);
  EXPECT_TRUE(option[4].enabled);
  EXPECT_TRUE(option[3].checked);
  EXPECT_FALSE(option[4].checked);
  EXPECT_EQ(option[6].command, CMD_TOPMOST);
  EXPECT_FALSE(option[6].checked);
  EXPECT_FALSE(option[7].enabled);  // "Double size"
  EXPECT_TRUE(option[9].checked);   // "Shuffle"
  EXPECT_FALSE(option[10].checked);  // "Repeat"
  EXPECT_EQ(option[12].command, CMD_BUTTONS);
  EXPECT_EQ(option[13].command, CMD_VOLUME);
  EXPECT_EQ(option[14].command, CMD_SPEED);

  const std::vector<Entry> scale = Entries(Submenu(menu.get(), 9));
  const std::vector<int> scaleCommands{CMD_SCALE_50, CMD_SCALE_75, CMD_FIT_SCREEN, CMD_SCALE_100, CMD_SCALE_150,
                                       CMD_SCALE_200};
  ASSERT_EQ(scale.size(), scaleCommands.size());
  for (size_t i = 0; i < scale.size(); ++i) EXPECT_EQ(scale[i].command, scaleCommands[i]);
  EXPECT_EQ(scale[2].text, "(240 * 320)");

  // Both Skins submenus: the grayed placeholder, then the packages.
  for (const QMenu* skins : {Submenu(menu.get(), 10), Submenu(Submenu(menu.get(), 8), 1)}) {
    const std::vector<Entry> s = Entries(skins);
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0].text, "<BaseSkin>");
    EXPECT_FALSE(s[0].enabled);
    EXPECT_EQ(s[1].text, "Blue");
    EXPECT_EQ(s[1].command, 42797);
    EXPECT_EQ(s[2].command, 42798);
  }
}

#pragma once
#include <array>

#include "platform/Geometry.h"
#include "skin/SkinSet.h"
#include "skin/SourceRect.h"

// Where the main window's pieces go at 100 % and which sprites they are cut from.
namespace MainLayout {

constexpr int kWidth = 275;
constexpr int kHeight = 116;

// Command identifiers of the main window's controls.
enum ControlId : int {
  ID_CLOSE = 10001,
  ID_MINIMIZE = 10002,
  ID_MENU = 10003,
  ID_UNPLACED = 10004,  // a toggle that is created but never placed or drawn
  ID_PREVIOUS = 10008,
  ID_PLAY = 10009,
  ID_PAUSE = 10010,
  ID_STOP = 10011,
  ID_NEXT = 10012,
  ID_OPEN = 10013,
  ID_EQUALIZER = 10014,
  ID_PLAYLIST = 10015,
  ID_REPEAT = 10016,
  ID_SHUFFLE = 10017,
  ID_TITLE_TEXT = 13,
  ID_BITRATE_TEXT = 14,
  ID_SAMPLERATE_TEXT = 15,
};

struct ButtonPiece {
  int id;
  Rect place;  // x, y, right, bottom at 100 %
  SkinSlot slot;
  SourceRect normal;
  SourceRect pressed;
};

struct TogglePiece {
  int id;
  Rect place;
  SourceRect on, onPressed, off, offPressed;  // all from SLOT_SHUFREP
};

// The six push buttons, previous to open.
inline constexpr std::array<ButtonPiece, 6> kPushButtons{{
    {ID_PREVIOUS, Rect::FromSize(16, 88, 23, 18), SLOT_CBUTTONS, {0, 0, 23, 18}, {0, 18, 23, 18}},
    {ID_PLAY, Rect::FromSize(39, 88, 23, 18), SLOT_CBUTTONS, {23, 0, 23, 18}, {23, 18, 23, 18}},
    {ID_PAUSE, Rect::FromSize(62, 88, 23, 18), SLOT_CBUTTONS, {46, 0, 23, 18}, {46, 18, 23, 18}},
    {ID_STOP, Rect::FromSize(85, 88, 23, 18), SLOT_CBUTTONS, {69, 0, 23, 18}, {69, 18, 23, 18}},
    {ID_NEXT, Rect::FromSize(108, 88, 22, 18), SLOT_CBUTTONS, {92, 0, 22, 18}, {92, 18, 22, 18}},
    {ID_OPEN, Rect::FromSize(136, 89, 22, 16), SLOT_CBUTTONS, {114, 0, 22, 16}, {114, 16, 22, 16}},
}};

// Equalizer, playlist, shuffle, repeat: the order their images are set in.
inline constexpr std::array<TogglePiece, 4> kToggles{{
    {ID_EQUALIZER, Rect::FromSize(219, 58, 23, 12), {0, 73, 23, 12}, {46, 73, 23, 12}, {0, 61, 23, 12},
     {46, 61, 23, 12}},
    {ID_PLAYLIST, Rect::FromSize(242, 58, 23, 12), {23, 73, 23, 12}, {69, 73, 23, 12}, {23, 61, 23, 12},
     {69, 61, 23, 12}},
    {ID_SHUFFLE, Rect::FromSize(164, 89, 47, 15), {28, 30, 47, 15}, {28, 45, 47, 15}, {28, 0, 47, 15},
     {28, 15, 47, 15}},
    {ID_REPEAT, Rect::FromSize(210, 89, 28, 15), {0, 30, 28, 15}, {0, 45, 28, 15}, {0, 0, 28, 15},
     {0, 15, 28, 15}},
}};

// Menu, minimize, close.
inline constexpr std::array<ButtonPiece, 3> kTitleButtons{{
    {ID_MENU, Rect::FromSize(6, 3, 9, 9), SLOT_TITLEBAR, {0, 0, 9, 9}, {0, 9, 9, 9}},
    {ID_MINIMIZE, Rect::FromSize(244, 3, 9, 9), SLOT_TITLEBAR, {9, 0, 9, 9}, {9, 9, 9, 9}},
    {ID_CLOSE, Rect::FromSize(264, 3, 9, 9), SLOT_TITLEBAR, {18, 0, 9, 9}, {18, 9, 9, 9}},
}};

inline constexpr Rect kVolumePlace = Rect::FromSize(107, 57, 68, 13);
inline constexpr Rect kBalancePlace = Rect::FromSize(177, 57, 38, 13);
inline constexpr Rect kPositionPlace = Rect::FromSize(16, 72, 248, 10);
inline constexpr Rect kTitlePlace = Rect::FromSize(109, 24, 157, 12);
inline constexpr Rect kBitRatePlace = Rect::FromSize(109, 41, 18, 10);
inline constexpr Rect kSampleRatePlace = Rect::FromSize(154, 41, 13, 10);

// Volume and balance thumbs; the position slider has its own.
inline constexpr SourceRect kThumb{15, 422, 14, 11};
inline constexpr SourceRect kThumbPressed{0, 422, 14, 11};
inline constexpr SourceRect kPositionFrame{0, 0, 248, 10};
inline constexpr SourceRect kPositionThumb{248, 0, 29, 10};
inline constexpr SourceRect kPositionThumbPressed{278, 0, 29, 10};

// Pieces the window draws itself: source rectangle and place at 100 %.
struct Piece {
  SourceRect source;
  Rect place;
};
inline constexpr Piece kBackground{{0, 0, 275, 116}, Rect::FromSize(0, 0, 275, 116)};
inline constexpr Piece kTitleActive{{27, 0, 275, 14}, Rect::FromSize(0, 0, 275, 14)};
inline constexpr Piece kTitleInactive{{27, 15, 275, 14}, Rect::FromSize(0, 0, 275, 14)};
inline constexpr Piece kStereoLit{{0, 0, 29, 12}, Rect::FromSize(239, 41, 29, 12)};
inline constexpr Piece kStereoDark{{0, 12, 29, 12}, Rect::FromSize(239, 41, 29, 12)};
inline constexpr Piece kMonoLit{{29, 0, 27, 12}, Rect::FromSize(212, 41, 27, 12)};
inline constexpr Piece kMonoDark{{29, 12, 27, 12}, Rect::FromSize(212, 41, 27, 12)};

// The time display: five glyphs of 9 x 13 from the numbers bitmap, glyph n at (9n, 0).
constexpr int kGlyphWidth = 9;
constexpr int kGlyphHeight = 13;
constexpr int kBlankGlyph = 10;
inline constexpr std::array<Point, 5> kGlyphPlaces{{{36, 26}, {48, 26}, {60, 26}, {78, 26}, {90, 26}}};

// Glyphs for a time: hundreds of minutes (blank below 100), tens and units of
// minutes, tens and units of seconds. The display has three minute digits, so from
// 1000 minutes on it stays at 999:59; negative parts show as 0.
std::array<int, 5> TimeGlyphs(int minutes, int seconds);

// The mono and stereo lamps for a channel count: 1 lights mono, 2 or more stereo.
struct Lamps {
  bool mono = false;
  bool stereo = false;
};
Lamps LampsFor(int channels);

}  // namespace MainLayout

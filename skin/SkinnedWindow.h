#pragma once
#include "skin/MovableWindow.h"
#include "skin/Scale.h"
#include "skin/WindowPlacement.h"

class SettingsFile;

// What the player's three skinned top-level windows (main window, equalizer,
// playlist editor) have in common: they are dragged by an outline, created
// hidden, kept in the options at their own placement keys, drawn at a scale,
// and they share the focus as one player: the hardware buttons stay registered
// while any of them has it.
class SkinnedWindow : public MovableWindow {
 public:
  int GetScale() const { return scale_; }

 protected:
  explicit SkinnedWindow(const WindowPlacement& placement);

  // The top-level window, hidden; a pop-up owned by owner when one is given.
  bool CreateSkinned(const QString& title, int id, Window* owner);
  // Moves the window where the options keep it, within the desktop.
  void ReadPlacement(const SettingsFile& settings);
  // Stores the window's rectangle (and, for a secondary window, whether it is shown).
  void WritePlacement(SettingsFile& settings) const;

  // The scale the window is drawn at; the window lays itself out in SetScale.
  void KeepScale(int scale) { scale_ = scale; }
  // Numbers and places given for 100 %, by the controls' rule...
  int ScaledControl(int v) const { return ScaleControl(scale_, v); }
  Rect ScaledControlRect(int x, int y, int width, int height) const;
  Rect ScaledControlRect(const Rect& base) const;
  // ...and by the panels' rule (see Scale.h for why both exist).
  int ScaledPanel(int v) const { return ScalePanel(scale_, v); }
  Rect ScaledPanelRect(int x, int y, int width, int height) const;
  // Sizes the window to a skin size given for 100 % (controls' rule), its
  // top-left corner kept.
  void SizeToScale(int width, int height);

  // The title strip is drawn lit while the window has the focus.
  virtual void RedrawTitleStrip() = 0;
  // The player gains or loses the focus through this window (not when it moves
  // between the player's windows). By default the main window is told
  // (MSG_CHILD_FOCUS_GAINED / MSG_CHILD_FOCUS_LOST).
  virtual void PlayerFocusGained();
  virtual void PlayerFocusLost();
  void OnFocusGained() override;
  void OnFocusLost(Window* newFocus) override;

 private:
  const WindowPlacement& placement_;
  int scale_ = 100;
};

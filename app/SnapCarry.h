#pragma once
#include <optional>

#include "platform/Geometry.h"

// Where the windows go after the main window was dragged: the main window snaps to
// the screen's edges (and to just below the task bar), and a window docked under
// it comes along, with the window docked under that one.
struct DockedWindow {
  Rect rect;
  bool visible = false;
};

struct SnapResult {
  Rect main;
  std::optional<Rect> equalizer;  // set when the equalizer moves
  std::optional<Rect> playlist;   // set when the playlist editor moves
};

// dragStart: the main window's rectangle when the drag began; mainNow: where the
// drag put it. Absent windows are never carried. Every comparison uses the
// rectangles as they were before anything moved.
SnapResult SnapAndCarry(const Rect& dragStart, const Rect& mainNow, const std::optional<DockedWindow>& equalizer,
                        const std::optional<DockedWindow>& playlist, int screenWidth, int screenHeight);

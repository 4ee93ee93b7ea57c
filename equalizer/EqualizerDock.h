#pragma once
#include <optional>

#include "platform/Geometry.h"

// Where the equalizer goes after a drag: snapped to the screen's edges, docked
// under the main window or under the playlist editor when released near there,
// and where a playlist editor docked under it goes along.
struct EqualizerDrop {
  Rect equalizer;
  std::optional<Rect> playlist;  // set when the playlist editor moves along
};

// dragStart: the equalizer's rectangle when the drag began; dropped: after it.
// "Near" is less than 10 pixels apart. Absent windows are left out.
EqualizerDrop DropEqualizer(const Rect& dragStart, const Rect& dropped, const std::optional<Rect>& main,
                            const std::optional<Rect>& playlist, int screenWidth, int screenHeight);

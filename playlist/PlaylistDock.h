#pragma once
#include <optional>

#include "platform/Geometry.h"

// Where the playlist editor goes after it was dragged: to the screen's edges when
// within 9 pixels of them, and directly under the equalizer or the main window
// (the main window winning) when its top left corner is within 9 pixels of
// theirs' lower left corner. Absent windows are left out.
Rect DockPlaylistEditor(const Rect& dropped, const std::optional<Rect>& equalizer, const std::optional<Rect>& main,
                        int screenWidth, int screenHeight);

#pragma once
#include <optional>

#include "platform/Geometry.h"

class Window;

// The player's three skinned top-level windows, published while the main window
// is created so that each can find the others (docking, focus, commands). Null
// before they exist and after they are gone.
namespace PlayerWindows {
Window* Main();
Window* Equalizer();
Window* Playlist();
void Publish(Window* main, Window* equalizer, Window* playlist);
// The screen rectangle of a window, or nothing when there is no such window.
std::optional<Rect> RectOf(const Window* window);
}  // namespace PlayerWindows

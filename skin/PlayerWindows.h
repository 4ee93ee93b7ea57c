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
// Whether window is one of the three (false for null).
bool IsPlayerWindow(const Window* window);
// The screen rectangle of a window, or nothing when there is no such window.
std::optional<Rect> RectOf(const Window* window);
}  // namespace PlayerWindows

#pragma once

class Window;

// The player's three skinned top-level windows, published while the main window
// is created so that each can find the others (docking, focus, commands). Null
// before they exist and after they are gone.
namespace PlayerWindows {
Window* Main();
Window* Equalizer();
Window* Playlist();
void Publish(Window* main, Window* equalizer, Window* playlist);
}  // namespace PlayerWindows

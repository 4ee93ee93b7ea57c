#include "skin/PlayerWindows.h"

#include "platform/Window.h"

namespace PlayerWindows {
namespace {
Window* mainWindow = nullptr;
Window* equalizerWindow = nullptr;
Window* playlistWindow = nullptr;
}  // namespace

Window* Main() { return mainWindow; }
Window* Equalizer() { return equalizerWindow; }
Window* Playlist() { return playlistWindow; }

void Publish(Window* main, Window* equalizer, Window* playlist) {
  mainWindow = main;
  equalizerWindow = equalizer;
  playlistWindow = playlist;
}

bool IsPlayerWindow(const Window* window) {
  return window && (window == mainWindow || window == equalizerWindow || window == playlistWindow);
}

std::optional<Rect> RectOf(const Window* window) {
  if (!window || !window->Exists()) return std::nullopt;
  return window->GetWindowRect();
}
}  // namespace PlayerWindows

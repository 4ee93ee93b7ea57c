#include "skin/PlayerWindows.h"

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
}  // namespace PlayerWindows

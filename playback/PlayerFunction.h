#pragma once
#include <array>

// The player functions a hardware button can be mapped to, by the number the
// button window sends with MSG_BUTTON_EVENT and the button lists store.
enum class PlayerFunction {
  Play = 0,
  PlayPause = 1,
  Stop = 2,
  Pause = 3,
  Previous = 4,
  Next = 5,
  Rewind = 6,       // five seconds back
  FastForward = 7,  // five seconds on
  VolumeUp = 8,
  VolumeDown = 9,
  ScreenToggle = 10,
  Exit = 11,
  ExitAndPowerOff = 12,
  ABLoop = 13,
  SpeedUp = 14,
  SpeedDown = 15,
  SpeedReset = 16,
};

constexpr int kPlayerFunctionCount = 17;

// The names the button window lists, by function number.
constexpr std::array<const char*, kPlayerFunctionCount> kPlayerFunctionNames = {
    "Play",      "Play / Pause", "Stop",          "Pause", "Prev",             "Next",  "Rew",      "FF",
    "Volume Up", "Volume Down",  "Screen Toggle", "Exit",  "Exit & Power off", "A<->B", "Speed Up", "Speed Down",
    "Speed Reset",
};

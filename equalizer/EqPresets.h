#pragma once
#include <QString>
#include <array>
#include <cstdint>

// A stored equalizer curve: ten band values, lowest band first (0 strongest boost,
// 31 flat, 63 strongest cut). Presets carry no preamplifier value.
struct EqPreset {
  const char* name;
  std::array<int16_t, 10> bands;
};

// The presets in the order the preset list shows them (alphabetical).
const std::array<EqPreset, 17>& EqPresets();

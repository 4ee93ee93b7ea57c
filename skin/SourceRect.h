#pragma once
#include <cstdint>

#include "platform/Geometry.h"

// A sprite's place in a skin bitmap: x, y, width, height in bitmap pixels.
// Sprites are cut unscaled and stretched over a control's client area.
struct SourceRect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;

  Rect ToRect() const { return Rect::FromSize(x, y, width, height); }
  friend bool operator==(const SourceRect&, const SourceRect&) = default;
};

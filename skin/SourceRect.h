#pragma once
#include <QImage>
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

// Whether the bitmap holds the whole sprite. A sprite reaching beyond its bitmap is
// drawn only as far as the bitmap goes.
inline bool SpriteFits(const QImage& bitmap, const SourceRect& s) {
  return !bitmap.isNull() && s.x >= 0 && s.y >= 0 && s.width > 0 && s.height > 0 &&
         int64_t(s.x) + s.width <= bitmap.width() && int64_t(s.y) + s.height <= bitmap.height();
}

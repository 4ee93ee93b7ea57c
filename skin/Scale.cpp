#include "skin/Scale.h"

int ScaleValue(int scale, int base) {
  const double factor = base / 100.0;
  return static_cast<int>(scale * factor + 0.5);
}

Rect ScaleRect(int scale, int x, int y, int width, int height) {
  return Rect::FromSize(ScaleValue(scale, x), ScaleValue(scale, y), ScaleValue(scale, width),
                        ScaleValue(scale, height));
}

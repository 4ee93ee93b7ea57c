#include "skin/Scale.h"

#include <cstdint>

int ScaleControl(int scale, int base) {
  const double factor = base / 100.0;
  return static_cast<int>(scale * factor + 0.5);
}

Rect ScaleControlRect(int scale, int x, int y, int width, int height) {
  return Rect::FromSize(ScaleControl(scale, x), ScaleControl(scale, y), ScaleControl(scale, width),
                        ScaleControl(scale, height));
}

int ScalePanel(int scale, int v) { return static_cast<int>(v * scale * 0.01 + 0.5); }

Rect ScalePanelRect(int scale, int x, int y, int width, int height) {
  return Rect::FromSize(ScalePanel(scale, x), ScalePanel(scale, y), ScalePanel(scale, width),
                        ScalePanel(scale, height));
}

int Rescale(int value, int fromScale, int toScale) {
  return static_cast<int>(static_cast<int64_t>(value) * toScale / fromScale);
}

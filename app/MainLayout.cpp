#include "app/MainLayout.h"

namespace MainLayout {

std::array<int, 5> TimeGlyphs(int minutes, int seconds) {
  if (minutes < 0) minutes = 0;
  if (seconds < 0) seconds = 0;
  if (minutes > 999) {
    minutes = 999;
    seconds = 59;
  }
  if (seconds > 99) seconds = 99;
  return {minutes >= 100 ? minutes / 100 : kBlankGlyph, minutes / 10 % 10, minutes % 10, seconds / 10,
          seconds % 10};
}

Lamps LampsFor(int channels) { return {channels == 1, channels >= 2}; }

}  // namespace MainLayout

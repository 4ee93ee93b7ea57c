#include "equalizer/EqualizerDock.h"

#include <cstdlib>

namespace {
bool Near(int a, int b) { return std::abs(a - b) < 10; }
}  // namespace

EqualizerDrop DropEqualizer(const Rect& dragStart, const Rect& e, const std::optional<Rect>& main,
                            const std::optional<Rect>& playlist, int screenWidth, int screenHeight) {
  int x = e.left;
  if (Near(e.left, 0)) {
    x = 0;
  } else if (Near(e.right, screenWidth)) {
    x = screenWidth - e.right + e.left;
  }
  int y = e.top;
  if (Near(e.top, 0)) {
    y = 0;
  } else if (Near(e.bottom, screenHeight)) {
    y = screenHeight - e.bottom + e.top;
  }
  if (main && Near(e.top, main->bottom) && Near(e.left, main->left)) {
    x = main->left;
    y = main->bottom;
  }
  EqualizerDrop drop;
  // A playlist editor that hung under the equalizer when the drag began comes along.
  if (playlist && dragStart.bottom == playlist->top)
    drop.playlist = Rect::FromSize(x, y + e.Height(), playlist->Width(), playlist->Height());
  if (playlist && Near(e.top, playlist->bottom) && Near(e.left, playlist->left)) {
    x = playlist->left;
    y = playlist->bottom;
  }
  drop.equalizer = Rect::FromSize(x, y, e.Width(), e.Height());
  return drop;
}

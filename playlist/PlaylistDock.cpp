#include "playlist/PlaylistDock.h"

#include <cstdlib>

namespace {
bool Near(int a, int b) { return std::abs(a - b) <= 9; }
}  // namespace

Rect DockPlaylistEditor(const Rect& e, const std::optional<Rect>& equalizer, const std::optional<Rect>& main,
                        int screenWidth, int screenHeight) {
  int x = e.left;
  int y = e.top;
  if (Near(e.left, 0)) {
    x = 0;
  } else if (Near(e.right, screenWidth)) {
    x = screenWidth - e.Width();
  }
  if (Near(e.top, 0)) {
    y = 0;
  } else if (Near(e.bottom, screenHeight)) {
    y = screenHeight - e.Height();
  }
  for (const std::optional<Rect>& above : {equalizer, main}) {
    if (above && Near(e.top, above->bottom) && Near(e.left, above->left)) {
      x = above->left;
      y = above->bottom;
    }
  }
  return Rect::FromSize(x, y, e.Width(), e.Height());
}

#include "app/SnapCarry.h"

namespace {
int SnapX(const Rect& r, int screenWidth) {
  if (-10 < r.left && r.left < 10) return 0;
  if (screenWidth - 10 < r.right && r.right < screenWidth + 10) return screenWidth - r.right + r.left;
  return r.left;
}

int SnapY(const Rect& r, int screenHeight) {
  if (-10 < r.top && r.top < 10) return 0;
  if (16 < r.top && r.top < 36) return 26;  // just below the task bar
  if (screenHeight - 10 < r.bottom && r.bottom < screenHeight + 10) return screenHeight - r.bottom + r.top;
  return r.top;
}

Rect At(const Rect& r, int x, int y) { return Rect::FromSize(x, y, r.Width(), r.Height()); }
}  // namespace

SnapResult SnapAndCarry(const Rect& dragStart, const Rect& mainNow, const std::optional<DockedWindow>& equalizer,
                        const std::optional<DockedWindow>& playlist, int screenWidth, int screenHeight) {
  const int x = SnapX(mainNow, screenWidth);
  const int y = SnapY(mainNow, screenHeight);
  SnapResult result{At(mainNow, x, y), {}, {}};
  const int below = y + mainNow.Height();
  if (playlist && dragStart.bottom == playlist->rect.top) {
    result.playlist = At(playlist->rect, x, below);
    if (equalizer && playlist->rect.bottom == equalizer->rect.top && playlist->visible)
      result.equalizer = At(equalizer->rect, x, below + playlist->rect.Height());
  }
  if (equalizer && dragStart.bottom == equalizer->rect.top) {
    result.equalizer = At(equalizer->rect, x, below);
    if (playlist && equalizer->rect.bottom == playlist->rect.top && equalizer->visible)
      result.playlist = At(playlist->rect, x, below + equalizer->rect.Height());
  }
  return result;
}

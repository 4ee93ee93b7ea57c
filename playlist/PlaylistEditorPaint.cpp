// The playlist editor's frame, drawn from the skin's playlist image at the
// window's scale: title bar, side borders, bottom bar and the scroll thumb.
#include <algorithm>

#include "platform/Canvas.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistEditorWindow.h"
#include "skin/SkinSet.h"

void PlaylistEditorWindow::Piece(Canvas& canvas, const QImage& pledit, int sx, int sy, int w, int h, int x, int y) {
  canvas.StretchCopy(pledit, Rect::FromSize(sx, sy, w, h), Rect::FromSize(x, y, ScaledPanel(w), ScaledPanel(h)));
}

void PlaylistEditorWindow::DrawTitleBar(Canvas& canvas, const QImage& pledit) {
  const int y = HasFocus() ? 0 : 21;
  const int width = GetClientRect().Width();
  const int tile = ScaledPanel(25);
  Piece(canvas, pledit, 0, y, 25, 20, 0, 0);
  if (tile > 0) {
    const int fillers = (width - 2 * tile) / tile + 2;
    for (int i = 1; i <= fillers; ++i) Piece(canvas, pledit, 127, y, 25, 20, tile * i, 0);
  }
  Piece(canvas, pledit, 26, y, 100, 20, (width - ScaledPanel(100)) / 2, 0);
  Piece(canvas, pledit, 153, y, 25, 20, width - tile, 0);
}

void PlaylistEditorWindow::DrawBorders(Canvas& canvas, const QImage& pledit) {
  const Rect c = GetClientRect();
  const int bottomBar = c.bottom - ScaledPanel(38);
  const int step = ScaledPanel(29);
  if (step <= 0) return;
  // The last tile may reach under the bottom bar, which is drawn over it.
  for (int y = ScaledPanel(20); y < bottomBar; y += step) {
    Piece(canvas, pledit, 0, 42, 25, 29, 0, y);
    Piece(canvas, pledit, 26, 42, 25, 29, c.Width() - ScaledPanel(25), y);
  }
}

void PlaylistEditorWindow::DrawBottomBar(Canvas& canvas, const QImage& pledit) {
  const Rect c = GetClientRect();
  const int y = c.bottom - ScaledPanel(38);
  Piece(canvas, pledit, 0, 72, 125, 38, 0, y);
  const int step = ScaledPanel(25);
  if (step > 0)
    for (int x = ScaledPanel(125); x < c.Width() - ScaledPanel(150); x += step)
      Piece(canvas, pledit, 179, 0, 25, 38, x, y);
  Piece(canvas, pledit, 126, 72, 150, 38, c.Width() - ScaledPanel(150), y);
}

void PlaylistEditorWindow::DrawScrollThumb(Canvas& canvas, const QImage& pledit) {
  const Rect c = GetClientRect();
  const int range = std::max(1, GetPlaylist().GetCount() - (list_ ? list_->RowsPerPage() : 1));
  const int track = c.Height() - ScaledPanel(20) - ScaledPanel(38) - ScaledPanel(18);
  const int top = list_ ? list_->TopRow() : 0;
  // The product comes first, in 64 bits: dividing first would leave the thumb at
  // the top for every list longer than the track is high.
  const int y = ScaledPanel(20) + int((long long)std::max(track, 0) * top / range);
  Piece(canvas, pledit, 52, 53, 8, 18, c.right - ScaledPanel(15), y);
}

void PlaylistEditorWindow::OnPaint(Canvas& canvas) {
  const QImage& pledit = skin_ ? skin_->Bitmap(SLOT_PLEDIT) : QImage();
  if (pledit.isNull()) return;
  DrawTitleBar(canvas, pledit);
  DrawBorders(canvas, pledit);
  DrawBottomBar(canvas, pledit);
  DrawScrollThumb(canvas, pledit);
}

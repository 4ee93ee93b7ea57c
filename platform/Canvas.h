#pragma once
#include <QImage>
#include <QString>

#include "platform/Geometry.h"

class QPainter;

// The drawing surface handed to paint handlers: stretch copies with
// nearest-neighbour sampling, solid fills, text and the dotted drag outline.
class Canvas {
 public:
  // dirty: the part of the window being painted; an empty one stands for all of it.
  explicit Canvas(QPainter& painter, const Rect& dirty = {});
  // The part being painted; drawing outside it is clipped away.
  Rect DirtyRect() const;

  // Copies source rectangle src of bitmap onto dst, scaling without smoothing.
  void StretchCopy(const QImage& bitmap, const Rect& src, const Rect& dst);
  void Fill(const Rect& rect, Colour colour);

  enum TextAlign { AlignLeft = 0, AlignCenter = 1, AlignRight = 2 };
  // Draws one line of text clipped to rect, vertically centred, in a font of the
  // given pixel height. With a background the rectangle is filled first.
  void DrawText(const Rect& rect, const QString& text, int pixelHeight, const QString& face,
                Colour textColour, TextAlign align = AlignLeft, const Colour* background = nullptr);
  // Draws text from the top-left corner of rect, on one line, clipped to rect, in a
  // font whose line is cellHeight pixels tall.
  void DrawTextTopLeft(const Rect& rect, const QString& text, int cellHeight, const QString& face,
                       Colour textColour);
  // The same, narrowed horizontally where the text is wider than the rectangle, so a
  // short figure (a bit rate) shows whole in a panel sized for a narrower face.
  void DrawTextFitted(const Rect& rect, const QString& text, int cellHeight, const QString& face,
                      Colour textColour);
  // The face drawn where a skin names none.
  static QString DefaultFace();
  // Pixel width of text in that font.
  static int TextWidth(const QString& text, int pixelHeight, const QString& face);
  void DottedOutline(const Rect& rect);

  QPainter& Painter() { return painter_; }

 private:
  QPainter& painter_;
  Rect dirty_;
};

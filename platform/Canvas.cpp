#include "platform/Canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <cmath>

namespace {
QColor ToQColor(Colour c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

QFont MakeFont(int pixelHeight, const QString& face) {
  QFont font(face.isEmpty() ? Canvas::DefaultFace() : face);
  font.setPixelSize(pixelHeight > 0 ? pixelHeight : 1);
  font.setStyleStrategy(QFont::NoSubpixelAntialias);
  return font;
}
// A font whose line (ascent plus descent) is cellHeight pixels tall, as the
// text panels measure their font heights, rather than one of that em size.
QFont MakeCellFont(int cellHeight, const QString& face) {
  static const QFont reference = MakeFont(100, QString());
  static const double emPerLine = 100.0 / QFontMetricsF(reference).height();
  const double ratio = face.isEmpty() ? emPerLine : 100.0 / QFontMetricsF(MakeFont(100, face)).height();
  return MakeFont(int(cellHeight * ratio + 0.5), face);
}
}  // namespace

QString Canvas::DefaultFace() { return QStringLiteral("DejaVu Sans"); }

Rect Canvas::DirtyRect() const {
  if (!dirty_.IsEmpty()) return dirty_;
  const QRect all = painter_.viewport();
  return Rect::FromSize(all.x(), all.y(), all.width(), all.height());
}

Canvas::Canvas(QPainter& painter, const Rect& dirty) : painter_(painter), dirty_(dirty) {
  painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

void Canvas::StretchCopy(const QImage& bitmap, const Rect& src, const Rect& dst) {
  if (bitmap.isNull() || src.IsEmpty() || dst.IsEmpty()) return;
  const QRect whole = ToQRect(src);
  const QRect inside = whole & bitmap.rect();
  if (inside == whole) {
    painter_.drawImage(ToQRect(dst), bitmap, whole);
    return;
  }
  // Only the part of the source the bitmap has is drawn, onto the matching part of
  // the destination; the rest of the destination is left as it is.
  if (inside.isEmpty()) return;
  auto along = [](int offset, int srcLength, int dstLength) { return int(std::lround(double(offset) * dstLength / srcLength)); };
  const int left = dst.left + along(inside.left() - src.left, src.Width(), dst.Width());
  const int right = dst.left + along(inside.right() + 1 - src.left, src.Width(), dst.Width());
  const int top = dst.top + along(inside.top() - src.top, src.Height(), dst.Height());
  const int bottom = dst.top + along(inside.bottom() + 1 - src.top, src.Height(), dst.Height());
  if (right > left && bottom > top) painter_.drawImage(QRect(left, top, right - left, bottom - top), bitmap, inside);
}

void Canvas::Fill(const Rect& rect, Colour colour) {
  if (!rect.IsEmpty()) painter_.fillRect(ToQRect(rect), ToQColor(colour));
}

void Canvas::DrawText(const Rect& rect, const QString& text, int pixelHeight, const QString& face,
                      Colour textColour, TextAlign align, const Colour* background) {
  if (background) Fill(rect, *background);
  painter_.save();
  painter_.setClipRect(ToQRect(rect));
  painter_.setFont(MakeFont(pixelHeight, face));
  painter_.setPen(ToQColor(textColour));
  const int h = align == AlignCenter ? Qt::AlignHCenter : align == AlignRight ? Qt::AlignRight : Qt::AlignLeft;
  painter_.drawText(ToQRect(rect), h | Qt::AlignVCenter | Qt::TextSingleLine, text);
  painter_.restore();
}

void Canvas::DrawTextTopLeft(const Rect& rect, const QString& text, int cellHeight, const QString& face,
                             Colour textColour) {
  if (rect.IsEmpty() || text.isEmpty()) return;
  painter_.save();
  painter_.setClipRect(ToQRect(rect));
  painter_.setFont(MakeCellFont(cellHeight, face));
  painter_.setPen(ToQColor(textColour));
  painter_.drawText(ToQRect(rect), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
  painter_.restore();
}

void Canvas::DrawTextFitted(const Rect& rect, const QString& text, int cellHeight, const QString& face,
                            Colour textColour) {
  if (rect.IsEmpty() || text.isEmpty()) return;
  const QFont font = MakeCellFont(cellHeight, face);
  const double width = QFontMetricsF(font).horizontalAdvance(text);
  const double room = rect.right - rect.left;
  if (width <= room) {
    DrawTextTopLeft(rect, text, cellHeight, face, textColour);
    return;
  }
  painter_.save();
  painter_.setClipRect(ToQRect(rect));
  painter_.setFont(font);
  painter_.setPen(ToQColor(textColour));
  painter_.translate(rect.left, rect.top);
  painter_.scale(room / width, 1.0);
  painter_.drawText(QRectF(0, 0, width + 1, rect.bottom - rect.top), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    text);
  painter_.restore();
}

int Canvas::TextWidth(const QString& text, int pixelHeight, const QString& face) {
  return QFontMetrics(MakeFont(pixelHeight, face)).horizontalAdvance(text);
}

void Canvas::DottedOutline(const Rect& rect) {
  if (rect.IsEmpty()) return;
  painter_.save();
  QPen pen(Qt::black, 1, Qt::DotLine);
  painter_.setPen(pen);
  painter_.setBrush(Qt::NoBrush);
  painter_.drawRect(QRect(rect.left, rect.top, rect.Width() - 1, rect.Height() - 1));
  painter_.restore();
}

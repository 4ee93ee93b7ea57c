#include "tools/SkinArt.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainterPath>

namespace SkinArt {
using namespace Palette;

void Body(QPainter& p, const QRectF& r, bool edges) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, kBodyTop);
  g.setColorAt(1, kBodyBottom);
  p.fillRect(r, g);
  if (!edges) return;
  p.fillRect(QRectF(r.left(), r.top(), r.width(), 1), kEdgeLight);
  p.fillRect(QRectF(r.left(), r.bottom() - 1, r.width(), 1), kEdgeDark);
}

void Face(QPainter& p, const QRectF& r, bool pressed, qreal radius) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  const QRectF inner = r.adjusted(0.5, 0.5, -0.5, -0.5);
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  if (pressed) {
    g.setColorAt(0, QColor(0x1c, 0x21, 0x28));
    g.setColorAt(1, QColor(0x34, 0x3b, 0x46));
  } else {
    g.setColorAt(0, QColor(0x5a, 0x64, 0x72));
    g.setColorAt(0.5, QColor(0x40, 0x48, 0x54));
    g.setColorAt(1, QColor(0x2a, 0x30, 0x39));
  }
  p.setPen(QPen(kEdgeDark, 1));
  p.setBrush(g);
  p.drawRoundedRect(inner, radius, radius);
  if (!pressed) {
    p.setPen(QPen(QColor(255, 255, 255, 60), 1));
    p.drawLine(QPointF(r.left() + radius, r.top() + 1.5), QPointF(r.right() - radius, r.top() + 1.5));
  }
  p.restore();
}

void Well(QPainter& p, const QRectF& r, qreal radius) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(kEdgeDark, 1));
  p.setBrush(kDisplay);
  p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
  p.setPen(QPen(QColor(255, 255, 255, 40), 1));
  p.drawLine(QPointF(r.left() + radius, r.bottom() - 0.5), QPointF(r.right() - radius, r.bottom() - 0.5));
  p.restore();
}

void Led(QPainter& p, const QPointF& centre, qreal radius, bool lit) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  QRadialGradient g(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
  g.setColorAt(0, lit ? QColor(0xff, 0xe0, 0xa0) : QColor(0x55, 0x4a, 0x3a));
  g.setColorAt(1, lit ? kAmber : kAmberDim);
  p.setPen(QPen(kEdgeDark, 0.8));
  p.setBrush(g);
  p.drawEllipse(centre, radius, radius);
  p.restore();
}

void Label(QPainter& p, const QRectF& r, const QString& text, const QColor& colour, int pixelSize, bool bold,
           int align, qreal spacing) {
  p.save();
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
  font.setHintingPreference(QFont::PreferFullHinting);
  p.setFont(font);
  p.setPen(colour);
  p.drawText(r, align, text);
  p.restore();
}

void Knob(QPainter& p, const QRectF& r, bool pressed, bool vertical) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  QLinearGradient g(r.topLeft(), vertical ? r.topRight() : r.bottomLeft());
  if (pressed) {
    g.setColorAt(0, QColor(0xff, 0xd0, 0x90));
    g.setColorAt(1, QColor(0xc0, 0x70, 0x20));
  } else {
    g.setColorAt(0, QColor(0xf0, 0xf3, 0xf6));
    g.setColorAt(1, QColor(0x80, 0x8a, 0x96));
  }
  p.setPen(QPen(kEdgeDark, 1));
  p.setBrush(g);
  p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
  p.setPen(QPen(pressed ? QColor(0x70, 0x38, 0x08) : QColor(0x50, 0x58, 0x62), 1));
  const QPointF c = r.center();
  if (vertical) {
    p.drawLine(QPointF(r.left() + 2.5, c.y()), QPointF(r.right() - 2.5, c.y()));
  } else {
    p.drawLine(QPointF(c.x(), r.top() + 2.5), QPointF(c.x(), r.bottom() - 2.5));
  }
  p.restore();
}

void TitleStrip(QPainter& p, const QRectF& r, const QString& name, bool active) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, active ? QColor(0x48, 0x52, 0x60) : QColor(0x30, 0x35, 0x3d));
  g.setColorAt(1, active ? QColor(0x24, 0x2a, 0x33) : QColor(0x1e, 0x22, 0x28));
  p.fillRect(r, g);
  p.fillRect(QRectF(r.left(), r.top(), r.width(), 1), active ? kEdgeLight : QColor(0x40, 0x46, 0x4e));
  p.fillRect(QRectF(r.left(), r.bottom() - 1, r.width(), 1), kEdgeDark);
  if (name.isEmpty()) return;
  const QColor ink = active ? kAmber : kMuted;
  const qreal textWidth = 9.0 * name.size() + 8;
  const QRectF text(r.center().x() - textWidth / 2, r.top(), textWidth, r.height());
  Label(p, text, name, ink, 9, true, Qt::AlignCenter, 1.5);
  // Grooves either side of the name.
  const QColor groove = active ? QColor(0x7a, 0x62, 0x40) : QColor(0x48, 0x4e, 0x56);
  for (qreal y : {r.top() + 5.0, r.top() + 8.0}) {
    p.fillRect(QRectF(r.left() + 22, y, text.left() - r.left() - 26, 1), groove);
    p.fillRect(QRectF(text.right() + 4, y, r.right() - 40 - text.right(), 1), groove);
  }
}

void PlayIcon(QPainter& p, const QRectF& r, const QColor& c) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  const QPointF m = r.center();
  QPainterPath path;
  path.moveTo(m.x() - 3, m.y() - 4.5);
  path.lineTo(m.x() + 4, m.y());
  path.lineTo(m.x() - 3, m.y() + 4.5);
  path.closeSubpath();
  p.fillPath(path, c);
  p.restore();
}

void PauseIcon(QPainter& p, const QRectF& r, const QColor& c) {
  const QPointF m = r.center();
  p.fillRect(QRectF(m.x() - 4, m.y() - 4, 3, 8), c);
  p.fillRect(QRectF(m.x() + 1, m.y() - 4, 3, 8), c);
}

void StopIcon(QPainter& p, const QRectF& r, const QColor& c) {
  const QPointF m = r.center();
  p.fillRect(QRectF(m.x() - 4, m.y() - 4, 8, 8), c);
}

void SkipIcon(QPainter& p, const QRectF& r, const QColor& c, bool forward) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  const QPointF m = r.center();
  const qreal s = forward ? 1 : -1;
  for (qreal start : {-5.0, -1.0}) {
    QPainterPath path;
    path.moveTo(m.x() + s * start, m.y() - 4);
    path.lineTo(m.x() + s * (start + 4), m.y());
    path.lineTo(m.x() + s * start, m.y() + 4);
    path.closeSubpath();
    p.fillPath(path, c);
  }
  const qreal bar = forward ? m.x() + 3 : m.x() - 5;
  p.fillRect(QRectF(bar, m.y() - 4, 2, 8), c);
  p.restore();
}

void EjectIcon(QPainter& p, const QRectF& r, const QColor& c) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  const QPointF m = r.center();
  QPainterPath path;
  path.moveTo(m.x() - 4.5, m.y() + 1);
  path.lineTo(m.x(), m.y() - 4);
  path.lineTo(m.x() + 4.5, m.y() + 1);
  path.closeSubpath();
  p.fillPath(path, c);
  p.fillRect(QRectF(m.x() - 4.5, m.y() + 2.5, 9, 2), c);
  p.restore();
}

void RepeatIcon(QPainter& p, const QRectF& r, const QColor& c) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  const QPointF m = r.center();
  p.setPen(QPen(c, 1.4));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(m.x() - 5, m.y() - 3, 10, 6), 2.5, 2.5);
  QPainterPath head;
  head.moveTo(m.x() + 1, m.y() - 5.5);
  head.lineTo(m.x() + 4, m.y() - 3);
  head.lineTo(m.x() + 1, m.y() - 0.5);
  head.closeSubpath();
  p.fillPath(head, c);
  p.restore();
}

}  // namespace SkinArt

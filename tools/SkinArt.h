#pragma once
#include <QColor>
#include <QPainter>
#include <QRectF>
#include <QString>

// Drawing helpers shared by the default skin's bitmaps.
namespace SkinArt {

namespace Palette {
const QColor kBodyTop(0x36, 0x3e, 0x4a);
const QColor kBodyBottom(0x1b, 0x20, 0x27);
const QColor kEdgeLight(0x5e, 0x68, 0x76);
const QColor kEdgeDark(0x0b, 0x0e, 0x12);
const QColor kDisplay(0x0a, 0x0e, 0x12);
const QColor kTeal(0x3f, 0xd8, 0xc2);
const QColor kTealDim(0x12, 0x33, 0x30);
const QColor kAmber(0xf0, 0xa0, 0x40);
const QColor kAmberDim(0x4a, 0x33, 0x1a);
const QColor kIcon(0xe2, 0xe8, 0xef);
const QColor kMuted(0x8a, 0x94, 0xa0);
}  // namespace Palette

// The player's metal body: a vertical gradient with a light top edge.
void Body(QPainter& p, const QRectF& r, bool edges = true);
// A raised button face; pressed faces are sunken and darker.
void Face(QPainter& p, const QRectF& r, bool pressed, qreal radius = 2.0);
// A recessed dark display area.
void Well(QPainter& p, const QRectF& r, qreal radius = 2.0);
// A round lamp, amber when lit.
void Led(QPainter& p, const QPointF& centre, qreal radius, bool lit);
// Text centred in r.
void Label(QPainter& p, const QRectF& r, const QString& text, const QColor& colour, int pixelSize,
           bool bold = true, int align = Qt::AlignCenter, qreal spacing = 0);
// A slider knob: silver when released, amber while held.
void Knob(QPainter& p, const QRectF& r, bool pressed, bool vertical = false);
// A title strip with a centred name, bright when the window has the focus.
void TitleStrip(QPainter& p, const QRectF& r, const QString& name, bool active);

// Transport symbols, centred in r.
void PlayIcon(QPainter& p, const QRectF& r, const QColor& c);
void PauseIcon(QPainter& p, const QRectF& r, const QColor& c);
void StopIcon(QPainter& p, const QRectF& r, const QColor& c);
void SkipIcon(QPainter& p, const QRectF& r, const QColor& c, bool forward);
void EjectIcon(QPainter& p, const QRectF& r, const QColor& c);
void RepeatIcon(QPainter& p, const QRectF& r, const QColor& c);

}  // namespace SkinArt

#include "tools/DefaultSkin.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstring>
#include <functional>
#include <map>

#include "tools/SkinArt.h"
#include "tools/SkinLayout.h"

using namespace SkinArt;
using namespace SkinArt::Palette;

namespace {
using Painter = std::function<void(QPainter&, const SkinBitmap&)>;

// Blends from teal at 0 to amber at 1: the level colour of every meter.
QColor LevelColour(double t) {
  return QColor::fromRgbF(float(kTeal.redF() + (kAmber.redF() - kTeal.redF()) * t),
                          float(kTeal.greenF() + (kAmber.greenF() - kTeal.greenF()) * t),
                          float(kTeal.blueF() + (kAmber.blueF() - kTeal.blueF()) * t));
}

void DrawButtons(QPainter& p, const SkinBitmap& b) {
  p.fillRect(0, 0, b.width, b.height, kBodyBottom);
  using IconFn = std::function<void(QPainter&, const QRectF&, const QColor&)>;
  const std::pair<const char*, IconFn> buttons[] = {
      {"previous", [](QPainter& q, const QRectF& r, const QColor& c) { SkipIcon(q, r, c, false); }},
      {"play", PlayIcon},
      {"pause", PauseIcon},
      {"stop", StopIcon},
      {"next", [](QPainter& q, const QRectF& r, const QColor& c) { SkipIcon(q, r, c, true); }},
      {"open", EjectIcon}};
  for (const auto& [name, icon] : buttons) {
    for (bool pressed : {false, true}) {
      const QRectF r = b.Rect(QString("cbuttons.%1.%2").arg(name, pressed ? "pressed" : "normal"));
      Face(p, r, pressed);
      icon(p, r.translated(0, pressed ? 1 : 0), pressed ? kAmber : kIcon);
    }
  }
}

void DrawTitleBar(QPainter& p, const SkinBitmap& b) {
  p.fillRect(0, 0, b.width, b.height, kBodyBottom);
  TitleStrip(p, b.Rect("titlebar.bar.active"), "TARNELLO", true);
  TitleStrip(p, b.Rect("titlebar.bar.inactive"), "TARNELLO", false);
  const char* names[] = {"menu", "minimize", "close"};
  for (const char* name : names) {
    for (bool pressed : {false, true}) {
      const QRect r = b.Rect(QString("titlebar.%1.%2").arg(name, pressed ? "pressed" : "normal"));
      p.fillRect(r, pressed ? QColor(0x1c, 0x20, 0x26) : QColor(0x4a, 0x53, 0x60));
      p.fillRect(r.x(), r.y(), r.width(), 1, pressed ? kEdgeDark : kEdgeLight);
      p.fillRect(r.x(), r.bottom(), r.width(), 1, kEdgeDark);
      p.fillRect(r.right(), r.y(), 1, r.height(), kEdgeDark);
      const QColor ink = pressed ? kAmber : kIcon;
      const int x = r.x(), y = r.y();
      if (QString(name) == "menu") {
        for (int row : {2, 4, 6}) p.fillRect(x + 2, y + row, 5, 1, ink);
      } else if (QString(name) == "minimize") {
        p.fillRect(x + 2, y + 6, 5, 1, ink);
      } else {
        for (int i = 0; i < 5; ++i) {
          p.fillRect(x + 2 + i, y + 2 + i, 1, 1, ink);
          p.fillRect(x + 6 - i, y + 2 + i, 1, 1, ink);
        }
      }
    }
  }
}

void DrawMonoStereo(QPainter& p, const SkinBitmap& b) {
  p.fillRect(0, 0, b.width, b.height, kDisplay);
  for (const char* name : {"stereo", "mono"}) {
    for (bool lit : {true, false}) {
      const QRect r = b.Rect(QString("monoster.%1.%2").arg(name, lit ? "lit" : "dark"));
      Label(p, r, QString(name).toUpper(), lit ? kTeal : kTealDim, 7, true);
    }
  }
}

// Seven segments, each a crisp block inside the 9 x 13 glyph cell.
void DrawDigits(QPainter& p, const SkinBitmap& b) {
  p.fillRect(0, 0, b.width, b.height, kDisplay);
  const QRect segments[7] = {QRect(2, 0, 5, 2), QRect(6, 1, 2, 5), QRect(6, 7, 2, 5), QRect(2, 11, 5, 2),
                             QRect(1, 7, 2, 5), QRect(1, 1, 2, 5), QRect(2, 5, 5, 2)};
  const char* lit[11] = {"abcdef", "bc", "abged", "abgcd", "fgbc", "afgcd", "afgedc", "abc", "abcdefg", "abcdfg", ""};
  const std::vector<SkinSprite>& glyphs = b.sprites;
  for (int n = 0; n < 11; ++n) {
    const QPoint origin = glyphs[n].rect.topLeft();
    for (int s = 0; s < 7; ++s) p.fillRect(segments[s].translated(origin), kTealDim);
    for (const char* c = lit[n]; *c; ++c) p.fillRect(segments[*c - 'a'].translated(origin), kTeal);
  }
}

void DrawPositionBar(QPainter& p, const SkinBitmap& b) {
  p.fillRect(0, 0, b.width, b.height, kBodyBottom);
  const QRect frame = b.Rect("posbar.frame");
  Body(p, frame, false);
  Well(p, QRectF(frame.x() + 1, 2, frame.width() - 2, 6), 3);
  for (int x = frame.x() + 31; x < frame.right() - 4; x += 31) p.fillRect(x, 4, 1, 2, kTealDim);
  Knob(p, b.Rect("posbar.thumb"), false);
  Knob(p, b.Rect("posbar.thumb.pressed"), true);
}

void DrawVolumeLike(QPainter& p, const SkinBitmap& b, bool balance) {
  p.fillRect(0, 0, b.width, b.height, kBodyBottom);
  const QString stem = balance ? "balance" : "volume";
  for (int k = 0; k < 28; ++k) {
    const QRect r = b.Rect(QString("%1.frame%2").arg(stem).arg(k));
    Body(p, r, false);
    const QRectF groove(r.x() + 1, r.y() + 3, r.width() - 2, 7);
    Well(p, groove, 3);
    const double t = k / 27.0;
    const QColor level = LevelColour(t);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(level);
    const qreal inner = groove.width() - 4;
    if (balance) {
      const qreal half = inner / 2 * t;
      const qreal mid = groove.center().x();
      p.drawRoundedRect(QRectF(mid - half, groove.top() + 2, 2 * half, 3), 1.5, 1.5);
      p.fillRect(QRectF(mid - 0.5, groove.top() + 1, 1, 5), kIcon);
    } else {
      // A wedge that grows with the volume.
      QPainterPath wedge;
      const qreal x0 = groove.left() + 2, y0 = groove.bottom() - 2;
      const qreal w = inner * t;
      wedge.moveTo(x0, y0);
      wedge.lineTo(x0 + w, y0);
      wedge.lineTo(x0 + w, y0 - 3 * t - 0.5);
      wedge.closeSubpath();
      p.drawPath(wedge);
    }
    p.restore();
  }
  Knob(p, b.Rect(stem + ".thumb"), false);
  Knob(p, b.Rect(stem + ".thumb.pressed"), true);
}

void DrawShuffleRepeat(QPainter& p, const SkinBitmap& b) {
  p.fillRect(0, 0, b.width, b.height, kBodyBottom);
  const char* states[] = {"off", "off.pressed", "on", "on.pressed"};
  for (const char* state : states) {
    const bool on = QString(state).startsWith("on");
    const bool pressed = QString(state).endsWith("pressed");
    const QRectF repeat = b.Rect(QString("shufrep.repeat.%1").arg(state));
    Face(p, repeat, pressed);
    RepeatIcon(p, repeat.adjusted(1, 0, -9, 0), on ? kAmber : kIcon);
    Led(p, QPointF(repeat.right() - 5, repeat.center().y()), 2.2, on);
    const QRectF shuffle = b.Rect(QString("shufrep.shuffle.%1").arg(state));
    Face(p, shuffle, pressed);
    Label(p, shuffle.adjusted(1, 0, -9, 0), "SHUFFLE", on ? kAmber : kIcon, 7, true, Qt::AlignCenter, -0.4);
    Led(p, QPointF(shuffle.right() - 5, shuffle.center().y()), 2.2, on);
    for (const char* name : {"eq", "pl"}) {
      const QRectF r = b.Rect(QString("shufrep.%1.%2").arg(name, state));
      Face(p, r, pressed);
      Label(p, r.adjusted(6, 0, 0, 0), QString(name).toUpper(), on ? kAmber : kMuted, 7, true);
      Led(p, QPointF(r.left() + 5, r.center().y()), 1.8, on);
    }
  }
}

void DrawMain(QPainter& p, const SkinBitmap& b) {
  Body(p, QRectF(0, 0, b.width, b.height));
  p.fillRect(0, 0, 1, b.height, kEdgeLight);
  p.fillRect(b.width - 1, 0, 1, b.height, kEdgeDark);
  TitleStrip(p, QRectF(0, 0, b.width, 14), "TARNELLO", true);
  // The display: time on the left, texts and lamps on the right.
  Well(p, QRectF(8, 17, 263, 39), 3);
  p.fillRect(72, 29, 2, 2, kTeal);
  p.fillRect(72, 35, 2, 2, kTeal);
  p.fillRect(107, 22, 1, 32, QColor(0x1e, 0x26, 0x2c));
  Label(p, QRectF(128, 40, 24, 12), "kbps", kMuted, 7, false, Qt::AlignLeft | Qt::AlignVCenter);
  Label(p, QRectF(169, 40, 22, 12), "kHz", kMuted, 7, false, Qt::AlignLeft | Qt::AlignVCenter);
  // Lamp sockets; the lamps themselves come from the mono/stereo bitmap.
  p.fillRect(211, 40, 58, 14, QColor(0x05, 0x07, 0x09));
  Label(p, QRectF(12, 57, 92, 13), "TARNELLO", kAmber, 8, true, Qt::AlignLeft | Qt::AlignVCenter, 1.2);
  Label(p, QRectF(60, 57, 44, 13), "VOL  BAL", kMuted, 7, false, Qt::AlignRight | Qt::AlignVCenter);
  Well(p, QRectF(15, 71, 250, 12), 3);
  // Wells behind the transport buttons and the toggles.
  Well(p, QRectF(13, 85, 121, 24), 3);
  Well(p, QRectF(133, 86, 28, 22), 3);
  Well(p, QRectF(161, 86, 80, 21), 3);
  // The emblem: a ring with a note-like stem.
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(kAmber, 1.6));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(256, 97), 9, 9);
  p.setPen(QPen(kTeal, 1.6));
  p.drawLine(QPointF(251.5, 92.5), QPointF(260.5, 92.5));
  p.drawLine(QPointF(256, 92.5), QPointF(256, 102.5));
  p.restore();
}

void DrawEqualizer(QPainter& p, const SkinBitmap& b) {
  p.fillRect(0, 0, b.width, b.height, kBodyBottom);
  const QRect bg = b.Rect("eqmain.background");
  Body(p, bg);
  p.fillRect(0, 0, 1, bg.height(), kEdgeLight);
  p.fillRect(bg.width() - 1, 0, 1, bg.height(), kEdgeDark);
  TitleStrip(p, QRectF(0, 0, bg.width(), 14), "EQUALIZER", true);
  // A small response display between the switches and the presets button.
  Well(p, QRectF(78, 16, 134, 17), 2);
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(kTealDim, 1));
  p.drawLine(QPointF(80, 24.5), QPointF(210, 24.5));
  QPainterPath curve;
  curve.moveTo(80, 27);
  curve.cubicTo(110, 18, 150, 31, 210, 21);
  p.setPen(QPen(kTeal, 1.2));
  p.drawPath(curve);
  p.restore();
  // Level marks and the centre line across the band sliders.
  Label(p, QRectF(38, 36, 36, 10), "+12 dB", kMuted, 7, false, Qt::AlignRight | Qt::AlignVCenter);
  Label(p, QRectF(38, 65, 36, 10), "0 dB", kMuted, 7, false, Qt::AlignRight | Qt::AlignVCenter);
  Label(p, QRectF(38, 94, 36, 10), "-12 dB", kMuted, 7, false, Qt::AlignRight | Qt::AlignVCenter);
  for (int y : {41, 70, 99}) p.fillRect(76, y, 180, 1, QColor(0x48, 0x50, 0x5c));
  const char* bands[] = {"60", "170", "310", "600", "1K", "3K", "6K", "12K", "14K", "16K"};
  Label(p, QRectF(14, 103, 28, 11), "PRE", kIcon, 7, true);
  for (int k = 0; k < 10; ++k) Label(p, QRectF(71 + 18 * k, 103, 28, 11), bands[k], kIcon, 7, false);
  TitleStrip(p, b.Rect("eqmain.title.active"), "EQUALIZER", true);
  TitleStrip(p, b.Rect("eqmain.title.inactive"), "EQUALIZER", false);
  const char* states[] = {"off", "on", "off.pressed", "on.pressed"};
  for (const char* state : states) {
    const bool on = QString(state).startsWith("on");
    const bool pressed = QString(state).endsWith("pressed");
    for (const auto& [name, text] : {std::pair{"on", "ON"}, std::pair{"auto", "AUTO"}}) {
      const QRectF r = b.Rect(QString("eqmain.%1.%2").arg(name, state));
      Face(p, r, pressed);
      Led(p, QPointF(r.left() + 5, r.center().y()), 2, on);
      Label(p, r.adjusted(9, 0, -1, 0), text, on ? kAmber : kIcon, 7, true);
    }
  }
  for (bool pressed : {false, true}) {
    const QRectF r = b.Rect(pressed ? "eqmain.presets.pressed" : "eqmain.presets.normal");
    Face(p, r, pressed);
    Label(p, r, "PRESETS", pressed ? kAmber : kIcon, 7, true);
  }
  Knob(p, b.Rect("eqmain.thumb"), false, true);
  Knob(p, b.Rect("eqmain.thumb.pressed"), true, true);
  // Frame i shows the level of value i * 63 / 27: 0 is the strongest boost (top).
  const std::vector<QRect> frames = EqualizerFrames();
  for (int i = 0; i < int(frames.size()); ++i) {
    const QRect r = frames[i];
    Body(p, r, false);
    const QRectF groove(r.x() + 4, r.y() + 2, 6, r.height() - 4);
    Well(p, groove, 3);
    const qreal centre = r.y() + r.height() / 2.0;
    const qreal level = r.y() + 5.5 + (r.height() - 11) * (i / 27.0);
    const bool boost = level < centre;
    const QRectF fill(groove.left() + 1.5, std::min(level, centre), 3, std::abs(centre - level));
    p.fillRect(fill, boost ? kAmber : kTeal);
    p.fillRect(QRectF(r.x() + 1, centre - 0.5, 2, 1), kMuted);
    p.fillRect(QRectF(r.right() - 2, centre - 0.5, 2, 1), kMuted);
  }
}

void DrawPlaylist(QPainter& p, const SkinBitmap& b) {
  p.fillRect(0, 0, b.width, b.height, kBodyBottom);
  for (bool active : {true, false}) {
    const QString row = active ? "active" : "inactive";
    const QRect left = b.Rect("pledit.title.left." + row);
    const QRect text = b.Rect("pledit.title.text." + row);
    const QRect fill = b.Rect("pledit.title.fill." + row);
    const QRect right = b.Rect("pledit.title.right." + row);
    // Every piece carries the same strip so the pieces tile seamlessly.
    for (const QRect& r : {left, text, fill, right}) TitleStrip(p, r, QString(), active);
    Label(p, text, "PLAYLIST", active ? kAmber : kMuted, 9, true, Qt::AlignCenter, 1.5);
    p.fillRect(left.x(), left.y(), 1, left.height(), kEdgeLight);
    p.fillRect(right.right(), right.y(), 1, right.height(), kEdgeDark);
    const QColor groove = active ? QColor(0x7a, 0x62, 0x40) : QColor(0x48, 0x4e, 0x56);
    for (int y : {7, 11}) {
      p.fillRect(left.x() + 6, left.y() + y, left.width() - 6, 1, groove);
      p.fillRect(fill.x(), fill.y() + y, fill.width(), 1, groove);
      p.fillRect(right.x(), right.y() + y, right.width() - 6, 1, groove);
      p.fillRect(text.x(), text.y() + y, 8, 1, groove);
      p.fillRect(text.right() - 7, text.y() + y, 8, 1, groove);
    }
  }
  const QRect leftBorder = b.Rect("pledit.border.left");
  Body(p, leftBorder, false);
  p.fillRect(leftBorder.x(), leftBorder.y(), 1, leftBorder.height(), kEdgeLight);
  p.fillRect(leftBorder.x() + 11, leftBorder.y(), 1, leftBorder.height(), kEdgeDark);
  const QRect rightBorder = b.Rect("pledit.border.right");
  Body(p, rightBorder, false);
  p.fillRect(rightBorder.x() + 5, rightBorder.y(), 1, rightBorder.height(), kEdgeLight);
  p.fillRect(rightBorder.x() + 10, rightBorder.y(), 8, rightBorder.height(), kDisplay);
  p.fillRect(rightBorder.right(), rightBorder.y(), 1, rightBorder.height(), kEdgeDark);
  Knob(p, b.Rect("pledit.scroll.thumb"), false, true);
  for (const char* name : {"pledit.bottom.left", "pledit.bottom.fill", "pledit.bottom.right"}) {
    const QRect r = b.Rect(name);
    Body(p, r);
  }
  const QRect bl = b.Rect("pledit.bottom.left");
  p.fillRect(bl.x(), bl.y(), 1, bl.height(), kEdgeLight);
  Well(p, QRectF(bl.x() + 11, bl.y() + 5, 115, 24), 3);
  const QRect br = b.Rect("pledit.bottom.right");
  Label(p, QRectF(br.x() + 8, br.y() + 8, 90, 18), "TARNELLO", kAmberDim.lighter(220), 8, true,
        Qt::AlignLeft | Qt::AlignVCenter, 1.2);
  Well(p, QRectF(br.x() + 103, br.y() + 5, 28, 24), 3);
  p.fillRect(br.right(), br.y(), 1, br.height(), kEdgeDark);
  // The resize grip in the lower right corner.
  for (int i = 0; i < 3; ++i) {
    const int d = 4 + 4 * i;
    for (int j = 0; j <= d; j += 2) p.fillRect(br.right() - 3 - j, br.bottom() - 3 - (d - j), 1, 1, kMuted);
  }
  struct Button {
    int id;
    const char* label;
  };
  const Button buttons[] = {{101, "ADD"},  {102, "DIR"},  {103, "URL"},  {104, "REM"},  {105, "CROP"}, {106, "ALL"},
                            {107, "..."},  {108, "SEL"},  {109, "ALL"},  {110, "INV"},  {111, "MISC"}, {112, "INFO"},
                            {113, "SORT"}, {114, "LIST"}, {115, "SAVE"}, {116, "NEW"}};
  for (const Button& bt : buttons) {
    const bool group = bt.id == 101 || bt.id == 104 || bt.id == 108 || bt.id == 111 || bt.id == 114;
    for (bool down : {false, true}) {
      const QRectF r = b.Rect(QString("pledit.button%1.%2").arg(bt.id).arg(down ? "down" : "up"));
      Face(p, r, down);
      // Four letters fit the 22-pixel face only in the regular weight.
      Label(p, r.translated(0, down ? 1 : 0), bt.label, down ? kAmber : group ? kIcon : kTeal, 7,
            std::strlen(bt.label) <= 3);
    }
  }
}

void DrawPlayPause(QPainter& p, const SkinBitmap& b) {
  p.fillRect(0, 0, b.width, b.height, kDisplay);
  PlayIcon(p, b.Rect("playpaus.playing").adjusted(-1, 0, 0, 0), kTeal);
  const QRect paused = b.Rect("playpaus.paused");
  p.fillRect(paused.x() + 2, 1, 2, 7, kAmber);
  p.fillRect(paused.x() + 5, 1, 2, 7, kAmber);
  const QRect stopped = b.Rect("playpaus.stopped");
  p.fillRect(stopped.x() + 1, 1, 7, 7, kMuted);
}

void DrawText(QPainter& p, const SkinBitmap& b) {
  p.fillRect(0, 0, b.width, b.height, kDisplay);
  const char* rows[] = {"ABCDEFGHIJKLMNOPQRSTUVWXYZ\"@   ", "0123456789..:()-'!_+\\/[]^&%,=$#", "   ?*"};
  for (int row = 0; row < 3; ++row) {
    const QString line = QString::fromLatin1(rows[row]);
    for (int i = 0; i < line.size(); ++i) {
      Label(p, QRectF(5 * i, 6 * row, 5, 6), line.mid(i, 1), kTeal, 6, false);
    }
  }
}

const std::map<QString, Painter>& Painters() {
  static const std::map<QString, Painter> painters = {
      {"balance.bmp", [](QPainter& p, const SkinBitmap& b) { DrawVolumeLike(p, b, true); }},
      {"cbuttons.bmp", DrawButtons},
      {"EqMain.bmp", DrawEqualizer},
      {"main.bmp", DrawMain},
      {"MonoSter.bmp", DrawMonoStereo},
      {"Numbers.bmp", DrawDigits},
      {"nums_ex.bmp", DrawDigits},
      {"PlayPaus.bmp", DrawPlayPause},
      {"PlEdit.bmp", DrawPlaylist},
      {"Posbar.bmp", DrawPositionBar},
      {"ShufRep.bmp", DrawShuffleRepeat},
      {"text.bmp", DrawText},
      {"TitleBar.bmp", DrawTitleBar},
      {"volume.bmp", [](QPainter& p, const SkinBitmap& b) { DrawVolumeLike(p, b, false); }},
  };
  return painters;
}
}  // namespace

std::vector<SkinFile> DefaultSkinFiles() {
  std::vector<SkinFile> files;
  for (const SkinBitmap& b : SkinLayout()) {
    QImage image(b.width, b.height, QImage::Format_RGB32);
    image.fill(kBodyBottom);
    QPainter painter(&image);
    Painters().at(b.file)(painter, b);
    painter.end();
    files.push_back({b.file, EncodeBmp(image)});
  }
  files.push_back({"pledit.txt",
                   "[Text]\r\nNormal=#3FD8C2\r\nCurrent=#FFFFFF\r\nNormalBG=#0A0E12\r\nSelectedBG=#2E4A66\r\n"});
  return files;
}

#include "tools/SkinLayout.h"

const SkinSprite* SkinBitmap::Find(const QString& name) const {
  for (const SkinSprite& s : sprites) {
    if (s.name == name) return &s;
  }
  return nullptr;
}

QRect SkinBitmap::Rect(const QString& name) const {
  const SkinSprite* s = Find(name);
  return s ? s->rect : QRect();
}

std::vector<QRect> VolumeFrames() {
  std::vector<QRect> frames;
  for (int k = 0; k < 28; ++k) frames.emplace_back(0, 15 * k, 68, 13);
  return frames;
}

std::vector<QRect> BalanceFrames() {
  std::vector<QRect> frames;
  for (int k = 27; k >= 0; --k) frames.emplace_back(9, 15 * k, 38, 13);
  for (int k = 0; k < 28; ++k) frames.emplace_back(9, 15 * k, 38, 13);
  return frames;
}

std::vector<QRect> EqualizerFrames() {
  std::vector<QRect> frames;
  for (int k = 0; k < 14; ++k) frames.emplace_back(208 - 15 * k, 229, 14, 64);
  for (int k = 0; k < 14; ++k) frames.emplace_back(208 - 15 * k, 164, 14, 64);
  return frames;
}

namespace {
void Add(SkinBitmap& b, const QString& name, int x, int y, int w, int h) {
  b.sprites.push_back({b.file.section('.', 0, 0).toLower() + "." + name, QRect(x, y, w, h)});
}

SkinBitmap Buttons() {
  SkinBitmap b{"cbuttons.bmp", 136, 36, {}};
  const char* names[] = {"previous", "play", "pause", "stop", "next"};
  const int widths[] = {23, 23, 23, 23, 22};
  int x = 0;
  for (int i = 0; i < 5; ++i) {
    Add(b, QString(names[i]) + ".normal", x, 0, widths[i], 18);
    Add(b, QString(names[i]) + ".pressed", x, 18, widths[i], 18);
    x += widths[i];
  }
  Add(b, "open.normal", 114, 0, 22, 16);
  Add(b, "open.pressed", 114, 16, 22, 16);
  return b;
}

SkinBitmap Main() {
  SkinBitmap b{"main.bmp", 275, 116, {}};
  Add(b, "background", 0, 0, 275, 116);
  return b;
}

SkinBitmap TitleBar() {
  SkinBitmap b{"TitleBar.bmp", 302, 29, {}};
  const char* names[] = {"menu", "minimize", "close"};
  for (int i = 0; i < 3; ++i) {
    Add(b, QString(names[i]) + ".normal", 9 * i, 0, 9, 9);
    Add(b, QString(names[i]) + ".pressed", 9 * i, 9, 9, 9);
  }
  Add(b, "bar.active", 27, 0, 275, 14);
  Add(b, "bar.inactive", 27, 15, 275, 14);
  return b;
}

SkinBitmap MonoStereo() {
  SkinBitmap b{"MonoSter.bmp", 56, 24, {}};
  Add(b, "stereo.lit", 0, 0, 29, 12);
  Add(b, "stereo.dark", 0, 12, 29, 12);
  Add(b, "mono.lit", 29, 0, 27, 12);
  Add(b, "mono.dark", 29, 12, 27, 12);
  return b;
}

SkinBitmap Digits(const QString& file) {
  SkinBitmap b{file, 99, 13, {}};
  for (int n = 0; n < 10; ++n) Add(b, QString("digit%1").arg(n), 9 * n, 0, 9, 13);
  Add(b, "blank", 90, 0, 9, 13);
  return b;
}

SkinBitmap PositionBar() {
  SkinBitmap b{"Posbar.bmp", 307, 10, {}};
  Add(b, "frame", 0, 0, 248, 10);
  Add(b, "thumb", 248, 0, 29, 10);
  Add(b, "thumb.pressed", 278, 0, 29, 10);
  return b;
}

SkinBitmap VolumeLike(const QString& file, int frameX, int frameWidth) {
  SkinBitmap b{file, frameX + frameWidth, 433, {}};
  for (int k = 0; k < 28; ++k) Add(b, QString("frame%1").arg(k), frameX, 15 * k, frameWidth, 13);
  Add(b, "thumb", 15, 422, 14, 11);
  Add(b, "thumb.pressed", 0, 422, 14, 11);
  return b;
}

SkinBitmap ShuffleRepeat() {
  SkinBitmap b{"ShufRep.bmp", 92, 85, {}};
  const char* states[] = {"off", "off.pressed", "on", "on.pressed"};
  for (int i = 0; i < 4; ++i) {
    Add(b, QString("repeat.") + states[i], 0, 15 * i, 28, 15);
    Add(b, QString("shuffle.") + states[i], 28, 15 * i, 47, 15);
  }
  Add(b, "eq.off", 0, 61, 23, 12);
  Add(b, "eq.on", 0, 73, 23, 12);
  Add(b, "eq.off.pressed", 46, 61, 23, 12);
  Add(b, "eq.on.pressed", 46, 73, 23, 12);
  Add(b, "pl.off", 23, 61, 23, 12);
  Add(b, "pl.on", 23, 73, 23, 12);
  Add(b, "pl.off.pressed", 69, 61, 23, 12);
  Add(b, "pl.on.pressed", 69, 73, 23, 12);
  return b;
}

SkinBitmap Equalizer() {
  SkinBitmap b{"EqMain.bmp", 275, 293, {}};
  Add(b, "background", 0, 0, 275, 116);
  Add(b, "title.active", 0, 134, 275, 14);
  Add(b, "title.inactive", 0, 149, 275, 14);
  Add(b, "on.off", 10, 119, 24, 12);
  Add(b, "on.on", 69, 119, 24, 12);
  Add(b, "on.off.pressed", 128, 119, 24, 12);
  Add(b, "on.on.pressed", 187, 119, 24, 12);
  Add(b, "auto.off", 35, 119, 33, 12);
  Add(b, "auto.on", 94, 119, 33, 12);
  Add(b, "auto.off.pressed", 153, 119, 33, 12);
  Add(b, "auto.on.pressed", 212, 119, 33, 12);
  Add(b, "presets.normal", 224, 164, 44, 12);
  Add(b, "presets.pressed", 224, 176, 44, 12);
  Add(b, "thumb", 0, 164, 11, 11);
  Add(b, "thumb.pressed", 0, 176, 11, 11);
  const std::vector<QRect> frames = EqualizerFrames();
  for (int i = 0; i < int(frames.size()); ++i) {
    const QRect& r = frames[i];
    Add(b, QString("frame%1").arg(i), r.x(), r.y(), r.width(), r.height());
  }
  return b;
}

SkinBitmap Playlist() {
  SkinBitmap b{"PlEdit.bmp", 276, 186, {}};
  const char* rows[] = {"active", "inactive"};
  for (int i = 0; i < 2; ++i) {
    const int y = 21 * i;
    Add(b, QString("title.left.") + rows[i], 0, y, 25, 20);
    Add(b, QString("title.text.") + rows[i], 26, y, 100, 20);
    Add(b, QString("title.fill.") + rows[i], 127, y, 25, 20);
    Add(b, QString("title.right.") + rows[i], 153, y, 25, 20);
  }
  Add(b, "border.left", 0, 42, 25, 29);
  Add(b, "border.right", 26, 42, 25, 29);
  Add(b, "scroll.thumb", 52, 53, 8, 18);
  Add(b, "bottom.left", 0, 72, 125, 38);
  Add(b, "bottom.fill", 179, 0, 25, 38);
  Add(b, "bottom.right", 126, 72, 150, 38);
  struct Button {
    int id, x, y;
  };
  const Button buttons[] = {{101, 0, 149}, {102, 0, 130},  {103, 0, 111},  {104, 54, 149},
                            {105, 54, 130}, {106, 54, 111}, {107, 54, 168}, {108, 104, 149},
                            {109, 104, 130}, {110, 104, 111}, {111, 154, 149}, {112, 154, 130},
                            {113, 154, 111}, {114, 204, 149}, {115, 204, 130}, {116, 204, 111}};
  for (const Button& bt : buttons) {
    Add(b, QString("button%1.up").arg(bt.id), bt.x, bt.y, 22, 18);
    Add(b, QString("button%1.down").arg(bt.id), bt.x + 23, bt.y, 22, 18);
  }
  return b;
}

SkinBitmap PlayPause() {
  SkinBitmap b{"PlayPaus.bmp", 27, 9, {}};
  Add(b, "playing", 0, 0, 9, 9);
  Add(b, "paused", 9, 0, 9, 9);
  Add(b, "stopped", 18, 0, 9, 9);
  return b;
}

SkinBitmap Text() {
  SkinBitmap b{"text.bmp", 155, 18, {}};
  Add(b, "glyphs", 0, 0, 155, 18);
  return b;
}
}  // namespace

std::vector<SkinBitmap> SkinLayout() {
  return {VolumeLike("balance.bmp", 9, 38),
          Buttons(),
          Equalizer(),
          Main(),
          MonoStereo(),
          Digits("Numbers.bmp"),
          Digits("nums_ex.bmp"),
          PlayPause(),
          Playlist(),
          PositionBar(),
          ShuffleRepeat(),
          Text(),
          TitleBar(),
          VolumeLike("volume.bmp", 0, 68)};
}

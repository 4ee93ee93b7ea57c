#pragma once
#include <QRect>
#include <QString>
#include <vector>

// Every bitmap of a skin with the sprites the player's windows cut from it.
// Artwork is drawn into these rectangles, so they are the one place that knows
// where the windows look.
struct SkinSprite {
  QString name;  // "bitmap.part.state", unique within the skin
  QRect rect;    // in bitmap pixels
};

struct SkinBitmap {
  QString file;  // file name as the player names it
  int width = 0;
  int height = 0;
  std::vector<SkinSprite> sprites;

  const SkinSprite* Find(const QString& name) const;
  QRect Rect(const QString& name) const;  // empty when there is no such sprite
};

std::vector<SkinBitmap> SkinLayout();

// Frame rectangles in the order a slider is given them.
std::vector<QRect> VolumeFrames();     // 28, minimum first
std::vector<QRect> BalanceFrames();    // 56, left end first
std::vector<QRect> EqualizerFrames();  // 28, top (strongest boost) first

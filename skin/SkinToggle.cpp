#include "skin/SkinToggle.h"

SkinToggle::SkinToggle() = default;
SkinToggle::~SkinToggle() = default;

void SkinToggle::SetOffImage(const QImage& bitmap, const SourceRect& source) {
  offBitmap_ = bitmap;
  offSource_ = source;
  UpdateOpacity();
}

void SkinToggle::SetOffPressedImage(const QImage& bitmap, const SourceRect& source) {
  offPressedBitmap_ = bitmap;
  offPressedSource_ = source;
  UpdateOpacity();
}

bool SkinToggle::ImagesCover() const {
  return SpriteCovers(normalBitmap_, normalSource_) && SpriteCovers(pressedBitmap_, pressedSource_) &&
         SpriteCovers(offBitmap_, offSource_) && SpriteCovers(offPressedBitmap_, offPressedSource_);
}

void SkinToggle::SetState(bool on) {
  state_ = on;
  Invalidate(true);
}

void SkinToggle::OnPaint(Canvas& canvas) {
  if (state_) {
    if (pressed_) {
      DrawSprite(canvas, pressedBitmap_, pressedSource_);
    } else {
      DrawSprite(canvas, normalBitmap_, normalSource_);
    }
  } else {
    if (pressed_) {
      DrawSprite(canvas, offPressedBitmap_, offPressedSource_);
    } else {
      DrawSprite(canvas, offBitmap_, offSource_);
    }
  }
}

// A toggle never moves, so the drag steps of the base are left out.
void SkinToggle::OnStylusDown(Point) {
  SetCapture();
  pressed_ = true;
  RedrawNow();
}

void SkinToggle::OnStylusUp(Point) {
  if (!pressed_) return;
  state_ = !state_;
  ReleaseCapture();
  pressed_ = false;
  RedrawNow();
  if (Window* parent = GetParent()) parent->Post(MSG_COMMAND, uintptr_t(GetId()), intptr_t(GetId()));
}

#include "skin/SkinButton.h"

#include <QWidget>

#include "platform/Canvas.h"

namespace {
// What a control shows where its skin has no image.
constexpr Colour kBlankFace = MakeColour(128, 128, 128);
}  // namespace

// A button does not move unless its parent chooses another drag mode.
SkinButton::SkinButton() : MovableWindow(DragMode{.lockVertical = true, .lockHorizontal = true}) {}

SkinButton::~SkinButton() = default;

bool SkinButton::Create(const Rect& rect, Window* parent, int id) {
  if (!CreateChild(parent, rect, id, true)) return false;
  UpdateOpacity();
  return true;
}

void SkinButton::SetPressedImage(const QImage& bitmap, const SourceRect& source) {
  pressedBitmap_ = bitmap;
  pressedSource_ = source;
  UpdateOpacity();
}

void SkinButton::SetNormalImage(const QImage& bitmap, const SourceRect& source) {
  normalBitmap_ = bitmap;
  normalSource_ = source;
  UpdateOpacity();
}

bool SkinButton::SpriteCovers(const QImage& bitmap, const SourceRect& source) {
  // A missing image is drawn as a plain face, which covers the control too.
  return bitmap.isNull() || source.width <= 0 || source.height <= 0 || SpriteFits(bitmap, source);
}

bool SkinButton::ImagesCover() const {
  // The button paints both of its states from the normal bitmap.
  return SpriteCovers(normalBitmap_, normalSource_) && SpriteCovers(normalBitmap_, pressedSource_);
}

void SkinButton::Enable(bool enabled) {
  if (Widget()) Widget()->setEnabled(enabled);
}

void SkinButton::DrawSprite(Canvas& canvas, const QImage& bitmap, const SourceRect& source) {
  const Rect client = GetClientRect();
  if (bitmap.isNull() || source.width <= 0 || source.height <= 0) {
    canvas.Fill(client, kBlankFace);
    return;
  }
  canvas.StretchCopy(bitmap, source.ToRect(), client);
}

void SkinButton::OnPaint(Canvas& canvas) {
  DrawSprite(canvas, normalBitmap_, pressed_ ? pressedSource_ : normalSource_);
}

void SkinButton::OnStylusDown(Point client) {
  pressed_ = true;
  SetCapture();
  Invalidate(false);
  MovableWindow::OnStylusDown(client);
}

void SkinButton::OnStylusUp(Point client) {
  ReleaseCapture();
  pressed_ = false;
  Invalidate(false);
  const int id = GetId();
  if (Window* parent = GetParent()) parent->Send(MSG_COMMAND, uintptr_t(id), intptr_t(id));
  MovableWindow::OnStylusUp(client);
}

void SkinButton::OnCommand(int commandId) {
  if (Window* parent = GetParent()) parent->SendCommand(commandId);
  MovableWindow::OnCommand(commandId);
}

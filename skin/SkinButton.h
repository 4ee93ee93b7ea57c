#pragma once
#include <QImage>

#include "skin/MovableWindow.h"
#include "skin/SourceRect.h"

// A push button drawn from a skin bitmap: the normal sprite, or the pressed one
// while the stylus is down. Lifting the stylus anywhere sends the button's
// command to its parent, synchronously. It never moves (both drag axes locked).
class SkinButton : public MovableWindow {
 public:
  SkinButton();
  ~SkinButton() override;

  virtual bool Create(const Rect& rect, Window* parent, int id);
  // Both images come from the same skin bitmap; the button paints from the normal one.
  virtual void SetPressedImage(const QImage& bitmap, const SourceRect& source);
  virtual void SetNormalImage(const QImage& bitmap, const SourceRect& source);
  // A disabled button takes no stylus input.
  void Enable(bool enabled);
  bool IsPressed() const { return pressed_; }

 protected:
  void OnPaint(Canvas& canvas) override;
  void OnStylusDown(Point client) override;
  void OnStylusUp(Point client) override;
  // Commands the button receives are passed on to its parent first.
  void OnCommand(int commandId) override;

  // Stretches a sprite over the whole client area; a missing image shows a plain face.
  void DrawSprite(Canvas& canvas, const QImage& bitmap, const SourceRect& source);
  // Whether DrawSprite covers the whole client area with this image.
  static bool SpriteCovers(const QImage& bitmap, const SourceRect& source);
  // Whether every image the control may show covers it; where one does not, the
  // parent's drawing shows through the uncovered part.
  virtual bool ImagesCover() const;
  void UpdateOpacity() { SetOpaque(ImagesCover()); }

  QImage normalBitmap_;
  QImage pressedBitmap_;
  SourceRect normalSource_;
  SourceRect pressedSource_;
  bool pressed_ = false;
};

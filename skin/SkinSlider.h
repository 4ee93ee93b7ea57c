#pragma once
#include <QImage>
#include <vector>

#include "platform/Window.h"
#include "skin/SourceRect.h"

// A slider drawn from skin sprites: one background frame chosen by the value,
// and a thumb (its pressed sprite while the stylus is down). While dragging it
// posts MSG_SLIDER_TRACK (wParam = value, lParam = id) to its parent on every
// move, and MSG_SLIDER_SET when the stylus is lifted. Style bit
// kVertical makes the value grow downwards instead of to the right.
class SkinSlider : public Window {
 public:
  static constexpr int kVertical = 0x0002;

  SkinSlider();
  ~SkinSlider() override;

  virtual bool Create(const Rect& rect, int thumbWidth, int thumbHeight, int style, Window* parent, int id);

  void SetRange(int minimum, int maximum, bool redraw);
  void SetPosition(int value);
  int GetPosition() const { return position_; }
  int GetMinimum() const { return minimum_; }
  int GetMaximum() const { return maximum_; }
  bool IsDragging() const { return dragging_; }
  bool IsVertical() const { return (style_ & kVertical) != 0; }
  void SetThumbSize(int width, int height);

  // Frames are background images, the first for the minimum.
  void AddFrame(const QImage& bitmap, const SourceRect& source);
  void RemoveAllFrames();
  void SetThumbImage(const QImage& bitmap, const SourceRect& source);
  void SetThumbPressedImage(const QImage& bitmap, const SourceRect& source);

  // The geometry of the slider at its current size, exposed for its owner's layout and tests.
  int PointToValue(Point client) const;
  Rect ValueToThumb(int value) const;
  Rect PointToThumb(Point client) const;
  // Index of the background frame shown for a value, -1 without frames.
  int FrameIndexFor(int value) const;

 protected:
  void OnPaint(Canvas& canvas) override;
  void OnStylusDown(Point client) override;
  void OnStylusMove(Point client) override;
  void OnStylusUp(Point client) override;

 private:
  // Opaque only while every frame covers the slider; elsewhere the parent's drawing
  // shows through (a slider's background is never erased).
  void UpdateOpacity();

  struct Frame {
    QImage bitmap;
    SourceRect source;
  };
  // What is on screen: the background for a value and a thumb, released or pressed.
  struct View {
    int value = 0;
    Rect thumb;
    bool pressed = false;
  };
  void ShowNow(int value, const Rect& thumb, bool pressed);
  int Clamp(int value) const;
  // Position along the slider's axis, pulled to where the thumb's centre can be.
  int AxisPoint(Point client) const;
  int Half() const { return IsVertical() ? thumbHeight_ / 2 : thumbWidth_ / 2; }

  std::vector<Frame> frames_;
  bool dragging_ = false;
  int thumbWidth_ = 0;
  int thumbHeight_ = 0;
  int minimum_ = 0;
  int maximum_ = 100;
  int position_ = 0;
  int style_ = 0;
  QImage thumbBitmap_;
  SourceRect thumbSource_;
  QImage thumbPressedBitmap_;
  SourceRect thumbPressedSource_;
  View view_;
  bool showingDrag_ = false;
};

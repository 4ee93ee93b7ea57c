#pragma once
#include "skin/SkinButton.h"

// A two-state button. The button's normal and pressed images serve the on state;
// the off state has its own pair. Lifting the stylus flips the state and posts
// the command to the parent, which reads the new state with GetState.
class SkinToggle : public SkinButton {
 public:
  SkinToggle();
  ~SkinToggle() override;

  void SetOffImage(const QImage& bitmap, const SourceRect& source);
  void SetOffPressedImage(const QImage& bitmap, const SourceRect& source);
  // On (true) or off.
  bool GetState() const { return state_; }
  // Changes the state without a command.
  void SetState(bool on);

 protected:
  bool ImagesCover() const override;
  void OnPaint(Canvas& canvas) override;
  void OnStylusDown(Point client) override;
  void OnStylusUp(Point client) override;

 private:
  bool state_ = false;
  QImage offBitmap_;
  QImage offPressedBitmap_;
  SourceRect offSource_;
  SourceRect offPressedSource_;
};

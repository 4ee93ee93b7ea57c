#include "skin/SkinSlider.h"

#include "platform/Canvas.h"

SkinSlider::SkinSlider() = default;
SkinSlider::~SkinSlider() = default;

bool SkinSlider::Create(const Rect& rect, int thumbWidth, int thumbHeight, int style, Window* parent, int id) {
  thumbWidth_ = thumbWidth;
  thumbHeight_ = thumbHeight;
  style_ = style;
  if (!CreateChild(parent, rect, id, true)) return false;
  UpdateOpacity();
  return true;
}

void SkinSlider::UpdateOpacity() {
  bool covered = !frames_.empty();
  for (const Frame& frame : frames_) covered = covered && SpriteFits(frame.bitmap, frame.source);
  SetOpaque(covered);
}

int SkinSlider::Clamp(int value) const {
  if (value < minimum_) value = minimum_;
  if (value > maximum_) value = maximum_;
  return value;
}

void SkinSlider::SetRange(int minimum, int maximum, bool redraw) {
  minimum_ = minimum;
  maximum_ = maximum;
  position_ = Clamp(position_);
  if (redraw) Invalidate(true);
}

void SkinSlider::SetPosition(int value) {
  const int before = position_;
  position_ = Clamp(value);
  // The player moves the position slider twice a second: only what changed is drawn
  // again, the thumb's old and new places while the background frame stays. The
  // slider's background is never erased, its frame covers it.
  if (position_ == before) return;
  if (FrameIndexFor(before) != FrameIndexFor(position_)) {
    Invalidate(false);
    return;
  }
  Invalidate(ValueToThumb(before), false);
  Invalidate(ValueToThumb(position_), false);
}

void SkinSlider::SetThumbSize(int width, int height) {
  thumbWidth_ = width;
  thumbHeight_ = height;
}

void SkinSlider::AddFrame(const QImage& bitmap, const SourceRect& source) {
  frames_.push_back({bitmap, source});
  UpdateOpacity();
}

void SkinSlider::RemoveAllFrames() {
  frames_.clear();
  UpdateOpacity();
}

void SkinSlider::SetThumbImage(const QImage& bitmap, const SourceRect& source) {
  thumbBitmap_ = bitmap;
  thumbSource_ = source;
}

void SkinSlider::SetThumbPressedImage(const QImage& bitmap, const SourceRect& source) {
  thumbPressedBitmap_ = bitmap;
  thumbPressedSource_ = source;
}

int SkinSlider::AxisPoint(Point client) const {
  const Rect c = GetClientRect();
  const int half = Half();
  const int far = (IsVertical() ? c.bottom : c.right) - half;
  int p = IsVertical() ? client.y : client.x;
  if (p < half) {
    p = half;
  } else if (p > far) {
    p = far;
  }
  return p;
}

int SkinSlider::PointToValue(Point client) const {
  const Rect c = GetClientRect();
  const int span = IsVertical() ? c.Height() - thumbHeight_ : c.Width() - thumbWidth_;
  // An empty range or a thumb as large as the slider leaves nowhere to go.
  if (span <= 0 || maximum_ == minimum_) return minimum_;
  const long long travelled = AxisPoint(client) - Half();
  const int value = minimum_ + int((long long)(maximum_ - minimum_) * travelled / span);
  // An odd thumb size lets the point run one pixel past the span; the value must
  // still stay inside the range (it picks the frame and goes to the player).
  return Clamp(value);
}

Rect SkinSlider::ValueToThumb(int value) const {
  const Rect c = GetClientRect();
  const int range = maximum_ - minimum_;
  const long long offset = value - minimum_;
  int x = 0;
  int y = 0;
  if (IsVertical()) {
    x = (c.Width() - thumbWidth_) / 2;
    y = range == 0 ? 0 : int((long long)(c.Height() - thumbHeight_) * offset / range);
  } else {
    x = range == 0 ? 0 : int((long long)(c.Width() - thumbWidth_) * offset / range);
    y = (c.Height() - thumbHeight_) / 2;
  }
  return Rect::FromSize(x, y, thumbWidth_, thumbHeight_);
}

Rect SkinSlider::PointToThumb(Point client) const {
  Rect thumb = ValueToThumb(minimum_);
  const int start = AxisPoint(client) - Half();
  if (IsVertical()) {
    thumb = Rect::FromSize(thumb.left, start, thumbWidth_, thumbHeight_);
  } else {
    thumb = Rect::FromSize(start, thumb.top, thumbWidth_, thumbHeight_);
  }
  return thumb;
}

int SkinSlider::FrameIndexFor(int value) const {
  const int n = int(frames_.size());
  if (n == 0) return -1;
  const int range = maximum_ - minimum_;
  if (range == 0) return 0;
  const int index = int((long long)(value - minimum_) * (n - 1) / range);
  return index < 0 ? 0 : index >= n ? n - 1 : index;
}

void SkinSlider::OnPaint(Canvas& canvas) {
  // While the stylus is down the screen shows the drag; an expose keeps showing it.
  const View v = showingDrag_ ? view_ : View{position_, ValueToThumb(position_), false};
  const int frame = FrameIndexFor(v.value);
  if (frame >= 0 && !frames_[frame].bitmap.isNull()) {
    canvas.StretchCopy(frames_[frame].bitmap, frames_[frame].source.ToRect(), GetClientRect());
  }
  const QImage& bitmap = v.pressed ? thumbPressedBitmap_ : thumbBitmap_;
  const SourceRect& source = v.pressed ? thumbPressedSource_ : thumbSource_;
  canvas.StretchCopy(bitmap, source.ToRect(), v.thumb);
}

void SkinSlider::ShowNow(int value, const Rect& thumb, bool pressed) {
  view_ = {value, thumb, pressed};
  showingDrag_ = true;
  RedrawNow();
}

void SkinSlider::OnStylusDown(Point client) {
  dragging_ = true;
  SetCapture();
  ShowNow(PointToValue(client), PointToThumb(client), true);
}

void SkinSlider::OnStylusMove(Point client) {
  if (!dragging_) return;
  const int v = PointToValue(client);
  ShowNow(v, PointToThumb(client), true);
  position_ = v;
  if (Window* parent = GetParent()) parent->Post(MSG_SLIDER_TRACK, uintptr_t(intptr_t(v)), GetId());
}

void SkinSlider::OnStylusUp(Point client) {
  if (!dragging_) return;
  dragging_ = false;
  const int v = PointToValue(client);
  ShowNow(v, PointToThumb(client), false);
  // From now on paints show the thumb where the value puts it.
  showingDrag_ = false;
  position_ = v;
  if (Window* parent = GetParent()) parent->Post(MSG_SLIDER_SET, uintptr_t(intptr_t(v)), GetId());
  ReleaseCapture();
}

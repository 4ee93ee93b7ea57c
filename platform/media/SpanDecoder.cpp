#include "platform/media/SpanDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <unistd.h>

namespace {
// Digits with an optional '.' and more digits; false for anything else.
bool ParseSeconds(const std::string& text, double& value) {
  if (text.empty() || text.size() > 20) return false;
  size_t dots = 0;
  for (char c : text) {
    if (c == '.') ++dots;
    else if (c < '0' || c > '9') return false;
  }
  if (dots > 1 || text.front() == '.' || text.back() == '.') return false;
  value = std::strtod(text.c_str(), nullptr);
  return std::isfinite(value);
}

class SpanDecoder : public MediaDecoder {
 public:
  explicit SpanDecoder(std::unique_ptr<MediaDecoder> inner) : inner_(std::move(inner)) {}

  bool Open(const std::string& source) override {
    // A file whose own name ends so is played whole.
    spanned_ = ParseSourceSpan(source, span_) && access(source.c_str(), F_OK) != 0;
    if (!spanned_) return inner_->Open(source);
    if (!inner_->Open(span_.path)) return false;
    rate_ = inner_->Format().rate;
    if (rate_ <= 0) return false;
    startFrame_ = std::llround(span_.start * rate_);
    endFrame_ = span_.end >= 0 ? std::llround(span_.end * rate_) : -1;
    return StartAt(0);
  }

  double Duration() const override {
    const double whole = inner_->Duration();
    if (!spanned_) return whole;
    const double end = span_.end >= 0 && (whole <= 0 || span_.end < whole) ? span_.end : whole;
    return std::max(0.0, end - span_.start);
  }

  SoundFormat Format() const override { return inner_->Format(); }
  StreamInfo Info() const override { return inner_->Info(); }
  StreamTags Tags() const override { return inner_->Tags(); }
  GainTags Gains() const override { return inner_->Gains(); }

  bool Next(std::vector<float>& out) override {
    if (!spanned_) return inner_->Next(out);
    if (endFrame_ >= 0 && frame_ >= endFrame_) return false;
    if (!inner_->Next(out)) return false;
    const int channels = std::max(1, inner_->Format().channels);
    const int64_t frames = int64_t(out.size()) / channels;
    // The block that crosses the end is cut there; the next call reports the end.
    if (endFrame_ >= 0 && frame_ + frames > endFrame_) out.resize(size_t((endFrame_ - frame_) * channels));
    frame_ += frames;
    return true;
  }

  bool Seek(double seconds) override {
    if (!spanned_) return inner_->Seek(seconds);
    return StartAt(std::max(0.0, seconds));
  }

 private:
  // Moves to seconds from the span's start; the file's own start needs no seek.
  bool StartAt(double seconds) {
    const int64_t target = startFrame_ + std::llround(seconds * rate_);
    if (target > 0 && !inner_->Seek(double(target) / rate_)) return false;
    frame_ = target;
    return true;
  }

  std::unique_ptr<MediaDecoder> inner_;
  bool spanned_ = false;
  SourceSpan span_;
  int rate_ = 0;
  int64_t startFrame_ = 0;
  int64_t endFrame_ = -1;
  int64_t frame_ = 0;  // the file's frame the next block starts at
};
}  // namespace

bool ParseSourceSpan(const std::string& source, SourceSpan& span) {
  const size_t mark = source.rfind("#t=");
  if (mark == std::string::npos || mark == 0 || source.find("://") != std::string::npos) return false;
  const std::string times = source.substr(mark + 3);
  const size_t comma = times.find(',');
  double start = 0, end = -1;
  if (!ParseSeconds(times.substr(0, comma), start)) return false;
  if (comma != std::string::npos && (!ParseSeconds(times.substr(comma + 1), end) || end <= start)) return false;
  span = {source.substr(0, mark), start, end};
  return true;
}

std::unique_ptr<MediaDecoder> WrapSpanDecoder(std::unique_ptr<MediaDecoder> decoder) {
  if (!decoder) return nullptr;
  return std::make_unique<SpanDecoder>(std::move(decoder));
}

#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// Interleaved float frames in a ring that grows as needed. Frames leave at the
// front by moving an index, not the frames behind them, so a queue that is
// appended to at one end and forgotten at the other copies each frame once.
// Positions are frame offsets from the front.
class SampleRing {
 public:
  void Reset(size_t channels) {
    channels_ = std::max<size_t>(channels, 1);
    head_ = size_ = 0;
    if (buffer_.size() % channels_ != 0) buffer_.clear();
    capacity_ = buffer_.size() / channels_;
  }
  size_t Frames() const { return size_; }

  void Append(const float* samples, size_t frames) {
    AppendRuns(frames, [&](float* to, size_t done, size_t n) {
      std::copy(samples + done * channels_, samples + (done + n) * channels_, to);
    });
  }
  void AppendSilence(size_t frames) {
    AppendRuns(frames, [&](float* to, size_t, size_t n) { std::fill_n(to, n * channels_, 0.0f); });
  }
  // Appends frames [from, to) of another ring with the same channels.
  void AppendFrom(const SampleRing& other, size_t from, size_t to) {
    while (from < to) {
      const auto [samples, run] = other.Run(from, to);
      Append(samples, run);
      from += run;
    }
  }
  void DropFront(size_t frames) {
    frames = std::min(frames, size_);
    head_ = size_ == frames ? 0 : Wrap(head_ + frames);
    size_ -= frames;
  }
  void Truncate(size_t frames) { size_ = std::min(size_, frames); }

  // The frames from `from` on that lie one after another in memory, at most up to `to`.
  std::pair<const float*, size_t> Run(size_t from, size_t to) const {
    to = std::min(to, size_);
    if (from >= to) return {nullptr, 0};
    const size_t at = Wrap(head_ + from);
    return {buffer_.data() + Index(at), std::min(to - from, capacity_ - at)};
  }
  // out becomes frames [from, to).
  void CopyTo(size_t from, size_t to, std::vector<float>& out) const {
    out.clear();
    while (from < to) {
      const auto [samples, run] = Run(from, to);
      if (run == 0) break;
      out.insert(out.end(), samples, samples + run * channels_);
      from += run;
    }
  }
  float Sample(size_t frame, size_t channel) const { return buffer_[Index(Wrap(head_ + frame)) + channel]; }

 private:
  // Makes room for `frames` more and hands fill(to, done, n) each stretch of it
  // that lies in one piece: n frames at `to`, `done` frames into the appended ones.
  template <typename Fill>
  void AppendRuns(size_t frames, Fill fill) {
    Reserve(size_ + frames);
    for (size_t done = 0; done < frames;) {
      const size_t at = Wrap(head_ + size_ + done);
      const size_t n = std::min(frames - done, capacity_ - at);
      fill(buffer_.data() + Index(at), done, n);
      done += n;
    }
    size_ += frames;
  }
  size_t Wrap(size_t frame) const { return capacity_ == 0 ? 0 : frame % capacity_; }
  size_t Index(size_t frame) const { return frame * channels_; }
  // Grows to at least `frames`, doubling, with the frames moved to the front.
  void Reserve(size_t frames) {
    if (frames <= capacity_) return;
    size_t capacity = std::max<size_t>(capacity_, 4096);
    while (capacity < frames) capacity *= 2;
    std::vector<float> grown(capacity * channels_);
    for (size_t done = 0; done < size_;) {
      const auto [samples, run] = Run(done, size_);
      std::copy(samples, samples + run * channels_, grown.begin() + Index(done));
      done += run;
    }
    buffer_.swap(grown);
    capacity_ = capacity;
    head_ = 0;
  }

  std::vector<float> buffer_;
  size_t channels_ = 2;
  size_t capacity_ = 0;  // in frames
  size_t head_ = 0;      // where the first frame is
  size_t size_ = 0;      // frames held
};

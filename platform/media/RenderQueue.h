#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

// What a playing source keeps so that queued sound can be rendered again: the
// decoded frames before processing and the rendered frames before the volume, each
// numbered (input frames in track samples, output frames as the sound output counts
// them). Output frames before Sent() are with the output; the rest wait to be
// written. Not locked: the control's worker owns it.
class RenderQueue {
 public:
  void Start(size_t channels, int64_t outputFrame, int64_t inputFrame) {
    channels_ = channels;
    input_.clear();
    output_.clear();
    inStart_ = inputFrame;
    outStart_ = sent_ = outputFrame;
  }
  size_t Channels() const { return channels_; }

  int64_t InputStart() const { return inStart_; }
  int64_t InputEnd() const { return inStart_ + int64_t(input_.size() / channels_); }
  const float* InputAt(int64_t frame) const { return input_.data() + size_t(frame - inStart_) * channels_; }
  void AddInput(const std::vector<float>& samples) { input_.insert(input_.end(), samples.begin(), samples.end()); }

  int64_t OutputStart() const { return outStart_; }
  int64_t OutputEnd() const { return outStart_ + int64_t(output_.size() / channels_); }
  int64_t Sent() const { return sent_; }
  size_t Unsent() const { return size_t(OutputEnd() - sent_); }
  const float* OutputAt(int64_t frame) const { return output_.data() + size_t(frame - outStart_) * channels_; }
  void AddOutput(const std::vector<float>& samples) { output_.insert(output_.end(), samples.begin(), samples.end()); }
  void AddSilence(size_t frames) { output_.resize(output_.size() + frames * channels_, 0.0f); }
  void MarkSent(size_t frames) { sent_ += int64_t(frames); }
  // Forgets the output from `frame` on (it is rendered again).
  void CutOutput(int64_t frame) {
    output_.resize(size_t(std::clamp(frame, outStart_, OutputEnd()) - outStart_) * channels_);
  }

  // The output from `frame` on is numbered from `to` on (it is written again at
  // another place); output before `frame` is dropped and Sent() stays.
  void Renumber(int64_t frame, int64_t to) {
    frame = std::clamp(frame, outStart_, OutputEnd());
    output_.erase(output_.begin(), output_.begin() + std::ptrdiff_t(size_t(frame - outStart_) * channels_));
    outStart_ = to;
  }

  // Drops what can no longer be rendered again: output before outputFrame, input
  // before inputFrame. Only in steps of at least `step` frames and of at least what
  // is kept, so each frame is moved about once however long the queue is.
  void DropBefore(int64_t outputFrame, int64_t inputFrame, int64_t step) {
    outputFrame = std::min(outputFrame, sent_);
    if (WorthDropping(outputFrame - outStart_, output_.size(), step)) {
      output_.erase(output_.begin(), output_.begin() + std::ptrdiff_t(size_t(outputFrame - outStart_) * channels_));
      outStart_ = outputFrame;
    }
    inputFrame = std::min(inputFrame, InputEnd());
    if (WorthDropping(inputFrame - inStart_, input_.size(), step)) {
      input_.erase(input_.begin(), input_.begin() + std::ptrdiff_t(size_t(inputFrame - inStart_) * channels_));
      inStart_ = inputFrame;
    }
  }

 private:
  bool WorthDropping(int64_t frames, size_t samples, int64_t step) const {
    const size_t dropped = size_t(std::max<int64_t>(frames, 0)) * channels_;
    return frames >= step && dropped >= samples - dropped;
  }

  size_t channels_ = 2;
  std::vector<float> input_, output_;
  int64_t inStart_ = 0, outStart_ = 0, sent_ = 0;
};

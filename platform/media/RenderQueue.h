#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/media/SampleRing.h"

// What a playing source keeps so that queued sound can be rendered again: the
// decoded frames before processing and the rendered frames before the volume, each
// numbered (input frames in track samples, output frames as the sound output counts
// them). Output frames before Sent() are with the output; the rest wait to be
// written. Not locked: the control's worker owns it.
class RenderQueue {
 public:
  void Start(size_t channels, int64_t outputFrame, int64_t inputFrame) {
    channels_ = channels;
    input_.Reset(channels);
    output_.Reset(channels);
    inStart_ = inputFrame;
    outStart_ = sent_ = outputFrame;
  }
  size_t Channels() const { return channels_; }

  int64_t InputStart() const { return inStart_; }
  int64_t InputEnd() const { return inStart_ + int64_t(input_.Frames()); }
  void AddInput(const std::vector<float>& samples) { input_.Append(samples.data(), samples.size() / channels_); }
  // out becomes the input frames [from, to).
  void CopyInput(int64_t from, int64_t to, std::vector<float>& out) const {
    input_.CopyTo(size_t(from - inStart_), size_t(to - inStart_), out);
  }
  float InputSample(int64_t frame, size_t channel) const { return input_.Sample(size_t(frame - inStart_), channel); }

  int64_t OutputStart() const { return outStart_; }
  int64_t OutputEnd() const { return outStart_ + int64_t(output_.Frames()); }
  int64_t Sent() const { return sent_; }
  size_t Unsent() const { return size_t(OutputEnd() - sent_); }
  void AddOutput(const std::vector<float>& samples) { output_.Append(samples.data(), samples.size() / channels_); }
  // The input frames from `from` on follow as they are (nothing processes them).
  void AddOutputFromInput(int64_t from) { output_.AppendFrom(input_, size_t(from - inStart_), input_.Frames()); }
  void AddSilence(size_t frames) { output_.AppendSilence(frames); }
  // The unsent frames that lie one after another in memory: what one write takes.
  std::pair<const float*, size_t> UnsentRun() const {
    return output_.Run(size_t(sent_ - outStart_), output_.Frames());
  }
  void MarkSent(size_t frames) { sent_ += int64_t(frames); }
  // out becomes the output frames [from, to).
  void CopyOutput(int64_t from, int64_t to, std::vector<float>& out) const {
    output_.CopyTo(size_t(from - outStart_), size_t(to - outStart_), out);
  }
  float OutputSample(int64_t frame, size_t channel) const { return output_.Sample(size_t(frame - outStart_), channel); }
  // Forgets the output from `frame` on (it is rendered again).
  void CutOutput(int64_t frame) { output_.Truncate(size_t(std::clamp(frame, outStart_, OutputEnd()) - outStart_)); }

  // The output from `frame` on is numbered from `to` on (it is written again at
  // another place); output before `frame` is dropped and Sent() stays.
  void Renumber(int64_t frame, int64_t to) {
    frame = std::clamp(frame, outStart_, OutputEnd());
    output_.DropFront(size_t(frame - outStart_));
    outStart_ = to;
  }

  // Drops what can no longer be rendered again: output before outputFrame (never
  // what is unsent), input before inputFrame.
  void DropBefore(int64_t outputFrame, int64_t inputFrame) {
    outputFrame = std::clamp(outputFrame, outStart_, sent_);
    output_.DropFront(size_t(outputFrame - outStart_));
    outStart_ = outputFrame;
    inputFrame = std::clamp(inputFrame, inStart_, InputEnd());
    input_.DropFront(size_t(inputFrame - inStart_));
    inStart_ = inputFrame;
  }

 private:
  size_t channels_ = 2;
  SampleRing input_, output_;
  int64_t inStart_ = 0, outStart_ = 0, sent_ = 0;
};

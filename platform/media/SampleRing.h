#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// A fixed-size ring of interleaved samples between a writer and a reader. Not
// locked: its owner serialises access.
class SampleRing {
 public:
  explicit SampleRing(size_t capacitySamples) : data_(capacitySamples) {}
  size_t Size() const { return size_; }
  size_t Room() const { return data_.size() - size_; }
  // Copies up to count samples in; returns how many fitted.
  size_t Push(const float* samples, size_t count);
  // Copies up to count samples out; returns how many there were.
  size_t Pop(float* samples, size_t count);
  void Clear() { head_ = size_ = 0; }

 private:
  std::vector<float> data_;
  size_t head_ = 0;  // index of the oldest sample
  size_t size_ = 0;
};

#include "platform/media/SampleRing.h"

#include <algorithm>
#include <cstring>

size_t SampleRing::Push(const float* samples, size_t count) {
  count = std::min(count, Room());
  const size_t capacity = data_.size();
  size_t tail = (head_ + size_) % capacity;
  const size_t first = std::min(count, capacity - tail);
  std::memcpy(&data_[tail], samples, first * sizeof(float));
  std::memcpy(&data_[0], samples + first, (count - first) * sizeof(float));
  size_ += count;
  return count;
}

size_t SampleRing::Pop(float* samples, size_t count) {
  count = std::min(count, size_);
  const size_t capacity = data_.size();
  const size_t first = std::min(count, capacity - head_);
  std::memcpy(samples, &data_[head_], first * sizeof(float));
  std::memcpy(samples + first, &data_[0], (count - first) * sizeof(float));
  head_ = (head_ + count) % capacity;
  size_ -= count;
  return count;
}

#include "platform/media/SampleRing.h"

#include <algorithm>
#include <cstring>

size_t SampleRing::Push(const int16_t* samples, size_t count) {
  count = std::min(count, Room());
  const size_t capacity = data_.size();
  size_t tail = (head_ + size_) % capacity;
  const size_t first = std::min(count, capacity - tail);
  std::memcpy(&data_[tail], samples, first * sizeof(int16_t));
  std::memcpy(&data_[0], samples + first, (count - first) * sizeof(int16_t));
  size_ += count;
  return count;
}

size_t SampleRing::Pop(int16_t* samples, size_t count) {
  count = std::min(count, size_);
  const size_t capacity = data_.size();
  const size_t first = std::min(count, capacity - head_);
  std::memcpy(samples, &data_[head_], first * sizeof(int16_t));
  std::memcpy(samples + first, &data_[0], (count - first) * sizeof(int16_t));
  head_ = (head_ + count) % capacity;
  size_ -= count;
  return count;
}

// A block of elements that grows on demand and frees itself: the one way
// the filter keeps a buffer whose size follows the picture (comment
// payloads, path points, region spans, image rows, scanner text).
#ifndef PICTTOTOV_RUNTIME_BUFFER_H
#define PICTTOTOV_RUNTIME_BUFFER_H

#include <cstdint>

#include "runtime/vok.h"

// What a buffer does when its memory can't be had: a caller that must stop
// gives a handler that ends the run (it does not return); without one,
// Reserve reports the failure and the caller goes on without the buffer.
using VokNoMemoryHandler = void (*)();

template <typename T>
class GrowableBuffer {
 public:
  explicit constexpr GrowableBuffer(VokNoMemoryHandler onNoMemory = nullptr)
      : onNoMemory_(onNoMemory) {}
  ~GrowableBuffer() { Release(); }
  GrowableBuffer(const GrowableBuffer &) = delete;
  GrowableBuffer &operator=(const GrowableBuffer &) = delete;
  // Taking over another buffer frees this one's block first.
  GrowableBuffer(GrowableBuffer &&other) noexcept { take(other); }
  GrowableBuffer &operator=(GrowableBuffer &&other) noexcept {
    if (this != &other) {
      Release();
      take(other);
    }
    return *this;
  }

  T *data() const { return data_; }
  uint32_t capacity() const { return capacity_; }

  // Makes room for at least `count` elements, keeping those held. The block
  // at least doubles, so that growing one element at a time costs time in
  // proportion to the elements (or grows to just `count` when twice the
  // block can't be had). False when the memory can't be had (after the
  // handler, if it returns); the block is then as it was.
  bool Reserve(uint32_t count) {
    if (count <= capacity_ && data_ != nullptr) return true;
    constexpr uint32_t kMost = kVokMaxAlloc / sizeof(T);
    if (count > kMost) return noMemory();
    uint32_t grown = capacity_ > kMost / 2 ? kMost : capacity_ * 2;
    if (grown < count) grown = count;
    if (grown == 0) grown = 1;
    void *block = V_Realloc(data_, grown * uint32_t{sizeof(T)}, 0);
    if (block == nullptr && grown > count && count > 0) {
      grown = count;  // the doubled block can't be had: just what is asked
      block = V_Realloc(data_, grown * uint32_t{sizeof(T)}, 0);
    }
    if (block == nullptr) return noMemory();
    data_ = static_cast<T *>(block);
    capacity_ = grown;
    return true;
  }

  // Frees the block; the buffer is empty again.
  void Release() {
    if (data_ != nullptr) V_Free(data_);
    capacity_ = 0;
  }

 private:
  bool noMemory() {
    if (onNoMemory_ != nullptr) onNoMemory_();
    return false;
  }
  void take(GrowableBuffer &other) {
    data_ = other.data_;
    capacity_ = other.capacity_;
    onNoMemory_ = other.onNoMemory_;
    other.data_ = nullptr;
    other.capacity_ = 0;
  }

  T *data_ = nullptr;
  uint32_t capacity_ = 0;
  VokNoMemoryHandler onNoMemory_ = nullptr;
};

#endif  // PICTTOTOV_RUNTIME_BUFFER_H

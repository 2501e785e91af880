// Feeds arbitrary bytes to the previewer as a TOV document: it must end with
// an SVG or a message, never crash, leak or hang.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "preview/preview.h"

namespace {

class MemorySource : public tovpreview::Source {
 public:
  MemorySource(const uint8_t *data, size_t size) : data_(data), size_(size) {}
  size_t Read(char *into, size_t size) override {
    size_t n = size < size_ - at_ ? size : size_ - at_;
    if (n) std::memcpy(into, data_ + at_, n);
    at_ += n;
    return n;
  }

 private:
  const uint8_t *data_;
  size_t size_;
  size_t at_ = 0;
};

// Keeps only the size and the last byte of what is written.
class CountingSink : public tovpreview::Sink {
 public:
  void Write(const char *data, size_t size) override {
    written += size;
    if (size) last = data[size - 1];
  }
  size_t written = 0;
  char last = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  MemorySource in(data, size);
  CountingSink out;
  std::string message;
  int status = tovpreview::Preview(in, out, message);
  // A finished picture ends its SVG; a failure always says where.
  if (status == 0 && out.last != '\n') __builtin_trap();
  if (status != 0 && message.rfind("line ", 0) != 0) __builtin_trap();
  return 0;
}

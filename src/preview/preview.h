// tovpreview: draws a TOV document as an SVG picture.
#ifndef PICTTOTOV_PREVIEW_PREVIEW_H
#define PICTTOTOV_PREVIEW_PREVIEW_H

#include <cstddef>
#include <string>

namespace tovpreview {

// Where the document comes from: Read fills up to `size` bytes and returns
// how many it gave; 0 means the document has ended.
class Source {
 public:
  virtual ~Source() = default;
  virtual size_t Read(char *into, size_t size) = 0;
};

// Where the SVG goes.
class Sink {
 public:
  virtual ~Sink() = default;
  virtual void Write(const char *data, size_t size) = 0;
};

// Reads the whole TOV document from `in` and writes its SVG picture to `out`
// as the statements arrive. Returns 0; or 1 when the document cannot be read,
// with a one-line message naming the line in `message` (the SVG written so far
// is then incomplete).
int Preview(Source &in, Sink &out, std::string &message);

}  // namespace tovpreview

#endif  // PICTTOTOV_PREVIEW_PREVIEW_H

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

// Reads the whole TOV document from `in` and then writes its SVG picture to
// `out`. Returns 0; or 1 when the document cannot be read or is not a whole
// TOV document (one that begins with <TOVFile> and ends with its <TextFlow>)
// nor the frame contents that -aframe writes (<Units> and objects), with a
// one-line message naming the line in `message`; nothing is written then.
int Preview(Source &in, Sink &out, std::string &message);

}  // namespace tovpreview

#endif  // PICTTOTOV_PREVIEW_PREVIEW_H

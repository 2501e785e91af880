// Inline image facets: the text-encoded, run-length encoded raster between
// "=QuireImage" and "=EndInset", drawn as an SVG <image> with PNG data.
#ifndef PICTTOTOV_PREVIEW_FACET_H
#define PICTTOTOV_PREVIEW_FACET_H

#include <cstdint>
#include <memory>
#include <string>

#include "preview/preview.h"

namespace tovpreview {

class PngStream;

// Takes the facet's lines one by one, from its header line to "=EndInset".
// As soon as the raster header is decoded it writes the start of an <image>
// element, up to the open data URI, to `out`, then the PNG data in base64 as
// the rows arrive, and closes the attribute value at the end; the caller adds
// the placement and ends the element. A facet of another kind than
// QuireImage is passed over. Broken facets throw ReadError.
class FacetDecoder {
 public:
  // `header` is the facet's first line ("=QuireImage" for an image).
  FacetDecoder(Sink &out, const std::string &header, int line);
  ~FacetDecoder();
  FacetDecoder(const FacetDecoder &) = delete;
  FacetDecoder &operator=(const FacetDecoder &) = delete;

  // One facet line after the header line, without its newline.
  void Line(const std::string &text, int line);
  // True after "=EndInset".
  bool ended() const { return state_ == State::kEnded; }
  // True when an <image> element was started (a non-empty QuireImage).
  bool startedImage() const { return png_ != nullptr; }
  // The facet's first line, where it began.
  int firstLine() const { return firstLine_; }

  // Facets larger than this many pixels across or down are refused.
  static constexpr uint32_t kMaxSide = 1u << 16;

 private:
  enum class State { kVersion, kData, kSkipping, kEnded };
  void DataLine(const std::string &text, int line);
  void Byte(uint8_t byte, int line);
  void HeaderByte(uint8_t byte, int line);
  void StartImage(int line);
  void PixelByte(uint8_t byte, int line);
  void Finish(int line);

  Sink &out_;
  int firstLine_;
  State state_ = State::kVersion;
  bool hexMode_ = false;
  // Raster header: 8 big-endian words, then the colour map.
  uint8_t header_[32] = {};
  uint32_t headerBytes_ = 0;
  uint32_t width_ = 0, height_ = 0, depth_ = 0, mapLength_ = 0;
  uint8_t map_[768] = {};
  uint32_t mapBytes_ = 0;
  // Run-length decoding: 0 plain, 1 after 0x80, 2 after 0x80 and a count.
  int runState_ = 0;
  uint32_t runCount_ = 0;
  std::string row_;
  uint32_t rowFill_ = 0;
  uint32_t rows_ = 0;
  std::unique_ptr<PngStream> png_;
};

}  // namespace tovpreview

#endif  // PICTTOTOV_PREVIEW_FACET_H

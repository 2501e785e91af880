// Helpers of the tovpreview tests: running the previewer in-process, writing
// image facets by hand and reading the pixels back out of the SVG.
#ifndef PICTTOTOV_TESTS_PREVIEW_PREVIEW_SUPPORT_H
#define PICTTOTOV_TESTS_PREVIEW_PREVIEW_SUPPORT_H

#include <cstdint>
#include <string>
#include <vector>

namespace previewtest {

struct Outcome {
  int status = -1;
  std::string svg;
  std::string message;
};

// Runs the previewer on `tov`, fed in small pieces so that tokens straddle
// the reads.
Outcome Preview(const std::string &tov);

// The objects of a frame-contents document around `objects`.
std::string Objects(const std::string &objects);

// The lines of an image facet, "=QuireImage" to "=EndInset", holding a
// width x height raster of depth 1 or 8; `rows` holds the unencoded rows, each
// padded to 16 bits; `map` is empty or 768 bytes (reds, greens, blues).
std::string Facet(uint32_t width, uint32_t height, uint32_t depth,
                  const std::string &rows, const std::string &map = "");

// The text encoding of a facet's bytes: the data lines and "=EndInset".
std::string EncodeFacetBytes(const std::string &bytes);

// The run-length encoding of raster rows.
std::string RunLengthEncode(const std::string &rows);

// An ImportObject holding `facet`, placed at the given rectangle.
std::string ImportObject(const std::string &facet, const std::string &brect);

// The pixels of every PNG data URI of `svg`, as RGB bytes, row after row.
std::vector<std::string> ImagePixels(const std::string &svg,
                                     std::vector<uint32_t> *widths = nullptr);

}  // namespace previewtest

#endif  // PICTTOTOV_TESTS_PREVIEW_PREVIEW_SUPPORT_H

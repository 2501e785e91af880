// Helpers of the tovpreview tests: running the previewer in-process, writing
// image facets and reading the pixels back out of the SVG.
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

// The lines of an image facet, "=QuireImage" to "=EndInset", carrying
// `bytes` (raster header, colour map, run-length encoded rows).
std::string Facet(const std::string &bytes);

// A frame-contents document of one ImportObject holding `facet`, placed at
// `brect`; its facet begins on line 7.
std::string Imported(const std::string &facet,
                     const std::string &brect = "0 0 1 1");

// The pixels of every PNG data URI of `svg`, as RGB bytes, row after row.
std::vector<std::string> ImagePixels(const std::string &svg);

}  // namespace previewtest

#endif  // PICTTOTOV_TESTS_PREVIEW_PREVIEW_SUPPORT_H

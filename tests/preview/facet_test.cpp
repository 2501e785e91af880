// Image facets built in the facet format, decoded by the previewer and read
// back out of the SVG's PNG pixel for pixel.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/image_bytes.h"
#include "preview_support.h"

namespace {

using imagebytes::RasterHeader;
using previewtest::Facet;
using previewtest::Imported;
using previewtest::Preview;

struct Picture {
  const char *what;
  uint32_t width, height, depth;
  std::string rows;  // unencoded, each padded to 16 bits
  std::string data;  // run-length encoded rows; empty: `rows`, 0x80 escaped
};

// The run-length encoding of `rows` without runs: 0x80 is written 0x80 0x00.
std::string escaped(const std::string &rows) {
  std::string out;
  for (char c : rows)
    out += c == '\x80' ? std::string("\x80\x00", 2) : std::string(1, c);
  return out;
}

// RGB pixels that the rows stand for: at depth 1 ink is black on white, at
// depth 8 a byte indexes the map's reds, greens and blues.
std::string expectedPixels(const Picture &p, const std::string &map) {
  std::string rgb;
  size_t rowLength = (p.width * p.depth + 15) / 16 * 2;
  for (uint32_t y = 0; y < p.height; ++y) {
    for (uint32_t x = 0; x < p.width; ++x) {
      auto byte = static_cast<uint8_t>(p.rows[y * rowLength + x * p.depth / 8]);
      if (p.depth == 1) {
        rgb.append(3, byte & (0x80 >> x % 8) ? '\0' : '\xFF');
      } else {
        for (int c = 0; c < 3; ++c) rgb.push_back(map[c * 256 + byte]);
      }
    }
  }
  return rgb;
}

TEST(PreviewFacet, DecodedBackToTheExactPixels) {
  std::string map(768, '\0');
  for (int i = 0; i < 256; ++i) {
    map[i] = static_cast<char>(i);              // red rises
    map[256 + i] = static_cast<char>(255 - i);  // green falls
    map[512 + i] = static_cast<char>(i * 7);
  }
  std::string mixed, bits;
  for (int i = 0; i < 40 * 3; ++i) {
    // Text bytes, a backslash, a line feed, 0x80, runs and binary bytes.
    static const char kBytes[] = "AB\\\n\x80\x80\x80zzzzz\x01\xFE\t%&=";
    mixed.push_back(kBytes[(i * 5 + i / 7) % (sizeof kBytes - 1)]);
  }
  for (int i = 0; i < 4 * 6; ++i) bits.push_back(static_cast<char>(i * 37));
  const std::vector<Picture> pictures = {
      {"depth 1, 25 wide (rows of 4 bytes)", 25, 6, 1, bits, ""},
      {"depth 8 with mixed bytes", 40, 3, 8, mixed, ""},
      {"depth 8, runs spanning rows, a run of 0x80", 300, 2, 8,
       std::string(450, '\x11') + std::string(150, '\x80'),
       "\x80\xFF\x11\x80\xC1\x11\x80\x95\x80"},
  };
  for (const Picture &p : pictures) {
    std::string bytes = RasterHeader(p.width, p.height, p.depth) +
                        (p.depth == 8 ? map : "") +
                        (p.data.empty() ? escaped(p.rows) : p.data);
    previewtest::Outcome outcome =
        Preview(Imported(Facet(bytes), "10.000 20.000 50.000 25.000"));
    ASSERT_EQ(outcome.status, 0) << p.what << ": " << outcome.message;
    EXPECT_TRUE(previewtest::ImagePixels(outcome.svg) ==
                std::vector<std::string>{expectedPixels(p, map)})
        << p.what;
    EXPECT_NE(outcome.svg.find("\" x=\"10\" y=\"20\" width=\"50\" "
                               "height=\"25\"/>"),
              std::string::npos)
        << p.what;
  }
}

// An image of no pixels, and a facet of another kind, draw nothing.
TEST(PreviewFacet, EmptyAndForeignFacetsDrawNothing) {
  for (const std::string &facet :
       {Facet(RasterHeader(0, 5, 1)), Facet(RasterHeader(7, 0, 1)),
        std::string("=OtherInset\n&whatever \\x00\n=EndInset\n")}) {
    previewtest::Outcome outcome = Preview(Imported(facet));
    ASSERT_EQ(outcome.status, 0) << outcome.message;
    EXPECT_EQ(outcome.svg.find("<image"), std::string::npos) << facet;
  }
}

}  // namespace

// Image facets: written by hand in the facet format, decoded by the
// previewer and read back out of the SVG's PNG pixel for pixel.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "preview_support.h"

namespace {

using previewtest::Facet;
using previewtest::ImagePixels;
using previewtest::ImportObject;
using previewtest::Objects;
using previewtest::Preview;

// The facet text of a 16 x 2 depth-1 image with the rows 0000 and FFFF.
TEST(PreviewFacet, HandWrittenFacetMatchesTheFormat) {
  EXPECT_EQ(Facet(16, 2, 1, std::string("\0\0\xFF\xFF", 4)),
            "=QuireImage\n&%v\n"
            "&Y\\xA66A950000001000000002000000010000000000000002000000000000"
            "00000000FFFF\\x\n=EndInset\n");
}

struct Picture {
  const char *what;
  uint32_t width, height, depth;
  std::string rows;  // unencoded, padded to 16 bits
  std::string map;   // colour map or empty
};

// RGB pixels that the picture's rows stand for.
std::string expectedPixels(const Picture &p) {
  std::string rgb;
  size_t rowLength = (p.width * p.depth + 15) / 16 * 2;
  for (uint32_t y = 0; y < p.height; ++y) {
    for (uint32_t x = 0; x < p.width; ++x) {
      auto byte = static_cast<uint8_t>(
          p.rows[y * rowLength + (p.depth == 1 ? x / 8 : x)]);
      if (p.depth == 1) {
        char value = (byte & (0x80 >> (x % 8))) ? '\0' : '\xFF';
        rgb.append(3, value);
      } else {
        for (int c = 0; c < 3; ++c) rgb.push_back(p.map[c * 256 + byte]);
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
  std::string mixed;
  for (int i = 0; i < 40 * 3; ++i) {
    // Text bytes, a backslash, a line feed, 0x80, runs and binary bytes.
    static const char kBytes[] = "AB\\\n\x80\x80\x80zzzzz\x01\xFE\t%&=";
    mixed.push_back(kBytes[(i * 5 + i / 7) % (sizeof kBytes - 1)]);
  }
  std::string bits;
  for (int i = 0; i < 4 * 6; ++i) bits.push_back(static_cast<char>(i * 37));
  const std::vector<Picture> pictures = {
      {"depth 1, 25 wide (rows of 4 bytes)", 25, 6, 1, bits, ""},
      {"depth 8 with mixed bytes", 40, 3, 8, mixed, map},
      {"depth 8, runs longer than 255 spanning rows", 300, 2, 8,
       std::string(450, '\x11') + std::string(150, '\x80'), map},
      {"depth 1, all ink", 16, 40, 1, std::string(80, '\xFF'), ""},
  };
  for (const Picture &p : pictures) {
    std::string facet = Facet(p.width, p.height, p.depth, p.rows, p.map);
    previewtest::Outcome outcome =
        Preview(Objects(ImportObject(facet, "10.000 20.000 50.000 25.000")));
    ASSERT_EQ(outcome.status, 0) << p.what << ": " << outcome.message;
    std::vector<uint32_t> widths;
    std::vector<std::string> images = ImagePixels(outcome.svg, &widths);
    ASSERT_EQ(images.size(), 1u) << p.what;
    EXPECT_EQ(widths[0], p.width) << p.what;
    EXPECT_TRUE(images[0] == expectedPixels(p)) << p.what;
    EXPECT_NE(outcome.svg.find("\" x=\"10\" y=\"20\" width=\"50\" "
                               "height=\"25\"/>"),
              std::string::npos)
        << p.what;
  }
}

// An image of no pixels, and a facet of another kind, draw nothing.
TEST(PreviewFacet, EmptyAndForeignFacetsDrawNothing) {
  for (const std::string &facet :
       {Facet(0, 5, 8, ""), Facet(7, 0, 1, ""),
        std::string("=OtherInset\n&whatever \\x00\n=EndInset\n")}) {
    previewtest::Outcome outcome =
        Preview(Objects(ImportObject(facet, "0 0 1 1")));
    ASSERT_EQ(outcome.status, 0) << outcome.message;
    EXPECT_EQ(outcome.svg.find("<image"), std::string::npos) << facet;
  }
}

}  // namespace

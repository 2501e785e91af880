// Round trip: a built picture's images go through the filter into facets,
// the previewer decodes the facets, and the pixels that come out are the
// pixels the picture holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/image_bytes.h"
#include "preview_support.h"
#include "support/pict_bytes.h"
#include "support/run_filter.h"

namespace {

using imagebytes::BitMap;
using imagebytes::PixMap;
using imagebytes::Rgb;
using pictbytes::Op2;
using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U8;

std::string Placement(int height, int width) {
  return RectBytes(0, 0, height, width) +
         RectBytes(10, 10, 10 + height, 10 + width) + U16(0);
}

TEST(PreviewRoundTrip, FilterFacetsDecodeToThePicturePixels) {
  constexpr int kWidth = 37, kHeight = 5;
  // An 8-bit pixel map: a colour per index, rows of mixed indices.
  std::vector<Rgb> colors;
  for (int i = 0; i < 256; ++i)
    colors.push_back({i * 257, (255 - i) * 257, (i * 7 & 0xFF) * 257});
  std::string pixmapRows, expectedColour;
  const int rowBytes8 = (kWidth + 1) / 2 * 2;
  for (int y = 0; y < kHeight; ++y) {
    std::string row;
    for (int x = 0; x < rowBytes8; ++x) {
      int index = x < 12 ? 0x80 : (x * 31 + y * 7) & 0xFF;
      row += U8(index);
      if (x < kWidth)
        expectedColour +=
            {static_cast<char>(index), static_cast<char>(255 - index),
             static_cast<char>(index * 7 & 0xFF)};
    }
    pixmapRows += pictbytes::PackedRow(row);
  }
  // A 1-bit bitmap: ink is black, no ink white.
  constexpr int kRowBytes1 = 8;
  std::string bitmapRows, expectedBits;
  for (int y = 0; y < kHeight; ++y) {
    std::string row;
    for (int x = 0; x < kRowBytes1; ++x) row += U8((x * 0x35 + y) & 0xFF);
    for (int x = 0; x < kWidth; ++x) {
      bool ink = static_cast<unsigned char>(row[x / 8]) & (0x80 >> (x % 8));
      expectedBits.append(3, ink ? '\0' : '\xFF');
    }
    bitmapRows += pictbytes::PackedRow(row);
  }
  auto even = [](std::string data) {
    return data.size() % 2 ? data + '\0' : data;
  };
  std::string picture =
      pictbytes::PictV2(Op2(0x98) +
                            even(PixMap(rowBytes8, kHeight, kWidth, 8, colors) +
                                 Placement(kHeight, kWidth) + pixmapRows) +
                            Op2(0x98) +
                            even(BitMap(kRowBytes1, kHeight, kWidth) +
                                 Placement(kHeight, kWidth) + bitmapRows),
                        {}, /*header=*/false);

  runfilter::Result converted = runfilter::Run(picture, {"-aframe"});
  ASSERT_EQ(converted.status, 0) << converted.err;
  previewtest::Outcome outcome = previewtest::Preview(converted.out);
  ASSERT_EQ(outcome.status, 0) << outcome.message;
  std::vector<uint32_t> widths;
  std::vector<std::string> images =
      previewtest::ImagePixels(outcome.svg, &widths);
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(widths, (std::vector<uint32_t>{kWidth, kWidth}));
  EXPECT_TRUE(images[0] == expectedColour);
  EXPECT_TRUE(images[1] == expectedBits);
}

}  // namespace

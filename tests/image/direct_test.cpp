// Direct-colour pixel maps under -full: every packing of 16- and 32-bit
// pixels becomes a depth-8 facet on the fixed colour map, with the indexes
// of known colours; the operands around the rows are read exactly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/driver.h"
#include "image/image.h"
#include "image/image_bytes.h"
#include "support/channels.h"
#include "support/pict_bytes.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"
#include "support/tov_document.h"
#include "text/text.h"

namespace {

using imagebytes::FacetBytes;
using imagebytes::Placement;
using pictbytes::Hex;
using pictbytes::Op2;
using pictbytes::PictV2;
using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U32;
using pictbytes::U8;

// Converts with the test messages, under -full unless told otherwise.
runfilter::Result Convert(const std::string &picture,
                          const std::vector<std::string> &args = {"-full"}) {
  runfilter::TempDir dir;
  return runfilter::Run(
      picture, args,
      srefixture::WithMessages(dir, runfilter::Options::Input::kFile));
}

// Map entries of the colour cube: red 180, green 30, blue 5, white 215,
// black 0, yellow 210.
constexpr int kRed = 180, kGreen = 30, kBlue = 5, kWhite = 215, kBlack = 0,
              kYellow = 210;

struct Map {
  int rowBytes, height, width, packType, pixelSize, cmpCount;
};

// The operands of a DirectBitsRect (or, with a mask, DirectBitsRgn) with
// its rows, padded to a word.
std::string DirectOperands(const Map &m, const std::string &rows,
                           const std::string &mask = "") {
  std::string bytes = U32(0xFF);  // base address
  bytes += U16(m.rowBytes | 0x8000) + RectBytes(0, 0, m.height, m.width);
  bytes += U16(0) + U16(m.packType) + U32(0) + U32(0x480000) + U32(0x480000) +
           U16(16) + U16(m.pixelSize) + U16(m.cmpCount) +
           U16(m.pixelSize == 16 ? 5 : 8) + U32(0) + U32(0) + U32(0);
  bytes += Placement(0, 0, m.height, m.width) + mask + rows;
  return rows.size() % 2 ? bytes + U8(0) : bytes;
}

// The opcode with its operands, followed by a framed rectangle.
std::string DirectBits(const Map &m, const std::string &rows,
                       const std::string &mask = "") {
  return Op2(mask.empty() ? 0x9A : 0x9B) + DirectOperands(m, rows, mask) +
         Op2(0x30) + RectBytes(0, 0, 10, 10);
}

// The facet's pixel indexes: the bytes behind the 32-byte header and the
// 768-byte map, with the run-length encoding undone.
std::string Indexes(const std::string &facet) {
  std::string out;
  for (size_t i = 800; i < facet.size();) {
    unsigned char b = static_cast<unsigned char>(facet[i]);
    if (b != 0x80) {
      out += facet[i++];
    } else if (facet.at(i + 1) == 0) {
      out += facet[i];
      i += 2;
    } else {
      out += std::string(static_cast<unsigned char>(facet[i + 1]) + 1u,
                         facet.at(i + 2));
      i += 3;
    }
  }
  return out;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

// Rows of three pixels, red green blue, then white black yellow; each row
// of the facet is padded to 4 bytes.
const std::string kExpected =
    Bytes({kRed, kGreen, kBlue, 0, kWhite, kBlack, kYellow, 0});

TEST(DirectImage, EveryPackingGivesTheKnownIndexes) {
  const std::string w16 = "7C00 03E0 001F", w16b = "7FFF 0000 7FE0";
  const std::string planes1 = "FF0000 00FF00 0000FF",
                    planes2 = "FF00FF FF00FF FF0000";
  const struct {
    const char *what;
    Map map;
    std::string rows;
    std::string expected = kExpected;
  } cases[] = {
      {"16-bit, row bytes below 8: unpacked",
       {6, 2, 3, 0, 16, 3},
       Hex(w16 + w16b)},
      {"16-bit, packType 1: unpacked",
       {8, 2, 3, 1, 16, 3},
       Hex(w16 + "0000" + w16b + "0000")},
      {"16-bit, packType 0 means 3",
       {8, 2, 3, 0, 16, 3},
       Hex("07 02" + w16 + "07 02" + w16b)},
      {"16-bit, packType 3, repeated words",
       {8, 2, 3, 3, 16, 3},
       Hex("06 FF 7C00 00 001F 03 FE 001F"),
       Bytes({kRed, kRed, kBlue, 0, kBlue, kBlue, kBlue, 0})},
      {"32-bit, packType 1: x r g b",
       {12, 2, 3, 1, 32, 3},
       Hex("00FF0000 0000FF00 000000FF 00FFFFFF 00000000 00FFFF00")},
      {"32-bit, packType 2: r g b",
       {12, 2, 3, 2, 32, 3},
       Hex("FF0000 00FF00 0000FF FFFFFF 000000 FFFF00")},
      {"32-bit, packType 0 means 4",
       {12, 2, 3, 0, 32, 3},
       Hex("0A 08" + planes1 + "0A 08" + planes2)},
      {"32-bit, packType 4, alpha plane first",
       {16, 2, 3, 4, 32, 4},
       Hex("0D 0B 123456" + planes1 + "0D 0B 000000" + planes2)},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    runfilter::Result r = Convert(PictV2(DirectBits(c.map, c.rows)));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    std::string facet = FacetBytes(r.out);
    EXPECT_EQ(facet.substr(0, 32), imagebytes::RasterHeader(3, 2, 8));
    EXPECT_EQ(Indexes(facet), c.expected);
    // The rows were read exactly: the rectangle behind them is converted.
    EXPECT_NE(r.out.find("<Rectangle"), std::string::npos);
    EXPECT_NE(r.out.find("\t<BRect 0.000 0.000 3.000 2.000>\n"),
              std::string::npos);
  }
}

TEST(DirectImage, ColourMapIsACubeAndGreys) {
  // A 5-bit 12 widens to 99, the sixteenth grey, exactly.
  runfilter::Result r =
      Convert(PictV2(DirectBits({6, 1, 3, 0, 16, 3}, Hex("7C00 03E0 318C"))));
  std::string facet = FacetBytes(r.out);
  EXPECT_EQ(Indexes(facet), Bytes({kRed, kGreen, 216 + 15, 0}));
  auto entry = [&](int plane, int i) {
    return static_cast<unsigned char>(facet.at(32 + 256 * plane + i));
  };
  for (int i = 0; i < 216; ++i) {
    EXPECT_EQ(entry(0, i), i / 36 * 51) << i;
    EXPECT_EQ(entry(1, i), i / 6 % 6 * 51) << i;
    EXPECT_EQ(entry(2, i), i % 6 * 51) << i;
  }
  for (int i = 216; i < 256; ++i) {
    EXPECT_EQ(entry(0, i), entry(1, i));
    EXPECT_EQ(entry(0, i), entry(2, i));
    EXPECT_GT(entry(0, i), i == 216 ? 0 : entry(0, i - 1));
    EXPECT_LT(entry(0, i), 255);
  }
}

// A colour off the map is diffused: over an area the mean comes out right,
// and neighbouring pixels differ.
TEST(DirectImage, ErrorDiffusionKeepsTheMean) {
  const int width = 32, height = 8;
  std::string rows;
  for (int y = 0; y < height; ++y) {
    for (int i = 0; i < width * 4; ++i) rows += U8(i % 4 == 0 ? 0 : 128);
  }
  runfilter::Result r =
      Convert(PictV2(DirectBits({4 * width, height, width, 1, 32, 3}, rows)));
  std::string facet = FacetBytes(r.out);
  std::string indexes = Indexes(facet);
  ASSERT_EQ(indexes.size(), static_cast<size_t>(width * height));
  long sum = 0;
  for (char c : indexes)
    sum += static_cast<unsigned char>(
        facet.at(32 + static_cast<unsigned char>(c)));
  double mean = static_cast<double>(sum) / (width * height);
  EXPECT_NEAR(mean, 128.0, 1.0);
  EXPECT_NE(indexes[0], indexes[1]);
}

// Rows of more than 250 bytes carry a two-byte count.
TEST(DirectImage, WideRowsHaveWordCounts) {
  runfilter::Result r = Convert(
      PictV2(DirectBits({280, 1, 70, 4, 32, 3}, Hex("0006 BBFF BB00 BB00"))));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Indexes(FacetBytes(r.out)), std::string(70, char(kRed)));
}

// 0x9B: the mask region between the mode and the rows is read and dropped,
// also a region with rows.
TEST(DirectImage, MaskRegionIsSkipped) {
  const std::string rows =
      Hex(std::string("7C00 03E0 001F") + "7FFF 0000 7FE0");
  for (const std::string &mask :
       {U16(10) + RectBytes(0, 0, 2, 3),
        U16(28) + RectBytes(0, 0, 2, 3) +
            Hex("0000 0000 0003 7FFF 0002 0000 0003 7FFF 7FFF")}) {
    runfilter::Result r =
        Convert(PictV2(DirectBits({6, 2, 3, 0, 16, 3}, rows, mask)));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Indexes(FacetBytes(r.out)), kExpected);
    EXPECT_NE(r.out.find("<Rectangle"), std::string::npos);
  }
}

// A 16-bit pixel map in PackBitsRect: converted under -full, message 1024
// without it, as before.
TEST(DirectImage, SixteenBitMapsInPackBitsRect) {
  std::string picture =
      PictV2(Op2(0x98) + imagebytes::PixMap(6, 2, 3, 16, {{0, 0, 0}}, 3) +
             Placement(0, 0, 2, 3) + Hex("7C00 03E0 001F 7FFF 0000 7FE0") +
             Op2(0x30) + RectBytes(0, 0, 10, 10));
  runfilter::Result full = Convert(picture);
  ASSERT_EQ(full.status, 0) << full.err;
  EXPECT_EQ(full.err, "");
  EXPECT_EQ(Indexes(FacetBytes(full.out)), kExpected);
  runfilter::Result classic = Convert(picture, {});
  EXPECT_EQ(classic.err, "MSG 1024 16\n");
  EXPECT_EQ(classic.out.find("<ImportObject"), std::string::npos);
  EXPECT_NE(classic.out.find("<Rectangle"), std::string::npos);
}

// A direct-bits opcode whose pixel size is not 16 or 32: message 1024, the
// rows skipped by their counts, the picture goes on.
TEST(DirectImage, OtherPixelSizesAreReported) {
  runfilter::Result r =
      Convert(PictV2(DirectBits({3, 2, 3, 0, 8, 1}, Hex("010203 040506"))));
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "MSG 1024 8\n");
  EXPECT_EQ(r.out.find("<ImportObject"), std::string::npos);
  EXPECT_NE(r.out.find("<Rectangle"), std::string::npos);
}

// Inside rotated text a direct-colour map is read past, with the pad byte
// of version 2, and writes nothing.
TEST(DirectImage, NothingInsideRotatedText) {
  const std::string rows = Hex("0A 08 FF0000 00FF00 0000FF");  // 11 bytes
  const std::string operands = DirectOperands({12, 1, 3, 4, 32, 3}, rows);
  InRotatedText = 1;
  for (int version : {1, 2}) {
    Version = version;
    testchannels::Channels channels(operands + std::string(8, '\xEE'));
    do_directbits(0);
    EXPECT_EQ(channels.Output(), "");
    EXPECT_EQ(channels.Consumed(),
              static_cast<long>(operands.size()) - (version == 1 ? 1 : 0));
  }
  InRotatedText = 0;
}

}  // namespace

// The extended version 2 header under -full: its source rectangle is the
// picture's coordinate space, mapped onto the frame; -s and the origin
// opcode apply on top. Without -full, or with another header version, the
// header is skipped as before.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/convert.h"
#include "support/pict_bytes.h"

namespace {

using pictbytes::Frame;
using pictbytes::Hex;
using pictbytes::Op2;
using pictbytes::Preamble;
using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U32;

// A version 2 picture whose header has the given version word, resolution
// and source rectangle (top, left, bottom, right), with a frame of 200 x 100.
std::string Picture(int version, int dpi, int top, int left, int bottom,
                    int right, const std::string &opcodes) {
  return Preamble(Frame{}, true) + Hex("0011 02FF 0C00") + U16(version) +
         U16(0) + U32(dpi << 16) + U32(dpi << 16) +
         RectBytes(top, left, bottom, right) + U32(0) + opcodes + Hex("00FF");
}

// paintRect: the box is moved inside the 1-point pen in every case.
std::string PaintRect(int top, int left, int bottom, int right) {
  return Op2(0x31) + RectBytes(top, left, bottom, right);
}

// Drawn 100 x 200 at an offset of (100, 50), and 400 x 200 at 144 dpi.
const std::string kOffset = PaintRect(60, 110, 70, 130);
std::string AtOffset(const std::string &before = "") {
  return Picture(-2, 72, 50, 100, 150, 300, before + kOffset);
}
std::string At144Dpi(int version = -2, int bottom = 200) {
  return Picture(version, 144, 0, 0, bottom, 400, PaintRect(20, 40, 40, 80));
}

TEST(ExtendedHeader, SourceRectangleIsMappedOntoTheFrame) {
  const std::string origin = Op2(0x0C) + U16(5) + U16(7);  // v 5, h 7
  const struct {
    const char *what;
    std::string picture;
    std::vector<std::string> args;
    const char *box;
  } cases[] = {
      {"an offset", AtOffset(), {"-full"}, "10.500 10.500 19.000 9.000"},
      {"the offset without -full",
       AtOffset(),
       {},
       "110.500 60.500 19.000 9.000"},
      {"the origin opcode on top",
       AtOffset(origin),
       {"-full"},
       "17.500 15.500 19.000 9.000"},
      {"144 dpi", At144Dpi(), {"-full"}, "20.500 10.500 19.000 9.000"},
      {"144 dpi and -s 2",
       At144Dpi(),
       {"-full", "-s", "2"},
       "40.500 20.500 39.000 19.000"},
      {"a rectangle of other proportions: the smaller scale",
       At144Dpi(-2, 400),
       {"-full"},
       "10.500 5.500 9.000 4.000"},
      {"header version -1 is not extended",
       At144Dpi(-1),
       {"-full"},
       "40.500 20.500 39.000 19.000"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    runfilter::Result r = convert::Convert(c.picture, c.args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\t<BRect " + std::string(c.box) + ">\n"),
              std::string::npos)
        << r.out;
  }
}

}  // namespace

// Reading bitmaps and pixel maps: unpacked and packed rows, 1-, 2-, 4- and
// 8-bit pixels, colour tables, mask regions, the pad byte of version 2,
// damaged PackBits data, unsupported maps and images inside rotated text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/driver.h"
#include "image/image.h"
#include "image/image_bytes.h"
#include "support/channels.h"
#include "support/pict_bytes.h"
#include "support/sre_fixture.h"
#include "text/text.h"

namespace {

using imagebytes::BitMap;
using imagebytes::FacetBytes;
using imagebytes::ImportTail;
using imagebytes::kImportHead;
using imagebytes::MaskRegion;
using imagebytes::PixMap;
using imagebytes::Placement;
using imagebytes::RasterHeader;
using imagebytes::Rgb;
using pictbytes::Hex;
using pictbytes::U16;
using pictbytes::U8;
using testchannels::Channels;

using Handler = void (*)();

struct Converted {
  std::string output;
  long consumed;
};

// Runs one image handler on `operands`, with spare bytes behind them so
// that reading too far shows.
Converted Convert(Handler handler, const std::string &operands,
                  int version = 1) {
  Version = version;
  Channels channels(operands + std::string(8, '\xEE'));
  handler();
  return {channels.Output(), channels.Consumed()};
}

// The 768-byte colour map of a facet: the high bytes of the red, green and
// blue components of the first 256 colours, zero-filled.
std::string ColorMap(const std::vector<Rgb> &colors) {
  std::string red(256, '\0'), green(256, '\0'), blue(256, '\0');
  for (size_t i = 0; i < colors.size() && i < 256; ++i) {
    red[i] = static_cast<char>(colors[i].red >> 8);
    green[i] = static_cast<char>(colors[i].green >> 8);
    blue[i] = static_cast<char>(colors[i].blue >> 8);
  }
  return red + green + blue;
}

const std::vector<Rgb> kTwoColors = {{0xFFFF, 0x0000, 0x8000},
                                     {0x1234, 0x5678, 0x9ABC}};

// 300 entries: red i, green 255 - i, blue i ^ 0x55; the 44 behind the
// first 256 are read and dropped.
std::vector<Rgb> ManyColors() {
  std::vector<Rgb> colors;
  for (int i = 0; i < 300; ++i)
    colors.push_back(i < 256 ? Rgb{i << 8, (255 - i) << 8, (i ^ 0x55) << 8}
                             : Rgb{0xFFFF, 0xFFFF, 0xFFFF});
  return colors;
}

const std::string kPlace = Placement(0, 0, 1, 1);
const std::string kBox = "0.000 0.000 1.000 1.000";

TEST(Bitmap, ImagesBecomeFacets) {
  const struct {
    const char *what;
    Handler handler;
    std::string operands;
    uint32_t width, height, depth;
    std::string colorMap, rows;  // rows: run-length encoded
  } cases[] = {
      {"rowBytes 4: 12 bytes stored as they are", op_BitsRect,
       BitMap(4, 3, 32) + kPlace + Hex("11223344 55667788 99AABBCC"), 32, 3, 1,
       "", Hex("11223344 55667788 99AABBCC")},
      {"rowBytes 250: one-byte counts", op_PackBitsRect,
       BitMap(250, 2, 2000) + kPlace + Hex("04 8100 8700 04 8100 8700"), 2000,
       2, 1, "", Hex("80FE00 80F400")},
      {"rowBytes 251: two-byte counts; the facet row's tail byte is 0",
       op_PackBitsRect,
       BitMap(251, 1, 2008) + kPlace + Hex("0006 0005 8006 8806"), 2008, 1, 1,
       "", Hex("05 80F906 00")},
      {"rows are packed from rowBytes 8 on, whatever the opcode", op_BitsRect,
       BitMap(8, 1, 64) + kPlace + Hex("02 F9 3C"), 64, 1, 1, "",
       Hex("80 07 3C")},
      {"mask region", op_BitsRgn,
       BitMap(2, 1, 16) + kPlace + MaskRegion() + Hex("F00F"), 16, 1, 1, "",
       Hex("F0 0F")},
      {"1-bit pixel map: the colour table is read, not written", op_PackBitsRgn,
       PixMap(2, 1, 16, 1, kTwoColors) + kPlace + MaskRegion() + Hex("F00F"),
       16, 1, 1, "", Hex("F0 0F")},
      {"2-bit pixel map: pixels past rowBytes are 0", op_BitsRect,
       PixMap(2, 1, 10, 2, kTwoColors) + kPlace + Hex("1BE4"), 10, 1, 8,
       ColorMap(kTwoColors), Hex("00 01 02 03 03 02 01 00 00 00")},
      {"4-bit pixel map of width 5: a last odd pixel takes the high nibble",
       op_BitsRect, PixMap(3, 1, 5, 4, kTwoColors) + kPlace + Hex("01234F"), 5,
       1, 8, ColorMap(kTwoColors), Hex("00 01 02 03 04 00")},
      {"8-bit pixel map, 300 colours, packed", op_PackBitsRect,
       PixMap(8, 2, 7, 8, ManyColors()) + kPlace + Hex("04 FA07 0080 02 F980"),
       7, 2, 8, ColorMap(ManyColors()),
       Hex("800607 8000 8000 8000 8000 8000 8000 8000 8000 8000")},
      {"3-bit pixel map: a pixel size the facet doesn't take", op_BitsRect,
       PixMap(2, 1, 4, 3, kTwoColors) + kPlace + Hex("FFFF"), 4, 1, 8,
       ColorMap(kTwoColors), Hex("80 03 00")},
      {"rowBytes 0 and width 0: no rows to write, none to read", op_BitsRect,
       BitMap(0, 5, 0) + kPlace, 0, 5, 1, "", ""},
  };
  for (const auto &c : cases) {
    Converted result = Convert(c.handler, c.operands);
    EXPECT_EQ(result.consumed, static_cast<long>(c.operands.size())) << c.what;
    const std::string &out = result.output;
    ASSERT_EQ(out.rfind(kImportHead, 0), 0u) << c.what;
    EXPECT_EQ(out.substr(out.find("=EndInset\n") + 10), ImportTail(kBox));
    EXPECT_EQ(FacetBytes(out),
              RasterHeader(c.width, c.height, c.depth) + c.colorMap + c.rows)
        << c.what;
  }
}

// The image data of a version 2 picture is padded to an even length.
TEST(Bitmap, PadByteOfVersion2) {
  const std::string odd =
      BitMap(3, 3, 24) + kPlace + Hex("000000 FFFFFF 123456");
  const std::string even = BitMap(2, 3, 16) + kPlace + Hex("0000 FFFF 1234");
  const std::string packedOdd = BitMap(8, 1, 64) + kPlace + Hex("02 FF00");
  for (int version : {1, 2}) {
    long pad = version == 2 ? 1 : 0;
    EXPECT_EQ(Convert(op_BitsRect, odd, version).consumed,
              static_cast<long>(odd.size()) + pad);
    EXPECT_EQ(Convert(op_BitsRect, even, version).consumed,
              static_cast<long>(even.size()));
    // The count byte and a 2-byte repeat: 3 data bytes.
    EXPECT_EQ(Convert(op_PackBitsRect, packedOdd, version).consumed,
              static_cast<long>(packedOdd.size()) + pad);
  }
}

// Packed rows of 8 bytes whose data doesn't fit them: runs are cut at the
// row end, the rest of the packed row is still taken, and rows the data
// doesn't fill end in zeros.
TEST(Bitmap, DamagedPackBits) {
  const struct {
    std::string rows, encoded;
  } cases[] = {
      // A repeat of 17 and then a literal of 2 in a row of 8.
      {"02 F005  03 01AABB", "800705 AABB 800500"},
      // A literal of 16: the bytes past the row are dropped.
      {"11 0F 0102030405060708090A0B0C0D0E0F10  02 FE33",
       "0102030405060708 333333 800400"},
      // Flag 0x80 repeats 129 times; flag 0x81 128 times.
      {"02 8044  02 8155", "800744 800755"},
      // A repeat without its byte, and a row without data.
      {"01 FE  00", "800F00"},
      // A literal cut short by the byte count.
      {"03 05AABB  01 7F", "AABB 800D00"},
  };
  for (const auto &c : cases) {
    const std::string operands = BitMap(8, 2, 64) + kPlace + Hex(c.rows);
    Converted result = Convert(op_PackBitsRect, operands);
    EXPECT_EQ(result.consumed, static_cast<long>(operands.size())) << c.rows;
    EXPECT_EQ(FacetBytes(result.output),
              RasterHeader(64, 2, 1) + Hex(c.encoded))
        << c.rows;
  }
}

// Pixel maps of more than 8 bits per pixel or more than one component are
// read past with message 1024 and the pixel size; nothing is written.
TEST(Bitmap, UnsupportedPixelMaps) {
  ASSERT_TRUE(srefixture::Load());
  const struct {
    Handler handler;
    std::string operands, message;
  } cases[] = {
      {op_PackBitsRect,
       PixMap(8, 2, 4, 16, kTwoColors) + kPlace + Hex("02 0102 03 01AABB"),
       "MSG 1024 16\n"},
      {op_BitsRgn,
       PixMap(2, 1, 2, 8, kTwoColors, 3) + kPlace + MaskRegion() + Hex("0102"),
       "MSG 1024 8\n"},
  };
  for (const auto &c : cases) {
    testing::internal::CaptureStderr();
    Converted result = Convert(c.handler, c.operands);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message);
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(result.consumed, static_cast<long>(c.operands.size()));
  }
}

// Inside rotated text the image opcodes are read past and write nothing.
TEST(Bitmap, NothingInsideRotatedText) {
  InRotatedText = 1;
  const struct {
    Handler handler;
    std::string operands;
    long pad;  // in version 2
  } cases[] = {
      {op_BitsRect, BitMap(3, 3, 24) + kPlace + Hex("000000 FFFFFF 123456"), 1},
      {op_PackBitsRgn,
       PixMap(8, 2, 7, 8, ManyColors()) + kPlace + MaskRegion() +
           Hex("04 FA07 0080 02 F980"),
       0},
  };
  for (const auto &c : cases) {
    for (int version : {1, 2}) {
      Converted result = Convert(c.handler, c.operands, version);
      EXPECT_EQ(result.output, "");
      EXPECT_EQ(result.consumed, static_cast<long>(c.operands.size()) +
                                     (version == 2 ? c.pad : 0));
    }
  }
}

}  // namespace

// Skipping operand structures: each kind consumes exactly its structure,
// image data is padded in version 2 only, and opcodes without a handler are
// passed over by the version 2 size rules.
#include <gtest/gtest.h>

#include <functional>

#include "driver/driver.h"
#include "pict/pict.h"
#include "support/channels.h"
#include "support/pict_bytes.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"

namespace {

using pictbytes::Hex;
using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U32;

// The number of bytes `action` takes from `bytes`. Spare bytes follow the
// structure so that taking too much shows.
long Consumed(const std::string &bytes, const std::function<void()> &action) {
  testchannels::Channels channels(bytes + Hex("EE EE EE EE EE EE EE EE"));
  action();
  return channels.Consumed();
}

long Skipped(int kind, int32_t count, const std::string &bytes) {
  return Consumed(bytes, [&] { skip(kind, count); });
}

// Row bytes, bounds of `rows` rows; 36 more bytes for a pixel map.
std::string MapHeader(int rowBytes, int rows, bool pixelMap) {
  return U16(pixelMap ? rowBytes | 0x8000 : rowBytes) +
         RectBytes(0, 0, rows, 16) + (pixelMap ? std::string(36, '\0') : "");
}

// A colour table of n + 1 entries.
std::string ColorTable(int n) {
  return std::string(6, '\0') + U16(n) + std::string(8 * (n + 1), '\x11');
}

const std::string kCopyRects(18, '\0');

TEST(Skip, FixedAndSizedStructures) {
  Version = 1;
  EXPECT_EQ(Skipped(0, 5, ""), 5);
  EXPECT_EQ(Skipped(0, 0, ""), 0);
  EXPECT_EQ(Skipped(0, -3, ""), 0);
  EXPECT_EQ(Skipped(1, 0, U16(10) + std::string(8, 0)),
            10);                        // region: the size counts itself
  EXPECT_EQ(Skipped(1, 0, U16(1)), 2);  // too small: only the size word
  EXPECT_EQ(Skipped(1, 0, U16(-6)), 2);
  EXPECT_EQ(Skipped(3, 99, ""), 6);
  EXPECT_EQ(Skipped(5, 0, U16(10) + std::string(10, 0)), 12);
  EXPECT_EQ(Skipped(5, 0, U16(0)), 2);
  EXPECT_EQ(Skipped(6, 0, U16(12) + std::string(10, 0)), 12);
  EXPECT_EQ(Skipped(8, 4, ""), 0);
  EXPECT_EQ(Skipped(-1, 4, ""), 0);
}

TEST(Skip, PixelPatterns) {
  Version = 1;
  EXPECT_EQ(Skipped(4, 0, U16(2) + std::string(14, 0)), 16);
  // Type 1: pattern, pixel map of 2 rows of 2 bytes, colour table, image.
  std::string pattern = U16(1) + std::string(8, '\0') + MapHeader(2, 2, true) +
                        ColorTable(0) + std::string(4, '\0');
  EXPECT_EQ(Skipped(4, 0, pattern), static_cast<long>(pattern.size()));
  EXPECT_EQ(pattern.size(), 76u);
}

TEST(Skip, ColorTablesAndPixelMapHeaders) {
  Version = 1;
  EXPECT_EQ(Consumed(ColorTable(0), skipcolortable), 16);
  EXPECT_EQ(Consumed(ColorTable(2), skipcolortable), 32);

  uint16_t rowBytes = 0;
  Rect bounds;
  int isPixelMap = -1;
  EXPECT_EQ(Consumed(MapHeader(300, 7, true),
                     [&] { isPixelMap = skippixmap(&rowBytes, &bounds); }),
            46);
  EXPECT_EQ(isPixelMap, 1);
  EXPECT_EQ(rowBytes, 300);
  EXPECT_EQ(bounds.height, 7);
  EXPECT_EQ(Consumed(MapHeader(4, 3, false),
                     [&] { isPixelMap = skippixmap(&rowBytes, &bounds); }),
            10);
  EXPECT_EQ(isPixelMap, 0);
  EXPECT_EQ(rowBytes, 4);
}

TEST(Skip, ImageRowsAndThePadOfVersion2) {
  for (int version : {1, 2}) {
    Version = version;
    SCOPED_TRACE(version);
    // rowBytes 4, 10 rows: 40 bytes, not packed.
    std::string plain = MapHeader(4, 10, false) + kCopyRects;
    EXPECT_EQ(Skipped(2, 0, plain + std::string(40, '\x22')), 68);
    // rowBytes 3, 3 rows: 9 bytes, padded in version 2.
    std::string odd = MapHeader(3, 3, false) + kCopyRects;
    EXPECT_EQ(Skipped(2, 0, odd + std::string(10, '\x22')),
              version == 2 ? 38 : 37);
    // rowBytes 100: a 1-byte count per row; 4 + 5 + 6 bytes in all.
    std::string packed = MapHeader(100, 3, true) + ColorTable(0) + kCopyRects +
                         Hex("03 010203 04 01020304 05 0102030405 77");
    EXPECT_EQ(Skipped(2, 0, packed), 10 + 36 + 16 + 18 + 15 + (version - 1));
    // rowBytes 300: a 2-byte count per row; 3 + 4 bytes in all.
    std::string wide = MapHeader(300, 2, true) + ColorTable(0) + kCopyRects +
                       Hex("0001 AA 0002 BBBB 77");
    EXPECT_EQ(Skipped(2, 0, wide), 10 + 36 + 16 + 18 + 7 + (version - 1));
    // With a mask region between the rectangles and the rows.
    std::string masked =
        MapHeader(4, 1, false) + kCopyRects + U16(10) + std::string(8, '\0');
    EXPECT_EQ(Skipped(7, 0, masked + std::string(4, '\x22')), 42);
  }
}

TEST(Skip, LengthsBeyondTheInputEndTheRun) {
  runfilter::TempDir dir;
  srefixture::Write(dir.path() + "/picttotov");
  ASSERT_EQ(V_SrInit((dir.path() + "/picttotov").c_str(), "usenglish"), 0);
  Version = 2;
  // A 32-bit length with the top bit set is a length, not a negative count.
  EXPECT_EXIT(
      {
        testchannels::Channels channels(U32(0x80000000) + "abc");
        SkipReservedOpcode(0x8201);
      },
      ::testing::ExitedWithCode(1), "^MSG 1008\n$");
  EXPECT_EXIT(
      {
        testchannels::Channels channels(MapHeader(300, 2, false) + kCopyRects +
                                        U16(0x4000));
        skip(2, 0);
      },
      ::testing::ExitedWithCode(1), "^MSG 1008\n$");
}

}  // namespace

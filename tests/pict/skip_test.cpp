// Skipping operand structures: each kind consumes exactly its structure,
// image data is padded in version 2 only, and opcodes without a handler are
// passed over by the version 2 size rules.
#include <gtest/gtest.h>

#include "driver/driver.h"
#include "pict/pict.h"
#include "support/channels.h"
#include "support/pict_bytes.h"
#include "support/sre_fixture.h"

namespace {

using pictbytes::Hex;
using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U32;
using testchannels::Consumed;

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

TEST(Skip, FixedSizedAndPatternStructures) {
  Version = 1;
  // Type 1 pattern: pattern, pixel map of 2 rows of 2 bytes, colour table,
  // image.
  const std::string pattern = U16(1) + std::string(8, '\0') +
                              MapHeader(2, 2, true) + ColorTable(0) +
                              std::string(4, '\0');
  const struct {
    int kind, count;
    std::string bytes;
    long taken;
  } cases[] = {
      {0, 5, "", 5},
      {0, 0, "", 0},
      {0, -3, "", 0},
      {1, 0, U16(10) + std::string(8, 0), 10},  // the size counts itself
      {1, 0, U16(1), 2},                        // too small: only the size
      {1, 0, U16(-6), 2},
      {3, 99, "", 6},
      {4, 0, U16(2) + std::string(14, 0), 16},
      {4, 0, pattern, 76},
      {5, 0, U16(10) + std::string(10, 0), 12},
      {5, 0, U16(0), 2},
      {6, 0, U16(12) + std::string(10, 0), 12},
      {8, 4, "", 0},
      {-1, 4, "", 0}};
  for (const auto &c : cases)
    EXPECT_EQ(Skipped(c.kind, c.count, c.bytes), c.taken)
        << "kind " << c.kind << ", " << c.bytes.size() << " bytes";
}

TEST(Skip, ImageRowsAndThePadOfVersion2) {
  for (int version : {1, 2}) {
    Version = version;
    SCOPED_TRACE(version);
    // rowBytes 7, 4 rows: 28 bytes, not packed.
    std::string plain = MapHeader(7, 4, false) + kCopyRects;
    EXPECT_EQ(Skipped(2, 0, plain + std::string(28, '\x22')), 56);
    // rowBytes 3, 3 rows: 9 bytes, padded in version 2.
    std::string odd = MapHeader(3, 3, false) + kCopyRects;
    EXPECT_EQ(Skipped(2, 0, odd + std::string(10, '\x22')),
              version == 2 ? 38 : 37);
    // A pixel map (its flag bit isn't part of rowBytes) with a colour table
    // of 3 entries. rowBytes 8: a 1-byte count per row; 4 + 5 + 6 bytes.
    std::string packed = MapHeader(8, 3, true) + ColorTable(2) + kCopyRects +
                         Hex("03 010203 04 01020304 05 0102030405 77");
    EXPECT_EQ(Skipped(2, 0, packed), 10 + 36 + 32 + 18 + 15 + (version - 1));
    // rowBytes 251: a 2-byte count per row; 3 + 4 bytes in all.
    std::string wide = MapHeader(251, 2, true) + ColorTable(0) + kCopyRects +
                       Hex("0001 AA 0002 BBBB 77");
    EXPECT_EQ(Skipped(2, 0, wide), 10 + 36 + 16 + 18 + 7 + (version - 1));
    // With a mask region between the rectangles and the rows.
    std::string masked =
        MapHeader(4, 1, false) + kCopyRects + U16(10) + std::string(8, '\0');
    EXPECT_EQ(Skipped(7, 0, masked + std::string(4, '\x22')), 42);
  }
}

TEST(Skip, LengthsBeyondTheInputEndTheRun) {
  ASSERT_TRUE(srefixture::Load());
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

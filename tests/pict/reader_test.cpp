// The reader: opcodes and word alignment, fixed values, skipped structures
// and the end of the input (values and rectangles are pinned by the cases).
#include <gtest/gtest.h>

#include <cstdio>

#include "driver/driver.h"
#include "pict/pict.h"
#include "pict_bytes.h"
#include "support/channels.h"
#include "support/sre_fixture.h"

namespace {

using pictbytes::Hex;
using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U32;
using testchannels::Consumed;

TEST(Reader, GetFixed) {
  const struct {
    unsigned char bytes[4];
    double value;
  } fixed[] = {
      {{0x00, 0x01, 0x80, 0x00}, 1.5},
      {{0xFF, 0xFF, 0x00, 0x00}, -1.0},
      // Single precision: the largest value rounds up to 2^31 before scaling.
      {{0x7F, 0xFF, 0xFF, 0xFF}, 32768.0},
      // 1 + 1/65536 needs 17 bits: exact in single precision.
      {{0x00, 0x01, 0x00, 0x01}, 1.0 + 1.0 / 65536.0}};
  for (const auto &f : fixed) EXPECT_EQ(GetFixed(f.bytes), f.value);
}

// An alignment byte is stepped over in a file, read in a pipe, and not
// counted; a peeked opcode but a NOP is delivered again. Assigned and
// attached streams alike.
TEST(Reader, Version2OpcodesStartAtEvenPositionsOfFilesAndPipes) {
  Version = 2;
  const std::string bytes = Hex("AA 77 00A1 0000 0038 55 66 00FF");
  for (bool attached : {false, true}) {
    for (bool pipe : {false, true}) {
      SCOPED_TRACE(std::string(pipe ? "pipe" : "file") +
                   (attached ? ", attached" : ""));
      testchannels::Channels channels(bytes);
      testchannels::InputStream stream(
          pipe ? testchannels::Source::kPipe : testchannels::Source::kFile,
          bytes);
      Channel input;
      if (attached) V_ChannelAttach(&input, stream.get());
      if (pipe && !attached) input.stream = stream.get();
      if (attached || pipe) inputFP = &input;
      const int32_t start = GetByteCount();
      uint16_t peeked = 0, opcode = 0;
      PictSkip(1);
      getopcode(&opcode);  // the byte 77 at position 1 is passed over
      EXPECT_EQ(opcode, 0x00A1);
      EXPECT_EQ(GetByteCount() - start, 3);
      PeekNextOpcode(&peeked);  // already even: nothing is passed over
      getopcode(&opcode);       // a NOP is not held
      EXPECT_EQ(peeked, 0x0000);
      EXPECT_EQ(opcode, 0x0038);
      PictSkip(1);
      PeekNextOpcode(&peeked);
      getopcode(&opcode);
      EXPECT_EQ(peeked, 0x00FF);
      EXPECT_EQ(opcode, 0x00FF);
      EXPECT_EQ(GetByteCount() - start, 10);
      if (!pipe) {
        EXPECT_EQ(attached ? V_ChannelTell(inputFP) : channels.Consumed(), 12);
      }
    }
  }
}

// The end around an alignment byte: a file of only that byte is empty
// (1007), a pipe's is cut short (1008); positions count from the file's start.
TEST(Reader, WordAlignmentAtTheEndOfTheInput) {
  ASSERT_TRUE(srefixture::Load());
  Version = 2;
  const struct {
    testchannels::Source source;
    std::string bytes;
    long start;     // the file's position when the run begins
    int32_t taken;  // bytes read before the opcode
    const char *messages;
  } cases[] = {
      {testchannels::Source::kFile, Hex("EE 77"), 1, 0, "^MSG 1007\n$"},
      {testchannels::Source::kFile, Hex("EE 77 00"), 1, 0, "^MSG 1008\n$"},
      {testchannels::Source::kFile, Hex("77"), 0, 1, "^MSG 1008\n$"},
      {testchannels::Source::kFile, Hex("77 55"), 0, 1, "^MSG 1008\n$"},
      {testchannels::Source::kPipe, Hex("77 55"), 0, 1, "^MSG 1008\n$"},
      {testchannels::Source::kFile, Hex("EE 77 00 A1"), 1, 0, "^A1 4\n$"},
      {testchannels::Source::kPipe, Hex("77 55 00 A1"), 0, 1, "^A1 -1\n$"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.bytes.size());
    EXPECT_EXIT(
        {
          ResetPictReader();  // nothing read yet
          testchannels::InputStream stream(c.source, c.bytes, c.start);
          Channel input;
          V_ChannelAttach(&input, stream.get());
          inputFP = &input;
          PictSkip(c.taken);
          uint16_t opcode = 0;
          getopcode(&opcode);
          std::fprintf(stderr, "%X %ld\n", opcode, V_ChannelTell(inputFP));
          std::exit(0);
        },
        ::testing::ExitedWithCode(c.messages[1] == 'M' ? 1 : 0), c.messages);
  }
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

// Regions smaller than their size word or over 32 KB, and pixel patterns.
TEST(Skip, EdgeSizesAndPixelPatterns) {
  Version = 1;
  // Type 1: pattern, pixel map of 2 rows of 2 bytes, colour table, image.
  const std::string pattern = U16(1) + std::string(8, '\0') +
                              MapHeader(2, 2, true) + ColorTable(0) +
                              std::string(4, '\0');
  const struct {
    int kind, count;
    std::string bytes;
    long taken;
  } cases[] = {{1, 0, U16(1), 2},
               {6, 0, U16(0), 2},
               {1, 0, U16(0xFFFA) + std::string(0xFFF8, '\x20'), 0xFFFA},
               {4, 0, U16(2) + std::string(14, 0), 16},
               {4, 0, pattern, 76}};
  for (const auto &c : cases)
    EXPECT_EQ(Skipped(c.kind, c.count, c.bytes), c.taken)
        << "kind " << c.kind << ", " << c.bytes.size() << " bytes";
}

// Unpacked rows, packed rows with byte and word counts; the pad of version 2.
TEST(Skip, ImageRowsAndThePadOfVersion2) {
  for (int version : {1, 2}) {
    Version = version;
    SCOPED_TRACE(version);
    // rowBytes 7, 4 rows: 28 bytes, not packed.
    std::string plain = MapHeader(7, 4, false) + kCopyRects;
    EXPECT_EQ(Skipped(2, 0, plain + std::string(28, '\x22')), 56);
    // A pixel map, 3 colours; rowBytes 8: 1-byte counts; 4 + 5 + 6 bytes.
    std::string packed = MapHeader(8, 3, true) + ColorTable(2) + kCopyRects +
                         Hex("03 010203 04 01020304 05 0102030405 77");
    EXPECT_EQ(Skipped(2, 0, packed), 10 + 36 + 32 + 18 + 15 + (version - 1));
    // rowBytes 251: a 2-byte count per row; 3 + 4 bytes in all.
    std::string wide = MapHeader(251, 2, true) + ColorTable(0) + kCopyRects +
                       Hex("0001 AA 0002 BBBB 77");
    EXPECT_EQ(Skipped(2, 0, wide), 10 + 36 + 16 + 18 + 7 + (version - 1));
  }
}

// A length with the top bit set is a length, not a count < 0; a failed write
// of the document is fatal.
TEST(Reader, ReadingBeyondTheInputAndFailedWritesEndTheRun) {
  ASSERT_TRUE(srefixture::Load());
  EXPECT_EXIT(
      {
        testchannels::Channels channels(U32(0x80000000) + "abc");
        SkipReservedOpcode(0x8201);
      },
      ::testing::ExitedWithCode(1), "^MSG 1008\n$");
  EXPECT_EXIT(
      {
        Channel readOnly;
        readOnly.stream = std::fopen("/dev/null", "r");
        WriteBytes(&readOnly, "abc", 3);
      },
      ::testing::ExitedWithCode(1), "^MSG 1003\n$");
}

}  // namespace

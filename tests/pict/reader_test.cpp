// The byte-level reader: values, opcodes and word alignment, the end of the
// input, and the decoding of values already in memory.
#include <gtest/gtest.h>

#include <cstdio>

#include "driver/driver.h"
#include "pict/pict.h"
#include "support/channels.h"
#include "support/pict_bytes.h"
#include "support/sre_fixture.h"

namespace {

using pictbytes::Hex;

std::string RectText(const Rect &rect) {
  return std::to_string(rect.x) + " " + std::to_string(rect.y) + " " +
         std::to_string(rect.width) + " " + std::to_string(rect.height);
}

TEST(Reader, ValuesAreBigEndianAndRectanglesNormalised) {
  testchannels::Channels channels(
      Hex("FFFE 8001 12345678 000A 0014 0005 0008 FFF6 FFEC 000A 0014 AB"));
  uint16_t unsignedWord = 0;
  ReadUShort(&unsignedWord);
  EXPECT_EQ(unsignedWord, 0xFFFE);
  int16_t signedWord = 0;
  ReadShort(&signedWord);
  EXPECT_EQ(signedWord, -32767);
  int32_t value = 0;
  ReadLong(&value);
  EXPECT_EQ(value, 0x12345678);
  // Top 10, left 20, bottom 5, right 8: corners in reverse order. Then top
  // -10, left -20, bottom 10, right 20.
  Rect rect;
  ReadRect(&rect);
  EXPECT_EQ(RectText(rect), "8 5 12 5");
  ReadRect(&rect);
  EXPECT_EQ(RectText(rect), "-20 -10 40 20");
  unsigned char byte = 0;
  ReadByte(&byte);
  EXPECT_EQ(byte, 0xAB);
  EXPECT_EQ(GetByteCount(), 25);
}

TEST(Reader, ReadStringAndPictSkip) {
  testchannels::Channels channels(Hex("41 42 43 44 45 46"));
  unsigned char buffer[4] = {};
  EXPECT_EQ(ReadString(buffer, 0), buffer);
  EXPECT_EQ(ReadString(buffer, 3), buffer + 3);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer), 3), "ABC");
  PictSkip(0);
  PictSkip(-5);
  EXPECT_EQ(channels.Consumed(), 3);
  PictSkip(2);
  unsigned char byte = 0;
  ReadByte(&byte);
  EXPECT_EQ(byte, 0x46);
  EXPECT_EQ(GetByteCount(), 6);
}

TEST(Reader, GetShortAndGetFixed) {
  const unsigned char minus2[] = {0xFF, 0xFE};
  EXPECT_EQ(GetShort(minus2), -2);
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

// From a file the reader seeks over an alignment byte; from a pipe it reads
// and drops it. Either way the byte doesn't count. Each round takes an even
// number of bytes, so the next starts aligned.
TEST(Reader, Version2OpcodesStartAtEvenPositionsOfFilesAndPipes) {
  Version = 2;
  const std::string bytes = Hex("AA 77 00A1 0038 55 66 00FF");
  for (bool pipe : {false, true}) {
    SCOPED_TRACE(pipe ? "pipe" : "file");
    testchannels::Channels channels(bytes);
    if (pipe) testchannels::PipeInput(bytes);
    const int32_t start = GetByteCount();
    PictSkip(1);
    uint16_t opcode = 0;
    getopcode(&opcode);  // the byte 77 at position 1 is passed over
    EXPECT_EQ(opcode, 0x00A1);
    EXPECT_EQ(GetByteCount() - start, 3);
    getopcode(&opcode);  // already even: nothing is passed over
    EXPECT_EQ(opcode, 0x0038);
    PictSkip(1);
    getopcode(&opcode);
    EXPECT_EQ(opcode, 0x00FF);
    EXPECT_EQ(GetByteCount() - start, 8);
    if (!pipe) {
      EXPECT_EQ(channels.Consumed(), 10);
    }
  }
}

TEST(Reader, PeekedOpcodeIsDeliveredOnceExceptNop) {
  Version = 2;
  testchannels::Channels channels(Hex("0031 0000 0038 00FF"));
  uint16_t opcode = 0;
  PeekNextOpcode(&opcode);
  EXPECT_EQ(opcode, 0x0031);
  getopcode(&opcode);
  EXPECT_EQ(opcode, 0x0031);
  // A peeked NOP is not held: the next read goes on in the file.
  PeekNextOpcode(&opcode);
  EXPECT_EQ(opcode, 0x0000);
  getopcode(&opcode);
  EXPECT_EQ(opcode, 0x0038);
  getopcode(&opcode);
  EXPECT_EQ(opcode, 0x00FF);
}

// An empty input or one cut short is checked on whole runs; here, the
// word alignment meets the end of the input, in a file and in a pipe.
TEST(Reader, AlignmentAtTheEndOfInputIsFatal) {
  ASSERT_TRUE(srefixture::Load());
  Version = 2;
  for (bool pipe : {false, true}) {
    EXPECT_EXIT(
        {
          testchannels::Channels channels(Hex("01"));
          if (pipe) testchannels::PipeInput(Hex("01"));
          unsigned char byte = 0;
          ReadByte(&byte);
          uint16_t opcode = 0;
          getopcode(&opcode);
        },
        ::testing::ExitedWithCode(1), "^MSG 1008\n$")
        << (pipe ? "pipe" : "file");
  }
}

TEST(Reader, WriteBytesFailureIsFatal) {
  ASSERT_TRUE(srefixture::Load());
  testchannels::Channels channels("");
  WriteBytes(outputFP, "abc", 3);
  WriteBytes(outputFP, "xyz", 0);
  EXPECT_EQ(channels.Output(), "abc");
  EXPECT_EXIT(
      {
        Channel readOnly;
        readOnly.stream = std::fopen("/dev/null", "r");
        WriteBytes(&readOnly, "abc", 3);
      },
      ::testing::ExitedWithCode(1), "^MSG 1003\n$");
}

}  // namespace

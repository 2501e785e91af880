// The byte-level reader: values, opcodes and word alignment, the end of the
// input, and the decoding of values already in memory.
#include <gtest/gtest.h>

#include <cstdio>

#include "driver/driver.h"
#include "pict/pict.h"
#include "support/channels.h"
#include "support/pict_bytes.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"

namespace {

using pictbytes::Hex;

// Loads the test message texts ("MSG <number>") into the runtime.
void LoadMessages() {
  runfilter::TempDir dir;
  std::string program = dir.path() + "/picttotov";
  srefixture::Write(program);
  ASSERT_EQ(V_SrInit(program.c_str(), "usenglish"), 0);
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

  // Top 10, left 20, bottom 5, right 8: corners in reverse order.
  Rect reversed;
  ReadRect(&reversed);
  EXPECT_EQ(reversed.x, 8);
  EXPECT_EQ(reversed.y, 5);
  EXPECT_EQ(reversed.width, 12);
  EXPECT_EQ(reversed.height, 5);
  // Top -10, left -20, bottom 10, right 20.
  Rect centred;
  ReadRect(&centred);
  EXPECT_EQ(centred.x, -20);
  EXPECT_EQ(centred.y, -10);
  EXPECT_EQ(centred.width, 40);
  EXPECT_EQ(centred.height, 20);

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
  const unsigned char oneAndHalf[] = {0x00, 0x01, 0x80, 0x00};
  EXPECT_EQ(GetFixed(oneAndHalf), 1.5);
  const unsigned char minusOne[] = {0xFF, 0xFF, 0x00, 0x00};
  EXPECT_EQ(GetFixed(minusOne), -1.0);
  // Single precision: the largest value rounds up to 2^31 before scaling.
  const unsigned char largest[] = {0x7F, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(GetFixed(largest), 32768.0);
  // 1 + 1/65536 needs 17 bits: exact in single precision.
  const unsigned char small[] = {0x00, 0x01, 0x00, 0x01};
  EXPECT_EQ(GetFixed(small), 1.0 + 1.0 / 65536.0);
}

TEST(Reader, Version2OpcodesStartAtEvenFilePositions) {
  Version = 2;
  testchannels::Channels channels(Hex("AA 77 00A1 00FF"));
  PictSkip(1);
  uint16_t opcode = 0;
  getopcode(&opcode);  // the byte 77 at position 1 is passed over
  EXPECT_EQ(opcode, 0x00A1);
  EXPECT_EQ(GetByteCount(), 3);  // the alignment byte doesn't count
  getopcode(&opcode);            // already even: nothing is passed over
  EXPECT_EQ(opcode, 0x00FF);
  EXPECT_EQ(channels.Consumed(), 6);
}

TEST(Reader, Version2AlignmentWorksOnAPipe) {
  Version = 2;
  testchannels::PipeInput(Hex("AA 77 00A1 55 66 00FF"));
  PictSkip(1);
  uint16_t opcode = 0;
  getopcode(&opcode);
  EXPECT_EQ(opcode, 0x00A1);
  PictSkip(1);
  getopcode(&opcode);
  EXPECT_EQ(opcode, 0x00FF);
  EXPECT_EQ(GetByteCount(), 6);
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

TEST(Reader, EndOfInputIsFatal) {
  LoadMessages();
  unsigned char byte = 0;
  EXPECT_EXIT(
      {
        testchannels::Channels channels("");
        ReadByte(&byte);
      },
      ::testing::ExitedWithCode(1), "^MSG 1007\n$");
  EXPECT_EXIT(
      {
        testchannels::Channels channels(Hex("01 02"));
        PictSkip(3);
      },
      ::testing::ExitedWithCode(1), "^MSG 1008\n$");
  EXPECT_EXIT(
      {
        Version = 2;
        testchannels::Channels channels(Hex("01"));
        ReadByte(&byte);
        uint16_t opcode = 0;
        getopcode(&opcode);  // nothing behind the alignment byte
      },
      ::testing::ExitedWithCode(1), "^MSG 1008\n$");
  EXPECT_EXIT(
      {
        Version = 2;
        testchannels::PipeInput(Hex("01"));
        ReadByte(&byte);
        uint16_t opcode = 0;
        getopcode(&opcode);
      },
      ::testing::ExitedWithCode(1), "^MSG 1008\n$");
}

TEST(Reader, WriteBytesFailureIsFatal) {
  LoadMessages();
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

// The opcode table: which handler serves which opcode, and what the
// handlers that convert nothing (yet) take from the input.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "driver/driver.h"
#include "graphics/graphics.h"
#include "image/image.h"
#include "pict/pict.h"
#include "support/channels.h"
#include "support/pict_bytes.h"
#include "text/text.h"

namespace {

using pictbytes::Hex;
using pictbytes::RectBytes;
using pictbytes::U16;

TEST(Operators, TableServesOpcodesToA1AndTheEnd) {
  initoperators();
  ASSERT_NE(Operators, nullptr);
  for (int opcode = 0; opcode <= 0xA1; ++opcode)
    EXPECT_NE(Operators[opcode], nullptr) << opcode;
  for (int opcode = 0xA2; opcode <= 0xFE; ++opcode)
    EXPECT_EQ(Operators[opcode], nullptr) << opcode;
  EXPECT_EQ(Operators[0xFF], op_opEndPic);
  // A sample of the converting handlers in their slots.
  EXPECT_EQ(Operators[0x03], op_TxFont);
  EXPECT_EQ(Operators[0x07], op_PnSize);
  EXPECT_EQ(Operators[0x14], op_FillPixPat);
  EXPECT_EQ(Operators[0x23], op_ShortLineFrom);
  EXPECT_EQ(Operators[0x2B], op_DHDVText);
  EXPECT_EQ(Operators[0x30], op_frameRect);
  EXPECT_EQ(Operators[0x4C], op_fillSameRRect);
  EXPECT_EQ(Operators[0x6A], op_eraseSameArc);
  EXPECT_EQ(Operators[0x79], op_paintSamePoly);
  EXPECT_EQ(Operators[0x91], op_BitsRgn);
  EXPECT_EQ(Operators[0x98], op_PackBitsRect);
  EXPECT_EQ(Operators[0xA1], op_LongComment);
  CleanupOperators();
  EXPECT_EQ(Operators, nullptr);

  EndOfFile = 0;
  op_opEndPic();
  EXPECT_EQ(EndOfFile, 1);
}

// The operands each skipping opcode takes, built from the opcode's family.
std::string SkippedOperands(int opcode) {
  const std::string region = U16(10) + std::string(8, '\x01');
  const std::string polygon = U16(12) + std::string(10, '\x02');
  const std::string block = U16(10) + std::string(10, '\x03');
  if (opcode == 0x01) return region;
  if (opcode == 0x05 || opcode == 0x15 || opcode == 0x16)
    return std::string(2, '\0');
  if (opcode == 0x06) return std::string(4, '\0');
  if (opcode == 0x10) return std::string(8, '\0');
  if (opcode == 0x11) return std::string(1, '\x02');
  if (opcode == 0x1D || opcode == 0x1F) return std::string(6, '\0');
  if ((opcode >= 0x24 && opcode <= 0x27) || (opcode >= 0x2C && opcode <= 0x2F))
    return block;
  if ((opcode >= 0x92 && opcode <= 0x97) || (opcode >= 0x9A && opcode <= 0x9F))
    return block;
  if (opcode >= 0x30 && opcode <= 0x8F) {
    int shape = (opcode - 0x30) / 8;
    switch (shape) {
      case 0:  // Rect
      case 2:  // RRect
      case 4:  // Oval
        return RectBytes(1, 2, 3, 4);
      case 6:  // Arc
        return RectBytes(1, 2, 3, 4) + U16(0) + U16(90);
      case 7:  // SameArc
        return U16(0) + U16(90);
      case 8:  // Poly
        return polygon;
      case 10:  // Rgn
        return region;
      default:  // the Same shapes carry nothing
        return "";
    }
  }
  return "";
}

// The opcodes whose handlers only skip: everything but the state, text,
// line, image and comment opcodes and the frame, paint, erase and fill of
// the rectangle to polygon shapes.
bool OnlySkips(int opcode) {
  static const std::set<int> kFixed = {0x00, 0x01, 0x05, 0x06, 0x10,
                                       0x11, 0x15, 0x16, 0x17, 0x18,
                                       0x19, 0x1C, 0x1D, 0x1E, 0x1F};
  if (kFixed.count(opcode)) return true;
  if ((opcode >= 0x24 && opcode <= 0x27) || (opcode >= 0x2C && opcode <= 0x2F))
    return true;
  if (opcode >= 0x80 && opcode <= 0x8F) return true;  // regions
  if (opcode >= 0x30 && opcode <= 0x7F) {
    int verb = (opcode - 0x30) % 8;
    return verb == 3 || verb >= 5;  // invert and reserved
  }
  return (opcode >= 0x92 && opcode <= 0x97) ||
         (opcode >= 0x9A && opcode <= 0x9F);
}

TEST(Operators, SkippingHandlersTakeExactlyTheirOperands) {
  initoperators();
  for (int version : {1, 2}) {
    Version = version;
    int count = 0;
    for (int opcode = 0; opcode <= 0xA1; ++opcode) {
      if (!OnlySkips(opcode)) continue;
      ++count;
      std::string operands = SkippedOperands(opcode);
      testchannels::Channels channels(operands + Hex("EEEE EEEE"));
      Operators[opcode]();
      EXPECT_EQ(channels.Consumed(), static_cast<long>(operands.size()))
          << "opcode " << opcode << " version " << version;
      EXPECT_EQ(channels.Output(), "");
    }
    EXPECT_EQ(count, 15 + 8 + 16 + 5 * 8 + 12);
  }
}

TEST(Operators, TextOpcodesTakeTheirOperandsAndPadInVersion2) {
  struct Case {
    void (*handler)();
    std::string operands;
    long version1, version2;
  };
  const Case cases[] = {
      {op_TxFont, U16(3), 2, 2},
      {op_TxFace, Hex("01"), 1, 2},
      {op_TxSize, U16(0), 2, 2},
      {op_LongText, U16(20) + U16(10) + Hex("02 4869"), 7, 8},
      {op_LongText, U16(20) + U16(10) + Hex("01 48"), 6, 6},
      {op_DHText, Hex("05 02 4869"), 4, 4},
      {op_DHText, Hex("05 01 48"), 3, 4},
      {op_DVText, Hex("05 00"), 2, 2},
      {op_DHDVText, Hex("05 06 00"), 3, 4},
      {op_DHDVText, Hex("05 06 01 48"), 4, 4},
  };
  for (int version : {1, 2}) {
    Version = version;
    for (const Case &c : cases) {
      testchannels::Channels channels(c.operands + Hex("EE EE"));
      c.handler();
      EXPECT_EQ(channels.Consumed(), version == 1 ? c.version1 : c.version2)
          << c.operands.size() << " bytes, version " << version;
      EXPECT_EQ(channels.Output(), "");
    }
  }
}

TEST(Operators, TextOpcodesMoveThePen) {
  Version = 1;
  int16_t x = 0, y = 0;
  testchannels::Channels channels(U16(20) + U16(10) + Hex("00") +  // LongText
                                  Hex("FF 00") +                   // DHText
                                  Hex("07 00") +                   // DVText
                                  Hex("01 02 00") +                // DHDVText
                                  U16(0) + U16(32767) + Hex("00") +
                                  Hex("01 00"));
  op_LongText();
  GetCurrentPos(&x, &y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 20);
  op_DHText();  // the offset is unsigned: 255 to the right
  GetCurrentPos(&x, &y);
  EXPECT_EQ(x, 265);
  op_DVText();
  op_DHDVText();
  GetCurrentPos(&x, &y);
  EXPECT_EQ(x, 266);
  EXPECT_EQ(y, 29);
  op_LongText();
  op_DHText();  // 32767 + 1 wraps
  GetCurrentPos(&x, &y);
  EXPECT_EQ(x, -32768);
}

TEST(Operators, ImageOpcodesTakeTheirOperands) {
  // A bitmap of 3 rows of 3 bytes: 9 bytes, padded in version 2.
  const std::string bitmap = U16(3) + RectBytes(0, 0, 3, 24) +
                             std::string(18, '\0') + std::string(9, '\x55');
  const std::string mask = U16(10) + std::string(8, '\0');
  const std::string masked = U16(3) + RectBytes(0, 0, 3, 24) +
                             std::string(18, '\0') + mask +
                             std::string(9, '\x55');
  for (int version : {1, 2}) {
    Version = version;
    for (auto handler : {op_BitsRect, op_PackBitsRect}) {
      testchannels::Channels channels(bitmap + Hex("EE EE"));
      handler();
      EXPECT_EQ(channels.Consumed(), 37 + (version - 1));
      EXPECT_EQ(channels.Output(), "");
    }
    for (auto handler : {op_BitsRgn, op_PackBitsRgn}) {
      testchannels::Channels channels(masked + Hex("EE EE"));
      handler();
      EXPECT_EQ(channels.Consumed(), 47 + (version - 1));
      EXPECT_EQ(channels.Output(), "");
    }
  }
}

}  // namespace

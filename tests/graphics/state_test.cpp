// Unit tests of the drawing state, the pattern and colour conversions and
// the group stack, driven through the input and output channels.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "driver/driver.h"
#include "graphics/graphics.h"
#include "pict/pict.h"
#include "support/pict_bytes.h"

namespace {

using pictbytes::Hex;
using pictbytes::U16;
using pictbytes::U32;

// Points the reader at `bytes` and collects what is written.
class StateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Initstateops();
    Version = 2;
    out_.stream = std::tmpfile();
    outputFP = &out_;
    inputFP = &in_;
  }

  void Feed(const std::string &bytes) {
    in_.stream = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), in_.stream);
    std::rewind(in_.stream);
  }

  std::string Output() {
    std::fflush(out_.stream);
    std::rewind(out_.stream);
    std::string text;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, out_.stream)) > 0)
      text.append(buffer, got);
    return text;
  }

  int32_t PatternInk(const std::string &pattern) {
    Feed(pattern);
    int32_t ink = -1;
    setpat(&ink);
    return ink;
  }

  Channel in_, out_;
};

TEST_F(StateTest, PatternsBecomeFillNumbers) {
  EXPECT_EQ(PatternInk(Hex("00 00 00 00 00 00 00 00")), 7);
  EXPECT_EQ(PatternInk(Hex("FF FF FF FF FF FF FF FF")), 0);
  EXPECT_EQ(PatternInk(Hex("AA 55 AA 55 AA 55 AA 55")), 3);  // 32 bits
  EXPECT_EQ(PatternInk(Hex("88 22 88 22 88 22 88 22")), 4);  // 16 bits
  // The reference patterns themselves and shifted copies.
  EXPECT_EQ(PatternInk(Hex("0F 1E 3C 78 F0 E1 C3 87")), 8);
  EXPECT_EQ(PatternInk(Hex("E1 F0 78 3C 1E 0F 87 C3")), 9);  // pat2 rows rolled
  EXPECT_EQ(PatternInk(Hex("66 66 66 66 66 66 66 66")), 10);
  EXPECT_EQ(PatternInk(Hex("00 00 FF FF 00 00 FF FF")), 11);
  // Near matches: within 8 bits of a shifted reference.
  EXPECT_EQ(PatternInk(Hex("80 00 00 00 00 00 00 00")), 14);
  EXPECT_EQ(PatternInk(Hex("11 00 44 00 11 00 44 00")), 14);
  // The single anti-diagonal is within 8 bits of both pat5 (the X) and
  // pat6; the later reference wins.
  EXPECT_EQ(PatternInk(Hex("01 02 04 08 10 20 40 80")), 13);
}

TEST_F(StateTest, DensityTintBoundaries) {
  // Counts of set bits at the edges of the tint bands; the patterns are
  // solid rows followed by a partial row, and none is near a reference.
  struct Case {
    const char *pattern;
    int bits;
    int32_t ink;
  };
  const std::array<Case, 8> cases{{
      {"FF FF FF FF FF FF FF FC", 62, 0},
      {"FF FF FF FF FF FF FF F0", 60, 0},
      {"FF FF FF FF FF FF FF E0", 59, 1},
      {"FF FF FF FF FF FF F0 00", 52, 1},
      {"FF FF FF FF FF FF E0 00", 51, 2},
      {"FF FF FF FF FF 80 00 00", 41, 2},
      {"3F 00 00 00 00 00 00 00", 6, 5},
      {"0F 00 00 00 00 00 00 00", 4, 6},
  }};
  for (const Case &c : cases)
    EXPECT_EQ(PatternInk(Hex(c.pattern)), c.ink) << c.pattern << " " << c.bits;
}

TEST_F(StateTest, PatsequalAllowsAtMostEightDifferingBits) {
  const auto pat4 = Hex("FF FF 00 00 FF FF 00 00");
  const auto eight = Hex("00 FF 00 00 FF FF 00 00");
  const auto nine = Hex("00 FF 01 00 FF FF 00 00");
  auto bytes = [](const std::string &s) {
    return reinterpret_cast<const unsigned char *>(s.data());
  };
  EXPECT_EQ(patsequal(bytes(pat4), bytes(eight)), 1);
  EXPECT_EQ(patsequal(bytes(pat4), bytes(nine)), 0);
  // A shift by one row and three bits still matches.
  const auto pat3 = Hex("CC CC CC CC CC CC CC CC");
  EXPECT_EQ(patsequal(bytes(pat3), bytes(Hex("99 99 99 99 99 99 99 99"))), 1);
}

TEST_F(StateTest, RollpatternMovesRowsDownThenRotatesRight) {
  const unsigned char source[8] = {0x01, 0x00, 0x00, 0x00,
                                   0x00, 0x00, 0x00, 0x30};
  unsigned char target[8];
  rollpattern(source, target, 1, 2);
  const unsigned char expected[8] = {0x00, 0x18, 0x80, 0x00,
                                     0x00, 0x00, 0x00, 0x00};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(target[i], expected[i]) << i;
}

TEST_F(StateTest, ColoursBecomeSeparations) {
  EXPECT_EQ(matchcolor(128, 128, 128), 1);  // 3 x 127^2 < 3 x 128^2
  EXPECT_EQ(matchcolor(127, 127, 127), 0);
  EXPECT_EQ(matchcolor(255, 0, 0), 2);
  EXPECT_EQ(matchcolor(255, 255, 127), 7);
  EXPECT_EQ(matchcolor(255, 255, 128), 1);

  int32_t sep = -1;
  setcolor(205, &sep);
  EXPECT_EQ(sep, 2);
  setcolor(999, &sep);
  EXPECT_EQ(sep, 0);

  // RGB opcodes keep the high byte of each component.
  Feed(U16(0x8000) + U16(0x80FF) + U16(0x8000) + U16(0x7FFF) + U16(0x7F00) +
       U16(0x7FFF));
  op_RGBFgCol();
  EXPECT_EQ(PenSep, 1);
  EXPECT_EQ(GetFillSep(), 1);
  op_RGBFgCol();
  EXPECT_EQ(PenSep, 0);
  EXPECT_EQ(GetFillSep(), 0);

  Feed(U32(205) + U32(999));
  op_FgColor();
  EXPECT_EQ(PenSep, 2);
  EXPECT_EQ(GetFillSep(), 2);
  op_FgColor();
  EXPECT_EQ(PenSep, 0);
  EXPECT_EQ(GetFillSep(), 0);
}

TEST_F(StateTest, PixelPatternsConsumeTheirWholeOperand) {
  // Dithered pattern: 8 pattern bytes and an RGB colour (blue).
  Feed(U16(2) + Hex("FF FF FF FF FF FF FF FF") + U16(0) + U16(0) + U16(0xFFFF) +
       U16(0x1234));
  op_PnPixPat();
  uint16_t marker = 0;
  ReadUShort(&marker);
  EXPECT_EQ(marker, 0x1234);
  // A full pixel pattern: the fallback pattern, a pixel map of 2 rows of
  // 2 bytes, a colour table of one entry and 4 unpacked data bytes. The
  // separation stays.
  Feed(U16(1) + Hex("00 00 00 00 00 00 00 00") + U16(0x8002) +
       pictbytes::RectBytes(0, 0, 2, 8) + std::string(36, '\0') +
       std::string(6, '\0') + U16(0) + std::string(8, '\0') +
       Hex("01 02 03 04") + U16(0x5678));
  op_FillPixPat();
  ReadUShort(&marker);
  EXPECT_EQ(marker, 0x5678);
  DumpState(3, 1);  // FillSep and FillInk
  DumpState(0, 3);  // PenSep and PenInk
  EXPECT_EQ(Output(),
            "\t<Separation 0>\n\t<Fill 7>\n\t<Pen 15>\n\t<PenWidth 0.015>\n"
            "\t<Fill 15>\n\t<PenWidth 1.000>\n\t<Separation 4>\n\t<Pen 0>\n");
}

TEST_F(StateTest, DumpStateWritesAttributesInOrder) {
  BeginGroup();
  BeginGroup();
  Feed(U32(409) + Hex("CC CC CC CC CC CC CC CC") + U32(30) +
       Hex("00 00 00 00 00 00 00 00") + Hex("FF FF FF FF FF FF FF FF"));
  op_FgColor();  // PenSep and FillSep 4
  op_FillPat();  // FillInk 10
  op_BkColor();  // BackSep 1
  op_BkPat();    // BackInk 7
  op_PnPat();    // PenInk 0
  DumpState(0, 3);
  DumpState(3, 0);
  DumpState(3, 1);
  DumpState(3, 2);
  DumpState(0, 1);
  DumpState(0, 9);
  EXPECT_EQ(Output(),
            "\t<GroupID 2>\n\t<Fill 15>\n\t<PenWidth 1.000>\n"
            "\t<Separation 4>\n\t<Pen 0>\n"
            "\t<GroupID 2>\n\t<Separation 4>\n\t<Fill 0>\n"
            "\t<Pen 15>\n\t<PenWidth 0.015>\n"
            "\t<GroupID 2>\n\t<Separation 4>\n\t<Fill 10>\n"
            "\t<Pen 15>\n\t<PenWidth 0.015>\n"
            "\t<GroupID 2>\n\t<Separation 1>\n\t<Fill 7>\n"
            "\t<Pen 15>\n\t<PenWidth 0.015>\n"
            "\t<GroupID 2>\n\t<Separation 4>\n\t<Fill 10>\n"
            "\t<PenWidth 1.000>\n\t<Pen 0>\n"
            "\t<GroupID 2>\n\t<PenWidth 1.000>\n\t<Pen 0>\n");
}

TEST_F(StateTest, PenWidthZeroAndThinLines) {
  Feed(U16(0) + U16(0) + U16(1) + U16(2) + U16(2) + U16(1));
  op_PnSize();  // 0
  DumpState(0, 3);
  SetThinLines();
  op_PnSize();  // (1 + 2) >> 1 = 1: written at half width
  DumpState(0, 3);
  DumpState(0, 3);
  SetScalingFactor(1.5);
  op_PnSize();  // 1 x 1.5 = 1.5: not below the limit
  DumpState(0, 3);
  EXPECT_EQ(Output(),
            "\t<Fill 15>\n\t<Pen 15>\n\t<PenWidth 0.015>\n"
            "\t<Fill 15>\n\t<PenWidth 0.500>\n\t<Separation 0>\n\t<Pen 0>\n"
            "\t<Fill 15>\n\t<PenWidth 0.500>\n\t<Separation 0>\n\t<Pen 0>\n"
            "\t<Fill 15>\n\t<PenWidth 1.500>\n\t<Separation 0>\n\t<Pen 0>\n");
  EXPECT_EQ(GetPenWidth(), 1.5f);
}

TEST_F(StateTest, SizesOriginAndScaling) {
  SetScalingFactor(2.0);
  Feed(U16(3) + U16(2) + U16(16) + U16(24) + U16(-10) + U16(2) + U16(-3) +
       U16(2) + U16(5) + U16(7));
  op_PnSize();
  EXPECT_EQ(GetPenWidth(), 4.0f);  // (3 + 2) >> 1 = 2, times 2
  float oval = -1.0f;
  op_OvSize();
  GetOvalSize(&oval);
  EXPECT_EQ(oval, 40.0f);
  op_OvSize();  // negative mean: no corner
  GetOvalSize(&oval);
  EXPECT_EQ(oval, 0.0f);
  op_OvSize();  // -1 / 2 rounds toward zero
  GetOvalSize(&oval);
  EXPECT_EQ(oval, 0.0f);
  op_Origin();
  EXPECT_EQ(OriginX, 7);
  EXPECT_EQ(OriginY, 5);

  // Sizes count as unsigned.
  EXPECT_EQ(ScaleWidth(-1), 8589934592.0f);
  EXPECT_EQ(ScaleHeight(3), 6.0f);
}

TEST_F(StateTest, ScalingFactorOutOfRangeIsFatal) {
  EXPECT_EXIT(SetScalingFactor(0.0), ::testing::ExitedWithCode(1), "");
  EXPECT_EXIT(SetScalingFactor(10000.0), ::testing::ExitedWithCode(1), "");
  EXPECT_EXIT(SetScalingFactor(std::nan("")), ::testing::ExitedWithCode(1), "");
  SetScalingFactor(9999.5);
  EXPECT_EQ(ScaleFactor, 9999.5f);
}

TEST_F(StateTest, AdjustForLineWidthMovesEdgesInsideThePen) {
  Feed(U16(2) + U16(2) + U16(3) + U16(3));
  op_PnSize();
  float x1 = 10, y1 = 10, x2 = 20, y2 = 30;
  AdjustForLineWidth(&x1, &y1, &x2, &y2);
  EXPECT_EQ(x1, 11.0f);
  EXPECT_EQ(y1, 11.0f);
  EXPECT_EQ(x2, 19.0f);
  EXPECT_EQ(y2, 29.0f);
  // Corners given in reverse give the same box.
  x1 = 20, y1 = 30, x2 = 10, y2 = 10;
  AdjustForLineWidth(&x1, &y1, &x2, &y2);
  EXPECT_EQ(x1, 11.0f);
  EXPECT_EQ(y1, 11.0f);
  EXPECT_EQ(x2, 19.0f);
  EXPECT_EQ(y2, 29.0f);
  // A pen wider than the box turns it inside out; nothing clamps it.
  op_PnSize();
  x1 = 0, y1 = 0, x2 = 2, y2 = 2;
  AdjustForLineWidth(&x1, &y1, &x2, &y2);
  EXPECT_EQ(x1, 1.5f);
  EXPECT_EQ(x2, 0.5f);
}

TEST_F(StateTest, PenModes) {
  Feed(U16(23) + U16(9) + U16(8));
  op_PnMode();
  EXPECT_EQ(ValidPen(), 0);
  EXPECT_EQ(ValidPolyPen(), 0);
  op_PnMode();
  EXPECT_EQ(ValidPen(), 1);
  EXPECT_EQ(ValidPolyPen(), 0);
  op_PnMode();
  EXPECT_EQ(ValidPen(), 1);
  EXPECT_EQ(ValidPolyPen(), 1);
}

TEST_F(StateTest, LineAndPolygonOpcodesConsumeOperandsAndMoveThePen) {
  Feed(U16(1) + U16(2) + U16(30) + U16(40) +   // Line (2,1) to (40,30)
       U16(5) + U16(6) +                       // LineFrom to (6,5)
       U16(10) + U16(20) + Hex("FF 05") +      // ShortLine (20,10) by -1, 5
       Hex("80 7F") +                          // ShortLineFrom by -128, 127
       Hex("01 00") +                          // ShortLineFrom by 1, 0
       U16(10) + Hex("0000 0000 0005 0005") +  // a polygon of 10 bytes
       U16(0x1234));
  int16_t x = 0, y = 0;
  op_Line();
  GetCurrentPos(&x, &y);
  EXPECT_EQ(x, 40);
  EXPECT_EQ(y, 30);
  op_LineFrom();
  GetCurrentPos(&x, &y);
  EXPECT_EQ(x, 6);
  EXPECT_EQ(y, 5);
  op_ShortLine();
  GetCurrentPos(&x, &y);
  EXPECT_EQ(x, 19);
  EXPECT_EQ(y, 15);
  op_ShortLineFrom();
  GetCurrentPos(&x, &y);
  EXPECT_EQ(x, -109);
  EXPECT_EQ(y, 142);
  moveto(32767, 0);
  op_ShortLineFrom();  // wraps to 16 bits
  GetCurrentPos(&x, &y);
  EXPECT_EQ(x, -32768);
  op_paintPoly();
  op_frameSamePoly();
  uint16_t marker = 0;
  ReadUShort(&marker);
  EXPECT_EQ(marker, 0x1234);
  EXPECT_EQ(Output(), "");
}

TEST_F(StateTest, SmallGroupsWriteNothingAndStepBack) {
  EndGroup();  // no group open: ignored
  EXPECT_EQ(GroupID, 0);
  BeginGroup();
  BeginGroup();
  IncrementGroupCount();
  EndGroup();  // one member: not written, and not counted outside
  EXPECT_EQ(GroupID, 1);
  IncrementGroupCount();
  EndGroup();  // one member again
  EXPECT_EQ(GroupID, 0);
  EXPECT_EQ(GroupNotEmpty(), 0);
  IncrementGroupCount();  // outside any group: nothing to count
  EXPECT_EQ(Output(), "");
}

}  // namespace

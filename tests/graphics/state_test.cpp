// Unit tests of the drawing state and the pattern and colour conversions,
// driven through the input and output channels; each test starts from the
// process-start state. Whatever a whole picture shows is tested end to end;
// these pin the rules pictures rarely reach.
#include "graphics/state.h"

#include <gtest/gtest.h>

#include <string>

#include "driver/driver.h"
#include "graphics/graphics.h"
#include "pict_bytes.h"
#include "support/channels.h"

namespace {

using pictbytes::Hex;
using pictbytes::U16;
using pictbytes::U32;
using testchannels::Channels;

TEST(State, PatternsBecomeFillNumbers) {
  const struct {
    const char *pattern;
    int32_t ink;
  } cases[] = {
      {"00 00 00 00 00 00 00 00", 7},
      // Shifted copies of reference patterns.
      {"E1 F0 78 3C 1E 0F 87 C3", 9},  // the second one's rows rolled
      {"66 66 66 66 66 66 66 66", 10},
      {"00 00 FF FF 00 00 FF FF", 11},
      // Near matches: within 8 bits of a shifted reference.
      {"80 00 00 00 00 00 00 00", 14},
      {"11 00 44 00 11 00 44 00", 14},
      {"00 FF 00 00 FF FF 00 00", 11},  // 8 bits differ
      {"00 FF 01 00 FF FF 00 00", 3},   // 9 bits differ: a tint of 25 bits
      // The single anti-diagonal is within 8 bits of both the X and the
      // next reference; the later one wins.
      {"01 02 04 08 10 20 40 80", 13},
      // The edges of the tint bands (60 | 59, 52 | 51, 41 | 6 | 4 set
      // bits), none near a reference.
      {"FF FF FF FF FF FF FF F0", 0},
      {"FF FF FF FF FF FF FF E0", 1},
      {"FF FF FF FF FF FF F0 00", 1},
      {"FF FF FF FF FF FF E0 00", 2},
      {"FF FF FF FF FF 80 00 00", 2},
      {"3F 00 00 00 00 00 00 00", 5},
      {"0F 00 00 00 00 00 00 00", 6},
  };
  std::string all;
  for (const auto &c : cases) all += Hex(c.pattern);
  Channels io(all);
  for (const auto &c : cases) {
    int32_t ink = -1;
    setpat(&ink);
    EXPECT_EQ(ink, c.ink) << c.pattern;
  }
}

TEST(State, ColoursBecomeSeparations) {
  EXPECT_EQ(matchcolor(128, 128, 128), 1);  // 3 x 127^2 < 3 x 128^2
  EXPECT_EQ(matchcolor(127, 127, 127), 0);
  EXPECT_EQ(matchcolor(255, 255, 127), 7);
  EXPECT_EQ(matchcolor(255, 255, 128), 1);

  // RGB opcodes keep the high byte of each component; both foreground
  // opcodes set the pen and the fill separation.
  Channels io(U16(0x8000) + U16(0x80FF) + U16(0x8000) + U16(0x7FFF) +
              U16(0x7F00) + U16(0x7FFF) + U32(205) + U32(30) + U32(999));
  const struct {
    void (*op)();
    int32_t sep;
  } steps[] = {{op_RGBFgCol, 1},
               {op_RGBFgCol, 0},
               {op_FgColor, 2},
               {op_FgColor, 1},
               {op_FgColor, 0}};
  for (const auto &step : steps) {
    step.op();
    EXPECT_EQ(Drawing.PenSep, step.sep);
    EXPECT_EQ(GetFillSep(), step.sep);
  }
}

TEST(State, SizesAndScaling) {
  SetScalingFactor(2.0);
  Channels io(U16(16) + U16(24) + U16(-10) + U16(2) + U16(-3) + U16(2) +
              U16(1) + U16(2));
  // 20 x 2; a negative mean is no corner; -1 / 2 rounds toward zero.
  for (float expected : {40.0f, 0.0f, 0.0f}) {
    float oval = -1.0f;
    op_OvSize();
    GetOvalSize(&oval);
    EXPECT_EQ(oval, expected);
  }
  // Sizes count as unsigned.
  EXPECT_EQ(ScaleWidth(-1), 8589934592.0f);
  EXPECT_EQ(ScaleHeight(-1), 8589934592.0f);

  // Thin lines halve only pens below 1.5: (1 + 2) >> 1 = 1, times 1.5.
  SetThinLines();
  SetScalingFactor(1.5);
  op_PnSize();
  DumpState(0, 3);
  EXPECT_EQ(io.Output(),
            "\t<Fill 15>\n\t<PenWidth 1.500>\n\t<Separation 0>\n\t<Pen 0>\n");
}

}  // namespace

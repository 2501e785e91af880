// The drawing state's pattern and colour rules pictures rarely reach,
// through the channels from the process-start state.
#include "graphics/state.h"

#include <gtest/gtest.h>

#include <string>

#include "driver/driver.h"
#include "graphics/graphics.h"
#include "pict_bytes.h"
#include "support/channels.h"

namespace {

using pictbytes::Hex;
using pictbytes::PictV1;
using pictbytes::Preamble;
using pictbytes::U16;
using pictbytes::U32;
using testchannels::Channels;

TEST(State, PatternsBecomeFillNumbers) {
  const struct {
    const char *pattern;
    int32_t ink;
  } cases[] = {
      {"00 00 00 00 00 00 00 00", 7},
      {"E1 F0 78 3C 1E 0F 87 C3", 9},  // shifted references
      {"66 66 66 66 66 66 66 66", 10},
      {"00 00 FF FF 00 00 FF FF", 11},
      {"80 00 00 00 00 00 00 00", 14},  // within 8 bits of a reference
      {"11 00 44 00 11 00 44 00", 14},
      {"00 FF 00 00 FF FF 00 00", 11},  // 8 bits differ
      {"00 FF 01 00 FF FF 00 00", 3},   // 9 bits differ: a tint of 25 bits
      {"01 02 04 08 10 20 40 80", 13},  // near two: the later wins
      // Tint band edges (60 | 59, 52 | 51, 41 | 6 | 4 bits), near none.
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
  // A paint without outline shows the pen's fill number.
  size_t written = 0;
  for (const auto &c : cases) {
    op_PnPat();
    DumpState(3, 0);
    const std::string state = io.Output().substr(written);
    written += state.size();
    EXPECT_EQ(state.substr(0, state.find("\t<Pen ")),
              "\t<Separation 0>\n\t<Fill " + std::to_string(c.ink) + ">\n")
        << c.pattern;
  }
}

TEST(State, ColoursBecomeSeparations) {
  // RGB keeps each component's high byte; the nearest separation (grey 128
  // is 3 x 127^2 off white) becomes the pen's and the fill's.
  auto rgb = [](int r, int g, int b) { return U16(r) + U16(g) + U16(b); };
  const struct {
    std::string operand;
    void (*op)();
    int32_t sep;
  } steps[] = {
      {rgb(0x8000, 0x8000, 0x8000), op_RGBFgCol, 1},
      {rgb(0x7FFF, 0x7FFF, 0x7FFF), op_RGBFgCol, 0},
      {rgb(0xFF00, 0xFFFF, 0x7FFF), op_RGBFgCol, 7},
      {rgb(0xFF00, 0xFFFF, 0x8000), op_RGBFgCol, 1},
      {rgb(0x8000, 0x80FF, 0x8000), op_RGBFgCol, 1},
      {rgb(0x7FFF, 0x7F00, 0x7FFF), op_RGBFgCol, 0},
      {U32(205), op_FgColor, 2},
      {U32(30), op_FgColor, 1},
      {U32(999), op_FgColor, 0},
  };
  std::string all;
  for (const auto &step : steps) all += step.operand;
  Channels io(all);
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
  EXPECT_EQ(ScaleHeight(-1), 8589934592.0f);

  // Thin lines halve only pens below 1.5: (1 + 2) >> 1 = 1, times 1.5.
  SetThinLines();
  SetScalingFactor(1.5);
  op_PnSize();
  DumpState(0, 3);
  EXPECT_EQ(io.Output(),
            "\t<Fill 15>\n\t<PenWidth 1.500>\n\t<Separation 0>\n\t<Pen 0>\n");
}

std::string ConvertFull(const std::string &picture) {
  Options options;
  options.full = true;
  return testchannels::ConvertHere(picture, options);
}

// The reset forgets the region and the picture space -full keeps: a
// picture behind one that mapped its space and painted a region is as fresh.
TEST(State, ResetForgetsTheRegionAndThePictureSpace) {
  const std::string follower =
      PictV1(Hex("0C 0000 0000  30 0000 0000 0010 0010  89"));
  const std::string fresh = ConvertFull(follower);
  ConvertFull(Preamble({}, true) +
              Hex("0011 02FF"
                  "0C00 FFFE 0000 0048 0000 0048 0000 0032 0032 0096 00FA"
                  "0000 0000"
                  "0081 000A 0000 0000 0010 0010  00FF"));
  EXPECT_EQ(ConvertFull(follower), fresh);
}

}  // namespace

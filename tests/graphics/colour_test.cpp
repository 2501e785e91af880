// The -full colours: nearest inks (expected ones from a CIELAB computation
// made apart from the code), an object's ink, pixel patterns' averages.
#include "graphics/colour.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/conversion.h"
#include "graphics/graphics.h"
#include "graphics/state.h"
#include "pict/pict.h"
#include "pict_bytes.h"
#include "support/channels.h"

namespace {

using pictbytes::Hex;
using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U32;
using testchannels::Channels;

std::string Describe(const Rgb &c) {
  return std::to_string(c.red) + "," + std::to_string(c.green) + "," +
         std::to_string(c.blue);
}

TEST(Colour, NearestInkIsTheNearestSeparationAndTintInCielab) {
  // Colour, separation, fill. Light colours become light tints of their
  // hue; dark ones keep a strong hue, else grey; white ties: solid wins.
  const int cases[][5] = {
      {0, 0, 0, 0, 0},       {26, 26, 26, 0, 1},    {77, 77, 77, 0, 2},
      {128, 128, 128, 0, 3}, {179, 179, 179, 0, 4}, {230, 230, 230, 0, 5},
      {247, 247, 247, 0, 6}, {64, 64, 64, 0, 2},    {85, 85, 85, 0, 2},
      {102, 102, 102, 0, 3}, {200, 200, 200, 0, 4}, {221, 221, 221, 0, 5},
      {240, 240, 240, 0, 6}, {255, 0, 0, 2, 0},     {0, 255, 0, 3, 0},
      {0, 0, 255, 4, 0},     {0, 255, 255, 5, 0},   {255, 0, 255, 6, 0},
      {255, 255, 0, 7, 0},   {255, 182, 193, 2, 4}, {255, 204, 255, 6, 4},
      {173, 216, 230, 5, 5}, {204, 255, 153, 3, 4}, {255, 255, 204, 7, 4},
      {153, 204, 255, 4, 4}, {51, 204, 255, 5, 3},  {128, 0, 0, 2, 2},
      {136, 0, 0, 2, 2},     {0, 0, 128, 4, 2},     {0, 100, 0, 3, 3},
      {128, 0, 128, 6, 3},   {0, 128, 128, 0, 3},   {255, 255, 255, 1, 0}};
  for (const auto &c : cases) {
    const Rgb colour{c[0], c[1], c[2]};
    const Ink ink = NearestInk(colour);
    EXPECT_EQ(ink.sep, c[3]) << Describe(colour);
    EXPECT_EQ(ink.fill, c[4]) << Describe(colour);
  }
}

// CIELAB by its definition in double precision, against the integer one.
TEST(Colour, LabFollowsItsDefinition) {
  auto linear = [](int v) {
    const double c = v / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  auto f = [](double t) {
    return t > 216.0 / 24389.0 ? std::cbrt(t) : t * 841.0 / 108.0 + 4.0 / 29.0;
  };
  constexpr double kMatrix[3][3] = {{0.4124564, 0.3575761, 0.1804375},
                                    {0.2126729, 0.7151522, 0.0721750},
                                    {0.0193339, 0.1191920, 0.9503041}};
  std::vector<Rgb> colours;
  for (int v = 0; v < 256; ++v) colours.push_back({v, v, v});
  for (int v = 0; v < 256; v += 15) {
    colours.push_back({v, 0, 0});
    colours.push_back({0, v, 0});
    colours.push_back({0, 0, v});
    colours.push_back({255 - v, v, 128});
  }
  for (const Rgb &c : colours) {
    const double rgb[3] = {linear(c.red), linear(c.green), linear(c.blue)};
    double t[3];
    for (int axis = 0; axis < 3; ++axis) {
      const double *row = kMatrix[axis];
      t[axis] = (row[0] * rgb[0] + row[1] * rgb[1] + row[2] * rgb[2]) /
                (row[0] + row[1] + row[2]);
    }
    const double l = 116 * f(t[1]) - 16, a = 500 * (f(t[0]) - f(t[1])),
                 b = 200 * (f(t[1]) - f(t[2]));
    const Lab lab = ToLab(c);
    EXPECT_NEAR(lab.l / 65536.0, l, 0.02) << Describe(c);
    EXPECT_NEAR(lab.a / 65536.0, a, 0.05) << Describe(c);
    EXPECT_NEAR(lab.b / 65536.0, b, 0.05) << Describe(c);
  }
  const Lab white = ToLab(kWhite);
  EXPECT_EQ(white.l, 100 * 65536);
  EXPECT_EQ(white.a, 0);
  EXPECT_EQ(white.b, 0);
}

TEST(Colour, NearestTintFillOfAShare) {
  // Share in percent times 64, then fill number; halfway goes to the denser.
  const int32_t cases[] = {100 * 64,    0, 95 * 64,     0, 95 * 64 - 1, 1,
                           80 * 64,     1, 80 * 64 - 1, 2, 60 * 64,     2,
                           40 * 64,     3, 20 * 64,     4, 20 * 64 - 1, 5,
                           6 * 64 + 32, 5, 6 * 64 + 31, 6, 64,          6,
                           0,           6};
  for (size_t i = 0; i < std::size(cases); i += 2)
    EXPECT_EQ(NearestTintFill(cases[i]), cases[i + 1]) << cases[i];
}

// Opcodes with their operands, as handlers and bytes.
struct Step {
  void (*op)();
  std::string operand;
};
Step RgbFore(int r, int g, int b) {
  return {op_RGBFgCol, U16(r << 8 | r) + U16(g << 8 | g) + U16(b << 8 | b)};
}
Step RgbBack(int r, int g, int b) {
  return {op_RGBBkCol, U16(r << 8 | r) + U16(g << 8 | g) + U16(b << 8 | b)};
}
Step PenPattern(const char *hex) { return {op_PnPat, Hex(hex)}; }
Step FillPattern(const char *hex) { return {op_FillPat, Hex(hex)}; }
Step BackPattern(const char *hex) { return {op_BkPat, Hex(hex)}; }
Step OldFore(int value) { return {op_FgColor, U32(value)}; }
Step OldBack(int value) { return {op_BkColor, U32(value)}; }
// A dithered pixel pattern (type 2): its fallback pattern and its colour.
Step DitherPenPattern(const char *hex, int r, int g, int b) {
  return {op_PnPixPat,
          U16(2) + Hex(hex) + U16(r << 8) + U16(g << 8) + U16(b << 8)};
}

// What DumpState writes after the steps from a fresh state.
std::string StateAfter(const std::vector<Step> &steps, int penKind,
                       int fillKind, bool full) {
  ResetGraphics();
  Options options;
  options.full = full;
  SetRunOptions(options);
  std::string operands;
  for (const Step &step : steps) operands += step.operand;
  Channels io(operands);
  for (const Step &step : steps) step.op();
  DumpState(penKind, fillKind);
  SetRunOptions(Options{});
  return io.Output();
}

// The interior's separation and fill number as DumpState writes them.
std::string Interior(Ink ink) {
  return "\t<Separation " + std::to_string(ink.sep) + ">\n\t<Fill " +
         std::to_string(ink.fill) + ">\n";
}
const char kNoPen[] = "\t<Pen 15>\n\t<PenWidth 0.015>\n";

TEST(Colour, AnInteriorTakesItsInkFromPatternAndColours) {
  constexpr int kPaint = 0, kFill = 1, kErase = 2;
  const char *kEmpty = "00 00 00 00 00 00 00 00";
  const char *kSolid = "FF FF FF FF FF FF FF FF";
  auto OnRed = [](const char *pattern) {
    return std::vector<Step>{RgbBack(255, 0, 0), PenPattern(pattern)};
  };
  const auto dither =
      DitherPenPattern("AA 55 AA 55 AA 55 AA 55", 255, 182, 193);
  // Steps, verb, ink under -full and classic. n 1-bits on red are
  // (64 - n) / 64 red, 32 not mostly background; erase takes the background
  // pattern, white until one is set.
  const struct {
    std::vector<Step> steps;
    int fillKind;
    Ink full, classic;
  } cases[] = {
      {{}, kPaint, {0, 0}, {0, 0}},
      {{RgbFore(128, 128, 128)}, kPaint, {0, 3}, {1, 0}},
      {{RgbFore(255, 182, 193)}, kPaint, {2, 4}, {1, 0}},
      {{RgbFore(128, 0, 0)}, kFill, {2, 2}, {2, 0}},
      {{RgbBack(204, 255, 153), PenPattern(kEmpty)}, kPaint, {3, 4}, {0, 7}},
      {{RgbBack(255, 255, 255), PenPattern(kEmpty)}, kPaint, {0, 7}, {0, 7}},
      {{RgbBack(221, 221, 221), FillPattern(kEmpty)}, kFill, {0, 5}, {0, 7}},
      {{OldFore(205)}, kPaint, {2, 0}, {2, 0}},
      {{OldBack(409), PenPattern(kEmpty)}, kPaint, {4, 0}, {0, 7}},
      {OnRed("80 40 20 10 08 04 02 01"), kPaint, {2, 1}, {0, 14}},
      {OnRed("F0 00 F0 00 F0 00 00 00"), kPaint, {2, 1}, {0, 4}},
      {OnRed("88 22 88 22 88 22 88 22"), kPaint, {2, 2}, {0, 4}},
      {OnRed("AA 55 AA 55 AA 55 AA 54"), kPaint, {2, 3}, {0, 3}},
      {OnRed("AA 55 AA 55 AA 55 AA 55"), kPaint, {0, 3}, {0, 3}},
      {{RgbBack(255, 182, 193), PenPattern("FF 00 FF 00 FF 00 00 00")},
       kPaint,
       {2, 5},
       {0, 3}},
      {{RgbFore(128, 128, 128), PenPattern("CC CC CC CC CC CC CC CC")},
       kPaint,
       {1, 10},
       {1, 10}},
      {{dither}, kPaint, {2, 4}, {0, 3}},
      {{dither, RgbFore(128, 128, 128), PenPattern(kSolid)},
       kPaint,
       {0, 3},
       {1, 0}},
      {{RgbBack(0, 0, 255), BackPattern(kEmpty)}, kErase, {4, 0}, {4, 7}},
      {{RgbBack(0, 0, 255)}, kErase, {4, 0}, {4, 15}},
      {{BackPattern(kEmpty)}, kErase, {0, 7}, {0, 7}},
      {{RgbBack(128, 128, 128), BackPattern(kSolid)}, kErase, {0, 3}, {1, 0}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto &c = cases[i];
    EXPECT_EQ(StateAfter(c.steps, 3, c.fillKind, true),
              Interior(c.full) + kNoPen)
        << i;
    EXPECT_EQ(StateAfter(c.steps, 3, c.fillKind, false),
              Interior(c.classic) + kNoPen)
        << i << ", classic";
  }
}

// A pattern's pixel map: row bytes and flag, bounds, fields to the table.
std::string PixMap(int rowBytes, int width, int height, int pixelSize,
                   int cmpCount = 1, bool pixMap = true) {
  std::string bytes =
      U16(rowBytes | (pixMap ? 0x8000 : 0)) + RectBytes(0, 0, height, width);
  if (!pixMap) return bytes;
  return bytes + U16(0) + U16(0) + U32(0) + U32(0x00480000) + U32(0x00480000) +
         U16(pixelSize > 8 ? 16 : 0) + U16(pixelSize) + U16(cmpCount) +
         U16(pixelSize > 8 ? 8 : pixelSize) + U32(0) + U32(0) + U32(0);
}

std::string Table(std::initializer_list<Rgb> colours) {
  std::string bytes =
      U32(0) + U16(0) + U16(static_cast<int>(colours.size()) - 1);
  int index = 0;
  for (const Rgb &c : colours)
    bytes +=
        U16(index++) + U16(c.red << 8) + U16(c.green << 8) + U16(c.blue << 8);
  return bytes;
}

// A pixel pattern's bytes after type and fallback, its average, and that
// the reader takes exactly what the skip passes over. Packed 16-bit rows are
// 2 bytes a pixel; missing pixels are 0; entries past the table are black.
TEST(Colour, PixelPatternsAverageTheirPixels) {
  Version = 2;
  const Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255},
      kGrey{128, 128, 128}, kNone{-1, -1, -1};
  const std::string kWhiteBlack = Table({kWhite, kBlack});
  const struct {
    std::string bytes;
    Rgb average;
  } cases[] = {
      {PixMap(1, 8, 1, 1) + kWhiteBlack + Hex("F0 00"), kGrey},
      {PixMap(1, 8, 2, 1, 1, false) + kWhiteBlack + Hex("FF 00"), kGrey},
      {PixMap(1, 4, 1, 2) + Table({kRed, kGreen, kBlue, kBlack}) + Hex("1B 00"),
       {64, 64, 64}},
      {PixMap(3, 3, 1, 4) +
           Table({kWhite, {30, 60, 90}, {90, 60, 30}, kBlack}) +
           Hex("12 30 10 00"),
       {40, 40, 40}},
      {PixMap(8, 8, 2, 8) +
           Table({kWhite, kWhite, kWhite, kBlack, kWhite, {200, 100, 0}}) +
           Hex("07 FD 05 03 00 00 00 00  07 03 00 00 00 00 FD 05"),
       {228, 178, 128}},
      {PixMap(8, 15, 1, 4) + kWhiteBlack + Hex("02 FA 11 00"), {17, 17, 17}},
      {PixMap(8, 8, 1, 8) + kWhiteBlack + Hex("02 FD 01 00"), kGrey},
      {PixMap(2, 4, 1, 8) + kWhiteBlack + Hex("01 01"), kGrey},
      {PixMap(2, 2, 1, 8) + Table({kWhite}) + Hex("00 07"), kGrey},
      {PixMap(4, 2, 1, 16) + Table({kBlack}) + Hex("7C00 03E0"), {128, 128, 0}},
      {PixMap(8, 6, 1, 16) + Table({kBlack}) + Hex("03 FB 001F"), kBlue},
      {PixMap(4, 1, 1, 32, 3) + Table({kBlack}) + Hex("00 11 22 33"),
       {0x11, 0x22, 0x33}},
      {PixMap(8, 2, 1, 32, 3) + Table({kBlack}) + Hex("07 05 102030 405060"),
       {0x18, 0x38, 0x58}},
      {PixMap(8, 2, 1, 32, 4) + Table({kBlack}) +
           Hex("09 07 FFFF 1020 3040 5060"),
       {0x18, 0x38, 0x58}},
      {PixMap(8, 2, 1, 32, 3) + Table({kBlack}) + Hex("02 FB 80 00"), kGrey},
      {PixMap(2, 4, 1, 3) + Table({kWhite}) + Hex("12 34"), kNone},
      {PixMap(2, 0, 1, 8) + Table({kWhite}) + Hex("12 34"), kNone},
  };
  const std::string head = U16(1) + Hex("AA 55 AA 55 AA 55 AA 55");
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto &c = cases[i];
    Rgb average{-1, -1, -1};
    bool hasColour = false;
    const long read = testchannels::Consumed(
        c.bytes, [&] { hasColour = ReadPixelPatternColour(&average); });
    EXPECT_EQ(hasColour, c.average.red >= 0) << i;
    if (hasColour) {
      EXPECT_EQ(Describe(average), Describe(c.average)) << i;
    }
    const long skipped = testchannels::Consumed(
        head + c.bytes, [] { skip(SkipKind::kPixelPattern); });
    EXPECT_EQ(read + static_cast<long>(head.size()), skipped) << i;
    EXPECT_EQ(static_cast<size_t>(read), c.bytes.size()) << i;
  }
  Version = 0;
}

}  // namespace

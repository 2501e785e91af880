// Unit tests of the -full colours: the nearest ink to a colour, the rule
// that picks an object's ink from its pattern and the foreground and
// background colours, and the average colour of pixel patterns. The
// expected inks come from a floating-point CIELAB computation made apart
// from the code.
#include "graphics/colour.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
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
  const struct {
    Rgb colour;
    Ink ink;
  } cases[] = {
      // Each tint of black exactly, and greys between them.
      {{0, 0, 0}, {0, 0}},
      {{26, 26, 26}, {0, 1}},
      {{77, 77, 77}, {0, 2}},
      {{128, 128, 128}, {0, 3}},
      {{179, 179, 179}, {0, 4}},
      {{230, 230, 230}, {0, 5}},
      {{247, 247, 247}, {0, 6}},
      {{64, 64, 64}, {0, 2}},
      {{85, 85, 85}, {0, 2}},
      {{102, 102, 102}, {0, 3}},  // 10.39 from 50%, 10.44 from 70%
      {{200, 200, 200}, {0, 4}},
      {{221, 221, 221}, {0, 5}},
      {{240, 240, 240}, {0, 6}},
      // Pure separations are themselves.
      {{255, 0, 0}, {2, 0}},
      {{0, 255, 0}, {3, 0}},
      {{0, 0, 255}, {4, 0}},
      {{0, 255, 255}, {5, 0}},
      {{255, 0, 255}, {6, 0}},
      {{255, 255, 0}, {7, 0}},
      // Light colours become light tints of their hue.
      {{255, 182, 193}, {2, 4}},
      {{255, 204, 255}, {6, 4}},
      {{173, 216, 230}, {5, 5}},
      {{204, 255, 153}, {3, 4}},
      {{255, 255, 204}, {7, 4}},
      {{153, 204, 255}, {4, 4}},
      {{51, 204, 255}, {5, 3}},
      // Dark colours keep their hue where it is strong, else become grey.
      {{128, 0, 0}, {2, 2}},
      {{136, 0, 0}, {2, 2}},
      {{0, 0, 128}, {4, 2}},
      {{0, 100, 0}, {3, 3}},
      {{128, 0, 128}, {6, 3}},
      {{0, 128, 128}, {0, 3}},
      // Ties: white is every tint of separation 1; the first, solid, wins.
      {{255, 255, 255}, {1, 0}},
  };
  for (const auto &c : cases) {
    const Ink ink = NearestInk(c.colour);
    EXPECT_EQ(ink.sep, c.ink.sep) << Describe(c.colour);
    EXPECT_EQ(ink.fill, c.ink.fill) << Describe(c.colour);
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
  // share in percent times 64 -> fill number; halfway goes to the denser.
  const struct {
    int32_t share;
    int32_t fill;
  } cases[] = {{100 * 64, 0},
               {95 * 64, 0},
               {95 * 64 - 1, 1},
               {80 * 64, 1},
               {80 * 64 - 1, 2},
               {60 * 64, 2},
               {40 * 64, 3},
               {20 * 64, 4},
               {20 * 64 - 1, 5},
               {6 * 64 + 32, 5},
               {6 * 64 + 31, 6},
               {64, 6},
               {0, 6}};
  for (const auto &c : cases)
    EXPECT_EQ(NearestTintFill(c.share), c.fill) << c.share;
}

// ---------------------------------------------------------------------------
// The ink of an object from its pattern and colours
// ---------------------------------------------------------------------------

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

// The attributes DumpState writes after the steps, with or without -full,
// from a fresh drawing state.
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
std::string Interior(int sep, int fill) {
  return "\t<Separation " + std::to_string(sep) + ">\n\t<Fill " +
         std::to_string(fill) + ">\n";
}
const char kNoPen[] = "\t<Pen 15>\n\t<PenWidth 0.015>\n";

TEST(Colour, AnInteriorTakesItsInkFromPatternAndColours) {
  constexpr int kPaint = 0, kFill = 1, kErase = 2;
  const char *kEmpty = "00 00 00 00 00 00 00 00";
  const struct {
    const char *what;
    std::vector<Step> steps;
    int fillKind;
    std::string full, classic;
  } cases[] = {
      {"black on the solid pen pattern",
       {},
       kPaint,
       Interior(0, 0),
       Interior(0, 0)},
      {"a grey",
       {RgbFore(128, 128, 128)},
       kPaint,
       Interior(0, 3),
       Interior(1, 0)},
      {"a light pink",
       {RgbFore(255, 182, 193)},
       kPaint,
       Interior(2, 4),
       Interior(1, 0)},
      {"a dark red",
       {RgbFore(128, 0, 0)},
       kFill,
       Interior(2, 2),
       Interior(2, 0)},
      {"no 1-bit on a light green background",
       {RgbBack(204, 255, 153), PenPattern(kEmpty)},
       kPaint,
       Interior(3, 4),
       Interior(0, 7)},
      {"no 1-bit on a white background",
       {RgbBack(255, 255, 255), PenPattern(kEmpty)},
       kPaint,
       Interior(0, 7),
       Interior(0, 7)},
      {"no 1-bit on a grey background, filled",
       {RgbBack(221, 221, 221), FillPattern(kEmpty)},
       kFill,
       Interior(0, 5),
       Interior(0, 7)},
      {"an old-style red foreground",
       {OldFore(205)},
       kPaint,
       Interior(2, 0),
       Interior(2, 0)},
      {"an old-style blue background",
       {OldBack(409), PenPattern(kEmpty)},
       kPaint,
       Interior(4, 0),
       Interior(0, 7)},
      // 8 1-bits: 7/8 of red, nearest 90%; the classic fill is a pattern.
      {"a sparse reference pattern on red",
       {RgbBack(255, 0, 0), PenPattern("80 40 20 10 08 04 02 01")},
       kPaint,
       Interior(2, 1),
       Interior(0, 14)},
      {"12 1-bits on red: 81%, nearer 90% than 70%",
       {RgbBack(255, 0, 0), PenPattern("F0 00 F0 00 F0 00 00 00")},
       kPaint,
       Interior(2, 1),
       Interior(0, 4)},
      {"16 1-bits on red: 75%, nearest 70%",
       {RgbBack(255, 0, 0), PenPattern("88 22 88 22 88 22 88 22")},
       kPaint,
       Interior(2, 2),
       Interior(0, 4)},
      {"31 1-bits on red: 52%, nearest 50%",
       {RgbBack(255, 0, 0), PenPattern("AA 55 AA 55 AA 55 AA 54")},
       kPaint,
       Interior(2, 3),
       Interior(0, 3)},
      {"32 1-bits are not mostly background",
       {RgbBack(255, 0, 0), PenPattern("AA 55 AA 55 AA 55 AA 55")},
       kPaint,
       Interior(0, 3),
       Interior(0, 3)},
      // Light pink is 30% red; 40 of 64 0-bits make 18.75%, nearest 10%.
      {"24 1-bits on light pink",
       {RgbBack(255, 182, 193), PenPattern("FF 00 FF 00 FF 00 00 00")},
       kPaint,
       Interior(2, 5),
       Interior(0, 3)},
      {"a reference pattern in grey keeps its classic ink",
       {RgbFore(128, 128, 128), PenPattern("CC CC CC CC CC CC CC CC")},
       kPaint,
       Interior(1, 10),
       Interior(1, 10)},
      {"a dithered pixel pattern in its own colour",
       {DitherPenPattern("AA 55 AA 55 AA 55 AA 55", 255, 182, 193)},
       kPaint,
       Interior(2, 4),
       Interior(0, 3)},
      {"a plain pattern after a pixel pattern",
       {DitherPenPattern("AA 55 AA 55 AA 55 AA 55", 255, 182, 193),
        RgbFore(128, 128, 128), PenPattern("FF FF FF FF FF FF FF FF")},
       kPaint,
       Interior(0, 3),
       Interior(1, 0)},
      // Erase: the background pattern, wholly in the background colour;
      // QuickDraw's background pattern is white until one is set.
      {"erase on blue",
       {RgbBack(0, 0, 255), BackPattern(kEmpty)},
       kErase,
       Interior(4, 0),
       Interior(4, 7)},
      {"erase on blue without a background pattern",
       {RgbBack(0, 0, 255)},
       kErase,
       Interior(4, 0),
       Interior(4, 15)},
      {"erase on white",
       {BackPattern(kEmpty)},
       kErase,
       Interior(0, 7),
       Interior(0, 7)},
      {"erase with a solid pattern in grey",
       {RgbBack(128, 128, 128), BackPattern("FF FF FF FF FF FF FF FF")},
       kErase,
       Interior(0, 3),
       Interior(1, 0)},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(StateAfter(c.steps, 3, c.fillKind, true), c.full + kNoPen)
        << c.what;
    EXPECT_EQ(StateAfter(c.steps, 3, c.fillKind, false), c.classic + kNoPen)
        << c.what << ", classic";
  }
}

TEST(Colour, AnOutlineTakesItsInkFromThePen) {
  // A frame: the pen's ink on the pen's separation.
  const std::vector<Step> grey = {RgbFore(128, 128, 128)};
  EXPECT_EQ(StateAfter(grey, 0, 3, true),
            "\t<Fill 15>\n\t<PenWidth 1.000>\n\t<Separation 0>\n\t<Pen 3>\n");
  EXPECT_EQ(StateAfter(grey, 0, 3, false),
            "\t<Fill 15>\n\t<PenWidth 1.000>\n\t<Separation 1>\n\t<Pen 0>\n");
  // With an interior: the pen's tint where it is on the interior's
  // separation, its classic number where it is not.
  EXPECT_EQ(StateAfter(grey, 0, 1, true),
            Interior(0, 3) + "\t<PenWidth 1.000>\n\t<Pen 3>\n");
  const std::vector<Step> onRed = {RgbFore(128, 128, 128), RgbBack(255, 0, 0),
                                   FillPattern("00 00 00 00 00 00 00 00")};
  EXPECT_EQ(StateAfter(onRed, 0, 1, true),
            Interior(2, 0) + "\t<PenWidth 1.000>\n\t<Pen 0>\n");
  EXPECT_EQ(StateAfter(onRed, 0, 1, false),
            Interior(1, 7) + "\t<PenWidth 1.000>\n\t<Pen 0>\n");
}

// ---------------------------------------------------------------------------
// Pixel patterns
// ---------------------------------------------------------------------------

// The pixel map of a pattern: row bytes with the pixel-map flag, bounds,
// and the fields up to the colour table handle.
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

TEST(Colour, PixelPatternsAverageTheirPixels) {
  Version = 2;
  const Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};
  const struct {
    const char *what;
    std::string bytes;  // pixel map, colour table, rows and pad
    bool hasColour;
    Rgb average;
  } cases[] = {
      {"1 bit, rows as they are, a pad byte",
       PixMap(1, 8, 1, 1) + Table({kWhite, kBlack}) + Hex("F0 00"),
       true,
       {128, 128, 128}},
      {"a bit map",
       PixMap(1, 8, 2, 1, 1, false) + Table({kWhite, kBlack}) + Hex("FF 00"),
       true,
       {128, 128, 128}},
      {"2 bits",
       PixMap(1, 4, 1, 2) + Table({kRed, kGreen, kBlue, kBlack}) + Hex("1B 00"),
       true,
       {64, 64, 64}},
      // Width 3 ends inside the second byte; its last pixel (0, white)
      // and the third byte are not the pattern's.
      {"4 bits, a row ending inside a byte",
       PixMap(3, 3, 1, 4) +
           Table({kWhite, {30, 60, 90}, {90, 60, 30}, kBlack}) +
           Hex("12 30 10 00"),
       true,
       {40, 40, 40}},
      // A run of four 5s and four literal 0s, then the other way round.
      {"8 bits, packed rows",
       PixMap(8, 8, 2, 8) +
           Table({kWhite, kWhite, kWhite, kBlack, kWhite, {200, 100, 0}}) +
           Hex("07 FD 05 03 00 00 00 00  07 03 00 00 00 00 FD 05"),
       true,
       {228, 178, 128}},
      // Seven bytes of two black pixels; the fifteenth pixel is in the
      // eighth byte, which the data leaves out: 0, white.
      {"4 bits, a packed row cut short before its last pixel",
       PixMap(8, 15, 1, 4) + Table({kWhite, kBlack}) + Hex("02 FA 11 00"),
       true,
       {17, 17, 17}},
      {"8 bits, a packed row cut short is 0 behind",
       PixMap(8, 8, 1, 8) + Table({kWhite, kBlack}) + Hex("02 FD 01 00"),
       true,
       {128, 128, 128}},
      {"8 bits, pixels beyond the row bytes are 0",
       PixMap(2, 4, 1, 8) + Table({kWhite, kBlack}) + Hex("01 01"),
       true,
       {128, 128, 128}},
      {"8 bits, entries past the table are black",
       PixMap(2, 2, 1, 8) + Table({kWhite}) + Hex("00 07"),
       true,
       {128, 128, 128}},
      {"16 bits, rows as they are",
       PixMap(4, 2, 1, 16) + Table({kBlack}) + Hex("7C00 03E0"),
       true,
       {128, 128, 0}},
      // Packed, a row is two bytes a pixel, whatever the row bytes say.
      {"16 bits, packed words",
       PixMap(8, 6, 1, 16) + Table({kBlack}) + Hex("03 FB 001F"),
       true,
       {0, 0, 255}},
      {"32 bits, a row as it is",
       PixMap(4, 1, 1, 32, 3) + Table({kBlack}) + Hex("00 11 22 33"),
       true,
       {0x11, 0x22, 0x33}},
      {"32 bits, packed planes",
       PixMap(8, 2, 1, 32, 3) + Table({kBlack}) +
           Hex("07 05 10 20 30 40 50 60"),
       true,
       {0x18, 0x38, 0x58}},
      {"32 bits, packed planes behind alpha",
       PixMap(8, 2, 1, 32, 4) + Table({kBlack}) +
           Hex("09 07 FF FF 10 20 30 40 50 60"),
       true,
       {0x18, 0x38, 0x58}},
      {"32 bits, a run across the planes",
       PixMap(8, 2, 1, 32, 3) + Table({kBlack}) + Hex("02 FB 80 00"),
       true,
       {128, 128, 128}},
      {"another pixel size has no colour",
       PixMap(2, 4, 1, 3) + Table({kWhite}) + Hex("12 34"),
       false,
       {}},
      {"no pixels, no colour",
       PixMap(2, 0, 1, 8) + Table({kWhite}) + Hex("12 34"),
       false,
       {}},
  };
  const std::string head = U16(1) + Hex("AA 55 AA 55 AA 55 AA 55");
  for (const auto &c : cases) {
    Rgb average{-1, -1, -1};
    bool hasColour = false;
    const long read = testchannels::Consumed(
        c.bytes, [&] { hasColour = ReadPixelPatternColour(&average); });
    EXPECT_EQ(hasColour, c.hasColour) << c.what;
    if (c.hasColour) {
      EXPECT_EQ(Describe(average), Describe(c.average)) << c.what;
    }
    // Exactly the bytes the reader's skip passes over.
    const long skipped = testchannels::Consumed(
        head + c.bytes, [] { skip(SkipKind::kPixelPattern); });
    EXPECT_EQ(read + static_cast<long>(head.size()), skipped) << c.what;
    EXPECT_EQ(static_cast<size_t>(read), c.bytes.size()) << c.what;
  }
  Version = 0;
}

// A pixel pattern of every depth through its opcode: under -full the pen
// paints in the pattern's average colour; without it in the separation
// the foreground colour gave, at the fill number of the fallback pattern.
TEST(Colour, PixelPatternOpcodesPaintInTheirColour) {
  Version = 2;
  const std::string fallback = Hex("FF FF FF FF FF FF FF FF");
  const struct {
    std::string operand;
    std::string full;
  } cases[] = {
      {U16(1) + fallback + PixMap(1, 8, 1, 1) +
           Table({{255, 182, 193}, kBlack}) + Hex("00 00"),
       Interior(2, 4)},
      {U16(1) + fallback + PixMap(1, 4, 1, 2) + Table({{0, 0, 255}, kBlack}) +
           Hex("00 00"),
       Interior(4, 0)},
      {U16(1) + fallback + PixMap(2, 4, 1, 4) + Table({{128, 128, 128}}) +
           Hex("00 00"),
       Interior(0, 3)},
      {U16(1) + fallback + PixMap(8, 8, 1, 8) +
           Table({kBlack, {204, 255, 153}}) + Hex("02 F9 01 00"),
       Interior(3, 4)},
      {U16(1) + fallback + PixMap(8, 4, 1, 16) + Table({kBlack}) +
           Hex("03 FD 7C00"),
       Interior(2, 0)},
      {U16(1) + fallback + PixMap(8, 2, 1, 32, 3) + Table({kBlack}) +
           Hex("02 FB 80 00"),
       Interior(0, 3)},
      {U16(2) + fallback + U16(0xFF00) + U16(0xFF00) + U16(0), Interior(7, 0)},
  };
  for (const auto &c : cases) {
    const std::vector<Step> steps = {{op_PnPixPat, c.operand}};
    EXPECT_EQ(StateAfter(steps, 3, 0, true), c.full + kNoPen) << c.full;
    EXPECT_EQ(StateAfter(steps, 3, 0, false), Interior(0, 0) + kNoPen);
  }
  Version = 0;
}

}  // namespace

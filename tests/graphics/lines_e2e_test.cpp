// End-to-end tests of lines, polygon opcodes and the paths collected between
// polygon comments: whole pictures through the built filter, whole documents
// compared.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/pict_bytes.h"
#include "support/run_filter.h"
#include "support/tov_document.h"

namespace {

using pictbytes::Op2;
using pictbytes::PictV1;
using pictbytes::PictV2;
using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U32;
using pictbytes::U8;
using tov::Document;
using tov::Filled;
using tov::FilledAndFramed;
using tov::Framed;
using tov::Object;

std::string Convert(const std::string &picture,
                    const std::vector<std::string> &args = {}) {
  runfilter::Result result = runfilter::Run(picture, args);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  return result.out;
}

// Line opcodes of a version 1 picture; points are given x (h) first here.
std::string Line(int x1, int y1, int x2, int y2) {
  return U8(0x20) + U16(y1) + U16(x1) + U16(y2) + U16(x2);
}
std::string LineFrom(int x, int y) { return U8(0x21) + U16(y) + U16(x); }
std::string ShortLine(int x, int y, int dh, int dv) {
  return U8(0x22) + U16(y) + U16(x) + U8(dh) + U8(dv);
}
std::string ShortLineFrom(int dh, int dv) { return U8(0x23) + U8(dh) + U8(dv); }
std::string PenSize(int size) { return U8(0x07) + U16(size) + U16(size); }
std::string Comment(int kind) { return U8(0xA0) + U16(kind); }
std::string Smooth(int flags) {
  return U8(0xA1) + U16(164) + U16(1) + U8(flags);
}
const std::string kBegin = Comment(160);
const std::string kEnd = Comment(161);
const std::string kIgnore = Comment(163);
const std::string kClose = Comment(165);

// "\t<Point x y >\n" for each "x y" given.
std::string Points(const std::vector<std::string> &points) {
  std::string text = "\t<NumPoints " + std::to_string(points.size()) + ">\n";
  for (const std::string &point : points) text += "\t<Point " + point + " >\n";
  return text;
}

// A line with the attributes of a pen of `width` (as written) and, for a
// slanted line, its own width across.
std::string LineObject(const std::string &from, const std::string &to,
                       const std::string &slantedWidth = "",
                       const std::string &width = "1.000") {
  std::string own =
      slantedWidth.empty() ? "" : "\t<PenWidth " + slantedWidth + ">\n";
  return Object("PolyLine", Framed(0, 0, width) + own + Points({from, to}));
}

// Attributes of an outline drawn with a pen of width 0.
const std::string kNoPen = "\t<Fill 15>\n\t<Pen 15>\n\t<PenWidth 0.015>\n";

// One direction in each eighth of the circle, both ways: 3-4-5 triangles
// give a band 1.4 wide and pen-corner offsets of 0.7 and 0.1 under a pen 1.
TEST(LinesE2E, EveryDirectionBothWays) {
  const struct {
    int x2, y2;
    const char *start, *end;
  } cases[] = {
      {4, 3, "0.700 0.900", "4.300 3.100"},
      {3, 4, "0.900 0.700", "3.100 4.300"},
      {-3, 4, "0.100 0.700", "-2.100 4.300"},
      {-4, 3, "0.300 0.900", "-3.300 3.100"},
  };
  std::string picture, objects;
  for (const auto &c : cases) {
    picture += Line(0, 0, c.x2, c.y2) + Line(c.x2, c.y2, 0, 0);
    objects += LineObject(c.start, c.end, "1.400") +
               LineObject(c.end, c.start, "1.400");
  }
  // Axis-parallel and diagonal lines move by half the pen and need no
  // width of their own.
  picture += Line(0, 0, 100, 0) + Line(5, 9, 5, 1) + PenSize(2) +
             Line(0, 0, 100, 100) + Line(0, 0, -7, 7);
  objects += LineObject("0.500 0.500", "100.500 0.500") +
             LineObject("5.500 9.500", "5.500 1.500") +
             LineObject("1.000 1.000", "101.000 101.000", "", "2.000") +
             LineObject("1.000 1.000", "-6.000 8.000", "", "2.000");
  // The slanted lines of the worked examples.
  picture += PenSize(1) + Line(0, 0, 100, 20) + Line(100, 20, 0, 0);
  objects += LineObject("0.588 0.608", "100.412 20.392", "1.177") +
             LineObject("100.412 20.392", "0.588 0.608", "1.177");
  EXPECT_EQ(Convert(PictV1(picture)), Document(objects));
}

TEST(LinesE2E, PenWidthsThinLinesAndScale) {
  // Pen 2: offsets 1.4 and 0.2, band 2.8. Pen 0: no pen, points unmoved.
  const std::string lines = Line(0, 0, 3, 4) + PenSize(2) + Line(0, 0, 3, 4) +
                            PenSize(0) + Line(0, 0, 3, 4) + Line(0, 0, 9, 0);
  EXPECT_EQ(
      Convert(PictV1(lines)),
      Document(
          LineObject("0.900 0.700", "3.100 4.300", "1.400") +
          LineObject("1.800 1.400", "3.200 4.600", "2.800", "2.000") +
          Object("PolyLine", kNoPen + "\t<PenWidth 0.000>\n" +
                                 Points({"0.000 0.000", "3.000 4.000"})) +
          Object("PolyLine", kNoPen + Points({"0.000 0.000", "9.000 0.000"}))));
  // Under -l a band below 1.5 is halved, like the pen itself.
  EXPECT_EQ(
      Convert(PictV1(Line(0, 0, 3, 4) + Line(0, 0, 9, 0) + PenSize(2) +
                     Line(0, 0, 3, 4)),
              {"-l"}),
      Document(LineObject("0.900 0.700", "3.100 4.300", "0.700", "0.500") +
               LineObject("0.500 0.500", "9.500 0.500", "", "0.500") +
               LineObject("1.800 1.400", "3.200 4.600", "2.800", "2.000")));
  // Under -s 2 with origin (10, 5) the adjusted points are moved and scaled;
  // the initial pen of 1 is not scaled, a pen size of 1 is.
  EXPECT_EQ(
      Convert(PictV1(U8(0x0C) + U16(5) + U16(10) + Line(0, 0, 3, 4) +
                     PenSize(1) + Line(0, 0, 3, 4)),
              {"-s", "2"}),
      Document(LineObject("21.800 11.400", "26.200 18.600", "1.400") +
               LineObject("23.600 12.800", "26.400 19.200", "2.800", "2.000")));
}

TEST(LinesE2E, CurrentPositionAndPenModes) {
  const std::string picture =
      LineFrom(10, 0) +                  // the first line starts at (0, 0)
      Line(5, 5, 5, 5) + LineFrom(8, 5)  // zero length: only moves the pen
      + ShortLine(10, 0, 0xFF, 0)        // dh 0xFF is one unit left
      + ShortLineFrom(0x80, 0x7F)        // by -128, 127
      + kIgnore + Line(0, 0, 50, 50)  // ignored: the pen stays at (-119, 127)
      + kEnd + LineFrom(-119, 130)    // the end reads no points
      + U8(0x08) + U16(23) + Line(1, 1, 2, 1) + LineFrom(3, 1)  // invisible
      + U8(0x08) + U16(9) + LineFrom(3, 2);  // pattern-or: still drawn
  EXPECT_EQ(Convert(PictV1(picture)),
            Document(LineObject("0.500 0.500", "10.500 0.500") +
                     LineObject("5.500 5.500", "8.500 5.500") +
                     LineObject("10.500 0.500", "9.500 0.500") +
                     LineObject("9.293 0.997", "-118.293 127.003", "1.414") +
                     LineObject("-118.500 127.500", "-118.500 130.500") +
                     LineObject("3.500 1.500", "3.500 2.500")));
}

// A path around the square (0, 0) to (10, 10), starting at the top left.
std::string Square(int segments) {
  std::string lines = Line(0, 0, 10, 0);
  const int corners[][2] = {{10, 10}, {0, 10}, {0, 0}};
  for (int i = 0; i + 1 < segments; ++i)
    lines += LineFrom(corners[i][0], corners[i][1]);
  return lines;
}

// Smoothed paths: the anchors are the edge midpoints, the two controls
// between them sit on the vertex.
const std::vector<std::string> kSquareRaw = {
    "0.000000 0.000000", "10.000000 0.000000", "10.000000 10.000000",
    "0.000000 10.000000"};
const std::vector<std::string> kSquareSmoothRaw = {
    "0.000000 5.000000",  "0.000000 0.000000",   "0.000000 0.000000",
    "5.000000 0.000000",  "10.000000 0.000000",  "10.000000 0.000000",
    "10.000000 5.000000", "10.000000 10.000000", "10.000000 10.000000",
    "5.000000 10.000000", "0.000000 10.000000",  "0.000000 10.000000",
    "0.000000 5.000000"};

std::string RawPoints(const std::vector<std::string> &points) {
  std::string text = "<Comment polyline points\n\t<NumPoints " +
                     std::to_string(points.size()) + ">\n";
  for (const std::string &point : points) text += "\t<Point " + point + ">\n";
  return text + ">\n";
}

TEST(PathsE2E, ClosedOpenAndSmoothed) {
  const std::string squareClosed =
      Points({"0.500 0.500", "10.500 0.500", "10.500 10.500", "0.500 10.500"});
  // Origin h 100: the written points move, the raw comment points don't.
  const std::string smoothedSquare =
      Object("Polygon",
             kNoPen + "\t<Smoothed Yes>\n" + RawPoints(kSquareRaw) +
                 RawPoints(kSquareSmoothRaw) +
                 Points({"100.000 5.000", "100.000 0.000", "100.000 0.000",
                         "105.000 0.000", "110.000 0.000", "110.000 0.000",
                         "110.000 5.000", "110.000 10.000", "110.000 10.000",
                         "105.000 10.000", "100.000 10.000", "100.000 10.000",
                         "100.000 5.000"}));
  const std::vector<std::pair<std::string, std::string>> cases = {
      // Back at its start: closed, the closing point merged into the first.
      {kBegin + Square(4) + kEnd, Object("Polygon", Framed() + squareClosed)},
      // Open: every collected point.
      {kBegin + Square(3) + kEnd,
       Object("PolyLine",
              Framed() + Points({"0.500 0.500", "10.500 0.500", "10.500 10.500",
                                 "0.500 10.500"}))},
      // PolyClose closes an open path: first and last become their mean.
      {kBegin + Square(3) + kClose + kEnd,
       Object("Polygon", Framed() + Points({"0.500 5.500", "10.500 0.500",
                                            "10.500 10.500"}))},
      // Segments are joined at the mean of their ends, also when apart.
      {kBegin + Line(0, 0, 10, 0) + Line(12, 2, 12, 10) + kEnd,
       Object("PolyLine", Framed() + Points({"0.500 0.500", "11.500 1.500",
                                             "12.500 10.500"}))},
      // Smoothed and closed, pen 0, origin h 100; a second end writes the
      // path as collected again.
      {PenSize(0) + U8(0x0C) + U16(0) + U16(100) + kBegin + Smooth(5) +
           Square(4) + kEnd + kEnd + U8(0x0C) + U16(0) + U16(0),
       smoothedSquare + smoothedSquare},
      // Smoothed and open: 7 points from 4.
      {kBegin + Smooth(1) + Line(0, 0, 10, 0) + LineFrom(10, 10) +
           LineFrom(20, 10) + kEnd,
       Object("PolyLine",
              kNoPen + "\t<Smoothed Yes>\n" +
                  Points({"0.000 0.000", "10.000 0.000", "10.000 0.000",
                          "10.000 5.000", "10.000 10.000", "10.000 10.000",
                          "20.000 10.000"}))},
      // Two points stay as they are.
      {PenSize(1) + kBegin + Smooth(1) + Line(0, 0, 10, 0) + kEnd,
       Object("PolyLine", Framed() + "\t<Smoothed Yes>\n" +
                              Points({"0.500 0.500", "10.500 0.500"}))},
      // A zero-length segment turns smoothing off; PolySmooth before
      // PolyBegin has no effect.
      {kBegin + Smooth(1) + Line(0, 0, 10, 0) + Line(10, 0, 10, 0) +
           LineFrom(10, 10) + kEnd + Smooth(7) + kBegin + Line(0, 0, 10, 0) +
           kEnd,
       Object("PolyLine", Framed() + Points({"0.500 0.500", "10.500 0.500",
                                             "10.500 10.500"})) +
           Object("PolyLine",
                  Framed() + Points({"0.500 0.500", "10.500 0.500"}))},
      // PolyIgnore drops the lines after it; an end after an empty bracket
      // writes nothing.
      {kBegin + Line(0, 0, 10, 0) + kIgnore + LineFrom(10, 10) + kEnd +
           LineFrom(20, 0) + kBegin + kEnd,
       Object("PolyLine", Framed() + Points({"0.500 0.500", "10.500 0.500"})) +
           LineObject("10.500 0.500", "20.500 0.500")},
      // Neither fill nor outline: nothing.
      {kBegin + Smooth(0) + Square(4) + kEnd + kBegin + Smooth(4) + Square(4) +
           kEnd,
       ""},
  };
  std::string picture, objects;
  for (const auto &[bytes, written] : cases) {
    picture += bytes;
    objects += written;
  }
  EXPECT_EQ(Convert(PictV1(picture)), Document(objects));
}

TEST(PathsE2E, LongPathsGrowTheBuffer) {
  // A staircase of 140 unit steps: 141 points, past two growths of the
  // buffer; pen modes 23 and 9 drop the segments.
  std::string picture = kBegin + LineFrom(0, 0);
  std::vector<std::string> points = {"0.500 0.500"};
  int x = 0, y = 0;
  for (int i = 0; i < 140; ++i) {
    bool across = i % 2 == 0;
    picture += ShortLineFrom(across ? 1 : 0, across ? 0 : 1);
    (across ? x : y) += 1;
    points.push_back(std::to_string(x) + ".500 " + std::to_string(y) + ".500");
  }
  picture += U8(0x08) + U16(23) + LineFrom(0, 0) + U8(0x08) + U16(9) +
             LineFrom(5, 5) + U8(0x08) + U16(8) + kEnd;
  EXPECT_EQ(Convert(PictV1(picture)),
            Document(Object("PolyLine", Framed() + Points(points))));
}

// Fill and outline of one path: one object on one separation, a group of a
// closed fill and the outline on two.
TEST(PathsE2E, FillAndOutlineSeparations) {
  const std::string polygon = U16(14) + RectBytes(0, 0, 1, 1) + U16(0) + U16(0);
  // Three segments and a zero-length one, so the path is not smoothed.
  const std::string path =
      Line(0, 0, 10, 0) + LineFrom(10, 10) + Line(10, 10, 10, 10);
  const std::string three =
      Points({"0.500 0.500", "10.500 0.500", "10.500 10.500"});
  const std::string closed = Points({"5.500 5.500", "10.500 0.500"});
  const std::string red = U8(0x0E) + U32(205), blue = U8(0x0E) + U32(409);
  const std::string group1 = "\t<GroupID 1>\n";
  const std::string picture =
      // Same separation: one open object with fill and outline.
      kBegin + Smooth(3) + path + kEnd +
      // Fill only: closed. Outline only with PolyClose: closed.
      kBegin + Smooth(2) + path + kEnd + kBegin + Smooth(5) + path + kEnd +
      // A polygon opcode in the bracket records red; then the colour turns
      // blue: the fill keeps red, the outline is blue.
      red + kBegin + Smooth(3) + U8(0x71) + polygon + blue + path + kEnd +
      // The fill separation was restored to blue.
      U8(0x31) + RectBytes(0, 0, 2, 2);
  const std::string objects =
      Object("PolyLine", FilledAndFramed() + three) +
      Object("Polygon", Filled() + closed) +
      Object("Polygon", Framed() + closed) +
      Object("Polygon", group1 + Filled(2, 0) + closed) +
      Object("PolyLine", group1 + Framed(4) + three) +
      "<Group \n\t<ID 1>\n>\n" +
      Object("Rectangle", Filled(4, 0) + "\t<BRect 0.500 0.500 1.000 1.000>\n");
  EXPECT_EQ(Convert(PictV1(picture)), Document(objects));
}

// A polygon record: size word, bounding box, points (x, y here).
std::string Polygon(int op, const std::vector<std::pair<int, int>> &points,
                    int extraSize = 0) {
  std::string bytes =
      U8(op) + U16(10 + 4 * static_cast<int>(points.size()) + extraSize) +
      RectBytes(0, 0, 30, 30);
  for (const auto &[x, y] : points) bytes += U16(y) + U16(x);
  return bytes;
}

TEST(PolygonsE2E, OpcodesAndTheFrameSameMerge) {
  const std::vector<std::pair<int, int>> five = {
      {0, 0}, {20, 0}, {20, 10}, {0, 10}, {-5, 5}};
  const std::string fivePoints =
      Points({"0.000 0.000", "20.000 0.000", "20.000 10.000", "0.000 10.000",
              "-5.000 5.000"});
  const std::string state =
      U8(0x0A) + pictbytes::Hex("CC CC CC CC CC CC CC CC") + U8(0x02) +
      pictbytes::Hex("FF FF FF FF FF FF FF FF");
  const std::string picture =
      state +
      // Size 30: five points, not moved by the pen. Each verb, then the
      // Same variants of paint, erase and fill.
      Polygon(0x70, five) + Polygon(0x71, five) + Polygon(0x72, five) +
      Polygon(0x74, five) + U8(0x79) + U8(0x7A) + U8(0x7C) +
      // A frame is not held back for a frame-same.
      Polygon(0x70, five) + U8(0x78) +
      // paint then frame-same: one object. The polygon moved the pen.
      Polygon(0x71, five) + U8(0x78) + LineFrom(-5, 9) +
      // Inside a bracket the paint writes nothing, the frame-same writes.
      kBegin + Polygon(0x71, {{1, 1}, {2, 2}}) + U8(0x78) + kEnd +
      // Sizes 10 and 2: no points, the count as computed, the pen stays
      // where the polygon in the bracket left it.
      Polygon(0x70, {}) + Polygon(0x70, {}, -8) + LineFrom(2, 9) +
      // Size 17: one point; the byte beyond it is read as an opcode (NOP).
      Polygon(0x70, {{7, 7}}, 3) + U8(0x00) +
      // The invert variants are skipped.
      Polygon(0x73, five) + U8(0x7B);
  const std::string twoPoints = Points({"1.000 1.000", "2.000 2.000"});
  const std::string objects =
      Object("PolyLine", Framed() + fivePoints) +
      Object("PolyLine", Filled() + fivePoints) +
      Object("PolyLine", Filled(0, 0) + fivePoints) +
      Object("PolyLine", Filled(0, 10) + fivePoints) +
      Object("PolyLine", Filled() + fivePoints) +
      Object("PolyLine", Filled(0, 0) + fivePoints) +
      Object("PolyLine", Filled(0, 10) + fivePoints) +
      Object("PolyLine", Framed() + fivePoints) +
      Object("PolyLine", Framed() + fivePoints) +
      Object("PolyLine", FilledAndFramed() + fivePoints) +
      LineObject("-4.500 5.500", "-4.500 9.500") +
      Object("PolyLine", Framed() + twoPoints) +
      Object("PolyLine", Framed() + Points({})) +
      Object("PolyLine", Framed() + "\t<NumPoints -2>\n") +
      LineObject("2.500 2.500", "2.500 9.500") +
      Object("PolyLine", Framed() + Points({"7.000 7.000"}));
  EXPECT_EQ(Convert(PictV1(picture)), Document(objects));
  // Version 2 words, origin and scale; a fill merged with its frame-same.
  EXPECT_EQ(
      Convert(PictV2(Op2(0x0C) + U16(1) + U16(2) + Op2(0x74) +
                     Polygon(0x74, {{0, 0}, {3, 4}}).substr(1) + Op2(0x78)),
              {"-s", "2"}),
      Document(Object(
          "PolyLine",
          FilledAndFramed() + Points({"4.000 2.000", "10.000 10.000"}))));
}

// A region and a polygon of 32 KB or more are skipped whole: their size
// words are unsigned. Filler bytes read as opcodes would draw lines.
TEST(PolygonsE2E, LargeRegionAndPolygonSkippedWhole) {
  const std::string filler(0x8008 - 2, '\x21');
  const std::string picture = U8(0x01) + U16(0x8008) + filler +  // clip region
                              U8(0x73) + U16(0x8008) + filler +  // invert poly
                              Line(0, 0, 10, 0);
  EXPECT_EQ(Convert(PictV1(picture)),
            Document(LineObject("0.500 0.500", "10.500 0.500")));
}

}  // namespace

// The clip under -full: every kind of object inside, outside and across a
// rectangular and a complex clip; the geometry helpers' flatness, rounding
// and pieces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "graphics/clip_paths.h"
#include "pict_bytes.h"
#include "support/channels.h"
#include "support/sre_fixture.h"

namespace {

using pictbytes::Hex;
using pictbytes::PictV2;
using pictbytes::RectBytes;

using testchannels::Count;

// Converts a picture here under -full, as main would.
std::string Convert(const std::string &picture) {
  static const bool loaded = srefixture::Load();
  EXPECT_TRUE(loaded);
  ::Options options;
  options.full = true;
  return testchannels::ConvertHere(picture, options);
}

std::string ClipRect(int top, int left, int bottom, int right) {
  return Hex("0001 000A") + RectBytes(top, left, bottom, right);
}

// An L: the column x 0..60 and the band y 50..100 across the frame.
const std::string kClipL =
    Hex("0001 0024 0000 0000 0064 00C8"
        "0000 0000 003C 7FFF  0032 003C 00C8 7FFF  0064 0000 00C8 7FFF  7FFF");
// The frame notched at x 195..200, y 0..50: it holds every object, none
// of its rectangles does.
const std::string kClipNotched =
    Hex("0001 0024 0000 0000 0064 00C8"
        "0000 0000 00C3 7FFF  0032 00C3 00C8 7FFF  0064 0000 00C8 7FFF  7FFF");
// Two 4 x 4 squares in the corner (192, 92) no object reaches.
const std::string kClipCorner =
    Hex("0001 0024 005C 00C0 0064 00C8"
        "005C 00C0 00C4 7FFF  0060 00C0 00C8 7FFF  0064 00C4 00C8 7FFF  7FFF");

bool InL(double x, double y) {
  constexpr double e = 0.0005;
  bool column = x >= -e && x <= 60 + e && y >= -e && y <= 100 + e;
  bool band = x >= -e && x <= 200 + e && y >= 50 - e && y <= 100 + e;
  return column || band;
}

// The drawing objects of a document.
int Objects(const std::string &document) {
  static const std::regex kOpening(
      "\n<(Rectangle|RoundRect|Ellipse|Arc|PolyLine|Polygon|TextLine|"
      "ImportObject)\n");
  auto begin = std::sregex_iterator(document.begin(), document.end(), kOpening);
  return static_cast<int>(std::distance(begin, std::sregex_iterator()));
}

struct Point {
  double x, y;
};

// Every place a document's objects reach: points, origins, box corners.
std::vector<Point> Places(const std::string &document) {
  std::vector<Point> places;
  std::istringstream lines(document);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string statement;
    words >> statement;
    double a = 0, b = 0, w = 0, h = 0;
    if (statement == "<Point" || statement == "<TLOrigin") {
      words >> a >> b;
      places.push_back({a, b});
    } else if (statement == "<BRect" || statement == "<ArcRect") {
      words >> a >> b >> w >> h;
      places.push_back({a, b});
      places.push_back({a + w, b + h});
    }
  }
  return places;
}

// One object of every kind, each over x 10..190, y 10..90 of the frame.
struct Kind {
  const char *name;
  std::string opcodes;
  // The statements the clip over x 80..200, y 0..60 leaves.
  const char *acrossTopRight;
};

std::vector<Kind> Kinds() {
  const std::string box = RectBytes(10, 10, 90, 190);
  const std::string triangle =
      Hex("0016") + box + Hex("000A 000A  005A 0064  000A 00BE");
  const std::string path =
      Hex("0020 000A 000A 005A 0064  0021 000A 00BE  0021 000A 000A"
          "00A0 00A1");
  return {
      {"line", Hex("0020 000A 000A 005A 00BE"), "PolyLine"},
      {"paintRect", Hex("0031") + box, "Rectangle"},
      {"frameRect", Hex("0030") + box, "PolyLine"},
      {"paintAndFrameRect", Hex("0031") + box + Hex("0038"),
       "Rectangle PolyLine Group"},
      {"paintOval", Hex("0051") + box, "Polygon"},
      {"frameOval", Hex("0050") + box, "PolyLine"},
      {"frameRoundRect", Hex("000B 0014 0014 0040") + box, "PolyLine"},
      {"fillRoundRect", Hex("000B 0030 0030 0044") + box, "Polygon"},
      {"wedge", Hex("0061") + box + Hex("0000 010E"), "Polygon"},
      {"arc", Hex("0060") + box + Hex("0000 010E"), "PolyLine"},
      {"paintPolygon", Hex("0071") + triangle, "Polygon"},
      {"framePolygon", Hex("0070") + triangle, "PolyLine"},
      {"smoothedPath", Hex("00A0 00A0 00A1 00A4 0001 0700") + path,
       "Polygon PolyLine Group"},
      {"framedPath", Hex("00A0 00A0") + path, "PolyLine"},
      {"paintRegion", Hex("0081 000A") + box, "Rectangle"},
      {"frameRegion", Hex("0080 000A") + box, "PolyLine"},
  };
}

// The statements a document's objects open with, in order.
std::string Statements(const std::string &document) {
  static const std::regex kOpening("\n<(\\w+)");
  std::string names;
  for (auto it =
           std::sregex_iterator(document.begin(), document.end(), kOpening);
       it != std::sregex_iterator(); ++it) {
    const std::string name = (*it)[1];
    if (name == "AFrames" || name == "TextFlow" || name == "Page" ||
        name == "Document" || name == "Units")
      continue;
    names += (names.empty() ? "" : " ") + name;
  }
  return names;
}

TEST(Clip, EveryKindInsideOutsideAndAcross) {
  const std::string empty = Convert(PictV2(""));
  for (const Kind &kind : Kinds()) {
    SCOPED_TRACE(kind.name);
    const std::string plain = Convert(PictV2(kind.opcodes));
    ASSERT_GE(Objects(plain), 1);
    // Wholly inside (touching the edges too): as without a clip.
    EXPECT_EQ(
        Convert(PictV2(ClipRect(-1000, -1000, 1000, 1000) + kind.opcodes)),
        plain);
    EXPECT_EQ(Convert(PictV2(kClipNotched + kind.opcodes)), plain);
    EXPECT_EQ(Convert(PictV2(ClipRect(10, 10, 91, 191) + kind.opcodes)), plain);
    // Wholly outside: not written.
    EXPECT_EQ(Convert(PictV2(ClipRect(92, 192, 100, 200) + kind.opcodes)),
              empty);
    EXPECT_EQ(Convert(PictV2(kClipCorner + kind.opcodes)), empty);
    // Across a rectangle or the L: only what lies inside it.
    const std::string rect =
        Convert(PictV2(ClipRect(0, 80, 60, 200) + kind.opcodes));
    EXPECT_EQ(Statements(rect), kind.acrossTopRight);
    for (const Point &p : Places(rect)) {
      EXPECT_TRUE(p.x >= 80 && p.x <= 200 && p.y >= 0 && p.y <= 60)
          << p.x << " " << p.y;
    }
    const std::string l = Convert(PictV2(kClipL + kind.opcodes));
    EXPECT_GE(Objects(l), 1);
    EXPECT_NE(l, plain);
    for (const Point &p : Places(l))
      EXPECT_TRUE(InL(p.x, p.y)) << p.x << " " << p.y;
  }
}

// An origin set after the clip moves it with the objects drawn from then on.
TEST(Clip, MovesWithTheOrigin) {
  const std::string rect = Hex("0031") + RectBytes(10, 10, 90, 190);
  const std::string clip = ClipRect(0, 80, 60, 200);
  EXPECT_EQ(Objects(Convert(PictV2(clip + rect))), 1);
  // Down by 10, then left by 20.
  for (const char *origin : {"000C FFF6 0000", "000C 0000 FFEC"}) {
    SCOPED_TRACE(origin);
    const std::string moved = Convert(PictV2(clip + rect + Hex(origin) + rect));
    const std::string after = Convert(PictV2(Hex(origin) + clip + rect));
    ASSERT_EQ(Objects(moved), 2);
    EXPECT_NE(moved.find("<BRect 80.000 10.500 109.500 49.500>"),
              std::string::npos);
    const char *second = origin[7] == 'F'
                             ? "<BRect 80.000 0.500 109.500 49.500>"
                             : "<BRect 60.000 10.500 109.500 49.500>";
    EXPECT_NE(moved.find(second), std::string::npos) << moved;
    EXPECT_NE(after.find(second), std::string::npos);
  }
}

// A hidden object is no group member: of two, one left makes no Group.
TEST(Clip, HiddenObjectsAreNoGroupMembers) {
  const std::string two = Hex("00A0 008C 0031") + RectBytes(10, 10, 20, 20) +
                          Hex("0031") + RectBytes(30, 30, 40, 40) +
                          Hex("00A0 008D");
  EXPECT_EQ(Count(Convert(PictV2(two)), "<Group \n"), 1);
  const std::string hidden =
      Convert(PictV2(ClipRect(0, 0, 25, 25) + two.substr(0, 14) +
                     ClipRect(0, 0, 0, 0) + two.substr(14)));
  EXPECT_EQ(Count(hidden, "<Group \n"), 0);
  EXPECT_EQ(Objects(hidden), 1);
  const std::string shown =
      Convert(PictV2(ClipRect(0, 0, 0, 0) + two.substr(0, 14) +
                     ClipRect(0, 0, 100, 200) + two.substr(14)));
  EXPECT_EQ(Objects(shown), 1);
  EXPECT_NE(shown.find("<BRect 30.500 30.500"), std::string::npos);
}

// The distance from (x, y) to the segment from a to b.
double ToSegment(double x, double y, const IntPoint &a, const IntPoint &b) {
  const double ax = FromMilli(a.X), ay = FromMilli(a.Y);
  const double dx = FromMilli(b.X) - ax, dy = FromMilli(b.Y) - ay;
  const double length = dx * dx + dy * dy;
  double t = length > 0 ? ((x - ax) * dx + (y - ay) * dy) / length : 0;
  t = std::max(0.0, std::min(1.0, t));
  return std::hypot(ax + t * dx - x, ay + t * dy - y);
}

double ToPath(double x, double y, const Path &path) {
  double best = 1e300;
  for (size_t i = 0; i + 1 < path.size(); ++i)
    best = std::min(best, ToSegment(x, y, path[i], path[i + 1]));
  return best;
}

// Flattened curves stay within the flatness (plus rounding), for any radius.
TEST(ClipGeometry, CurvesStayWithinTheFlatness) {
  constexpr double kRounding = 0.0008;
  for (double radius : {0.5, 3.0, 40.0, 300.0, 5000.0, 30000.0}) {
    SCOPED_TRACE(radius);
    Path arc;
    AppendEllipseArc(&arc, 100.0, 50.0, radius, radius / 2, 30.0, 250.0, true);
    ASSERT_GE(arc.size(), 2u);
    for (int i = 0; i <= 1000; ++i) {
      const double t = (30.0 + 250.0 * i / 1000) * M_PI / 180;
      const double x = 100.0 + radius * std::sin(t);
      const double y = 50.0 - radius / 2 * std::cos(t);
      EXPECT_LE(ToPath(x, y, arc), kFlatness + kRounding) << i;
    }
    // The points themselves are on the curve.
    for (const IntPoint &p : arc) {
      const double u = (FromMilli(p.X) - 100.0) / radius;
      const double v = (FromMilli(p.Y) - 50.0) / (radius / 2);
      EXPECT_NEAR(u * u + v * v, 1.0, 4 * kRounding / (radius / 2));
    }
  }
  const double p[4][2] = {{0, 0}, {300, 0}, {0, 200}, {400, 250}};
  Path curve{{0, 0}};
  AppendCubic(&curve, p[0], p[1], p[2], p[3]);
  for (int i = 0; i <= 2000; ++i) {
    const double t = i / 2000.0, u = 1 - t;
    const double x = u * u * u * p[0][0] + 3 * u * u * t * p[1][0] +
                     3 * u * t * t * p[2][0] + t * t * t * p[3][0];
    const double y = u * u * u * p[0][1] + 3 * u * u * t * p[1][1] +
                     3 * u * t * t * p[2][1] + t * t * t * p[3][1];
    EXPECT_LE(ToPath(x, y, curve), kFlatness + kRounding) << i;
  }
  EXPECT_EQ(curve.back(), (IntPoint{400000, 250000}));
}

// Thousandths round as "%.3f" does, ties to even.
TEST(ClipGeometry, ThousandthsRoundAsPrintfDoes) {
  for (float value : {0.0625f, 0.1875f, -0.0625f, 1.0005f, 32767.5f, 123.4565f,
                      -0.0004f, 0.3f, 2.0f / 3.0f}) {
    char printed[64];
    std::snprintf(printed, sizeof printed, "%.3f", static_cast<double>(value));
    char again[64];
    std::snprintf(again, sizeof again, "%.3f",
                  FromMilli(ToMilli(static_cast<double>(value))));
    if (std::string(printed) == "-0.000") continue;  // the sign goes
    EXPECT_STREQ(again, printed) << value;
  }
  EXPECT_EQ(ToMilli(0.0625), 62);
  EXPECT_EQ(ToMilli(0.1875), 188);
}

Paths Square(Milli left, Milli top, Milli right, Milli bottom) {
  return {{{left, top}, {right, top}, {right, bottom}, {left, bottom}}};
}

// A part with a hole is cut into pieces covering the ring, not the hole.
TEST(ClipGeometry, PolygonsComeWithoutHoles) {
  // A ring: four rectangles round the hole 40..60 x 40..60.
  Paths ring = Square(0, 0, 100, 40);
  for (const Paths &part : {Square(0, 60, 100, 100), Square(0, 40, 40, 60),
                            Square(60, 40, 100, 60)})
    ring.push_back(part[0]);
  const Path big = Square(-50, -50, 150, 150)[0];
  Paths pieces;
  ASSERT_TRUE(IntersectClosed(big, ring, &pieces));
  ASSERT_GE(pieces.size(), 2u);
  double area = 0;
  for (const Path &piece : pieces) {
    area += std::fabs(ClipperLib::Area(piece));
    EXPECT_EQ(ClipperLib::PointInPolygon({50, 50}, piece), 0);
  }
  EXPECT_EQ(area, 100.0 * 100.0 - 20.0 * 20.0);
  bool inside = false;
  ASSERT_TRUE(ClosedInside(Square(1, 1, 99, 39)[0], ring, &inside));
  EXPECT_TRUE(inside);
  ASSERT_TRUE(ClosedInside(Square(30, 30, 70, 70)[0], ring, &inside));
  EXPECT_FALSE(inside);
}

TEST(ClipGeometry, AxisRectangles) {
  Milli l = 0, t = 0, r = 0, b = 0;
  EXPECT_TRUE(
      IsAxisRectangle({{5, 1}, {5, 9}, {2, 9}, {2, 1}}, &l, &t, &r, &b));
  EXPECT_EQ((std::vector<Milli>{l, t, r, b}), (std::vector<Milli>{2, 1, 5, 9}));
  EXPECT_FALSE(
      IsAxisRectangle({{5, 1}, {5, 9}, {2, 8}, {2, 1}}, &l, &t, &r, &b));
  EXPECT_FALSE(IsAxisRectangle({{5, 1}, {5, 9}, {2, 9}}, &l, &t, &r, &b));
  EXPECT_FALSE(
      IsAxisRectangle({{5, 1}, {5, 9}, {5, 9}, {5, 1}}, &l, &t, &r, &b));
}

}  // namespace

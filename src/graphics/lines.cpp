// Line opcodes. A QuickDraw pen hangs below and to the right of the point it
// draws from, so a thick line covers a band beside the mathematical line and
// a slanted line is wider across than the pen. Each line's end points are
// moved to the middle of that band before it is written as a two-point
// PolyLine, or, while a polygon is being collected, appended to the shared
// point buffer.
#include <array>
#include <cmath>
#include <cstdint>

#include "base/conversion.h"
#include "graphics/clip.h"
#include "graphics/graphics.h"
#include "graphics/paths.h"
#include "graphics/state.h"
#include "pict/pict.h"

LineCollection Path;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;
// The point buffer starts with this many slots.
constexpr int32_t kFirstPointSlots = 64;
// The width result of adjustline for lines that need no width of their own.
constexpr float kNoOwnWidth = -1.0f;

struct Point {
  int16_t h = 0;
  int16_t v = 0;
};

// Points are stored vertical first.
Point readPoint() {
  int16_t vh[2] = {};
  ReadShorts(vh, 2);
  Point point;
  point.v = vh[0];
  point.h = vh[1];
  return point;
}

// A signed byte: 128 and above stand for that value minus 256.
int32_t readDelta() {
  unsigned char byte = 0;
  ReadByte(&byte);
  return byte >= 128 ? int32_t{byte} - 256 : int32_t{byte};
}

// A coordinate plus a short line's offset, cut to 16 bits.
int16_t offset(int16_t coordinate, int32_t delta) {
  uint32_t sum =
      static_cast<uint32_t>(coordinate) + static_cast<uint32_t>(delta);
  return static_cast<int16_t>(static_cast<uint16_t>(sum & 0xFFFFu));
}

// Reads dh, then dv, and applies them to `from`.
Point readShortLineEnd(Point from) {
  int32_t dh = readDelta();
  int32_t dv = readDelta();
  return {offset(from.h, dh), offset(from.v, dv)};
}

// The line's direction in [0, 2pi), measured from +x toward +y (y grows
// downward). Only called for lines that are not vertical.
float getAngle(double x1, double y1, double x2, double y2) {
  float dx = static_cast<float>(x2 - x1);
  float dy = static_cast<float>(y2 - y1);
  float theta = static_cast<float>(
      std::atan(static_cast<double>(dy) / static_cast<double>(dx)));
  if (x1 > x2) theta = static_cast<float>(theta + kPi);
  if (theta < 0.0f) theta = static_cast<float>(theta + kTwoPi);
  return theta;
}

// Which of the pen-corner offsets an end point receives.
enum class Offset { kU, kV, kPenMinusU, kPenMinusV };

// One octant of directions: phi is k*q - theta (sign -1) or theta - k*q
// (sign +1), and the four offsets of x1, y1, x2, y2.
struct Octant {
  int k;
  int sign;
  std::array<Offset, 4> offsets;
};

// clang-format off
constexpr std::array<Octant, 8> kOctants{{
    {1, -1, {Offset::kU,        Offset::kPenMinusV, Offset::kPenMinusU, Offset::kV}},
    {1, +1, {Offset::kPenMinusV, Offset::kU,        Offset::kV,        Offset::kPenMinusU}},
    {3, -1, {Offset::kV,        Offset::kU,        Offset::kPenMinusV, Offset::kPenMinusU}},
    {3, +1, {Offset::kPenMinusU, Offset::kPenMinusV, Offset::kU,        Offset::kV}},
    {5, -1, {Offset::kPenMinusU, Offset::kV,        Offset::kU,        Offset::kPenMinusV}},
    {5, +1, {Offset::kV,        Offset::kPenMinusU, Offset::kPenMinusV, Offset::kU}},
    {7, -1, {Offset::kPenMinusV, Offset::kPenMinusU, Offset::kV,        Offset::kU}},
    {7, +1, {Offset::kU,        Offset::kV,        Offset::kPenMinusU, Offset::kPenMinusV}},
}};
// clang-format on

// The octant of theta. The first bound is compared in single precision, the
// others in double against multiples of the single-precision quarter pi.
size_t octantOf(float theta, float q) {
  if (theta < q) return 0;
  const double wide = theta, quarter = q;
  const std::array<double, 6> bounds{2.0 * quarter, 3.0 * quarter,
                                     kPi,           5.0 * quarter,
                                     6.0 * quarter, 7.0 * quarter};
  size_t octant = 1;
  while (octant <= bounds.size() && wide >= bounds[octant - 1]) ++octant;
  return octant;
}

// The angle between the line and the octant's diagonal; single precision in
// the first two octants, double rounded to single in the others.
float phiOf(const Octant &octant, float theta, float q) {
  if (octant.k == 1) return octant.sign < 0 ? q - theta : theta - q;
  double kq = octant.k * static_cast<double>(q);
  double phi = octant.sign < 0 ? kq - theta : theta - kq;
  return static_cast<float>(phi);
}

// Moves the end points of a line to the centre line of the band a square pen
// of width pw covers. Vertical, horizontal and diagonal lines move by half
// the pen; other lines by the pen square's corner seen along the line, and
// get their own width: the band's width across the line.
void adjustline(float *x1, float *y1, float *x2, float *y2, float *width) {
  const float pw = GetPenWidth();
  *width = kNoOwnWidth;
  const float half = static_cast<float>(pw * 0.5);
  if (*x1 == *x2 || *y1 == *y2 ||
      std::fabs(*x2 - *x1) == std::fabs(*y2 - *y1)) {
    *x1 += half;
    *y1 += half;
    *x2 += half;
    *y2 += half;
    return;
  }
  const float theta = getAngle(*x1, *y1, *x2, *y2);
  const float sine = static_cast<float>(std::fabs(std::sin(double{theta})));
  const float cosine = static_cast<float>(std::fabs(std::cos(double{theta})));
  *width = pw * (sine + cosine);
  const float d = static_cast<float>(std::sqrt(2.0) * half);
  const float q = static_cast<float>(kPi / 4.0);
  const Octant &octant = kOctants[octantOf(theta, q)];
  const double phi = phiOf(octant, theta, q);
  const float u = static_cast<float>(double{d} * std::cos(phi));
  const float v = static_cast<float>(double{d} * std::sin(phi));
  auto amount = [&](Offset which) -> float {
    switch (which) {
      case Offset::kU:
        return u;
      case Offset::kV:
        return v;
      case Offset::kPenMinusU:
        return pw - u;
      case Offset::kPenMinusV:
        return pw - v;
    }
    return 0.0f;
  };
  *x1 += amount(octant.offsets[0]);
  *y1 += amount(octant.offsets[1]);
  *x2 += amount(octant.offsets[2]);
  *y2 += amount(octant.offsets[3]);
}

// Writes one line as a two-point PolyLine. A slanted line carries a second
// PenWidth, its width across the band.
void dumpline(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (!ValidPen() || (x1 == x2 && y1 == y2)) return;
  std::array<float, 4> end{static_cast<float>(x1), static_cast<float>(y1),
                           static_cast<float>(x2), static_cast<float>(y2)};
  float width = kNoOwnWidth;
  adjustline(&end[0], &end[1], &end[2], &end[3], &width);
  if (ClipInForce()) {
    ClipPathStart();
    for (size_t i = 0; i < end.size(); i += 2)
      ClipPathPoint(CollectedToPointsX(end[i]), CollectedToPointsY(end[i + 1]));
    if (ClipPathObject({Statement::kPolyLine, 0, 3, false, width})) return;
  }
  OpenObject(Statement::kPolyLine, 0, 3);
  if (width != kNoOwnWidth)
    V_WriteStatement<kPenWidthStatement>(
        outputFP, static_cast<double>(ThinLineWidth(width)));
  V_WriteStatement<kNumPointsStatement>(outputFP, 2);
  for (size_t i = 0; i < end.size(); i += 2)
    DumpPoint(CollectedToPointsX(end[i]), CollectedToPointsY(end[i + 1]));
  CloseObject();
}

// Makes room for one more point. A new path starts with fresh arrays of 64
// slots; the previous path's arrays go. A full buffer doubles, so that a long
// path costs time in proportion to its points; past the most an array can
// hold, or without memory, the run ends.
void reservePoint() {
  if (Path.NumPoints == 0) {
    Path.Xarray.Release();
    Path.Yarray.Release();
    Path.Xarray.Reserve(kFirstPointSlots);
    Path.Yarray.Reserve(kFirstPointSlots);
  }
  if (Path.NumPoints >= Path.PointSlots()) {
    const auto count = static_cast<uint32_t>(Path.NumPoints) + 1u;
    Path.Xarray.Reserve(count);
    Path.Yarray.Reserve(count);
  }
}

// Appends one segment to the collected path. Its start and the previous
// segment's end become one point at their mean, whether or not the picture
// drew them at the same place.
void storeline(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (!ValidPolyPen()) return;
  if (static_cast<int16_t>(x1) == static_cast<int16_t>(x2) &&
      static_cast<int16_t>(y1) == static_cast<int16_t>(y2)) {
    Path.PolyIsSmoothed = 0;
    return;
  }
  if (Path.NumPoints == 0) {
    Path.FirstX = static_cast<int16_t>(x1);
    Path.FirstY = static_cast<int16_t>(y1);
  }
  reservePoint();
  float sx = static_cast<float>(x1), sy = static_cast<float>(y1);
  float ex = static_cast<float>(x2), ey = static_cast<float>(y2);
  Path.LastX = static_cast<int16_t>(x2);
  Path.LastY = static_cast<int16_t>(y2);
  float width = kNoOwnWidth;
  adjustline(&sx, &sy, &ex, &ey, &width);
  float *xs = Path.Xarray.data();
  float *ys = Path.Yarray.data();
  int32_t &n = Path.NumPoints;
  if (n == 0) {
    xs[0] = sx;
    ys[0] = sy;
    n = 1;
  } else {
    if (xs[n - 1] != sx) xs[n - 1] = midpoint(xs[n - 1], sx);
    if (ys[n - 1] != sy) ys[n - 1] = midpoint(ys[n - 1], sy);
  }
  xs[n] = ex;
  ys[n] = ey;
  ++n;
}

// Every line opcode ends here with its two points: dropped while lines are
// ignored, else the pen moves to the end and the line is collected or
// written.
void drawLine(Point start, Point end) {
  if (Path.PolyState == kPolyIgnoring) return;
  moveto(end.h, end.v);
  if (Path.PolyState == kPolyCollecting)
    storeline(start.h, start.v, end.h, end.v);
  else
    dumpline(start.h, start.v, end.h, end.v);
}

Point currentPoint() {
  Point current;
  GetCurrentPos(&current.h, &current.v);
  return current;
}

}  // namespace

void ResetLineCollection() { Path = LineCollection{}; }

void op_Line() {
  Point start = readPoint();
  Point end = readPoint();
  drawLine(start, end);
}

void op_LineFrom() {
  Point end = readPoint();
  drawLine(currentPoint(), end);
}

void op_ShortLine() {
  Point start = readPoint();
  Point end = readShortLineEnd(start);
  drawLine(start, end);
}

void op_ShortLineFrom() {
  Point start = currentPoint();
  Point end = readShortLineEnd(start);
  drawLine(start, end);
}

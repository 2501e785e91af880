// Polygons. The polygon opcodes carry their vertices and become PolyLine
// objects. Drawing programs also build paths from line segments bracketed by
// picture comments: the segments are collected (lines.cpp) and the path is
// written at the end of the bracket as an open PolyLine or a closed Polygon,
// outlined, filled or both, optionally smoothed into a curve.
#include <cstdint>

#include "base/conversion.h"
#include "base/messages.h"
#include "graphics/clip.h"
#include "graphics/graphics.h"
#include "graphics/paths.h"
#include "graphics/shapes.h"
#include "graphics/state.h"
#include "pict/pict.h"
#include "runtime/buffer.h"

namespace {

struct PointF {
  float x;
  float y;
};

struct Polygons {
  // How the collected path is to be written; set by the polygon comments.
  int32_t PolyFill = 0;
  int32_t PolyFrame = 0;
  int32_t PolyClose = 0;
  // The last polygon operand, origin added and scaled; the last opcode
  // carried PolyPoints. The buffer only grows, for the whole run.
  GrowableBuffer<PointF> PolyBuffer{FatalNoMemory};
  int32_t PolyPoints = 0;
  // Only its deferred fill kind is used: a paint, erase or fill held back
  // for the frameSamePoly that follows.
  ShapeMemory polyMemory;
};
Polygons polygons;

constexpr uint16_t kFrameSamePoly = 0x78;
// Bits of the PolySmooth comment's flag byte.
constexpr int kSmoothFrame = 1;
constexpr int kSmoothFill = 2;
constexpr int kSmoothClose = 4;
// Polygon record: size word and bounding box before the points.
constexpr int32_t kPolyHeaderSize = 10;
constexpr int32_t kPolyPointSize = 4;

// A path being written: a copy of the collected points, so that writing
// never changes what was collected. Without memory for it the run ends.
struct PointList {
  GrowableBuffer<float> x{FatalNoMemory};
  GrowableBuffer<float> y{FatalNoMemory};
  int32_t count = 0;
};

// Room for `count` points; more than an array can hold ends the run.
PointList allocPath(int64_t count) {
  const uint32_t slots =
      count > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(count);
  PointList path;
  path.x.Reserve(slots);
  path.y.Reserve(slots);
  path.count = static_cast<int32_t>(count);
  return path;
}

PointList copyCollectedPath() {
  PointList path = allocPath(Path.NumPoints);
  const float *xs = Path.Xarray.data(), *ys = Path.Yarray.data();
  float *x = path.x.data(), *y = path.y.data();
  for (int32_t i = 0; i < Path.NumPoints; ++i) {
    x[i] = xs[i];
    y[i] = ys[i];
  }
  return path;
}

// A closed path ends where it starts: the first and the last point merge
// into their mean.
void closePath(PointList *path) {
  int32_t last = path->count - 1;
  float *x = path->x.data(), *y = path->y.data();
  x[0] = x[last] = midpoint(x[last], x[0]);
  y[0] = y[last] = midpoint(y[last], y[0]);
  path->count = last;
}

// Writes a path's points as they are held, as a comment statement.
void printpoints(const PointList &path) {
  static constexpr StatementPlan kComment =
      PlanStatement("<Comment polyline points\n");
  V_WriteStatement<kComment>(outputFP);
  V_WriteStatement<kNumPointsStatement>(outputFP, path.count);
  const float *x = path.x.data(), *y = path.y.data();
  for (int32_t i = 0; i < path.count; ++i)
    V_WriteCommentPoint(outputFP, static_cast<double>(x[i]),
                        static_cast<double>(y[i]));
  V_WriteStatement<kCloseStatement>(outputFP);
}

// Turns the vertices into a curve of anchors and control points: anchor,
// control, control, anchor, ... The anchors are the edge midpoints (an open
// path keeps its two ends), and the two controls between two anchors both
// sit on the vertex between them. Paths of two points or fewer stay as they
// are: false, and no curve.
bool smoothedCurve(const PointList &path, int closed, PointList *curve) {
  const int64_t n = path.count;
  if (n <= 2) return false;
  *curve = allocPath(closed ? 3 * n + 1 : 3 * n - 5);
  const float *x = path.x.data(), *y = path.y.data();
  float *sx = curve->x.data(), *sy = curve->y.data();
  int32_t next = 0;
  auto vertex = [&](int64_t i) {
    sx[next] = x[i];
    sy[next] = y[i];
    ++next;
  };
  auto mid = [&](int64_t a, int64_t b) {
    sx[next] = midpoint(x[a], x[b]);
    sy[next] = midpoint(y[a], y[b]);
    ++next;
  };
  if (closed) {
    mid(n - 1, 0);
    vertex(0);
    vertex(0);
    for (int64_t i = 1; i < n; ++i) {
      mid(i - 1, i);
      vertex(i);
      vertex(i);
    }
    mid(n - 1, 0);
  } else {
    vertex(0);
    for (int64_t i = 1; i <= n - 3; ++i) {
      vertex(i);
      vertex(i);
      mid(i, i + 1);
    }
    vertex(n - 2);
    vertex(n - 2);
    vertex(n - 1);
  }
  return true;
}

// Writes the collected path as one object: a closed Polygon or an open
// PolyLine, smoothed if asked; a smoothed closed path carries its vertices
// and its curve's points as comments. The collected points stay as they
// are. The clip sees the points as written, so it cuts a smoothed path
// after smoothing.
void dumpsplinepoly(int closed, int penKind, int fillKind) {
  if (Path.NumPoints == 0) return;
  PointList path = copyCollectedPath();
  if (closed) closePath(&path);
  const bool smoothed = Path.PolyIsSmoothed != 0;
  PointList curve;
  const bool curved = smoothed && smoothedCurve(path, closed, &curve);
  const PointList &points = curved ? curve : path;
  const float *x = points.x.data(), *y = points.y.data();
  const Statement statement =
      closed ? Statement::kPolygon : Statement::kPolyLine;
  if (ClipInForce()) {
    ClipPathStart();
    for (int32_t i = 0; i < points.count; ++i)
      ClipPathPoint(CollectedToPointsX(x[i]), CollectedToPointsY(y[i]));
    if (ClipPathObject({statement, penKind, fillKind, smoothed, -1.0f})) return;
  }
  OpenObject(statement, penKind, fillKind);
  static constexpr StatementPlan kSmoothed =
      PlanStatement("\t<Smoothed Yes>\n");
  if (smoothed) V_WriteStatement<kSmoothed>(outputFP);
  if (curved && closed) {
    printpoints(path);
    printpoints(curve);
  }
  V_WriteStatement<kNumPointsStatement>(outputFP, points.count);
  for (int32_t i = 0; i < points.count; ++i)
    DumpPoint(CollectedToPointsX(x[i]), CollectedToPointsY(y[i]));
  CloseObject();
}

// Writes the last polygon operand as a PolyLine.
void writePolyBuffer(int penKind, int fillKind) {
  const PointF *points = polygons.PolyBuffer.data();
  if (ClipInForce()) {
    ClipPathStart();
    for (int32_t i = 0; i < polygons.PolyPoints; ++i)
      ClipPathPoint(static_cast<double>(points[i].x),
                    static_cast<double>(points[i].y));
    if (ClipPathObject({Statement::kPolyLine, penKind, fillKind, false, -1.0f}))
      return;
  }
  OpenObject(Statement::kPolyLine, penKind, fillKind);
  V_WriteStatement<kNumPointsStatement>(outputFP, polygons.PolyPoints);
  for (int32_t i = 0; i < polygons.PolyPoints; ++i)
    DumpPoint(static_cast<double>(points[i].x),
              static_cast<double>(points[i].y));
  CloseObject();
}

// Reads a polygon operand into PolyBuffer: its size word, its bounding box
// (not used) and the vertices the size holds. The pen moves to the last
// vertex.
void readPolygon() {
  uint16_t polySize = 0;
  ReadUShort(&polySize);
  Rect bounds;
  ReadRect(&bounds);
  const int32_t count = (int32_t{polySize} - kPolyHeaderSize) / kPolyPointSize;
  polygons.PolyPoints = count;
  if (count > 0) polygons.PolyBuffer.Reserve(static_cast<uint32_t>(count));
  PointF *points = polygons.PolyBuffer.data();
  int16_t vh[2] = {};
  for (int32_t i = 0; i < count; ++i) {
    ReadShorts(vh, 2);
    points[i] = {ToPointsX(vh[1]), ToPointsY(vh[0])};
  }
  if (count > 0) moveto(vh[1], vh[0]);
}

// A polygon opcode. Inside a comment bracket it only records the fill
// separation for the bracket's fill. A paint, erase or fill followed by
// frameSamePoly waits for it, which writes both as one object.
void dumppoly(int penKind, int fillKind) {
  readPolygon();
  if (Path.PolyState == kPolyCollecting || Path.PolyState == kPolyIgnoring) {
    SaveFillSep();
    RememberBracketFill(fillKind);
    return;
  }
  uint16_t next = 0;
  PeekNextOpcode(&next);
  if (penKind == 3 && next == kFrameSamePoly) {
    polygons.polyMemory.SavedFill = fillKind;
    return;
  }
  writePolyBuffer(penKind, fillKind);
}

// A Same polygon opcode: the last polygon operand again, also inside a
// comment bracket.
void dumpsamepoly(int penKind, int fillKind) {
  writePolyBuffer(penKind, TakeDeferredFill(&polygons.polyMemory, fillKind));
}

}  // namespace

void op_framePoly() { dumppoly(0, 3); }
void op_paintPoly() { dumppoly(3, 0); }
void op_erasePoly() { dumppoly(3, 2); }
void op_fillPoly() { dumppoly(3, 1); }
void op_frameSamePoly() { dumpsamepoly(0, 3); }
void op_paintSamePoly() { dumpsamepoly(3, 0); }
void op_eraseSamePoly() { dumpsamepoly(3, 2); }
void op_fillSamePoly() { dumpsamepoly(3, 1); }

// ---------------------------------------------------------------------------
// Polygon comments
// ---------------------------------------------------------------------------

void ResetPolygons() { polygons = Polygons{}; }

// Starts collecting a path: empty, outlined, open, not smoothed.
void BeginPoly() {
  Path.PolyState = kPolyCollecting;
  Path.NumPoints = 0;
  polygons.PolyFill = 0;
  polygons.PolyFrame = 1;
  polygons.PolyClose = 0;
  Path.PolyIsSmoothed = 0;
  ForgetBracketFill();
}

// The path is a curve through its edge midpoints; the flag byte says whether
// it is closed, filled and outlined.
void SmoothPoly(int flags) {
  polygons.PolyClose = (flags & kSmoothClose) != 0;
  polygons.PolyFill = (flags & kSmoothFill) != 0;
  polygons.PolyFrame = (flags & kSmoothFrame) != 0;
  Path.PolyIsSmoothed = 1;
}

void IgnorePoly() { Path.PolyState = kPolyIgnoring; }

void ClosePoly() { polygons.PolyClose = 1; }

// Writes the collected path. A path that is filled and outlined on one
// separation is one object; on different separations a fill object (always
// closed, on the separation recorded by the last polygon opcode inside a
// bracket) and an outline object are grouped. A path that ends where it
// started is closed.
void EndPoly() {
  const int32_t saved = GetSavedFillSep();
  const int32_t current = GetFillSep();
  // Under -full the fill is the one the bracket's polygon opcodes recorded,
  // and fill and outline share an object when their inks share a
  // separation.
  const bool full = RunOptions().full;
  const bool same = full ? BracketFillOnPenSeparation() : saved == current;
  const int fillKind = full ? kFillBracket : 1;
  if (Path.FirstX == Path.LastX && Path.FirstY == Path.LastY) ClosePoly();
  const bool fill = polygons.PolyFill, frame = polygons.PolyFrame;
  if (fill && frame && same) {
    dumpsplinepoly(polygons.PolyClose, 0, fillKind);
  } else {
    if (fill && frame) BeginGroup();
    if (fill) {
      if (!same) SetFillSep(saved);
      dumpsplinepoly(1, 3, fillKind);
      if (!same) SetFillSep(current);
    }
    if (frame) dumpsplinepoly(polygons.PolyClose, 0, 3);
    if (fill && frame) EndGroup();
  }
  Path.PolyState = kPolyNormal;
}

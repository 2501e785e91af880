// Polygons. The polygon opcodes carry their vertices and become PolyLine
// objects. Drawing programs also build paths from line segments bracketed by
// picture comments: the segments are collected (lines.cpp) and the path is
// written at the end of the bracket as an open PolyLine or a closed Polygon,
// outlined, filled or both, optionally smoothed into a curve.
#include <cstdint>

#include "base/conversion.h"
#include "base/messages.h"
#include "graphics/graphics.h"
#include "pict/pict.h"

int32_t PolyIsSmoothed = 0;

namespace {

// How the collected path is to be written; set by the polygon comments.
int32_t PolyFill = 0;
int32_t PolyFrame = 0;
int32_t PolyClose = 0;

// The last polygon operand, origin added and scaled: x0, y0, x1, y1, ...
// PolyBufferSize points fit; the last opcode carried PolyPoints.
float *PolyBuffer = nullptr;
int32_t PolyBufferSize = 0;
int32_t PolyPoints = 0;
// Only its deferred fill kind is used: a paint, erase or fill held back for
// the frameSamePoly that follows.
ShapeMemory polyMemory;

constexpr uint16_t kFrameSamePoly = 0x78;
// Bits of the PolySmooth comment's flag byte.
constexpr int kSmoothFrame = 1;
constexpr int kSmoothFill = 2;
constexpr int kSmoothClose = 4;
// Polygon record: size word and bounding box before the points.
constexpr int32_t kPolyHeaderSize = 10;
constexpr int32_t kPolyPointSize = 4;

// A path being written: a copy of the collected points, so that writing
// never changes what was collected.
struct PointList {
  float *x = nullptr;
  float *y = nullptr;
  int32_t count = 0;
};

float *allocFloats(int64_t count) {
  int64_t bytes = (count > 0 ? count : 1) * int64_t{sizeof(float)};
  if (bytes > int64_t{kVokMaxAlloc}) Fatal(kMsgNoMemory);
  void *block = V_Alloc(static_cast<uint32_t>(bytes), 0);
  if (block == nullptr) Fatal(kMsgNoMemory);
  return static_cast<float *>(block);
}

PointList allocPath(int64_t count) {
  PointList path;
  path.x = allocFloats(count);
  path.y = allocFloats(count);
  path.count = static_cast<int32_t>(count);
  return path;
}

void freePath(PointList *path) {
  V_Free(path->x);
  V_Free(path->y);
  path->count = 0;
}

PointList copyCollectedPath() {
  PointList path = allocPath(NumPoints);
  for (int32_t i = 0; i < NumPoints; ++i) {
    path.x[i] = Xarray[i];
    path.y[i] = Yarray[i];
  }
  return path;
}

// The mean of two coordinates: the sum in single precision, halved.
float midpoint(float a, float b) { return static_cast<float>((a + b) * 0.5); }

// A closed path ends where it starts: the first and the last point merge
// into their mean.
void closePath(PointList *path) {
  int32_t last = path->count - 1;
  path->x[0] = path->x[last] = midpoint(path->x[last], path->x[0]);
  path->y[0] = path->y[last] = midpoint(path->y[last], path->y[0]);
  path->count = last;
}

// Writes a path's points as they are held, as a comment statement.
void printpoints(const PointList &path) {
  V_Printf(outputFP, "<Comment polyline points\n");
  V_Printf(outputFP, "\t<NumPoints %d>\n", path.count);
  for (int32_t i = 0; i < path.count; ++i)
    V_Printf(outputFP, "\t<Point %f %f>\n", static_cast<double>(path.x[i]),
             static_cast<double>(path.y[i]));
  V_Printf(outputFP, ">\n");
}

// Turns the vertices into a curve of anchors and control points: anchor,
// control, control, anchor, ... The anchors are the edge midpoints (an open
// path keeps its two ends), and the two controls between two anchors both
// sit on the vertex between them. Paths of two points or fewer stay.
void SmoothPolyline(PointList *path, int closed) {
  const int64_t n = path->count;
  if (n <= 2) return;
  PointList smooth = allocPath(closed ? 3 * n + 1 : 3 * n - 5);
  int32_t next = 0;
  auto vertex = [&](int64_t i) {
    smooth.x[next] = path->x[i];
    smooth.y[next] = path->y[i];
    ++next;
  };
  auto mid = [&](int64_t a, int64_t b) {
    smooth.x[next] = midpoint(path->x[a], path->x[b]);
    smooth.y[next] = midpoint(path->y[a], path->y[b]);
    ++next;
  };
  if (closed) {
    printpoints(*path);
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
  freePath(path);
  *path = smooth;
  if (closed) printpoints(*path);
}

void dumpPoint(double x, double y) {
  V_Printf(outputFP, "\t<Point %.3f %.3f >\n", x, y);
}

// Writes the collected path as one object: a closed Polygon or an open
// PolyLine, smoothed if asked. The collected points stay as they are.
void dumpsplinepoly(int closed, int penKind, int fillKind) {
  if (NumPoints == 0) return;
  PointList path = copyCollectedPath();
  if (closed) closePath(&path);
  V_Printf(outputFP, closed ? "<Polygon\n" : "<PolyLine\n");
  DumpState(penKind, fillKind);
  if (PolyIsSmoothed) {
    V_Printf(outputFP, "\t<Smoothed Yes>\n");
    SmoothPolyline(&path, closed);
  }
  V_Printf(outputFP, "\t<NumPoints %d>\n", path.count);
  const float originX = OriginX, originY = OriginY;
  for (int32_t i = 0; i < path.count; ++i)
    dumpPoint(static_cast<double>((originX + path.x[i]) * ScaleFactor),
              static_cast<double>((originY + path.y[i]) * ScaleFactor));
  V_Printf(outputFP, ">\n");
  IncrementGroupCount();
  freePath(&path);
}

// Writes the last polygon operand as a PolyLine.
void writePolyBuffer(int penKind, int fillKind) {
  V_Printf(outputFP, "<PolyLine\n");
  DumpState(penKind, fillKind);
  V_Printf(outputFP, "\t<NumPoints %d>\n", PolyPoints);
  for (int32_t i = 0; i < PolyPoints; ++i)
    dumpPoint(static_cast<double>(PolyBuffer[2 * i]),
              static_cast<double>(PolyBuffer[2 * i + 1]));
  V_Printf(outputFP, ">\n");
  IncrementGroupCount();
}

// Reads a polygon operand into PolyBuffer: its size word, its bounding box
// (not used) and the vertices the size holds. The pen moves to the last
// vertex.
void readPolygon() {
  uint16_t polySize = 0;
  ReadUShort(&polySize);
  Rect bounds;
  ReadRect(&bounds);
  PolyPoints = (int32_t{polySize} - kPolyHeaderSize) / kPolyPointSize;
  if (PolyPoints > PolyBufferSize) {
    void *block = V_Realloc(
        PolyBuffer, static_cast<uint32_t>(PolyPoints) * 2u * sizeof(float), 0);
    if (block == nullptr) Fatal(kMsgNoMemory);
    PolyBuffer = static_cast<float *>(block);
    PolyBufferSize = PolyPoints;  // once the block is there
  }
  int16_t v = 0, h = 0;
  for (int32_t i = 0; i < PolyPoints; ++i) {
    ReadShort(&v);
    ReadShort(&h);
    PolyBuffer[2 * i] = static_cast<float>(h + OriginX) * ScaleFactor;
    PolyBuffer[2 * i + 1] = static_cast<float>(v + OriginY) * ScaleFactor;
  }
  if (PolyPoints > 0) moveto(h, v);
}

// A polygon opcode. Inside a comment bracket it only records the fill
// separation for the bracket's fill. A paint, erase or fill followed by
// frameSamePoly waits for it, which writes both as one object.
void dumppoly(int penKind, int fillKind) {
  readPolygon();
  if (PolyState == kPolyCollecting || PolyState == kPolyIgnoring) {
    SaveFillSep();
    return;
  }
  uint16_t next = 0;
  PeekNextOpcode(&next);
  if (penKind == 3 && next == kFrameSamePoly) {
    polyMemory.SavedFill = fillKind;
    return;
  }
  writePolyBuffer(penKind, fillKind);
}

// A Same polygon opcode: the last polygon operand again, also inside a
// comment bracket.
void dumpsamepoly(int penKind, int fillKind) {
  writePolyBuffer(penKind, TakeDeferredFill(&polyMemory, fillKind));
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

// PolyBuffer is kept for the next picture's polygons.
void ResetPolygons() {
  PolyIsSmoothed = 0;
  PolyFill = PolyFrame = PolyClose = 0;
  PolyPoints = 0;
  polyMemory = ShapeMemory{};
}

// Starts collecting a path: empty, outlined, open, not smoothed.
void BeginPoly() {
  PolyState = kPolyCollecting;
  NumPoints = 0;
  PolyFill = 0;
  PolyFrame = 1;
  PolyClose = 0;
  PolyIsSmoothed = 0;
}

// The path is a curve through its edge midpoints; the flag byte says whether
// it is closed, filled and outlined.
void SmoothPoly(int flags) {
  PolyClose = (flags & kSmoothClose) != 0;
  PolyFill = (flags & kSmoothFill) != 0;
  PolyFrame = (flags & kSmoothFrame) != 0;
  PolyIsSmoothed = 1;
}

void IgnorePoly() { PolyState = kPolyIgnoring; }

void ClosePoly() { PolyClose = 1; }

// Writes the collected path. A path that is filled and outlined on one
// separation is one object; on different separations a fill object (always
// closed, on the separation recorded by the last polygon opcode inside a
// bracket) and an outline object are grouped. A path that ends where it
// started is closed.
void EndPoly() {
  const int32_t saved = GetSavedFillSep();
  const int32_t current = GetFillSep();
  const bool same = saved == current;
  if (FirstX == LastX && FirstY == LastY) ClosePoly();
  if (PolyFill && PolyFrame && same) {
    dumpsplinepoly(PolyClose, 0, 1);
  } else {
    if (PolyFill && PolyFrame) BeginGroup();
    if (PolyFill) {
      if (!same) SetFillSep(saved);
      dumpsplinepoly(1, 3, 1);
      if (!same) SetFillSep(current);
    }
    if (PolyFrame) dumpsplinepoly(PolyClose, 0, 3);
    if (PolyFill && PolyFrame) EndGroup();
  }
  PolyState = kPolyNormal;
}

// Under -full: regions. A region is its size word, its bounding box and,
// unless it is a plain rectangle (size 10), a list of rows: a row's y, the
// x positions where the inside changes against the row above, ended by
// 0x7FFF; the list ends with a y of 0x7FFF. Keeping the inside of the rows
// read so far as sorted spans, each row ends a band of equal rows. Paint,
// erase and fill write each band's spans as rectangles; frame writes the
// region's outline as closed polygons. Region data is read only within its
// size, and bad rows (positions out of order, rows out of order, a list
// that doesn't end) end the region where it was last sound.
#include <algorithm>
#include <cstring>
#include <utility>

#include "base/conversion.h"
#include "base/messages.h"
#include "graphics/clip.h"
#include "graphics/graphics.h"
#include "graphics/paths.h"
#include "graphics/shapes.h"
#include "graphics/state.h"
#include "pict/pict.h"
#include "runtime/buffer.h"
#include "runtime/fuzz_budget.h"

namespace {

constexpr int16_t kEndMark = 0x7FFF;
constexpr int32_t kBoxBytes = 8;

#ifdef PICTTOTOV_FUZZ_BUILD
// A Same opcode walks the last region again for one or two bytes of input,
// and a region of rows that change nothing is walked without writing
// anything. The fuzz build gives up on a picture once its region drawings
// walked more bytes than this in all.
constexpr int64_t kFuzzRegionBytes = int64_t{1} << 20;
#endif

// A growable array of 32-bit values; it grows at least twofold, as the
// outline's arrays grow by one edge or point at a time. Without memory the
// run ends.
struct Values : GrowableBuffer<int32_t> {
  constexpr Values() : GrowableBuffer<int32_t>(FatalNoMemory) {}
  int32_t &operator[](int32_t i) { return data()[i]; }
};

int32_t *reserve(Values *values, uint32_t count) {
  values->Reserve(count);
  return values->data();
}

struct Regions {
  // The last region: its bytes after the size word, kept for the Same
  // opcodes.
  GrowableBuffer<unsigned char> last{FatalNoMemory};
  int32_t lastLength = -1;  // -1: no region read yet
  // The spans: sorted x positions, an inside stretch between each pair,
  // with the y where each position began; a second pair of arrays to merge
  // into.
  Values spanX, spanStart, mergedX, mergedStart;
  int32_t spanCount = 0;
  // The outline: the region's edges (x0, y0, x1, y1 each), their ends
  // sorted by point (2 * edge + end) to find the edges that meet at a
  // point, which edges are chained, and the polygon being chained (x, y
  // each).
  Values edges;
  int32_t edgeCount = 0;
  Values ends;
  Values used;
  Values outline;
#ifdef PICTTOTOV_FUZZ_BUILD
  // The region bytes the picture's region drawings walk.
  FuzzBudget fuzzRegionBytes{kFuzzRegionBytes};
#endif
};
Regions regions;

// A row of the region: its y and its positions within the region bytes.
struct Row {
  int32_t y;
  const unsigned char *positions;
  int32_t count;
};

// What a drawing verb does with the region as it is walked.
struct RegionSink {
  virtual ~RegionSink() = default;
  // The band from y0 to y1 holds the current spans.
  virtual void band(int32_t /*y0*/, int32_t /*y1*/) {}
  // The inside changes along x0..x1 at y.
  virtual void horizontal(int32_t /*x0*/, int32_t /*x1*/, int32_t /*y*/) {}
  // An edge of the inside at x runs from y0 to y1.
  virtual void vertical(int32_t /*x*/, int32_t /*y0*/, int32_t /*y1*/) {}
};

// Reads a row's y; false when the data ends first.
bool readY(const unsigned char **p, const unsigned char *end, int32_t *y) {
  if (end - *p < 2) return false;
  *y = GetShort(*p);
  *p += 2;
  return true;
}

// Reads a row's positions up to its end mark: false when they are out of
// order, odd in number, or not ended within the data.
bool readPositions(const unsigned char **p, const unsigned char *end,
                   Row *row) {
  row->positions = *p;
  row->count = 0;
  int32_t previous = INT32_MIN;
  while (end - *p >= 2) {
    int32_t x = GetShort(*p);
    *p += 2;
    if (x == kEndMark) return row->count % 2 == 0;
    if (x <= previous) return false;
    previous = x;
    ++row->count;
  }
  return false;
}

int32_t positionAt(const Row &row, int32_t i) {
  return GetShort(row.positions + 2 * i);
}

// Toggles the row's positions in the spans; a position leaving the spans
// ends a vertical edge at the row's y.
void toggle(const Row &row, int32_t capacity, RegionSink *sink) {
  int32_t *outX = reserve(&regions.mergedX, static_cast<uint32_t>(capacity));
  int32_t *outStart =
      reserve(&regions.mergedStart, static_cast<uint32_t>(capacity));
  int32_t i = 0, j = 0, n = 0;
  while (i < regions.spanCount || j < row.count) {
    int32_t x = j < row.count ? positionAt(row, j) : INT32_MAX;
    if (i < regions.spanCount && regions.spanX[i] < x) {
      outX[n] = regions.spanX[i];
      outStart[n++] = regions.spanStart[i++];
    } else if (i < regions.spanCount && regions.spanX[i] == x) {
      if (sink != nullptr) sink->vertical(x, regions.spanStart[i], row.y);
      ++i;
      ++j;
    } else {
      outX[n] = x;
      outStart[n++] = row.y;
      ++j;
    }
  }
  std::swap(regions.spanX, regions.mergedX);
  std::swap(regions.spanStart, regions.mergedStart);
  regions.spanCount = n;
}

// How much of a region is drawn: its first `rows` rows, then, if spans are
// left open, a last band up to closeY that closes them.
struct Plan {
  int32_t rows = 0;
  int32_t closeY = 0;
};

void resetSpans(int32_t capacity) {
  reserve(&regions.spanX, static_cast<uint32_t>(capacity));
  reserve(&regions.spanStart, static_cast<uint32_t>(capacity));
  regions.spanCount = 0;
}

// Finds the sound part of the rows. Rows must come in increasing y with
// increasing positions; at the first one that doesn't, the region ends at
// that row's y if the y itself is sound, else at the row before, which is
// then left out. A list that ends with spans still open ends the same way.
Plan planRows(const unsigned char *data, int32_t length) {
  const unsigned char *p = data, *end = data + length;
  resetSpans(length / 2 + 1);
  Plan plan;
  int32_t previousY = INT32_MIN;
  for (;;) {
    Row row;
    if (!readY(&p, end, &row.y)) break;
    if (row.y == kEndMark) {
      if (regions.spanCount == 0) return plan;
      break;
    }
    if (row.y <= previousY) break;
    if (!readPositions(&p, end, &row)) {
      plan.closeY = row.y;
      return plan;
    }
    toggle(row, length / 2 + 1, nullptr);
    previousY = row.y;
    ++plan.rows;
  }
  if (plan.rows == 0) return plan;
  --plan.rows;
  plan.closeY = previousY;
  return plan;
}

// Tells the sink the bands and edges of the sound rows.
void drawRows(const unsigned char *data, int32_t length, const Plan &plan,
              RegionSink *sink) {
  const unsigned char *p = data, *end = data + length;
  resetSpans(length / 2 + 1);
  int32_t previousY = INT32_MIN;
  for (int32_t taken = 0; taken < plan.rows; ++taken) {
    Row row;
    readY(&p, end, &row.y);
    readPositions(&p, end, &row);
    if (row.count == 0) continue;  // no change: the band goes on
    if (regions.spanCount > 0) sink->band(previousY, row.y);
    for (int32_t i = 0; i < row.count; i += 2)
      sink->horizontal(positionAt(row, i), positionAt(row, i + 1), row.y);
    toggle(row, length / 2 + 1, sink);
    previousY = row.y;
  }
  if (regions.spanCount == 0) return;
  sink->band(previousY, plan.closeY);
  for (int32_t i = 0; i < regions.spanCount; i += 2)
    sink->horizontal(regions.spanX[i], regions.spanX[i + 1], plan.closeY);
  for (int32_t i = 0; i < regions.spanCount; ++i)
    sink->vertical(regions.spanX[i], regions.spanStart[i], plan.closeY);
}

// Walks a plain rectangle's box for the sink as the two rows that open
// and close it would be walked. Its edges may be at 32767, the value that
// ends a row of positions, so the box is not written out as rows.
void walkBox(int32_t top, int32_t left, int32_t bottom, int32_t right,
             RegionSink *sink) {
  if (left >= right || top >= bottom) return;
  sink->horizontal(left, right, top);
  resetSpans(2);
  regions.spanX[0] = left;
  regions.spanX[1] = right;
  regions.spanStart[0] = regions.spanStart[1] = top;
  regions.spanCount = 2;
  sink->band(top, bottom);
  sink->horizontal(left, right, bottom);
  sink->vertical(left, top, bottom);
  sink->vertical(right, top, bottom);
  regions.spanCount = 0;
}

// Walks a region's bytes (box and rows) for the sink.
void walkRegion(const unsigned char *bytes, int32_t length, RegionSink *sink) {
  if (length < kBoxBytes) return;
  if (length > kBoxBytes) {
    const unsigned char *rows = bytes + kBoxBytes;
    drawRows(rows, length - kBoxBytes, planRows(rows, length - kBoxBytes),
             sink);
    return;
  }
  walkBox(GetShort(bytes), GetShort(bytes + 2), GetShort(bytes + 4),
          GetShort(bytes + 6), sink);
}

// Counts the rectangles of the bands.
struct CountRects : RegionSink {
  int32_t count = 0;
  void band(int32_t, int32_t) override { count += regions.spanCount / 2; }
};

// Writes each band's spans as filled rectangles without a pen.
struct PaintRects : RegionSink {
  int fillKind = 0;
  void band(int32_t y0, int32_t y1) override {
    for (int32_t i = 0; i < regions.spanCount; i += 2) {
      ShapeMemory box;
      box.fx1 = ToPointsX(regions.spanX[i]);
      box.fy1 = ToPointsY(y0);
      box.fx2 = ToPointsX(regions.spanX[i + 1]);
      box.fy2 = ToPointsY(y1);
      if (ClipInForce() &&
          ClipBoxObject(Statement::kRectangle, box, 3, fillKind))
        continue;
      OpenObject(Statement::kRectangle, 3, fillKind);
      DumpShapeBounds("BRect", box);
      CloseObject();
    }
  }
};

void paintRegion(const unsigned char *bytes, int32_t length, int fillKind) {
  CountRects counter;
  walkRegion(bytes, length, &counter);
  if (counter.count == 0) return;
  PaintRects painter;
  painter.fillKind = fillKind;
  if (counter.count > 1) BeginGroup();
  walkRegion(bytes, length, &painter);
  if (counter.count > 1) EndGroup();
}

// The outline: the region's edges, then chained into closed polygons.

struct CollectEdges : RegionSink {
  void add(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    if (x0 == x1 && y0 == y1) return;
    int32_t *e = reserve(&regions.edges,
                         4 * static_cast<uint32_t>(regions.edgeCount + 1));
    e += 4 * regions.edgeCount++;
    e[0] = x0;
    e[1] = y0;
    e[2] = x1;
    e[3] = y1;
  }
  void horizontal(int32_t x0, int32_t x1, int32_t y) override {
    add(x0, y, x1, y);
  }
  void vertical(int32_t x, int32_t y0, int32_t y1) override {
    add(x, y0, x, y1);
  }
};

int32_t endX(int32_t end) { return regions.edges[2 * end]; }
int32_t endY(int32_t end) { return regions.edges[2 * end + 1]; }

bool endBefore(int32_t a, int32_t b) {
  if (endX(a) != endX(b)) return endX(a) < endX(b);
  if (endY(a) != endY(b)) return endY(a) < endY(b);
  return a < b;
}

// An unused edge end at (x, y), or -1.
int32_t unusedEndAt(int32_t x, int32_t y) {
  int32_t *first = regions.ends.data(),
          *last = regions.ends.data() + 2 * regions.edgeCount;
  int32_t *at = std::lower_bound(first, last, 0, [&](int32_t end, int32_t) {
    return endX(end) < x || (endX(end) == x && endY(end) < y);
  });
  for (; at != last && endX(*at) == x && endY(*at) == y; ++at)
    if (!regions.used[*at / 2]) return *at;
  return -1;
}

// Follows unused edges from edge `start` until none is left at the point
// reached, which is then the start again: every corner is the end of one
// horizontal edge (a row's positions are apart) and one vertical edge (a
// position leaves the spans only in a later row than it entered).
int32_t chainFrom(int32_t start) {
  regions.used[start] = 1;
  int32_t end = 2 * start;
  int32_t count = 0;
  do {
    int32_t *p =
        reserve(&regions.outline, 2 * static_cast<uint32_t>(count + 1));
    p[2 * count] = endX(end);
    p[2 * count + 1] = endY(end);
    ++count;
    end = unusedEndAt(endX(end ^ 1), endY(end ^ 1));
    if (end >= 0) regions.used[end / 2] = 1;
  } while (end >= 0);
  return count;
}

void writePolygon(int32_t count) {
  if (ClipInForce()) {
    ClipPathStart();
    for (int32_t i = 0; i < count; ++i)
      ClipPathPoint(static_cast<double>(ToPointsX(regions.outline[2 * i])),
                    static_cast<double>(ToPointsY(regions.outline[2 * i + 1])));
    if (ClipPathObject({Statement::kPolygon, 0, 3, false, -1.0f})) return;
  }
  OpenObject(Statement::kPolygon, 0, 3);
  V_Printf(outputFP, "\t<NumPoints %d>\n", count);
  for (int32_t i = 0; i < count; ++i)
    DumpPoint(static_cast<double>(ToPointsX(regions.outline[2 * i])),
              static_cast<double>(ToPointsY(regions.outline[2 * i + 1])));
  CloseObject();
}

void frameRegion(const unsigned char *bytes, int32_t length) {
  regions.edgeCount = 0;
  CollectEdges collector;
  walkRegion(bytes, length, &collector);
  if (regions.edgeCount == 0) return;
  const uint32_t endCount = 2 * static_cast<uint32_t>(regions.edgeCount);
  reserve(&regions.ends, endCount);
  for (uint32_t i = 0; i < endCount; ++i)
    regions.ends[i] = static_cast<int32_t>(i);
  std::sort(regions.ends.data(), regions.ends.data() + endCount, endBefore);
  std::memset(reserve(&regions.used, static_cast<uint32_t>(regions.edgeCount)),
              0, sizeof(int32_t) * static_cast<size_t>(regions.edgeCount));
  // Chain twice: count the polygons to know whether to group them.
  int32_t polygons = 0;
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) {
      std::memset(regions.used.data(), 0,
                  sizeof(int32_t) * static_cast<size_t>(regions.edgeCount));
      if (polygons > 1) BeginGroup();
    }
    for (int32_t e = 0; e < regions.edgeCount; ++e) {
      if (regions.used[e]) continue;
      int32_t count = chainFrom(e);
      if (count < 3) continue;
      if (pass == 0)
        ++polygons;
      else
        writePolygon(count);
    }
  }
  if (polygons > 1) EndGroup();
}

// Hands every band's spans on as rectangles.
struct ForwardRects : RegionSink {
  RegionRectSink add = nullptr;
  void *context = nullptr;
  void band(int32_t y0, int32_t y1) override {
    for (int32_t i = 0; i < regions.spanCount; i += 2)
      add(context, {regions.spanX[i], y0, regions.spanX[i + 1], y1});
  }
};

// Reads a region operand into the last region.
void readRegion() {
  uint16_t size = 0;
  ReadUShort(&size);
  int32_t length = size >= 2 ? size - 2 : 0;
  regions.last.Reserve(static_cast<uint32_t>(length) + 1);
  ReadString(regions.last.data(), length);
  regions.lastLength = length;
}

}  // namespace

void RememberRegion() { readRegion(); }

void WalkRegionRects(const unsigned char *bytes, int32_t length,
                     RegionRectSink add, void *context) {
#ifdef PICTTOTOV_FUZZ_BUILD
  regions.fuzzRegionBytes.Charge(length);
#endif
  // A plain rectangle is its box, also when an edge is at 32767, the
  // value that ends a row of positions.
  if (length == kBoxBytes) {
    const RegionRect box{GetShort(bytes + 2), GetShort(bytes),
                         GetShort(bytes + 6), GetShort(bytes + 4)};
    if (box.left < box.right && box.top < box.bottom) add(context, box);
    return;
  }
  ForwardRects forward;
  forward.add = add;
  forward.context = context;
  walkRegion(bytes, length, &forward);
}

void ResetRegions() { regions = Regions{}; }

void dumprgn(int penKind, int fillKind) {
  readRegion();
  dumpsamergn(penKind, fillKind);
}

// Inside a polygon comment bracket the bracket's own polygon stands for
// what is drawn there, so regions are left out as lines and polygons are.
void dumpsamergn(int penKind, int fillKind) {
  if (regions.lastLength < 0 || !ValidPen()) return;
  if (Path.PolyState != kPolyNormal) return;
#ifdef PICTTOTOV_FUZZ_BUILD
  regions.fuzzRegionBytes.Charge(regions.lastLength);
#endif
  if (penKind == 3)
    paintRegion(regions.last.data(), regions.lastLength, fillKind);
  else
    frameRegion(regions.last.data(), regions.lastLength);
}

// Under -full: the picture's clip region. ClipRgn (opcode 0x0001) sets it
// from its region, the area painting that region would cover; until the
// first one nothing is clipped. The clip is kept as the region's band
// rectangles in picture coordinates and placed like every object, origin
// added and scaled, in thousandths of a point. An object written while a
// clip is in force is measured against it first: one wholly inside is
// written as usual, one wholly outside is not written, and one the clip
// cuts is replaced by the objects of its visible part: its fill as
// polygons (a rectangle cut by rectangles stays a rectangle), its pen on
// the visible pieces of its outline as open paths, grouped when there are
// more than one.
#include "graphics/clip.h"

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include "base/conversion.h"
#include "base/messages.h"
#include "graphics/clip_paths.h"
#include "graphics/graphics.h"
#include "pict/pict.h"
#include "runtime/buffer.h"
#include "runtime/fuzz_budget.h"

namespace {

#ifdef PICTTOTOV_FUZZ_BUILD
// The work of clipping grows with the objects times the clip's
// rectangles, not with the input alone. The fuzz build gives up on a
// picture once it handed more points than this to the clipping library.
constexpr int64_t kFuzzClipPoints = int64_t{1} << 18;
#endif

// A box in thousandths of a point; a point on its edge is inside.
struct MilliBox {
  Milli left = 0;
  Milli top = 0;
  Milli right = 0;
  Milli bottom = 0;
};

struct ClipRecord {
  bool set = false;  // a ClipRgn was read
  // The clip as the region's band rectangles, top to bottom; none: nothing
  // is visible.
  std::vector<RegionRect> rects;
  // The rectangles placed with the origin and scale below, in thousandths
  // of a point, still top to bottom, and their bounds.
  bool placed = false;
  int16_t placedOriginX = 0;
  int16_t placedOriginY = 0;
  float placedScale = 0.0f;
  std::vector<MilliBox> boxes;
  MilliBox bounds;
  // The union of all the rectangles, made when an object first needs it.
  bool united = false;
  Paths outline;
  // The clip region's bytes after its size word.
  GrowableBuffer<unsigned char> region{FatalNoMemory};
  // The points of the path being given, x and y in TOV points.
  std::vector<double> points;
#ifdef PICTTOTOV_FUZZ_BUILD
  // The path and clip points the clipping of this picture hands over.
  FuzzBudget fuzzClipPoints{kFuzzClipPoints};
#endif
};
ClipRecord clip;

void addRect(void *, const RegionRect &rect) { clip.rects.push_back(rect); }

// Places the clip's rectangles for the current origin and scale; a
// rectangle that comes to no area at that scale is left out.
void placeClip() {
  if (clip.placed && clip.placedOriginX == Drawing.OriginX &&
      clip.placedOriginY == Drawing.OriginY &&
      clip.placedScale == Drawing.ScaleFactor)
    return;
  clip.boxes.clear();
  for (const RegionRect &rect : clip.rects) {
    MilliBox box{ToMilli(ToPointsX(rect.left)), ToMilli(ToPointsY(rect.top)),
                 ToMilli(ToPointsX(rect.right)),
                 ToMilli(ToPointsY(rect.bottom))};
    if (box.left >= box.right || box.top >= box.bottom) continue;
    if (clip.boxes.empty()) clip.bounds = box;
    clip.bounds.left = std::min(clip.bounds.left, box.left);
    clip.bounds.top = std::min(clip.bounds.top, box.top);
    clip.bounds.right = std::max(clip.bounds.right, box.right);
    clip.bounds.bottom = std::max(clip.bounds.bottom, box.bottom);
    clip.boxes.push_back(box);
  }
  clip.united = false;
  clip.placed = true;
  clip.placedOriginX = Drawing.OriginX;
  clip.placedOriginY = Drawing.OriginY;
  clip.placedScale = Drawing.ScaleFactor;
}

// An object that reaches less than this part of a complex clip's
// rectangles is cut against those alone.
constexpr size_t kNearPart = 4;

enum class Verdict { kInside, kOutside, kCrossing };

bool contains(const MilliBox &outer, const MilliBox &inner) {
  return outer.left <= inner.left && inner.right <= outer.right &&
         outer.top <= inner.top && inner.bottom <= outer.bottom;
}

// What the clip makes of an object in the box: inside when the box lies
// within one of the clip's rectangles, outside when it misses their
// bounds, else crossing, for the exact geometry to decide.
Verdict verdictOf(const MilliBox &box) {
  placeClip();
  const MilliBox &bounds = clip.bounds;
  if (clip.boxes.empty() || box.right < bounds.left ||
      box.left > bounds.right || box.bottom < bounds.top ||
      box.top > bounds.bottom)
    return Verdict::kOutside;
  // Only the band that begins last at or above the box's top can hold it.
  auto end = std::upper_bound(
      clip.boxes.begin(), clip.boxes.end(), box.top,
      [](Milli top, const MilliBox &rect) { return top < rect.top; });
  for (auto it = end; it != clip.boxes.begin();) {
    --it;
    if (it->top != (end - 1)->top) break;
    if (contains(*it, box)) return Verdict::kInside;
  }
  return Verdict::kCrossing;
}

Path rectPath(const MilliBox &rect) {
  return {{rect.left, rect.top},
          {rect.right, rect.top},
          {rect.right, rect.bottom},
          {rect.left, rect.bottom}};
}

// The union of the rectangles in `rects`; false when the library could not
// unite them.
bool unite(Paths rects, Paths *outline) {
#ifdef PICTTOTOV_FUZZ_BUILD
  clip.fuzzClipPoints.Charge(static_cast<int64_t>(4 * rects.size()));
#endif
  if (rects.size() < 2) {
    *outline = std::move(rects);
    return true;
  }
  return UniteRectangles(rects, outline);
}

// The clip's outline where it may meet the box. An object that reaches a
// small part of a complex clip is cut against the union of the rectangles
// it reaches, so that its work grows with that part; others against the
// union of them all, made once for the clip.
bool outlineNear(const MilliBox &box, Paths *outline) {
  // The bands are disjoint and in order: from the last that begins at or
  // above the box's top to the first that begins below its bottom.
  auto it = std::upper_bound(
      clip.boxes.begin(), clip.boxes.end(), box.top,
      [](Milli top, const MilliBox &rect) { return top < rect.top; });
  if (it != clip.boxes.begin()) {
    const Milli bandTop = (it - 1)->top;
    while (it != clip.boxes.begin() && (it - 1)->top == bandTop) --it;
  }
  Paths rects;
  for (; it != clip.boxes.end() && it->top <= box.bottom; ++it) {
    if (it->bottom < box.top || it->right < box.left || it->left > box.right)
      continue;
    rects.push_back(rectPath(*it));
  }
  if (rects.size() * kNearPart < clip.boxes.size())
    return unite(std::move(rects), outline);
  if (!clip.united) {
    Paths all;
    for (const MilliBox &rect : clip.boxes) all.push_back(rectPath(rect));
    if (!unite(std::move(all), &clip.outline)) return false;
    clip.united = true;
  }
  *outline = clip.outline;
  return true;
}

MilliBox boundsOf(const Path &path) {
  MilliBox box{path.front().X, path.front().Y, path.front().X, path.front().Y};
  for (const IntPoint &p : path) {
    box.left = std::min(box.left, p.X);
    box.right = std::max(box.right, p.X);
    box.top = std::min(box.top, p.Y);
    box.bottom = std::max(box.bottom, p.Y);
  }
  return box;
}

// A shape's box, whichever way round its corners are.
MilliBox boxOf(const ShapeMemory &shape) {
  const Milli x1 = ToMilli(shape.fx1), x2 = ToMilli(shape.fx2);
  const Milli y1 = ToMilli(shape.fy1), y2 = ToMilli(shape.fy2);
  return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2),
          std::max(y1, y2)};
}

// One object as the clip sees it: the area its fill covers (a closed
// path) and the line its pen draws (an open path; a closed outline comes
// back to its first point).
struct Subject {
  Statement statement;
  int penKind;
  int fillKind;
  float ownWidth;
  bool hasFill;
  bool hasOutline;
  Path ring;
  Path outline;
};

// What an object draws: its fill unless it has none, its outline when the
// pen draws or when there is nothing else.
Subject subjectOf(Statement statement, int penKind, int fillKind,
                  float ownWidth) {
  Subject subject{statement, penKind, fillKind, ownWidth, false, false, {}, {}};
  subject.hasFill = fillKind != 3;
  subject.hasOutline =
      (penKind != 3 && GetPenWidth() != 0.0f) || !subject.hasFill;
  return subject;
}

// A closed shape's outline goes round its ring and back to the start.
void closeOutline(Subject *subject) {
  if (!subject->hasOutline || subject->ring.empty()) return;
  subject->outline = subject->ring;
  subject->outline.push_back(subject->ring.front());
}

void printPoints(const Path &path) {
  V_Printf(outputFP, "\t<NumPoints %d>\n", static_cast<int>(path.size()));
  for (const IntPoint &p : path) DumpPoint(FromMilli(p.X), FromMilli(p.Y));
}

// A visible part of the fill: a rectangle of a Rectangle stays one, any
// other part is a Polygon without a pen.
void writeFillPiece(const Subject &subject, const Path &piece) {
  Milli left = 0, top = 0, right = 0, bottom = 0;
  if (subject.statement == Statement::kRectangle &&
      IsAxisRectangle(piece, &left, &top, &right, &bottom)) {
    OpenObject(Statement::kRectangle, 3, subject.fillKind);
    V_Printf(outputFP, "\t<BRect %.3f %.3f %.3f %.3f>\n", FromMilli(left),
             FromMilli(top), FromMilli(right - left), FromMilli(bottom - top));
    CloseObject();
    return;
  }
  OpenObject(Statement::kPolygon, 3, subject.fillKind);
  printPoints(piece);
  CloseObject();
}

// A visible piece of the outline: an open PolyLine with the object's pen.
void writeOutlinePiece(const Subject &subject, const Path &piece) {
  OpenObject(Statement::kPolyLine, subject.penKind, 3);
  if (subject.ownWidth >= 0.0f)
    V_Printf(outputFP, "\t<PenWidth %.3f>\n",
             static_cast<double>(ThinLineWidth(subject.ownWidth)));
  printPoints(piece);
  CloseObject();
}

// Whether the object has no part outside the clip; false also when the
// library could not tell, and the object is then written as usual.
bool wholeInside(const Subject &subject, const Paths &clipOutline,
                 bool *inside) {
  if (subject.hasFill) return ClosedInside(subject.ring, clipOutline, inside);
  return OpenInside(subject.outline, clipOutline, inside);
}

// Clips an object whose exact geometry is in `subject`: true when it was
// hidden or cut (and its visible part written), false when it is to be
// written as usual.
bool clipSubject(Subject *subject) {
  // A fill that covers no area draws nothing.
  if (subject->hasFill &&
      (subject->ring.size() < 3 || ClipperLib::Area(subject->ring) == 0.0))
    subject->hasFill = false;
  if (!subject->hasFill && !subject->hasOutline) return true;
  const Path &main = subject->hasFill ? subject->ring : subject->outline;
  if (main.empty()) return true;
  const MilliBox box = boundsOf(main);
  const Verdict verdict = verdictOf(box);
  if (verdict != Verdict::kCrossing) return verdict == Verdict::kOutside;
  Paths clipOutline;
  if (!outlineNear(box, &clipOutline)) return false;
#ifdef PICTTOTOV_FUZZ_BUILD
  size_t points = subject->ring.size() + subject->outline.size();
  for (const Path &path : clipOutline) points += path.size();
  clip.fuzzClipPoints.Charge(static_cast<int64_t>(points));
#endif
  // Within a single rectangle the box decides; within a union of them a
  // box that crosses may still hold an object wholly inside, if it lies
  // within their bounds.
  if (clip.boxes.size() > 1 && contains(clip.bounds, box)) {
    bool inside = false;
    if (!wholeInside(*subject, clipOutline, &inside)) return false;
    if (inside) return false;
  }
  Paths fills, outlines;
  if (subject->hasFill && !IntersectClosed(subject->ring, clipOutline, &fills))
    return false;
  if (subject->hasOutline &&
      !IntersectOpen(subject->outline, clipOutline, &outlines))
    return false;
  const size_t pieces = fills.size() + outlines.size();
  if (pieces > 1) BeginGroup();
  for (const Path &piece : fills) writeFillPiece(*subject, piece);
  for (const Path &piece : outlines) writeOutlinePiece(*subject, piece);
  if (pieces > 1) EndGroup();
  return true;
}

// The clipping library reports a failure to get memory by throwing; the
// run ends as on any other failure to get memory.
template <typename Work>
bool withoutMemoryEndingTheRun(Work work) {
  try {
    return work();
  } catch (const std::bad_alloc &) {
    FatalNoMemory();
  }
}

// The ring of a rounded rectangle: quarter ellipses at the corners, whose
// radii are half the corner size, each at most half the box (as an SVG
// rectangle takes them), joined by the straight edges.
void roundRectRing(const MilliBox &box, Path *ring) {
  float size = 0.0f;
  GetOvalSize(&size);
  const double left = FromMilli(box.left), top = FromMilli(box.top);
  const double right = FromMilli(box.right), bottom = FromMilli(box.bottom);
  const double corner = static_cast<double>(size) / 2.0;
  const double rx = std::min(corner, (right - left) / 2.0);
  const double ry = std::min(corner, (bottom - top) / 2.0);
  if (!(rx > 0.0 && ry > 0.0)) {
    *ring = rectPath(box);
    return;
  }
  AppendEllipseArc(ring, left + rx, top + ry, rx, ry, 270.0, 90.0, true);
  AppendEllipseArc(ring, right - rx, top + ry, rx, ry, 0.0, 90.0, true);
  AppendEllipseArc(ring, right - rx, bottom - ry, rx, ry, 90.0, 90.0, true);
  AppendEllipseArc(ring, left + rx, bottom - ry, rx, ry, 180.0, 90.0, true);
}

void ellipseRing(const MilliBox &box, Path *ring) {
  const double left = FromMilli(box.left), top = FromMilli(box.top);
  const double right = FromMilli(box.right), bottom = FromMilli(box.bottom);
  const double rx = (right - left) / 2.0, ry = (bottom - top) / 2.0;
  AppendEllipseArc(ring, left + rx, top + ry, rx, ry, 0.0, 360.0, false);
}

// The points of a smoothed path, anchor, control, control, anchor, ...:
// a cubic curve for each three points after the first. A path that is
// not of that form is drawn straight.
void pathRing(bool smoothed, Path *ring) {
  const std::vector<double> &p = clip.points;
  const size_t count = p.size() / 2;
  if (!smoothed || count < 4 || (count - 1) % 3 != 0) {
    for (size_t i = 0; i < count; ++i)
      ring->push_back({ToMilli(p[2 * i]), ToMilli(p[2 * i + 1])});
    return;
  }
  ring->push_back({ToMilli(p[0]), ToMilli(p[1])});
  for (size_t i = 0; i + 3 < count; i += 3)
    AppendCubic(ring, &p[2 * i], &p[2 * i + 2], &p[2 * i + 4], &p[2 * i + 6]);
}

}  // namespace

const bool &ClipRegionSet = clip.set;

void op_ClipRgn() {
  uint16_t size = 0;
  ReadUShort(&size);
  const int32_t length = size >= 2 ? size - 2 : 0;
  clip.region.Reserve(static_cast<uint32_t>(length) + 1);
  ReadString(clip.region.data(), length);
  withoutMemoryEndingTheRun([length] {
    clip.rects.clear();
    WalkRegionRects(clip.region.data(), length, addRect, nullptr);
    return true;
  });
  clip.set = true;
  clip.placed = false;
}

void ResetClip() { clip = ClipRecord{}; }

bool ClipBoxObject(Statement statement, const ShapeMemory &box, int penKind,
                   int fillKind) {
  const MilliBox bounds = boxOf(box);
  const Verdict verdict = verdictOf(bounds);
  if (verdict != Verdict::kCrossing) return verdict == Verdict::kOutside;
  return withoutMemoryEndingTheRun([&] {
    Subject subject = subjectOf(statement, penKind, fillKind, -1.0f);
    if (statement == Statement::kEllipse)
      ellipseRing(bounds, &subject.ring);
    else if (statement == Statement::kRoundRect)
      roundRectRing(bounds, &subject.ring);
    else
      subject.ring = rectPath(bounds);
    closeOutline(&subject);
    return clipSubject(&subject);
  });
}

// An arc's sweep beyond a whole turn draws the whole turn; a filled arc is
// the wedge from the centre, its outline the curve alone.
bool ClipArcObject(const ShapeMemory &box, int16_t startAngle, int16_t arcAngle,
                   int penKind, int fillKind) {
  const MilliBox bounds = boxOf(box);
  const Verdict verdict = verdictOf(bounds);
  if (verdict != Verdict::kCrossing) return verdict == Verdict::kOutside;
  const int sweep = std::max(-360, std::min(360, int{arcAngle}));
  if (sweep == 0) return true;
  return withoutMemoryEndingTheRun([&] {
    Subject subject = subjectOf(Statement::kArc, penKind, fillKind, -1.0f);
    const double left = FromMilli(bounds.left), top = FromMilli(bounds.top);
    const double rx = (FromMilli(bounds.right) - left) / 2.0;
    const double ry = (FromMilli(bounds.bottom) - top) / 2.0;
    Path curve;
    AppendEllipseArc(&curve, left + rx, top + ry, rx, ry, startAngle, sweep,
                     true);
    if (subject.hasFill) {
      if (sweep != 360 && sweep != -360)
        subject.ring.push_back({ToMilli(left + rx), ToMilli(top + ry)});
      subject.ring.insert(subject.ring.end(), curve.begin(), curve.end());
    }
    if (subject.hasOutline) subject.outline = curve;
    return clipSubject(&subject);
  });
}

void ClipPathStart() { clip.points.clear(); }

void ClipPathPoint(double x, double y) {
  withoutMemoryEndingTheRun([&] {
    clip.points.push_back(x);
    clip.points.push_back(y);
    return true;
  });
}

// A smoothed path lies within its control points, so their box settles
// the paths wholly inside or outside before the curve is flattened.
bool ClipPathObject(const PathObject &object) {
  const std::vector<double> &p = clip.points;
  if (p.empty()) return false;
  MilliBox box{ToMilli(p[0]), ToMilli(p[1]), ToMilli(p[0]), ToMilli(p[1])};
  for (size_t i = 0; i < p.size(); i += 2) {
    const Milli x = ToMilli(p[i]), y = ToMilli(p[i + 1]);
    box.left = std::min(box.left, x);
    box.right = std::max(box.right, x);
    box.top = std::min(box.top, y);
    box.bottom = std::max(box.bottom, y);
  }
  const Verdict verdict = verdictOf(box);
  if (verdict != Verdict::kCrossing) return verdict == Verdict::kOutside;
  return withoutMemoryEndingTheRun([&] {
    Subject subject = subjectOf(object.statement, object.penKind,
                                object.fillKind, object.ownWidth);
    pathRing(object.smoothed, &subject.ring);
    if (object.statement == Statement::kPolygon)
      closeOutline(&subject);
    else if (subject.hasOutline)
      subject.outline = subject.ring;
    return clipSubject(&subject);
  });
}

bool ClipShowsPoint(float x, float y) {
  if (!clip.set) return true;
  const Milli mx = ToMilli(x), my = ToMilli(y);
  return verdictOf({mx, my, mx, my}) == Verdict::kInside;
}

ClipBounds CurrentClipBounds() {
  ClipBounds bounds;
  if (!clip.set) return bounds;
  placeClip();
  bounds.clipped = true;
  bounds.empty = clip.boxes.empty();
  if (bounds.empty) return bounds;
  bounds.left = FromMilli(clip.bounds.left);
  bounds.top = FromMilli(clip.bounds.top);
  bounds.right = FromMilli(clip.bounds.right);
  bounds.bottom = FromMilli(clip.bounds.bottom);
  return bounds;
}

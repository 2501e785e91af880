// Under -full: the geometry of clipping. Curves are flattened into integer
// paths in thousandths of a point, and the Clipper library intersects them
// with the clip; its results become pieces a TOV object can carry: open
// pieces joined where the library split them, polygons without holes.
#include "graphics/clip_paths.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace {

using ClipperLib::Clipper;
using ClipperLib::PolyNode;
using ClipperLib::PolyTree;

constexpr double kPi = 3.14159265358979323846;
constexpr double kMilliPerPoint = 1000.0;
// Segments of a whole turn of an ellipse: enough for the flatness up to a
// radius of 34,000 points, a multiple of 4 so that quarter turns, as the
// corners of a rounded rectangle, take whole segments.
constexpr int kFewestSegmentsPerTurn = 8;
constexpr int kMostSegmentsPerTurn = 4096;
// Segments of one cubic curve: enough for the flatness while its second
// differences stay below 14,000 points.
constexpr int kMostCubicSegments = 1024;
// Cuts that may be spent taking the holes out of one object's visible
// part; past them the holes left are filled.
constexpr int kMostHoleCuts = 256;

// The segments of a whole turn whose chords stay within the flatness of a
// circle of `radius`: a chord over the angle a strays r (1 - cos(a / 2)).
int segmentsPerTurn(double radius) {
  if (!(radius > kFlatness)) return kFewestSegmentsPerTurn;
  const double segments = std::ceil(kPi / std::acos(1.0 - kFlatness / radius));
  if (segments >= kMostSegmentsPerTurn) return kMostSegmentsPerTurn;
  const int count = static_cast<int>(segments);
  if (count <= kFewestSegmentsPerTurn) return kFewestSegmentsPerTurn;
  return (count + 3) / 4 * 4;
}

double length(double dx, double dy) { return std::sqrt(dx * dx + dy * dy); }

IntPoint milliPoint(double x, double y) { return {ToMilli(x), ToMilli(y)}; }

// ---------------------------------------------------------------------------
// Open pieces
// ---------------------------------------------------------------------------

// An end of a piece: its point, which piece, and whether it is the last
// point of the piece.
struct PieceEnd {
  IntPoint at;
  size_t piece;
  bool last;
};

bool endBefore(const PieceEnd &a, const PieceEnd &b) {
  if (a.at.X != b.at.X) return a.at.X < b.at.X;
  if (a.at.Y != b.at.Y) return a.at.Y < b.at.Y;
  if (a.piece != b.piece) return a.piece < b.piece;
  return a.last < b.last;
}

// The library splits an open path wherever its sweep meets a turn of the
// path, and may return pieces reversed. Pieces that meet end to end are
// chained again, in the order the library returned them; the chain runs
// on from its last point, then back from its first.
class PieceChainer {
 public:
  explicit PieceChainer(const Paths &raw) : raw_(raw), used_(raw.size()) {
    for (size_t i = 0; i < raw.size(); ++i) {
      ends_.push_back({raw[i].front(), i, false});
      ends_.push_back({raw[i].back(), i, true});
    }
    std::sort(ends_.begin(), ends_.end(), endBefore);
  }

  void Chain(Paths *pieces) {
    for (size_t i = 0; i < raw_.size(); ++i) {
      if (used_[i]) continue;
      used_[i] = true;
      Path chain = raw_[i];
      extendForward(&chain);
      extendBackward(&chain);
      pieces->push_back(std::move(chain));
    }
  }

 private:
  // An unused piece with an end at `at`, marked used; null when none.
  const PieceEnd *take(const IntPoint &at) {
    const PieceEnd probe{at, 0, false};
    auto it = std::lower_bound(ends_.begin(), ends_.end(), probe, endBefore);
    for (; it != ends_.end() && it->at == at; ++it) {
      if (used_[it->piece]) continue;
      used_[it->piece] = true;
      return &*it;
    }
    return nullptr;
  }

  void extendForward(Path *chain) {
    while (const PieceEnd *end = take(chain->back())) {
      const Path &next = raw_[end->piece];
      if (end->last)
        chain->insert(chain->end(), next.rbegin() + 1, next.rend());
      else
        chain->insert(chain->end(), next.begin() + 1, next.end());
    }
  }

  // Points before the chain are gathered nearest first, then put in front.
  void extendBackward(Path *chain) {
    Path before;
    IntPoint front = chain->front();
    while (const PieceEnd *end = take(front)) {
      const Path &previous = raw_[end->piece];
      if (end->last) {
        before.insert(before.end(), previous.rbegin() + 1, previous.rend());
        front = previous.front();
      } else {
        before.insert(before.end(), previous.begin() + 1, previous.end());
        front = previous.back();
      }
    }
    if (before.empty()) return;
    chain->insert(chain->begin(), before.rbegin(), before.rend());
  }

  const Paths &raw_;
  std::vector<bool> used_;
  std::vector<PieceEnd> ends_;
};

// ---------------------------------------------------------------------------
// Closed pieces
// ---------------------------------------------------------------------------

void bounds(const Path &path, Milli *left, Milli *top, Milli *right,
            Milli *bottom) {
  *left = *right = path.front().X;
  *top = *bottom = path.front().Y;
  for (const IntPoint &p : path) {
    *left = std::min(*left, p.X);
    *right = std::max(*right, p.X);
    *top = std::min(*top, p.Y);
    *bottom = std::max(*bottom, p.Y);
  }
}

bool addWithoutHoles(const PolyNode &outer, Paths *pieces, int *cutsLeft);

// The outer polygons among a node's children (the tree's, or a hole's:
// the islands inside it), each without its holes.
bool collectOuters(const PolyNode &parent, Paths *pieces, int *cutsLeft) {
  for (const PolyNode *outer : parent.Childs) {
    if (!addWithoutHoles(*outer, pieces, cutsLeft)) return false;
    for (const PolyNode *hole : outer->Childs)
      if (!collectOuters(*hole, pieces, cutsLeft)) return false;
  }
  return true;
}

// A polygon with holes is cut in two by a vertical line through the
// inside of one hole, which then opens onto the cut on both sides; each
// half is taken again until no hole is left. A hole less than two
// thousandths wide is filled, as is every hole once the cuts are spent.
bool addWithoutHoles(const PolyNode &outer, Paths *pieces, int *cutsLeft) {
  Milli cut = 0;
  bool found = false;
  for (const PolyNode *hole : outer.Childs) {
    Milli left = 0, top = 0, right = 0, bottom = 0;
    bounds(hole->Contour, &left, &top, &right, &bottom);
    if (right - left >= 2) {
      cut = left + (right - left) / 2;
      found = true;
      break;
    }
  }
  if (!found || *cutsLeft <= 0) {
    pieces->push_back(outer.Contour);
    return true;
  }
  --*cutsLeft;
  Paths shape{outer.Contour};
  for (const PolyNode *hole : outer.Childs) shape.push_back(hole->Contour);
  Milli left = 0, top = 0, right = 0, bottom = 0;
  bounds(outer.Contour, &left, &top, &right, &bottom);
  const Path halves[] = {
      {{left, top}, {cut, top}, {cut, bottom}, {left, bottom}},
      {{cut, top}, {right, top}, {right, bottom}, {cut, bottom}}};
  for (const Path &half : halves) {
    Clipper clipper;
    clipper.AddPaths(shape, ClipperLib::ptSubject, true);
    clipper.AddPath(half, ClipperLib::ptClip, true);
    PolyTree tree;
    if (!clipper.Execute(ClipperLib::ctIntersection, tree,
                         ClipperLib::pftNonZero, ClipperLib::pftNonZero))
      return false;
    for (const PolyNode *part : tree.Childs)
      if (!addWithoutHoles(*part, pieces, cutsLeft)) return false;
  }
  return true;
}

}  // namespace

Milli ToMilli(double points) {
  return static_cast<Milli>(std::nearbyint(points * kMilliPerPoint));
}

double FromMilli(Milli value) {
  return static_cast<double>(value) / kMilliPerPoint;
}

void AppendEllipseArc(Path *path, double cx, double cy, double rx, double ry,
                      double start, double sweep, bool withStart) {
  const double turns = std::fabs(sweep) / 360.0;
  int segments =
      static_cast<int>(std::ceil(segmentsPerTurn(std::max(rx, ry)) * turns));
  if (segments < 1) segments = 1;
  for (int i = withStart ? 0 : 1; i <= segments; ++i) {
    const double degrees =
        start + sweep * static_cast<double>(i) / static_cast<double>(segments);
    const double radians = degrees * kPi / 180.0;
    path->push_back(
        milliPoint(cx + rx * std::sin(radians), cy - ry * std::cos(radians)));
  }
}

// A uniform polyline of n segments strays from a curve at most an eighth
// of its greatest second derivative over n squared; a cubic's is at most
// six times the larger of its control polygon's second differences.
void AppendCubic(Path *path, const double *p0, const double *p1,
                 const double *p2, const double *p3) {
  const double bend = std::max(
      length(p0[0] - 2.0 * p1[0] + p2[0], p0[1] - 2.0 * p1[1] + p2[1]),
      length(p1[0] - 2.0 * p2[0] + p3[0], p1[1] - 2.0 * p2[1] + p3[1]));
  const double wanted = std::ceil(std::sqrt(0.75 * bend / kFlatness));
  int segments = kMostCubicSegments;
  if (wanted < kMostCubicSegments) segments = static_cast<int>(wanted);
  if (segments < 1) segments = 1;
  for (int i = 1; i <= segments; ++i) {
    const double t = static_cast<double>(i) / static_cast<double>(segments);
    const double u = 1.0 - t;
    const double b0 = u * u * u, b1 = 3.0 * u * u * t, b2 = 3.0 * u * t * t,
                 b3 = t * t * t;
    path->push_back(
        milliPoint(b0 * p0[0] + b1 * p1[0] + b2 * p2[0] + b3 * p3[0],
                   b0 * p0[1] + b1 * p1[1] + b2 * p2[1] + b3 * p3[1]));
  }
}

bool ClosedInside(const Path &ring, const Paths &clip, bool *inside) {
  Clipper clipper;
  clipper.AddPath(ring, ClipperLib::ptSubject, true);
  clipper.AddPaths(clip, ClipperLib::ptClip, true);
  Paths outside;
  if (!clipper.Execute(ClipperLib::ctDifference, outside,
                       ClipperLib::pftEvenOdd, ClipperLib::pftNonZero))
    return false;
  *inside = outside.empty();
  return true;
}

bool OpenInside(const Path &line, const Paths &clip, bool *inside) {
  Clipper clipper;
  clipper.AddPath(line, ClipperLib::ptSubject, false);
  clipper.AddPaths(clip, ClipperLib::ptClip, true);
  PolyTree tree;
  if (!clipper.Execute(ClipperLib::ctDifference, tree, ClipperLib::pftNonZero,
                       ClipperLib::pftNonZero))
    return false;
  Paths outside;
  ClipperLib::OpenPathsFromPolyTree(tree, outside);
  *inside = outside.empty();
  return true;
}

bool IntersectClosed(const Path &ring, const Paths &clip, Paths *pieces) {
  pieces->clear();
  Clipper clipper;
  clipper.AddPath(ring, ClipperLib::ptSubject, true);
  clipper.AddPaths(clip, ClipperLib::ptClip, true);
  PolyTree tree;
  if (!clipper.Execute(ClipperLib::ctIntersection, tree, ClipperLib::pftEvenOdd,
                       ClipperLib::pftNonZero))
    return false;
  int cutsLeft = kMostHoleCuts;
  return collectOuters(tree, pieces, &cutsLeft);
}

bool IntersectOpen(const Path &line, const Paths &clip, Paths *pieces) {
  pieces->clear();
  Clipper clipper;
  clipper.AddPath(line, ClipperLib::ptSubject, false);
  clipper.AddPaths(clip, ClipperLib::ptClip, true);
  PolyTree tree;
  if (!clipper.Execute(ClipperLib::ctIntersection, tree, ClipperLib::pftNonZero,
                       ClipperLib::pftNonZero))
    return false;
  Paths raw;
  ClipperLib::OpenPathsFromPolyTree(tree, raw);
  PieceChainer(raw).Chain(pieces);
  return true;
}

bool UniteRectangles(const Paths &rects, Paths *outline) {
  outline->clear();
  Clipper clipper;
  clipper.AddPaths(rects, ClipperLib::ptSubject, true);
  return clipper.Execute(ClipperLib::ctUnion, *outline, ClipperLib::pftNonZero,
                         ClipperLib::pftNonZero);
}

bool IsAxisRectangle(const Path &path, Milli *left, Milli *top, Milli *right,
                     Milli *bottom) {
  if (path.size() != 4) return false;
  bounds(path, left, top, right, bottom);
  if (*left == *right || *top == *bottom) return false;
  unsigned corners = 0;
  for (const IntPoint &p : path) {
    if ((p.X != *left && p.X != *right) || (p.Y != *top && p.Y != *bottom))
      return false;
    corners |= 1u << ((p.X == *right ? 1 : 0) + (p.Y == *bottom ? 2 : 0));
  }
  return corners == 0xFu;
}

// Private to the graphics subsystem: the geometry of clipping. Coordinates
// are integers in thousandths of a point, the unit in which every TOV
// coordinate is written, so that the Clipper library's integer arithmetic
// decides every cut exactly and the same picture gives the same bytes on
// every compiler. Curves are flattened into such paths; the library's
// results are turned into pieces a TOV object can carry.
#ifndef PICTTOTOV_GRAPHICS_CLIP_PATHS_H
#define PICTTOTOV_GRAPHICS_CLIP_PATHS_H

#include <polyclipping/clipper.hpp>

using Milli = ClipperLib::cInt;
using ClipperLib::IntPoint;
using ClipperLib::Path;
using ClipperLib::Paths;

// A value in points to thousandths, rounded as "%.3f" rounds it (to
// nearest, ties to even): a single-precision value times 1000 is exact in
// double precision, so a point that is not cut prints as it always did.
Milli ToMilli(double points);
// The value written with "%.3f" for a coordinate in thousandths.
double FromMilli(Milli value);

// How far a flattened curve may stray from the true one: the chords of
// arcs and curves stay within this many points of them (for radii up to
// 34,000 points, where the segments per turn reach their most).
constexpr double kFlatness = 0.01;

// Appends the points of an elliptical arc about (cx, cy) with radii rx, ry,
// from `start` over `sweep` degrees, measured clockwise from twelve
// o'clock so that 45 degrees points at the corner of the ellipse's box (the
// Arc statement's angles); `withStart` adds its first point too.
void AppendEllipseArc(Path *path, double cx, double cy, double rx, double ry,
                      double start, double sweep, bool withStart);
// Appends a cubic curve from p0 (already on the path) through the controls
// p1, p2 to p3, coordinates as x, y pairs.
void AppendCubic(Path *path, const double *p0, const double *p1,
                 const double *p2, const double *p3);

// The operations on a subject against the clip's paths (their union, by
// the non-zero rule). A closed subject is filled by the even-odd rule, as
// QuickDraw fills a polygon. Each returns false when the library could not
// complete the operation.

// Whether the subject has no part outside the clip.
bool ClosedInside(const Path &ring, const Paths &clip, bool *inside);
bool OpenInside(const Path &line, const Paths &clip, bool *inside);
// The visible parts of a closed subject as polygons without holes: a part
// with holes is cut in two through a hole until none is left, as a TOV
// polygon has one outline.
bool IntersectClosed(const Path &ring, const Paths &clip, Paths *pieces);
// The visible pieces of an open path; pieces the library returns apart
// that meet end to end are joined again.
bool IntersectOpen(const Path &line, const Paths &clip, Paths *pieces);

// The outline of a union of rectangles: outer polygons and holes, as the
// non-zero rule takes them.
bool UniteRectangles(const Paths &rects, Paths *outline);

// Whether a polygon is an axis-aligned rectangle; its corners if so.
bool IsAxisRectangle(const Path &path, Milli *left, Milli *top, Milli *right,
                     Milli *bottom);

#endif  // PICTTOTOV_GRAPHICS_CLIP_PATHS_H

// Private to the graphics subsystem: under -full, the picture's clip region
// and what the shape, line, polygon and region writers ask of it before
// they write an object.
#ifndef PICTTOTOV_GRAPHICS_CLIP_H
#define PICTTOTOV_GRAPHICS_CLIP_H

#include <cstdint>

#include "graphics/shapes.h"
#include "graphics/state.h"

// Set by the first ClipRgn (a -full slot) for the rest of the run; until
// then nothing is clipped and the writers take their usual path at the
// cost of this one test.
extern const bool &ClipRegionSet;
inline bool ClipInForce() { return ClipRegionSet; }

// Each Clip...Object call, made only while a clip is in force, returns
// false when the object lies wholly inside the clip and is to be written
// exactly as usual; true when the clip took it over: it was hidden, or the
// objects of its visible part were written in its place.

// A Rectangle, RoundRect (corner size from the oval size) or Ellipse in
// the shape's box.
bool ClipBoxObject(Statement statement, const ShapeMemory &box, int penKind,
                   int fillKind);
// An Arc (a wedge when filled) in the shape's box, with the angles the Arc
// statement carries.
bool ClipArcObject(const ShapeMemory &box, int16_t startAngle, int16_t arcAngle,
                   int penKind, int fillKind);

// A PolyLine (open) or Polygon (closed): ClipPathStart, then every point in
// TOV points as the object would write it (a smoothed path's anchors and
// controls), then ClipPathObject.
struct PathObject {
  Statement statement;  // kPolyLine or kPolygon
  int penKind;
  int fillKind;
  bool smoothed;   // the points are anchor, control, control, anchor, ...
  float ownWidth;  // a slanted line's own pen width, or negative for none
};
void ClipPathStart();
void ClipPathPoint(double x, double y);
bool ClipPathObject(const PathObject &object);

// A rectangle of a region's bands, in picture coordinates.
struct RegionRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};
// Walks a region's bytes (box and rows, after the size word) as a painted
// region would be: every span of every band of equal rows, top to bottom
// and left to right within a band, goes to `add`. Bad rows end the region
// where it was last sound; nothing is read beyond `length`.
using RegionRectSink = void (*)(void *context, const RegionRect &rect);
void WalkRegionRects(const unsigned char *bytes, int32_t length,
                     RegionRectSink add, void *context);

#endif  // PICTTOTOV_GRAPHICS_CLIP_H

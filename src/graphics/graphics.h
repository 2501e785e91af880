// The drawing state, groups and the shape writers.
#ifndef PICTTOTOV_GRAPHICS_GRAPHICS_H
#define PICTTOTOV_GRAPHICS_GRAPHICS_H

#include <cstdint>

// The part of the drawing state the text and image writers read: where an
// object goes (picture coordinate plus origin, times the scale), the pen's
// separation and the group an object belongs to. Only the graphics
// subsystem changes it.
struct DrawingView {
  int16_t OriginX = 0;
  int16_t OriginY = 0;
  float ScaleFactor = 1.0f;
  int32_t PenSep = 0;
  int16_t GroupID = 0;  // nesting level of the open groups; 0 outside
};
extern const DrawingView &Drawing;

// State opcode handlers.
void op_BkPat();
void op_PnSize();
void op_PnMode();
void op_PnPat();
void op_FillPat();
void op_OvSize();
void op_Origin();
void op_FgColor();
void op_BkColor();
void op_BkPixPat();
void op_PnPixPat();
void op_FillPixPat();
void op_RGBFgCol();
void op_RGBBkCol();

// Line handlers.
void op_Line();
void op_LineFrom();
void op_ShortLine();
void op_ShortLineFrom();

// Shape handlers: frame, paint, erase and fill of each shape.
void op_frameRect();
void op_paintRect();
void op_eraseRect();
void op_fillRect();
void op_frameSameRect();
void op_paintSameRect();
void op_eraseSameRect();
void op_fillSameRect();
void op_frameRRect();
void op_paintRRect();
void op_eraseRRect();
void op_fillRRect();
void op_frameSameRRect();
void op_paintSameRRect();
void op_eraseSameRRect();
void op_fillSameRRect();
void op_frameOval();
void op_paintOval();
void op_eraseOval();
void op_fillOval();
void op_frameSameOval();
void op_paintSameOval();
void op_eraseSameOval();
void op_fillSameOval();
void op_frameArc();
void op_paintArc();
void op_eraseArc();
void op_fillArc();
void op_frameSameArc();
void op_paintSameArc();
void op_eraseSameArc();
void op_fillSameArc();
void op_framePoly();
void op_paintPoly();
void op_erasePoly();
void op_fillPoly();
void op_frameSamePoly();
void op_paintSamePoly();
void op_eraseSamePoly();
void op_fillSamePoly();

// Drawing state: the run sets the state a picture starts with, then the
// options that change it; the text writers scale by it and move its
// current point.
void Initstateops();
void SetThinLines();
void SetScalingFactor(double s);
float ScaleHeight(int32_t n);
void ScaleDelta(float *dx, float *dy);
void moveto(int16_t x, int16_t y);
void GetCurrentPos(int16_t *x, int16_t *y);

// Polygon comments.
void BeginPoly();
void EndPoly();
void IgnorePoly();
void ClosePoly();
void SmoothPoly(int flags);

// Under -full: regions, and the coordinate space of an extended version 2
// header.
struct Rect;
// `data` is the header opcode's 24 bytes; only version -2 changes anything.
void MapExtendedHeader(const unsigned char *data, const Rect &frame);
// Paint, erase or fill (pen 3) or frame (pen 0, fill 3) of the region that
// follows in the picture, or of the last one for the Same variants.
void dumprgn(int penKind, int fillKind);
void dumpsamergn(int penKind, int fillKind);
// Reads a region and keeps it as the last one, drawing nothing (invert).
void RememberRegion();

// Under -full: the clip. ClipRgn sets it from its region; from then on
// every object is cut to it (graphics/clip.cpp). The text and image
// writers, which can't cut their objects, ask these.
void op_ClipRgn();
// False while a clip is in force and the point, in TOV points, lies
// outside it (a point on its edge is inside).
bool ClipShowsPoint(float x, float y);
// The clip's bounding box in TOV points: `clipped` while a clip is in
// force, `empty` when nothing is visible through it.
struct ClipBounds {
  bool clipped = false;
  bool empty = false;
  double left = 0.0;
  double top = 0.0;
  double right = 0.0;
  double bottom = 0.0;
};
ClipBounds CurrentClipBounds();

// Groups.
void BeginGroup();
void EndGroup();
void IncrementGroupCount();

// Back to the process-start state, for a process that converts more than
// one picture: a fresh drawing state, no open group, no remembered shape,
// path, polygon or region.
void ResetGraphics();

#endif  // PICTTOTOV_GRAPHICS_GRAPHICS_H

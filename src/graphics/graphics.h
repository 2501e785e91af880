// The drawing state, groups and the shape writers.
#ifndef PICTTOTOV_GRAPHICS_GRAPHICS_H
#define PICTTOTOV_GRAPHICS_GRAPHICS_H

#include <cstdint>

// Drawing state read by the text and image writers.
extern int16_t OriginX;
extern int16_t OriginY;
extern float ScaleFactor;
extern int32_t PenSep;
extern int16_t GroupID;    // nesting level of the open groups; 0 outside
extern int32_t ThinLines;  // 1: pens below 1.5 points written at half width

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

// Drawing state.
void Initstateops();
void SetThinLines();
void SetScalingFactor(double s);
float ScaleWidth(int32_t n);
float ScaleHeight(int32_t n);
void ScaleDelta(float *dx, float *dy);
float GetPenWidth();
void GetOvalSize(float *size);
int ValidPen();
int ValidPolyPen();
void moveto(int16_t x, int16_t y);
void GetCurrentPos(int16_t *x, int16_t *y);
void SetOrigin(int16_t x, int16_t y);
void AdjustForLineWidth(float *x1, float *y1, float *x2, float *y2);
void DumpState(int penKind, int fillKind);
void SaveFillSep();
int32_t GetSavedFillSep();
int32_t GetFillSep();
void SetFillSep(int32_t sep);

// Pattern and colour conversions.
void setpat(int32_t *ink);
void setcolor(int32_t value, int32_t *sep);
void readandmatchcolor(int32_t *sep);
int32_t matchcolor(int r, int g, int b);
void do_pixmap(int32_t *ink, int32_t *sep);
int patsequal(const unsigned char *reference, const unsigned char *pattern);
void rollpattern(const unsigned char *source, unsigned char *target, int bits,
                 int rows);
void init_ontable();

// Shared by the rectangle, rounded-rectangle, oval and arc writers: one
// shape type's last bounds (left, top, right, bottom in TOV points, scaled
// and pen-adjusted), which its Same opcodes redraw, and its fill kind held
// back for a frame-same opcode that follows at once (3 when none is held).
struct ShapeMemory {
  float fx1 = 0.0f;
  float fy1 = 0.0f;
  float fx2 = 0.0f;
  float fy2 = 0.0f;
  int32_t SavedFill = 3;
};
// Reads a rectangle operand into the shape's bounds.
void ReadShapeBounds(ShapeMemory *memory);
// 1 if a shape just read is to be written now; 0 if the pen draws nothing,
// or if a fill without outline is held back because the next opcode is
// frameSameOpcode, which then writes fill and outline as one object.
int ShapeWritable(ShapeMemory *memory, int penKind, int fillKind,
                  uint16_t frameSameOpcode);
// The fill kind a Same opcode writes: a held-back fill replaces "none".
// Releases the held-back fill.
int TakeDeferredFill(ShapeMemory *memory, int fillKind);
// Writes "\t<statement x y width height>\n" for the shape's bounds.
void DumpShapeBounds(const char *statement, const ShapeMemory &memory);

// Line collection shared by the line and polygon writers. PolyState routes
// the line opcodes: written one by one, collected into the point buffer, or
// dropped.
constexpr int32_t kPolyNormal = 1;
constexpr int32_t kPolyCollecting = 2;
constexpr int32_t kPolyIgnoring = 3;
extern int32_t PolyState;
// The collected path: pen-adjusted picture coordinates (no origin, no
// scale), NumPoints of them in arrays of PointSlots floats each.
extern float *Xarray;
extern float *Yarray;
extern int32_t NumPoints;
extern int32_t PointSlots;
// Unadjusted start of the first and end of the last collected segment.
extern int16_t FirstX;
extern int16_t FirstY;
extern int16_t LastX;
extern int16_t LastY;
// 1 while the collected path is to be written as a smoothed curve.
extern int32_t PolyIsSmoothed;

// Polygon comments.
void BeginPoly();
void EndPoly();
void IgnorePoly();
void ClosePoly();
void SmoothPoly(int flags);

// Under -full: regions, and the coordinate space of an extended version 2
// header. PictureShiftX and PictureShiftY are added to every origin set
// (0 without -full).
extern int16_t PictureShiftX;
extern int16_t PictureShiftY;
struct Rect;
// `data` is the header opcode's 24 bytes; only version -2 changes anything.
void MapExtendedHeader(const unsigned char *data, const Rect &frame);
// Paint, erase or fill (pen 3) or frame (pen 0, fill 3) of the region that
// follows in the picture, or of the last one for the Same variants.
void dumprgn(int penKind, int fillKind);
void dumpsamergn(int penKind, int fillKind);
// Reads a region and keeps it as the last one, drawing nothing (invert).
void RememberRegion();

// Groups.
void BeginGroup();
void EndGroup();
void IncrementGroupCount();
int GroupNotEmpty();

// Back to the process-start state, for a process that converts more than
// one picture: each resets the state of its own file.
void ResetDrawingState();  // calls Initstateops
void ResetGroups();        // frees the groups still open
void ResetShapeMemory();
void ResetArcs();
void ResetLineCollection();
void ResetRegions();  // forgets the last region; its buffer stays
void ResetPictureSpace();
void ResetPolygons();

#endif  // PICTTOTOV_GRAPHICS_GRAPHICS_H

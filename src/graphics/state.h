// Private to the graphics subsystem: the drawing state record, what reads
// and changes it, the one way every drawing object is written, and the
// parts of ResetGraphics that the other files of the subsystem own.
#ifndef PICTTOTOV_GRAPHICS_STATE_H
#define PICTTOTOV_GRAPHICS_STATE_H

#include <cstdint>

#include "graphics/colour.h"
#include "graphics/graphics.h"
#include "runtime/statement.h"

// The statements that more than one file of the subsystem writes.
inline constexpr StatementPlan kPenWidthStatement =
    PlanStatement("\t<PenWidth %.3f>\n");
inline constexpr StatementPlan kNumPointsStatement =
    PlanStatement("\t<NumPoints %d>\n");
inline constexpr StatementPlan kGroupIDStatement =
    PlanStatement("\t<GroupID %hd>\n");
inline constexpr StatementPlan kCloseStatement = PlanStatement(">\n");

// TOV fill numbers.
constexpr int32_t kFillSolid = 0;
constexpr int32_t kFillNone = 15;

// The 64 pixels of an 8-byte QuickDraw pattern: 1-bits are drawn in the
// foreground colour, 0-bits in the background colour.
constexpr int kPatternBits = 64;

// Under -full, what a pattern slot (pen, fill or background) is drawn with
// beyond its fill number: the number of its 1-bits, and for a pixel pattern
// the one colour it is drawn in whatever the foreground and background
// colours.
struct PatternColour {
  int ones = 0;
  bool pixel = false;
  Rgb colour;
};

// Under -full, the colours behind the classic inks and separations: the
// foreground and background colours, the three pattern slots as QuickDraw
// starts them (pen and fill black, background white), and the fill of the
// last painting polygon opcode inside a polygon comment bracket.
struct FullColours {
  Rgb Fore = kBlack;
  Rgb Back = kWhite;
  PatternColour Pen{kPatternBits, false, kBlack};
  PatternColour Fill{kPatternBits, false, kBlack};
  PatternColour Bk{0, false, kBlack};
  bool HasBracketFill = false;
  Ink BracketFill;
};

// The drawing state as a picture starts it (Initstateops), with the pen
// mode, oval size and saved fill separation at their process-start value.
struct DrawingState : DrawingView {
  int32_t ThinLines = 0;  // 1: pens below 1.5 points written at half width
  int32_t PenInk = kFillSolid;
  int32_t FillInk = kFillSolid;
  int32_t BackInk = kFillNone;
  int32_t FillSep = 0;
  int32_t BackSep = 0;
  int32_t SavedFillSep = 0;
  float PenWidth = 1.0f;
  uint16_t PenMode = 0;
  float OvalSize = 0.0f;
  int16_t CurrentX = 0;
  int16_t CurrentY = 0;
  FullColours Colours;
};
// The one drawing state; Drawing is its read-only view.
extern DrawingState State;

// A picture coordinate in TOV points: origin added in integers, then scaled
// in single precision.
inline float ToPointsX(int32_t x) {
  return static_cast<float>(x + State.OriginX) * State.ScaleFactor;
}
inline float ToPointsY(int32_t y) {
  return static_cast<float>(y + State.OriginY) * State.ScaleFactor;
}

// Accessors.
float GetPenWidth();
void GetOvalSize(float *size);
int ValidPen();
int ValidPolyPen();
// Sets the origin, shifted into the picture space under -full.
void SetOrigin(int16_t x, int16_t y);
void AdjustForLineWidth(float *x1, float *y1, float *x2, float *y2);
// The pen width written for a stroke of `width`: halved under -l below the
// thin-line limit.
float ThinLineWidth(float width);
void SaveFillSep();
int32_t GetSavedFillSep();
int32_t GetFillSep();
void SetFillSep(int32_t sep);

// Writes the group, fill, pen width, separation and pen attributes of an
// object. penKind 0 draws the outline, 3 none; fillKind 0 paints with the
// pen's ink, 1 fills with the fill ink, 2 erases with the background, 3 none;
// under -full kFillBracket fills with the polygon bracket's fill.
constexpr int kFillBracket = 4;
void DumpState(int penKind, int fillKind);

// Under -full, the fill of a polygon comment bracket: a painting polygon
// opcode inside the bracket (fillKind 0 to 2) records its fill, BeginPoly
// forgets it. Without one the bracket is filled with the fill pattern on
// the saved fill separation, as the classic conversion fills it.
void RememberBracketFill(int fillKind);
void ForgetBracketFill();
// True when the bracket's fill and the pen come out on one separation, so
// one object carries both.
bool BracketFillOnPenSeparation();

// The TOV objects the graphics writers make.
enum class Statement {
  kRectangle,
  kRoundRect,
  kEllipse,
  kArc,
  kPolyLine,
  kPolygon
};
// Every drawing object of the subsystem goes out through these: the
// statement with its state, then, after the object's geometry, the closing,
// which counts the object as a member of the innermost open group.
void OpenObject(Statement statement, int penKind, int fillKind);
void CloseObject();
// A point of a PolyLine or Polygon, in TOV points.
void DumpPoint(double x, double y);

// The parts of ResetGraphics: each makes its file's record fresh.
void ResetGroupStack();
void ResetShapes();
void ResetArcs();
void ResetLineCollection();
void ResetPolygons();
void ResetRegions();
void ResetPictureSpace();
void ResetPixelPatterns();
void ResetClip();

#endif  // PICTTOTOV_GRAPHICS_STATE_H

// The drawing state: pen, patterns, colours, origin, current point and
// scaling, the state opcodes that change it, and DumpState, which turns it
// into the fill, pen, width and separation attributes of a TOV object.
#include "graphics/state.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "base/conversion.h"
#include "base/messages.h"
#include "graphics/colour.h"
#include "graphics/graphics.h"
#include "pict/pict.h"
#include "runtime/fills.h"
#include "runtime/statement.h"

DrawingState State;
const DrawingView &Drawing = State;

namespace {

// The fill number of a pattern without a set bit.
constexpr int32_t kFillNoInk = 7;

// Number of set bits of every byte value; built on the first pattern read.
// A table of a pure function, not part of the drawing state.
std::array<signed char, 256> ontable{};

// Pen mode whose drawing is dropped.
constexpr uint16_t kInvisiblePenMode = 23;
// The pattern-or pen mode: segments drawn in it are not collected into
// polygons.
constexpr uint16_t kPatOrPenMode = 9;

// An 8-byte pattern: one byte per row, the leftmost pixel in the most
// significant bit.
using Pattern = std::array<unsigned char, kPatternBits / 8>;

// Tints by the number of set bits in a pattern: the first entry whose
// upper bound is not below the count gives the fill number.
struct Density {
  int bitsAtMost;
  int32_t fill;
};
constexpr std::array<Density, 8> kDensities{
    {{1, 7}, {5, 6}, {11, 5}, {23, 4}, {39, 3}, {51, 2}, {59, 1}, {64, 0}}};

// Old-style QuickDraw colour constants and their separations.
struct OldColor {
  int32_t value;
  int32_t sep;
};
constexpr std::array<OldColor, 8> kOldColors{{{33, 0},
                                              {30, 1},
                                              {205, 2},
                                              {341, 3},
                                              {409, 4},
                                              {273, 5},
                                              {137, 6},
                                              {69, 7}}};

// Under -l a pen or line below this width is written at half width.
constexpr float kThinLineLimit = 1.5f;
// Width written for objects without an outline.
constexpr double kNoPenWidth = 0.015;

// The statements every object writes.
constexpr StatementPlan kSeparationStatement =
    PlanStatement("\t<Separation %d>\n");
constexpr StatementPlan kFillStatement = PlanStatement("\t<Fill %d>\n");
constexpr StatementPlan kPenStatement = PlanStatement("\t<Pen %d>\n");

// Writes the separation and fill number of a filled interior.
void dumpInk(int32_t sep, int32_t ink) {
  V_WriteStatement<kSeparationStatement>(outputFP, sep);
  V_WriteStatement<kFillStatement>(outputFP, ink);
}

// Writes the attributes of the object's interior for a fill kind: painted
// with the pen's ink, filled with the fill ink, erased with the background,
// or none; as the classic conversion writes them.
void dumpFill(int fillKind) {
  switch (fillKind) {
    case 0:
      dumpInk(State.FillSep, State.PenInk);
      break;
    case 1:
      dumpInk(State.FillSep, State.FillInk);
      break;
    case 2:
      dumpInk(State.BackSep, State.BackInk);
      break;
    case 3:
      V_WriteStatement<kFillStatement>(outputFP, kFillNone);
      break;
    default:
      break;
  }
}

// A size taken as unsigned 32-bit, scaled in single precision.
float ScaleWidth(int32_t n) {
  return static_cast<float>(static_cast<uint32_t>(n)) * State.ScaleFactor;
}

}  // namespace

// ---------------------------------------------------------------------------
// Initial state, options and accessors
// ---------------------------------------------------------------------------

// Sets the drawing state a picture starts with. The pen mode, the oval size
// and the saved fill separation keep their values.
void Initstateops() {
  DrawingState start;
  start.PenMode = State.PenMode;
  start.OvalSize = State.OvalSize;
  start.SavedFillSep = State.SavedFillSep;
  State = start;
}

void ResetGraphics() {
  State = DrawingState{};
  ResetGroupStack();
  ResetShapes();
  ResetArcs();
  ResetLineCollection();
  ResetPolygons();
  ResetRegions();
  ResetPictureSpace();
  ResetPixelPatterns();
  ResetClip();
}

void SetThinLines() { State.ThinLines = 1; }

void SetScalingFactor(double s) { State.ScaleFactor = static_cast<float>(s); }

float ScaleHeight(int32_t n) { return ScaleWidth(n); }

void ScaleDelta(float *dx, float *dy) {
  *dx = *dx * State.ScaleFactor;
  *dy = *dy * State.ScaleFactor;
}

float GetPenWidth() { return State.PenWidth; }

void GetOvalSize(float *size) { *size = State.OvalSize; }

int ValidPen() { return State.PenMode != kInvisiblePenMode; }

int ValidPolyPen() {
  return State.PenMode != kInvisiblePenMode && State.PenMode != kPatOrPenMode;
}

void moveto(int16_t x, int16_t y) {
  State.CurrentX = x;
  State.CurrentY = y;
}

void GetCurrentPos(int16_t *x, int16_t *y) {
  *x = State.CurrentX;
  *y = State.CurrentY;
}

void SaveFillSep() { State.SavedFillSep = State.FillSep; }
int32_t GetSavedFillSep() { return State.SavedFillSep; }
int32_t GetFillSep() { return State.FillSep; }
void SetFillSep(int32_t sep) { State.FillSep = sep; }

// ---------------------------------------------------------------------------
// Geometry and attributes
// ---------------------------------------------------------------------------

// QuickDraw draws an outline inside the shape's box; TOV strokes centred on
// the path. Moving each edge inward by half the pen width makes the stroke
// cover the same area.
void AdjustForLineWidth(float *x1, float *y1, float *x2, float *y2) {
  float left = *x1 > *x2 ? *x2 : *x1;
  float top = *y1 > *y2 ? *y2 : *y1;
  float w = std::fabs(*x2 - *x1) - State.PenWidth;
  float h = std::fabs(*y2 - *y1) - State.PenWidth;
  float half = State.PenWidth * 0.5f;
  *x1 = left + half;
  *x2 = *x1 + w;
  *y1 = top + half;
  *y2 = *y1 + h;
}

float ThinLineWidth(float width) {
  return State.ThinLines && width < kThinLineLimit ? width * 0.5f : width;
}

// ---------------------------------------------------------------------------
// Colours under -full
// ---------------------------------------------------------------------------

namespace {

bool isWhite(const Rgb &colour) {
  return colour.red == 255 && colour.green == 255 && colour.blue == 255;
}

// The ink of an area drawn with a pattern slot whose 1-bits are in
// `oneBits` and whose classic ink is `classic`: a pixel pattern in its own
// colour, a solid pattern in the colour of its 1-bits, each the nearest
// ink. A pattern of more 0-bits than 1-bits on a background colour that is
// not white is drawn in the background colour: its ink's separation at its
// tint times the share of the 0-bits (all of it without a 1-bit). Any other
// pattern keeps its classic ink.
Ink fullInk(const PatternColour &slot, Ink classic, const Rgb &oneBits) {
  if (slot.pixel) return NearestInk(slot.colour);
  if (classic.fill == kFillSolid) return NearestInk(oneBits);
  const Rgb &back = State.Colours.Back;
  const int ones = slot.ones;
  if (2 * ones >= kPatternBits || isWhite(back)) return classic;
  const Ink backInk = NearestInk(back);
  const int32_t share = tov::kTintPercent[static_cast<size_t>(backInk.fill)] *
                        (kPatternBits - ones);
  return {backInk.sep, NearestTintFill(share)};
}

// The pen's ink: the pen pattern in the foreground colour.
Ink fullPen() {
  return fullInk(State.Colours.Pen, {State.PenSep, State.PenInk},
                 State.Colours.Fore);
}

Ink bracketFill();

// The ink of an interior by fill kind: painted with the pen pattern, filled
// with the fill pattern, both in the foreground colour; erased with the
// background pattern wholly in the background colour; or the polygon
// bracket's fill.
Ink fullFill(int fillKind) {
  const FullColours &colours = State.Colours;
  switch (fillKind) {
    case 0:
      return fullInk(colours.Pen, {State.FillSep, State.PenInk}, colours.Fore);
    case 1:
      return fullInk(colours.Fill, {State.FillSep, State.FillInk},
                     colours.Fore);
    case 2:
      return fullInk(colours.Bk, {State.BackSep, State.BackInk}, colours.Back);
    default:
      return bracketFill();
  }
}

Ink bracketFill() {
  if (State.Colours.HasBracketFill) return State.Colours.BracketFill;
  return fullInk(State.Colours.Fill, {State.SavedFillSep, State.FillInk},
                 State.Colours.Fore);
}

bool paintsInterior(int fillKind) {
  return (fillKind >= 0 && fillKind <= 2) || fillKind == kFillBracket;
}

}  // namespace

void RememberBracketFill(int fillKind) {
  if (!RunOptions().full || fillKind < 0 || fillKind > 2) return;
  State.Colours.BracketFill = fullFill(fillKind);
  State.Colours.HasBracketFill = true;
}

void ForgetBracketFill() { State.Colours.HasBracketFill = false; }

bool BracketFillOnPenSeparation() { return bracketFill().sep == fullPen().sep; }

// Under -full the interior and the outline each get their nearest ink; an
// object has one separation, so an outline beside an interior keeps its
// ink only on the interior's separation and is otherwise drawn with its
// classic pen number there.
void DumpState(int penKind, int fillKind) {
  if (State.GroupID != 0)
    V_WriteStatement<kGroupIDStatement>(outputFP, int{State.GroupID});
  const bool full = RunOptions().full;
  Ink interior;
  if (full && paintsInterior(fillKind)) {
    interior = fullFill(fillKind);
    dumpInk(interior.sep, interior.fill);
  } else {
    dumpFill(fillKind);
  }
  if (penKind == 3 || State.PenWidth == 0.0f) {
    V_WriteStatement<kPenStatement>(outputFP, kFillNone);
    V_WriteStatement<kPenWidthStatement>(outputFP, kNoPenWidth);
    return;
  }
  V_WriteStatement<kPenWidthStatement>(
      outputFP, static_cast<double>(ThinLineWidth(State.PenWidth)));
  Ink pen{State.PenSep, State.PenInk};
  if (full) {
    const Ink nearest = fullPen();
    if (fillKind == 3 ||
        (paintsInterior(fillKind) && nearest.sep == interior.sep))
      pen = nearest;
  }
  if (fillKind == 3) V_WriteStatement<kSeparationStatement>(outputFP, pen.sep);
  V_WriteStatement<kPenStatement>(outputFP, pen.fill);
}

void OpenObject(Statement statement, int penKind, int fillKind) {
  constexpr std::array<std::string_view, 6> kOpenings{
      "<Rectangle\n", "<RoundRect\n", "<Ellipse\n",
      "<Arc\n",       "<PolyLine\n",  "<Polygon\n"};
  const std::string_view opening = kOpenings[static_cast<size_t>(statement)];
  V_ChannelWrite(opening.data(), 1, opening.size(), outputFP);
  DumpState(penKind, fillKind);
}

void CloseObject() {
  V_WriteStatement<kCloseStatement>(outputFP);
  IncrementGroupCount();
}

void DumpPoint(double x, double y) { V_WritePoint(outputFP, x, y); }

// ---------------------------------------------------------------------------
// Patterns and colours
// ---------------------------------------------------------------------------

namespace {

void init_ontable() {
  for (int i = 0; i < 256; ++i) {
    int bits = 0;
    for (int v = i; v != 0; v >>= 1) bits += v & 1;
    ontable[i] = static_cast<signed char>(bits);
  }
}

void ensureOntable() {
  if (ontable[255] == 0) init_ontable();
}

int setBits(const Pattern &pattern) {
  int bits = 0;
  for (unsigned char row : pattern) bits += ontable[row];
  return bits;
}

int32_t fillByDensity(int bits) {
  for (const Density &density : kDensities)
    if (bits <= density.bitsAtMost) return density.fill;
  return kFillSolid;
}

// Moves the rows of a pattern down by `rows` (cyclically), then rotates each
// row right by `bits`.
void rollpattern(const unsigned char *source, unsigned char *target, int bits,
                 int rows) {
  for (int i = 0; i < 8; ++i) target[(i + rows) % 8] = source[i];
  for (int i = 0; i < 8; ++i) {
    unsigned row = target[i];
    target[i] =
        static_cast<unsigned char>((row >> bits | row << (8 - bits)) & 0xFFu);
  }
}

// 1 if some cyclic shift of the pattern differs from the reference in at
// most 8 of its 64 bits.
int patsequal(const unsigned char *reference, const unsigned char *pattern) {
  ensureOntable();
  for (int bits = 0; bits < 8; ++bits) {
    for (int rows = 0; rows < 8; ++rows) {
      unsigned char rolled[8];
      rollpattern(pattern, rolled, bits, rows);
      int differing = 0;
      for (int i = 0; i < 8; ++i)
        differing += ontable[reference[i] ^ rolled[i]];
      if (differing <= 8) return 1;
    }
  }
  return 0;
}

// Reads an 8-byte pattern and maps it to a fill number: no ink, one of the
// document's patterns (tried in order, the last that matches wins), or a
// tint of the pattern's density. The slot keeps the pattern for -full.
void setpat(int32_t *ink, PatternColour *slot) {
  ensureOntable();
  Pattern pattern{};
  ReadString(pattern.data(), static_cast<int32_t>(pattern.size()));
  const int bits = setBits(pattern);
  *slot = PatternColour{bits, false, kBlack};
  bool empty = true;
  for (unsigned char row : pattern) empty = empty && row == 0;
  if (empty) {
    *ink = kFillNoInk;
    return;
  }
  int32_t matched = -1;
  for (size_t i = 0; i < tov::kFillPatterns.size(); ++i)
    if (patsequal(tov::kFillPatterns[i].data(), pattern.data()))
      matched = tov::kFirstPatternFill + static_cast<int32_t>(i);
  *ink = matched >= 0 ? matched : fillByDensity(bits);
}

// Maps an old-style colour to its separation; returns the separation's
// colour.
Rgb setcolor(int32_t value, int32_t *sep) {
  *sep = 0;
  for (const OldColor &color : kOldColors)
    if (color.value == value) *sep = color.sep;
  const auto &rgb = tov::kSeparationRgb[static_cast<size_t>(*sep)];
  return {rgb[0], rgb[1], rgb[2]};
}

// The separation whose reference colour is nearest; ties go to the lower
// separation number.
int32_t matchcolor(int r, int g, int b) {
  auto distance = [&](size_t i) {
    const auto &reference = tov::kSeparationRgb[i];
    int dr = reference[0] - r, dg = reference[1] - g, db = reference[2] - b;
    return dr * dr + dg * dg + db * db;
  };
  size_t best = 0;
  int bestDistance = distance(0);
  for (size_t i = 1; i < tov::kSeparationRgb.size(); ++i) {
    int d = distance(i);
    if (d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  return static_cast<int32_t>(best);
}

// Reads a 48-bit RGB colour and matches its high bytes; returns them.
Rgb readandmatchcolor(int32_t *sep) {
  uint16_t red = 0, green = 0, blue = 0;
  ReadUShort(&red);
  ReadUShort(&green);
  ReadUShort(&blue);
  const Rgb colour{red >> 8, green >> 8, blue >> 8};
  *sep = matchcolor(colour.red, colour.green, colour.blue);
  return colour;
}

// Reads a pixel pattern: its 8-byte fallback pattern gives the fill; a
// dithered pattern (type 2) adds its RGB colour. A full pixel pattern has
// its pixel map, colour table and pixels skipped, or under -full read for
// their average colour, which the slot keeps.
void do_pixmap(int32_t *ink, int32_t *sep, PatternColour *slot) {
  constexpr uint16_t kDitherPattern = 2;
  uint16_t type = 0;
  ReadUShort(&type);
  setpat(ink, slot);
  if (type == kDitherPattern) {
    slot->colour = readandmatchcolor(sep);
    slot->pixel = true;
    return;
  }
  if (RunOptions().full) {
    slot->pixel = ReadPixelPatternColour(&slot->colour);
    return;
  }
  SkipPixelPatternMap();
}

}  // namespace

// ---------------------------------------------------------------------------
// State opcodes
// ---------------------------------------------------------------------------

void op_PnSize() {
  uint16_t height = 0, width = 0;
  ReadUShort(&height);
  ReadUShort(&width);
  State.PenWidth = ScaleWidth((int32_t{height} + int32_t{width}) >> 1);
}

void op_PnMode() { ReadUShort(&State.PenMode); }

void op_PnPat() { setpat(&State.PenInk, &State.Colours.Pen); }
void op_FillPat() { setpat(&State.FillInk, &State.Colours.Fill); }
void op_BkPat() { setpat(&State.BackInk, &State.Colours.Bk); }

// The oval size is the mean of the corner oval's height and width; a
// negative mean would scale to a huge radius and counts as none.
void op_OvSize() {
  int16_t height = 0, width = 0;
  ReadShort(&height);
  ReadShort(&width);
  int32_t mean = (int32_t{height} + int32_t{width}) / 2;
  State.OvalSize = mean < 0 ? 0.0f : ScaleWidth(mean);
}

void op_Origin() {
  int16_t v = 0, h = 0;
  ReadShort(&v);
  ReadShort(&h);
  SetOrigin(h, v);
}

void op_FgColor() {
  int32_t value = 0;
  ReadLong(&value);
  State.Colours.Fore = setcolor(value, &State.PenSep);
  State.FillSep = State.PenSep;
}

void op_BkColor() {
  int32_t value = 0;
  ReadLong(&value);
  State.Colours.Back = setcolor(value, &State.BackSep);
}

void op_RGBFgCol() {
  State.Colours.Fore = readandmatchcolor(&State.PenSep);
  State.FillSep = State.PenSep;
}

void op_RGBBkCol() { State.Colours.Back = readandmatchcolor(&State.BackSep); }

void op_PnPixPat() {
  do_pixmap(&State.PenInk, &State.PenSep, &State.Colours.Pen);
}
void op_FillPixPat() {
  do_pixmap(&State.FillInk, &State.FillSep, &State.Colours.Fill);
}
void op_BkPixPat() {
  do_pixmap(&State.BackInk, &State.BackSep, &State.Colours.Bk);
}

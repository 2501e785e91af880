// The drawing state: pen, patterns, colours, origin, current point and
// scaling, the state opcodes that change it, and DumpState, which turns it
// into the fill, pen, width and separation attributes of a TOV object.
#include <array>
#include <cmath>
#include <cstdint>

#include "base/conversion.h"
#include "base/messages.h"
#include "graphics/graphics.h"
#include "pict/pict.h"

int16_t OriginX = 0;
int16_t OriginY = 0;
float ScaleFactor = 1.0f;
int32_t PenSep = 0;
int32_t ThinLines = 0;

namespace {

// TOV fill numbers.
constexpr int32_t kFillSolid = 0;
constexpr int32_t kFillNoInk = 7;
constexpr int32_t kFillNone = 15;

int32_t PenInk = 0;
int32_t FillInk = 0;
int32_t BackInk = kFillNone;
int32_t FillSep = 0;
int32_t BackSep = 0;
int32_t SavedFillSep = 0;
float PenWidth = 1.0f;
uint16_t PenMode = 0;
float OvalSize = 0.0f;
int16_t CurrentX = 0;
int16_t CurrentY = 0;
// Number of set bits of every byte value; built on the first pattern read.
std::array<signed char, 256> ontable{};

// Pen mode whose drawing is dropped.
constexpr uint16_t kInvisiblePenMode = 23;
// The pattern-or pen mode: segments drawn in it are not collected into
// polygons.
constexpr uint16_t kPatOrPenMode = 9;

using Pattern = std::array<unsigned char, 8>;

struct ReferencePattern {
  int32_t fill;
  Pattern rows;
};

// The document's seven patterns, in the order they are tried.
constexpr std::array<ReferencePattern, 7> kReferencePatterns{{
    {8, {0x0F, 0x1E, 0x3C, 0x78, 0xF0, 0xE1, 0xC3, 0x87}},
    {9, {0x0F, 0x87, 0xC3, 0xE1, 0xF0, 0x78, 0x3C, 0x1E}},
    {10, {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC}},
    {11, {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00}},
    {12, {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81}},
    {13, {0x03, 0x06, 0x0C, 0x18, 0x30, 0x60, 0xC0, 0x81}},
    {14, {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}},
}};

// Tints by the number of set bits in a pattern: the first entry whose
// upper bound is not below the count gives the fill number.
struct Density {
  int bitsAtMost;
  int32_t fill;
};
constexpr std::array<Density, 8> kDensities{
    {{1, 7}, {5, 6}, {11, 5}, {23, 4}, {39, 3}, {51, 2}, {59, 1}, {64, 0}}};

// The separations' reference colours, indexed by separation number.
constexpr std::array<unsigned char, 8> reds{0, 255, 255, 0, 0, 0, 255, 255};
constexpr std::array<unsigned char, 8> gres{0, 255, 0, 255, 0, 255, 0, 255};
constexpr std::array<unsigned char, 8> blus{0, 255, 0, 0, 255, 255, 255, 0};

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

// Under -l a pen below this width is written at half width.
constexpr float kThinLineLimit = 1.5f;
// Width written for objects without an outline.
constexpr double kNoPenWidth = 0.015;

void ensureOntable() {
  if (ontable[255] == 0) init_ontable();
}

int32_t fillByDensity(const Pattern &pattern) {
  int bits = 0;
  for (unsigned char row : pattern) bits += ontable[row];
  for (const Density &density : kDensities)
    if (bits <= density.bitsAtMost) return density.fill;
  return kFillSolid;
}

// Writes the separation and fill number of a filled interior.
void dumpInk(int32_t sep, int32_t ink) {
  V_Printf(outputFP, "\t<Separation %d>\n", sep);
  V_Printf(outputFP, "\t<Fill %d>\n", ink);
}

// Writes the attributes of the object's interior for a fill kind: painted
// with the pen's ink, filled with the fill ink, erased with the background,
// or none.
void dumpFill(int fillKind) {
  switch (fillKind) {
    case 0:
      dumpInk(FillSep, PenInk);
      break;
    case 1:
      dumpInk(FillSep, FillInk);
      break;
    case 2:
      dumpInk(BackSep, BackInk);
      break;
    case 3:
      V_Printf(outputFP, "\t<Fill %d>\n", kFillNone);
      break;
    default:
      break;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Initial state, options and accessors
// ---------------------------------------------------------------------------

// Sets the drawing state a picture starts with. The pen mode, the oval size
// and the saved fill separation keep their process-start values.
void Initstateops() {
  PenInk = kFillSolid;
  FillInk = kFillSolid;
  BackInk = kFillNone;
  PenSep = 0;
  FillSep = 0;
  BackSep = 0;
  PenWidth = 1.0f;
  OriginX = 0;
  OriginY = 0;
  CurrentX = 0;
  CurrentY = 0;
  ScaleFactor = 1.0f;
  ThinLines = 0;
  GroupID = 0;
}

// Initstateops plus what it leaves at its process-start value.
void ResetDrawingState() {
  PenMode = 0;
  OvalSize = 0.0f;
  SavedFillSep = 0;
  Initstateops();
}

void SetThinLines() { ThinLines = 1; }

void SetScalingFactor(double s) { ScaleFactor = static_cast<float>(s); }

// A size taken as unsigned 32-bit, scaled in single precision.
float ScaleWidth(int32_t n) {
  return static_cast<float>(static_cast<uint32_t>(n)) * ScaleFactor;
}

float ScaleHeight(int32_t n) {
  return static_cast<float>(static_cast<uint32_t>(n)) * ScaleFactor;
}

void ScaleDelta(float *dx, float *dy) {
  *dx = *dx * ScaleFactor;
  *dy = *dy * ScaleFactor;
}

float GetPenWidth() { return PenWidth; }

void GetOvalSize(float *size) { *size = OvalSize; }

int ValidPen() { return PenMode != kInvisiblePenMode; }

int ValidPolyPen() {
  return PenMode != kInvisiblePenMode && PenMode != kPatOrPenMode;
}

void moveto(int16_t x, int16_t y) {
  CurrentX = x;
  CurrentY = y;
}

void GetCurrentPos(int16_t *x, int16_t *y) {
  *x = CurrentX;
  *y = CurrentY;
}

// The shifts are 0 unless -full maps an extended header's coordinate space.
void SetOrigin(int16_t x, int16_t y) {
  OriginX = static_cast<int16_t>(x + PictureShiftX);
  OriginY = static_cast<int16_t>(y + PictureShiftY);
}

void SaveFillSep() { SavedFillSep = FillSep; }
int32_t GetSavedFillSep() { return SavedFillSep; }
int32_t GetFillSep() { return FillSep; }
void SetFillSep(int32_t sep) { FillSep = sep; }

// ---------------------------------------------------------------------------
// Geometry and attributes
// ---------------------------------------------------------------------------

// QuickDraw draws an outline inside the shape's box; TOV strokes centred on
// the path. Moving each edge inward by half the pen width makes the stroke
// cover the same area.
void AdjustForLineWidth(float *x1, float *y1, float *x2, float *y2) {
  float left = *x1 > *x2 ? *x2 : *x1;
  float top = *y1 > *y2 ? *y2 : *y1;
  float w = std::fabs(*x2 - *x1) - PenWidth;
  float h = std::fabs(*y2 - *y1) - PenWidth;
  float half = PenWidth * 0.5f;
  *x1 = left + half;
  *x2 = *x1 + w;
  *y1 = top + half;
  *y2 = *y1 + h;
}

// Writes the group, fill, pen width, separation and pen attributes of an
// object. penKind 0 draws the outline, 3 none; fillKind 0 paints with the
// pen's ink, 1 fills with the fill ink, 2 erases with the background, 3 none.
void DumpState(int penKind, int fillKind) {
  if (GroupID != 0) V_Printf(outputFP, "\t<GroupID %hd>\n", GroupID);
  dumpFill(fillKind);
  if (penKind == 3 || PenWidth == 0.0f) {
    V_Printf(outputFP, "\t<Pen %d>\n", kFillNone);
    V_Printf(outputFP, "\t<PenWidth %.3f>\n", kNoPenWidth);
    return;
  }
  float width = PenWidth;
  if (ThinLines && PenWidth < kThinLineLimit) width = PenWidth * 0.5f;
  V_Printf(outputFP, "\t<PenWidth %.3f>\n", static_cast<double>(width));
  if (fillKind == 3) V_Printf(outputFP, "\t<Separation %d>\n", PenSep);
  V_Printf(outputFP, "\t<Pen %d>\n", PenInk);
}

// ---------------------------------------------------------------------------
// Patterns and colours
// ---------------------------------------------------------------------------

void init_ontable() {
  for (int i = 0; i < 256; ++i) {
    int bits = 0;
    for (int v = i; v != 0; v >>= 1) bits += v & 1;
    ontable[i] = static_cast<signed char>(bits);
  }
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
// document's patterns, or a tint of the pattern's density.
void setpat(int32_t *ink) {
  ensureOntable();
  Pattern pattern{};
  ReadString(pattern.data(), static_cast<int32_t>(pattern.size()));
  bool empty = true;
  for (unsigned char row : pattern) empty = empty && row == 0;
  if (empty) {
    *ink = kFillNoInk;
    return;
  }
  int32_t matched = -1;
  for (const ReferencePattern &reference : kReferencePatterns)
    if (patsequal(reference.rows.data(), pattern.data()))
      matched = reference.fill;
  *ink = matched >= 0 ? matched : fillByDensity(pattern);
}

void setcolor(int32_t value, int32_t *sep) {
  *sep = 0;
  for (const OldColor &color : kOldColors)
    if (color.value == value) *sep = color.sep;
}

// The separation whose reference colour is nearest; ties go to the lower
// separation number.
int32_t matchcolor(int r, int g, int b) {
  auto distance = [&](size_t i) {
    int dr = reds[i] - r, dg = gres[i] - g, db = blus[i] - b;
    return dr * dr + dg * dg + db * db;
  };
  size_t best = 0;
  int bestDistance = distance(0);
  for (size_t i = 1; i < reds.size(); ++i) {
    int d = distance(i);
    if (d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  return static_cast<int32_t>(best);
}

// Reads a 48-bit RGB colour and matches its high bytes.
void readandmatchcolor(int32_t *sep) {
  uint16_t red = 0, green = 0, blue = 0;
  ReadUShort(&red);
  ReadUShort(&green);
  ReadUShort(&blue);
  *sep = matchcolor(red >> 8, green >> 8, blue >> 8);
}

// Reads a pixel pattern: its 8-byte fallback pattern gives the fill; a
// dithered pattern (type 2) adds its RGB colour, a full pixel pattern only
// has its pixel map, colour table and pixels skipped.
void do_pixmap(int32_t *ink, int32_t *sep) {
  constexpr uint16_t kDitherPattern = 2;
  uint16_t type = 0;
  ReadUShort(&type);
  setpat(ink);
  if (type == kDitherPattern) {
    readandmatchcolor(sep);
    return;
  }
  uint16_t rowBytes = 0;
  Rect bounds;
  skippixmap(&rowBytes, &bounds);
  skipcolortable();
  skipimage(rowBytes, &bounds);
}

// ---------------------------------------------------------------------------
// State opcodes
// ---------------------------------------------------------------------------

void op_PnSize() {
  uint16_t height = 0, width = 0;
  ReadUShort(&height);
  ReadUShort(&width);
  PenWidth = ScaleWidth((int32_t{height} + int32_t{width}) >> 1);
}

void op_PnMode() { ReadUShort(&PenMode); }

void op_PnPat() { setpat(&PenInk); }
void op_FillPat() { setpat(&FillInk); }
void op_BkPat() { setpat(&BackInk); }

// The oval size is the mean of the corner oval's height and width; a
// negative mean would scale to a huge radius and counts as none.
void op_OvSize() {
  int16_t height = 0, width = 0;
  ReadShort(&height);
  ReadShort(&width);
  int32_t mean = (int32_t{height} + int32_t{width}) / 2;
  OvalSize = mean < 0 ? 0.0f : ScaleWidth(mean);
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
  setcolor(value, &PenSep);
  FillSep = PenSep;
}

void op_BkColor() {
  int32_t value = 0;
  ReadLong(&value);
  setcolor(value, &BackSep);
}

void op_RGBFgCol() {
  readandmatchcolor(&PenSep);
  FillSep = PenSep;
}

void op_RGBBkCol() { readandmatchcolor(&BackSep); }

void op_PnPixPat() { do_pixmap(&PenInk, &PenSep); }
void op_FillPixPat() { do_pixmap(&FillInk, &FillSep); }
void op_BkPixPat() { do_pixmap(&BackInk, &BackSep); }

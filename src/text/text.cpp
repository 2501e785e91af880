// The text state, the text opcodes and the text lines they write. Each run
// of text becomes one TextLine; its characters pass through the font mapping
// one by one, and a Font statement is written wherever the family, size,
// face or separation differs from the last one written.
#include "text/text.h"

#include <array>
#include <cstring>

#include "base/conversion.h"
#include "graphics/graphics.h"
#include "pict/pict.h"
#include "runtime/statement.h"
#include "text/fontconfig.h"
#include "text/lines.h"

namespace {

// A String statement's opening and close.
constexpr StatementPlan kStringOpen = PlanStatement("\t<String `");
constexpr StatementPlan kStringClose = PlanStatement("'>\n");

constexpr uint16_t kDefaultTextSize = 12;

// Face statements of the face bits 0 to 4; bits 5 and 6 (condense, extend)
// have none.
constexpr std::array<const char *, 5> styleName = {
    "FBold", "FItalic", "FUnderline", "FOutline", "FShadow"};

struct TextState {
  // The text state of the picture.
  uint16_t TextFont = 0;
  unsigned char TextFace = 0;
  uint16_t TextSize = 0;
  int16_t CurrentTextX = 0;
  int16_t CurrentTextY = 0;

  // The family of the text being written, and what the last Font statement
  // held, so that a Font statement is written only when something changed.
  char TorvaFont[kFamilySize] = "Times";
  char lastTorvaFont[kFamilySize] = "";
  uint16_t lastTextSize = 0;
  unsigned char lastTextFace = 0;
  unsigned char lastPenSep = 0;
};

TextState state;

void textmoveto(int16_t x, int16_t y) {
  state.CurrentTextX = x;
  state.CurrentTextY = y;
}

void GetCurrentTextPosition(int16_t *x, int16_t *y) {
  *x = state.CurrentTextX;
  *y = state.CurrentTextY;
}

// Moves the pen and the text position by the same offsets; the sums wrap
// at 16 bits.
void moveBoth(int dh, int dv) {
  int16_t x = 0, y = 0;
  GetCurrentPos(&x, &y);
  moveto(static_cast<int16_t>(static_cast<uint16_t>(x + dh)),
         static_cast<int16_t>(static_cast<uint16_t>(y + dv)));
  GetCurrentTextPosition(&x, &y);
  textmoveto(static_cast<int16_t>(static_cast<uint16_t>(x + dh)),
             static_cast<int16_t>(static_cast<uint16_t>(y + dv)));
}

// In version 2 a text opcode's operands are padded to an even length: one
// byte follows when count + flag is odd (flag 1 for the opcodes with an odd
// number of bytes before the text).
void AdjustByteBoundary(int count, int flag) {
  if (Version == 2 && (count + flag) % 2 != 0) PictSkip(1);
}

// The characters of a String statement gathered for one write: a run has
// at most 255 characters of at most 5 bytes each.
struct StringPiece {
  unsigned char bytes[256 * 5];
  int32_t length = 0;
};

void writePiece(StringPiece *piece) {
  WriteBytes(outputFP, piece->bytes, piece->length);
  piece->length = 0;
}

// Adds one character code of a String statement: the quote, ">" and the
// backslash are escaped, a carriage return is dropped, and every byte that
// is not printable ASCII becomes a hexadecimal escape (\x, two lowercase
// digits, a space).
void addCode(unsigned char code, StringPiece *piece) {
  static constexpr char kHexDigits[] = "0123456789abcdef";
  if (code == '\r') return;
  unsigned char *out = piece->bytes + piece->length;
  if (code < 0x20 || code > 0x7E) {
    out[0] = '\\';
    out[1] = 'x';
    out[2] = static_cast<unsigned char>(kHexDigits[code >> 4]);
    out[3] = static_cast<unsigned char>(kHexDigits[code & 0x0F]);
    out[4] = ' ';
    piece->length += 5;
    return;
  }
  if (code == '\'' || code == '>' || code == '\\') {
    *out++ = '\\';
    ++piece->length;
  }
  *out = code;
  ++piece->length;
}

// Whether the family, size, face or separation differs from the last Font
// statement.
bool fontStateChanged() {
  if (state.TextSize != state.lastTextSize ||
      state.TextFace != state.lastTextFace ||
      Drawing.PenSep != state.lastPenSep)
    return true;
  for (size_t i = 0;; ++i) {
    if (state.TorvaFont[i] != state.lastTorvaFont[i]) return true;
    if (state.TorvaFont[i] == '\0') return false;
  }
}

// Writes the face statements of the bits 0 to 4 that changed.
void dumpFaceChanges() {
  for (size_t bit = 0; bit < styleName.size(); ++bit) {
    unsigned mask = 1u << bit;
    if (((state.TextFace ^ state.lastTextFace) & mask) == 0) continue;
    static constexpr StatementPlan kFace = PlanStatement("\t\t<%s %s>\n");
    V_WriteStatement<kFace>(outputFP, styleName[bit],
                            (state.TextFace & mask) != 0 ? "Yes" : "No");
  }
}

void DumpTextState() {
  static constexpr StatementPlan kGroupID = PlanStatement("\t<GroupID %hd>\n");
  if (Drawing.GroupID != 0)
    V_WriteStatement<kGroupID>(outputFP, int{Drawing.GroupID});
}

// The String statement of a run, after the Font statement of the current
// font's family if one is due. The string opens with a backquote and
// closes with a straight quote.
void WriteString(const unsigned char *text) {
  unsigned char unused = 0;
  GetFontandCode(state.TextFont, 0, state.TorvaFont, &unused);
  DumpFontState(0);
  V_WriteStatement<kStringOpen>(outputFP);
  WriteSubstring(text);
  V_WriteStatement<kStringClose>(outputFP);
}

// A line the clip hides is not written, but its characters pass through
// the font mapping as a written line's do, so that the family current
// after it is the same.
void followFamilies(const unsigned char *text) {
  unsigned char code = 0;
  GetFontandCode(state.TextFont, 0, state.TorvaFont, &code);
  for (const unsigned char *c = text; *c != '\0'; ++c) {
    const char *family = FontFamilyAndCode(state.TextFont, *c, &code);
    if (family != nullptr) V_StrCpyN(state.TorvaFont, family, kFamilySize);
  }
}

// One run as a TextLine. The origin is the text position moved by the
// picture's origin and scaled; inside a rotated-text bracket the rotated
// writer takes over from there. A line can't be cut: under a clip (-full)
// one whose origin lies outside it is left out, any other is written whole.
// Rotated lines are not clipped: they stand for the drawing of the text
// that the picture gives as an image, which is not written, and pictures
// hide the unrotated text from the screen with an empty clip.
void dumptext(int x, int y, const unsigned char *text) {
  float ox = static_cast<float>(x + Drawing.OriginX) * Drawing.ScaleFactor;
  float oy = static_cast<float>(y + Drawing.OriginY) * Drawing.ScaleFactor;
  static constexpr StatementPlan kTextLine = PlanStatement("<TextLine\n");
  if (InRotatedText) {
    V_WriteStatement<kTextLine>(outputFP);
    DumpTextState();
    dumprotatedtext(ox, oy, text);
    return;
  }
  if (!ClipShowsPoint(ox, oy)) {
    followFamilies(text);
    return;
  }
  static constexpr StatementPlan kPlacement = PlanStatement(
      "\t<TLAlignment Left>\n\t<Angle 0>\n\t<TLOrigin %.3f %.3f>\n");
  static constexpr StatementPlan kEnd =
      PlanStatement("> # end of non-rotated text line\n");
  V_WriteStatement<kTextLine>(outputFP);
  DumpTextState();
  V_WriteStatement<kPlacement>(outputFP, static_cast<double>(ox),
                               static_cast<double>(oy));
  WriteString(text);
  V_WriteStatement<kEnd>(outputFP);
  IncrementGroupCount();
}

// Reads the count byte and the run of text behind it, then the pad byte of
// a version 2 picture, and writes the run at the text position.
void readAndDumpText(int padFlag) {
  unsigned char text[256];
  unsigned char count = 0;
  ReadByte(&count);
  ReadString(text, count);
  AdjustByteBoundary(count, padFlag);
  text[count] = '\0';
  dumptext(state.CurrentTextX, state.CurrentTextY, text);
}

}  // namespace

void InitTextFontState() {
  std::strcpy(state.TorvaFont, "Times");
  state.lastTorvaFont[0] = '\0';
  state.lastTextSize = 0;
  state.lastTextFace = 0;
  state.lastPenSep = 0;
}

void ResetText() {
  state = TextState{};
  ResetRotatedTextState();
}

void Inittextops() {
  ResetRotatedText();
  textmoveto(0, 0);
}

void op_TxFont() { ReadUShort(&state.TextFont); }

void op_TxFace() {
  ReadByte(&state.TextFace);
  if (Version == 2) PictSkip(1);
}

void op_TxSize() {
  ReadUShort(&state.TextSize);
  if (state.TextSize == 0) state.TextSize = kDefaultTextSize;
}

void op_LongText() {
  int16_t v = 0, h = 0;
  ReadShort(&v);
  ReadShort(&h);
  moveto(h, v);
  textmoveto(h, v);
  readAndDumpText(1);
}

void op_DHText() {
  unsigned char dh = 0;
  ReadByte(&dh);
  moveBoth(dh, 0);
  readAndDumpText(0);
}

void op_DVText() {
  unsigned char dv = 0;
  ReadByte(&dv);
  moveBoth(0, dv);
  readAndDumpText(0);
}

void op_DHDVText() {
  unsigned char dh = 0, dv = 0;
  ReadByte(&dh);
  ReadByte(&dv);
  moveBoth(dh, dv);
  readAndDumpText(1);
}

// A change of family within the run closes the string for a Font statement.
void WriteSubstring(const unsigned char *text) {
  StringPiece piece;
  // Within the run only the family can change: it is copied, and the font
  // state compared, only when a character's family is another text than
  // the one copied last.
  const char *copied = nullptr;
  bool compared = false;
  for (const unsigned char *c = text; *c != '\0'; ++c) {
    unsigned char code = *c;
    const char *family = FontFamilyAndCode(state.TextFont, *c, &code);
    if (family != nullptr && family != copied) {
      V_StrCpyN(state.TorvaFont, family, kFamilySize);
      copied = family;
      compared = false;
    }
    if (!compared) {
      if (fontStateChanged()) {
        writePiece(&piece);
        DumpFontState(1);
      }
      compared = true;
    }
    addCode(code, &piece);
  }
  writePiece(&piece);
}

// What changed since the last Font statement: family, size, face bits and
// separation, in that order.
void DumpFontState(int inString) {
  if (!fontStateChanged()) return;
  static constexpr StatementPlan kFontOpen = PlanStatement("\t<Font \n");
  static constexpr StatementPlan kFamily =
      PlanStatement("\t\t<FFamily `%s'>\n");
  static constexpr StatementPlan kSize = PlanStatement("\t\t<FSize %.2f>\n");
  static constexpr StatementPlan kSeparation =
      PlanStatement("\t\t<FSeparation %d>\n");
  static constexpr StatementPlan kFontClose = PlanStatement("\t>\n");
  if (inString == 1) V_WriteStatement<kStringClose>(outputFP);
  V_WriteStatement<kFontOpen>(outputFP);
  if (std::strcmp(state.TorvaFont, state.lastTorvaFont) != 0) {
    V_WriteStatement<kFamily>(outputFP, state.TorvaFont);
    std::strcpy(state.lastTorvaFont, state.TorvaFont);
  }
  if (state.TextSize != state.lastTextSize) {
    V_WriteStatement<kSize>(outputFP,
                            static_cast<double>(ScaleHeight(state.TextSize)));
    state.lastTextSize = state.TextSize;
  }
  if (state.TextFace != state.lastTextFace) {
    dumpFaceChanges();
    state.lastTextFace = state.TextFace;
  }
  if (Drawing.PenSep != state.lastPenSep) {
    V_WriteStatement<kSeparation>(outputFP, Drawing.PenSep);
    state.lastPenSep = static_cast<unsigned char>(Drawing.PenSep);
  }
  V_WriteStatement<kFontClose>(outputFP);
  if (inString == 1) V_WriteStatement<kStringOpen>(outputFP);
}

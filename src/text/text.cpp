// The text state and the text opcodes. The opcodes keep the font, face and
// size and move the pen and text positions; writing the text runs is not
// done here yet.
#include "text/text.h"

#include <cstring>

#include "driver/driver.h"
#include "graphics/graphics.h"
#include "pict/pict.h"

namespace {

constexpr size_t kFamilySize = 64;
constexpr uint16_t kDefaultTextSize = 12;

// The text state of the picture.
uint16_t TextFont = 0;
unsigned char TextFace = 0;
uint16_t TextSize = 0;
int16_t CurrentTextX = 0;
int16_t CurrentTextY = 0;
int FirstTime = 1;

// The family of the text being written, and what the last Font statement
// held, so that a Font statement is written only when something changed.
char TorvaFont[kFamilySize] = "Times";
char lastTorvaFont[kFamilySize] = "";
uint16_t lastTextSize = 0;
unsigned char lastTextFace = 0;
unsigned char lastPenSep = 0;

void textmoveto(int16_t x, int16_t y) {
  CurrentTextX = x;
  CurrentTextY = y;
}

void GetCurrentTextPosition(int16_t *x, int16_t *y) {
  *x = CurrentTextX;
  *y = CurrentTextY;
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

// Reads the count byte and the run of text behind it; returns the count.
int readTextRun(unsigned char *buffer) {
  unsigned char count = 0;
  ReadByte(&count);
  ReadString(buffer, count);
  buffer[count] = '\0';
  return count;
}

}  // namespace

int InRotatedText = 0;

void InitTextFontState() {
  std::strcpy(TorvaFont, "Times");
  lastTorvaFont[0] = '\0';
  lastTextSize = 0;
  lastTextFace = 0;
  lastPenSep = 0;
}

void Inittextops() {
  FirstTime = 1;
  textmoveto(0, 0);
  InRotatedText = 0;
}

void op_TxFont() { ReadUShort(&TextFont); }

void op_TxFace() {
  ReadByte(&TextFace);
  if (Version == 2) PictSkip(1);
}

void op_TxSize() {
  ReadUShort(&TextSize);
  if (TextSize == 0) TextSize = kDefaultTextSize;
}

void op_LongText() {
  int16_t v = 0, h = 0;
  ReadShort(&v);
  ReadShort(&h);
  moveto(h, v);
  textmoveto(h, v);
  unsigned char text[256];
  AdjustByteBoundary(readTextRun(text), 1);
}

void op_DHText() {
  unsigned char dh = 0;
  ReadByte(&dh);
  moveBoth(dh, 0);
  unsigned char text[256];
  AdjustByteBoundary(readTextRun(text), 0);
}

void op_DVText() {
  unsigned char dv = 0;
  ReadByte(&dv);
  moveBoth(0, dv);
  unsigned char text[256];
  AdjustByteBoundary(readTextRun(text), 0);
}

void op_DHDVText() {
  unsigned char dh = 0, dv = 0;
  ReadByte(&dh);
  ReadByte(&dv);
  moveBoth(dh, dv);
  unsigned char text[256];
  AdjustByteBoundary(readTextRun(text), 1);
}

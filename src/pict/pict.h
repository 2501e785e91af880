// The PICT reader: input primitives and the skips of operand structures.
#ifndef PICTTOTOV_PICT_PICT_H
#define PICTTOTOV_PICT_PICT_H

#include <array>
#include <cstdint>

#include "runtime/vok.h"

// A rectangle of the picture, normalised: x and y are the smaller corner.
struct Rect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// Input primitives. Every byte of the picture is read here: values byte by
// byte through ReadByte, runs (ReadString, PictSkip) at once through the
// same check, which ends the process at the end of input (message 1007 or
// 1008).
void ReadByte(unsigned char *byte);
unsigned char *ReadString(unsigned char *buffer, int32_t n);
void ReadUShort(uint16_t *word);
void ReadShort(int16_t *word);
// Reads `count` (1 or more) words as ReadShort does, in one piece where
// they are buffered.
void ReadShorts(int16_t *words, int32_t count);
void ReadLong(int32_t *value);
void ReadRect(Rect *rect);
void PictSkip(int32_t n);
int32_t GetByteCount();
void InputAlignWord();
void getopcode(uint16_t *opcode);
// Forgets positions, the held-back opcode and whether a byte was read.
void ResetPictReader();
void PeekNextOpcode(uint16_t *opcode);

// The operand structures `skip` knows.
enum class SkipKind : int {
  kBytes = 0,  // `count` bytes
  kRegion = 1,
  kBitsCopy = 2,
  kRgbColor = 3,
  kPixelPattern = 4,
  kLengthBlock = 5,  // a 16-bit length and that many bytes
  kPolygon = 6,
  kBitsCopyWithMask = 7,
};

// Skips one operand structure of the given kind (0 to 7); any other kind
// skips nothing.
void skip(int kind, int32_t count);
inline void skip(SkipKind kind, int32_t count = 0) {
  skip(static_cast<int>(kind), count);
}
int skippixmap(uint16_t *rowBytes, Rect *bounds);
void skipcolortable();

// The high bytes of the red, green and blue of a colour table's first 256
// entries; those the table does not hold are black.
struct ColorTable {
  std::array<unsigned char, 256> red{};
  std::array<unsigned char, 256> green{};
  std::array<unsigned char, 256> blue{};
};
// Reads a colour table, as skipcolortable skips it, into `table`; entries
// past 256 are read and dropped.
void ReadColorTable(ColorTable *table);
void skipimage(uint16_t rowBytes, const Rect *bounds);
// Skips what follows a full pixel pattern's type and 8-byte pattern: its
// pixel map, colour table and rows.
void SkipPixelPatternMap();

// Reads the byte count in front of a packed row of a map of rowBytes row
// bytes: one byte up to 250 row bytes, two from 251.
uint16_t ReadPackedRowCount(uint16_t rowBytes);
// Image data is padded to an even length in version 2: skips the pad byte
// when the bytes read since `start` (a GetByteCount) are odd.
void SkipImagePad(int32_t start);

int16_t GetShort(const unsigned char *pointer);
// A rectangle stored as ReadRect reads it, normalised as ReadRect does.
Rect GetRect(const unsigned char *pointer);
double GetFixed(const unsigned char *pointer);
void WriteBytes(Channel *channel, const void *bytes, int32_t n);

// Skips the data of an opcode the table has no handler for.
void SkipReservedOpcode(uint16_t opcode);

#endif  // PICTTOTOV_PICT_PICT_H

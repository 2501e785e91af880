// Skipping the operand structures that the filter doesn't convert: regions,
// polygons, pixel patterns, bit and pixel map copies, and the data of
// opcodes without a handler; and reading the colour tables that the image
// and pattern writers use.
#include "base/conversion.h"
#include "pict/layout.h"
#include "pict/pict.h"

namespace {

constexpr int32_t kRgbColorSize = 6;
// A pixel pattern of type 2: the 8-byte pattern and an RGB colour.
constexpr int32_t kDitherPatternSize = 14;
constexpr int32_t kPatternSize = 8;
constexpr uint16_t kPixelPatternDither = 2;
// Row bytes from which packed rows' byte counts take two bytes.
constexpr uint16_t kWordCountRowBytes = 251;

// Skips a structure that starts with its own 16-bit size (a region or a
// polygon); the size is unsigned, and a size below 2 skips nothing more.
void skipSizedStructure() {
  uint16_t size = 0;
  ReadUShort(&size);
  PictSkip(int32_t{size} - 2);
}

// Skips a 16-bit length and that many bytes.
void skipWordLengthBlock() {
  uint16_t length = 0;
  ReadUShort(&length);
  PictSkip(length);
}

// Skips a 32-bit length and that many bytes; the length is unsigned.
void skipLongLengthBlock() {
  int32_t value = 0;
  ReadLong(&value);
  uint32_t length = static_cast<uint32_t>(value);
  while (length > 0) {
    uint32_t piece = length > 0x40000000u ? 0x40000000u : length;
    PictSkip(static_cast<int32_t>(piece));
    length -= piece;
  }
}

// Skips a bit or pixel map copy; with a mask region behind the rectangles
// and the mode when `withMask` is set.
void skipBitsCopy(bool withMask) {
  uint16_t rowBytes = 0;
  Rect bounds;
  if (skippixmap(&rowBytes, &bounds)) skipcolortable();
  PictSkip(kCopyRectsAndMode);
  if (withMask) skipSizedStructure();
  skipimage(rowBytes, &bounds);
}

// Skips a pixel pattern: a dither pattern carries only the old-style pattern
// and a colour, any other type a whole pixel map with its image.
void skipPixelPattern() {
  uint16_t type = 0;
  ReadUShort(&type);
  if (type == kPixelPatternDither) {
    PictSkip(kDitherPatternSize);
    return;
  }
  PictSkip(kPatternSize);
  SkipPixelPatternMap();
}

}  // namespace

void skip(int kind, int32_t count) {
  switch (static_cast<SkipKind>(kind)) {
    case SkipKind::kBytes:
      PictSkip(count);
      break;
    case SkipKind::kRegion:
    case SkipKind::kPolygon:
      skipSizedStructure();
      break;
    case SkipKind::kBitsCopy:
      skipBitsCopy(false);
      break;
    case SkipKind::kRgbColor:
      PictSkip(kRgbColorSize);
      break;
    case SkipKind::kPixelPattern:
      skipPixelPattern();
      break;
    case SkipKind::kLengthBlock:
      skipWordLengthBlock();
      break;
    case SkipKind::kBitsCopyWithMask:
      skipBitsCopy(true);
      break;
    default:
      break;
  }
}

// Reads the row bytes and bounds of a bit or pixel map and skips the rest
// of a pixel map. Returns 1 for a pixel map; rowBytes loses the flag bit.
int skippixmap(uint16_t *rowBytes, Rect *bounds) {
  uint16_t word = 0;
  ReadUShort(&word);
  ReadRect(bounds);
  *rowBytes = static_cast<uint16_t>(word & ~kPixMapFlag);
  if ((word & kPixMapFlag) == 0) return 0;
  PictSkip(kPixMapFieldsSize);
  return 1;
}

// Skips a colour table: seed, flags, the size word n and n + 1 entries.
void skipcolortable() {
  PictSkip(kColorTableHead);
  uint16_t lastEntry = 0;
  ReadUShort(&lastEntry);
  PictSkip(kColorTableEntry * (int32_t{lastEntry} + 1));
}

void ReadColorTable(ColorTable *table) {
  PictSkip(kColorTableHead);
  uint16_t lastEntry = 0;
  ReadUShort(&lastEntry);
  for (uint32_t i = 0; i <= lastEntry; ++i) {
    uint16_t value = 0, r = 0, g = 0, b = 0;
    ReadUShort(&value);
    ReadUShort(&r);
    ReadUShort(&g);
    ReadUShort(&b);
    if (i < table->red.size()) {
      table->red[i] = static_cast<unsigned char>(r >> 8);
      table->green[i] = static_cast<unsigned char>(g >> 8);
      table->blue[i] = static_cast<unsigned char>(b >> 8);
    }
  }
}

void SkipPixelPatternMap() {
  uint16_t rowBytes = 0;
  Rect bounds;
  skippixmap(&rowBytes, &bounds);
  skipcolortable();
  skipimage(rowBytes, &bounds);
}

// Skips the rows of an image, unpacked or packed, and its pad byte.
void skipimage(uint16_t rowBytes, const Rect *bounds) {
  int32_t start = GetByteCount();
  int32_t rows = bounds->height;
  if (rowBytes < kPackedRowBytes) {
    PictSkip(int32_t{rowBytes} * rows);
  } else {
    for (int32_t row = 0; row < rows; ++row)
      PictSkip(ReadPackedRowCount(rowBytes));
  }
  SkipImagePad(start);
}

uint16_t ReadPackedRowCount(uint16_t rowBytes) {
  if (rowBytes < kWordCountRowBytes) {
    unsigned char count = 0;
    ReadByte(&count);
    return count;
  }
  uint16_t count = 0;
  ReadUShort(&count);
  return count;
}

void SkipImagePad(int32_t start) {
  uint32_t consumed =
      static_cast<uint32_t>(GetByteCount()) - static_cast<uint32_t>(start);
  if (Version == 2 && consumed % 2 != 0) PictSkip(1);
}

// Skips the data of an opcode the table has no handler for, by the size
// rules of version 2 pictures (a version 1 opcode byte follows the same
// rules): some opcodes carry no data, some a fixed amount given by their
// high byte, the others a 16- or 32-bit length and that many bytes.
void SkipReservedOpcode(uint16_t opcode) {
  if (opcode >= 0x00A2 && opcode <= 0x00AF) {
    skipWordLengthBlock();
  } else if (opcode >= 0x00D0 && opcode <= 0x00FE) {
    skipLongLengthBlock();
  } else if (opcode >= 0x0100 && opcode <= 0x7FFF) {
    PictSkip((opcode >> 8) * 2);
  } else if (opcode >= 0x8100) {
    skipLongLengthBlock();
  }
  // 0x00B0 to 0x00CF and 0x8000 to 0x80FF carry no data.
}

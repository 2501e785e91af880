// Line opcodes. For now they consume their operands and move the current
// point to the line's end; the lines themselves are not written yet.
#include <cstdint>

#include "graphics/graphics.h"
#include "pict/pict.h"

namespace {

struct Point {
  int16_t h = 0;
  int16_t v = 0;
};

// Points are stored vertical first.
Point readPoint() {
  Point point;
  ReadShort(&point.v);
  ReadShort(&point.h);
  return point;
}

// A signed byte: 128 and above stand for that value minus 256.
int32_t readDelta() {
  unsigned char byte = 0;
  ReadByte(&byte);
  return byte >= 128 ? int32_t{byte} - 256 : int32_t{byte};
}

// A coordinate plus a short line's offset, cut to 16 bits.
int16_t offset(int16_t coordinate, int32_t delta) {
  uint32_t sum =
      static_cast<uint32_t>(coordinate) + static_cast<uint32_t>(delta);
  return static_cast<int16_t>(static_cast<uint16_t>(sum & 0xFFFFu));
}

// Reads dh, then dv, and applies them to `from`.
Point readShortLineEnd(Point from) {
  int32_t dh = readDelta();
  int32_t dv = readDelta();
  return {offset(from.h, dh), offset(from.v, dv)};
}

}  // namespace

void op_Line() {
  readPoint();
  Point end = readPoint();
  moveto(end.h, end.v);
}

void op_LineFrom() {
  Point end = readPoint();
  moveto(end.h, end.v);
}

void op_ShortLine() {
  Point start = readPoint();
  Point end = readShortLineEnd(start);
  moveto(end.h, end.v);
}

void op_ShortLineFrom() {
  Point current;
  GetCurrentPos(&current.h, &current.v);
  Point end = readShortLineEnd(current);
  moveto(end.h, end.v);
}

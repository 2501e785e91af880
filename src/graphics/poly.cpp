// Polygon opcodes. For now each consumes its polygon operand and writes
// nothing; the Same variants have no operand.
#include "graphics/graphics.h"
#include "pict/pict.h"

namespace {

constexpr int kSkipPolygon = 6;

void skipPolygon() { skip(kSkipPolygon, 0); }

}  // namespace

void op_framePoly() { skipPolygon(); }
void op_paintPoly() { skipPolygon(); }
void op_erasePoly() { skipPolygon(); }
void op_fillPoly() { skipPolygon(); }
void op_frameSamePoly() {}
void op_paintSamePoly() {}
void op_eraseSamePoly() {}
void op_fillSamePoly() {}

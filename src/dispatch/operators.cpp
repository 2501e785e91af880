// The opcode table: one handler per opcode value, and the handlers of the
// opcodes that convert nothing, which only move the input past their
// operands.
#include <array>

#include "base/conversion.h"
#include "dispatch/dispatch.h"
#include "dispatch/table.h"
#include "graphics/graphics.h"
#include "image/image.h"
#include "pict/pict.h"
#include "text/text.h"

DispatchState Dispatch;

namespace {

constexpr uint16_t kEndOfPicture = 0xFF;

// Operand shapes of the skipped opcodes.
void skipNothing() { skip(0, 0); }
void skipRegion() { skip(1, 0); }
void skipRgbColor() { skip(3, 0); }
void skipLengthBlock() { skip(5, 0); }
void skipPolygon() { skip(6, 0); }
void skipRectangle() { skip(0, 8); }
// A rectangle and the start and arc angles.
void skipArc() { skip(0, 12); }
// The start and arc angles of the last arc's rectangle.
void skipAngles() { skip(0, 4); }

// Opcodes whose effect the document has no use for: clipping, text modes
// and spacing, highlighting, inversion, regions, reserved opcodes.
void op_NOP() { skipNothing(); }
void op_Clip() { skipRegion(); }
void op_TxMode() { skip(0, 2); }
void op_SpExtra() { skip(0, 4); }
void op_TxRatio() { skip(0, 8); }
void op_Version() { skip(0, 1); }
void op_PnLocHFrac() { skip(0, 2); }
void op_ChExtra() { skip(0, 2); }
void op_opcode17() { skipNothing(); }
void op_opcode18() { skipNothing(); }
void op_opcode19() { skipNothing(); }
void op_HiliteMode() { skipNothing(); }
void op_HiliteColor() { skipRgbColor(); }
void op_DefHilite() { skipNothing(); }
void op_OpColor() { skipRgbColor(); }
void op_opcode24() { skipLengthBlock(); }
void op_opcode25() { skipLengthBlock(); }
void op_opcode26() { skipLengthBlock(); }
void op_opcode27() { skipLengthBlock(); }
void op_opcode2c() { skipLengthBlock(); }
void op_opcode2d() { skipLengthBlock(); }
void op_opcode2e() { skipLengthBlock(); }
void op_opcode2f() { skipLengthBlock(); }
void op_invertRect() { skipRectangle(); }
void op_opcode35() { skipRectangle(); }
void op_opcode36() { skipRectangle(); }
void op_opcode37() { skipRectangle(); }
void op_invertSameRect() { skipNothing(); }
void op_opcode3d() { skipNothing(); }
void op_opcode3e() { skipNothing(); }
void op_opcode3f() { skipNothing(); }
void op_invertRRect() { skipRectangle(); }
void op_opcode45() { skipRectangle(); }
void op_opcode46() { skipRectangle(); }
void op_opcode47() { skipRectangle(); }
void op_invertSameRRect() { skipNothing(); }
void op_opcode4d() { skipNothing(); }
void op_opcode4e() { skipNothing(); }
void op_opcode4f() { skipNothing(); }
void op_invertOval() { skipRectangle(); }
void op_opcode55() { skipRectangle(); }
void op_opcode56() { skipRectangle(); }
void op_opcode57() { skipRectangle(); }
void op_invertSameOval() { skipNothing(); }
void op_opcode5d() { skipNothing(); }
void op_opcode5e() { skipNothing(); }
void op_opcode5f() { skipNothing(); }
void op_invertArc() { skipArc(); }
void op_opcode65() { skipArc(); }
void op_opcode66() { skipArc(); }
void op_opcode67() { skipArc(); }
void op_invertSameArc() { skipAngles(); }
void op_opcode6d() { skipAngles(); }
void op_opcode6e() { skipAngles(); }
void op_opcode6f() { skipAngles(); }
void op_invertPoly() { skipPolygon(); }
void op_opcode75() { skipPolygon(); }
void op_opcode76() { skipPolygon(); }
void op_opcode77() { skipPolygon(); }
void op_invertSamePoly() { skipNothing(); }
void op_opcode7d() { skipNothing(); }
void op_opcode7e() { skipNothing(); }
void op_opcode7f() { skipNothing(); }
void op_frameRgn() { skipRegion(); }
void op_paintRgn() { skipRegion(); }
void op_eraseRgn() { skipRegion(); }
void op_invertRgn() { skipRegion(); }
void op_fillRgn() { skipRegion(); }
void op_opcode85() { skipRegion(); }
void op_opcode86() { skipRegion(); }
void op_opcode87() { skipRegion(); }
void op_frameSameRgn() { skipNothing(); }
void op_paintSameRgn() { skipNothing(); }
void op_eraseSameRgn() { skipNothing(); }
void op_invertSameRgn() { skipNothing(); }
void op_fillSameRgn() { skipNothing(); }
void op_opcode8d() { skipNothing(); }
void op_opcode8e() { skipNothing(); }
void op_opcode8f() { skipNothing(); }
void op_opcode92() { skipLengthBlock(); }
void op_opcode93() { skipLengthBlock(); }
void op_opcode94() { skipLengthBlock(); }
void op_opcode95() { skipLengthBlock(); }
void op_opcode96() { skipLengthBlock(); }
void op_opcode97() { skipLengthBlock(); }
void op_opcode9a() { skipLengthBlock(); }
void op_opcode9b() { skipLengthBlock(); }
void op_opcode9c() { skipLengthBlock(); }
void op_opcode9d() { skipLengthBlock(); }
void op_opcode9e() { skipLengthBlock(); }
void op_opcode9f() { skipLengthBlock(); }

// An array of exactly as many handlers as are listed: a list one short or
// one long doesn't convert to the table's type.
template <typename... Handlers>
constexpr std::array<Handler, sizeof...(Handlers)> listOf(
    Handlers... handlers) {
  return {handlers...};
}

// Handlers of the opcodes 0x00 to 0xA1; the end of picture is set apart.
// clang-format off
constexpr std::array<Handler, 0xA2> kHandlers = listOf(
    /* 0x00 */ op_NOP, op_Clip, op_BkPat, op_TxFont,
               op_TxFace, op_TxMode, op_SpExtra, op_PnSize,
    /* 0x08 */ op_PnMode, op_PnPat, op_FillPat, op_OvSize,
               op_Origin, op_TxSize, op_FgColor, op_BkColor,
    /* 0x10 */ op_TxRatio, op_Version, op_BkPixPat, op_PnPixPat,
               op_FillPixPat, op_PnLocHFrac, op_ChExtra, op_opcode17,
    /* 0x18 */ op_opcode18, op_opcode19, op_RGBFgCol, op_RGBBkCol,
               op_HiliteMode, op_HiliteColor, op_DefHilite, op_OpColor,
    /* 0x20 */ op_Line, op_LineFrom, op_ShortLine, op_ShortLineFrom,
               op_opcode24, op_opcode25, op_opcode26, op_opcode27,
    /* 0x28 */ op_LongText, op_DHText, op_DVText, op_DHDVText,
               op_opcode2c, op_opcode2d, op_opcode2e, op_opcode2f,
    /* 0x30 */ op_frameRect, op_paintRect, op_eraseRect, op_invertRect,
               op_fillRect, op_opcode35, op_opcode36, op_opcode37,
    /* 0x38 */ op_frameSameRect, op_paintSameRect, op_eraseSameRect, op_invertSameRect,
               op_fillSameRect, op_opcode3d, op_opcode3e, op_opcode3f,
    /* 0x40 */ op_frameRRect, op_paintRRect, op_eraseRRect, op_invertRRect,
               op_fillRRect, op_opcode45, op_opcode46, op_opcode47,
    /* 0x48 */ op_frameSameRRect, op_paintSameRRect, op_eraseSameRRect, op_invertSameRRect,
               op_fillSameRRect, op_opcode4d, op_opcode4e, op_opcode4f,
    /* 0x50 */ op_frameOval, op_paintOval, op_eraseOval, op_invertOval,
               op_fillOval, op_opcode55, op_opcode56, op_opcode57,
    /* 0x58 */ op_frameSameOval, op_paintSameOval, op_eraseSameOval, op_invertSameOval,
               op_fillSameOval, op_opcode5d, op_opcode5e, op_opcode5f,
    /* 0x60 */ op_frameArc, op_paintArc, op_eraseArc, op_invertArc,
               op_fillArc, op_opcode65, op_opcode66, op_opcode67,
    /* 0x68 */ op_frameSameArc, op_paintSameArc, op_eraseSameArc, op_invertSameArc,
               op_fillSameArc, op_opcode6d, op_opcode6e, op_opcode6f,
    /* 0x70 */ op_framePoly, op_paintPoly, op_erasePoly, op_invertPoly,
               op_fillPoly, op_opcode75, op_opcode76, op_opcode77,
    /* 0x78 */ op_frameSamePoly, op_paintSamePoly, op_eraseSamePoly, op_invertSamePoly,
               op_fillSamePoly, op_opcode7d, op_opcode7e, op_opcode7f,
    /* 0x80 */ op_frameRgn, op_paintRgn, op_eraseRgn, op_invertRgn,
               op_fillRgn, op_opcode85, op_opcode86, op_opcode87,
    /* 0x88 */ op_frameSameRgn, op_paintSameRgn, op_eraseSameRgn, op_invertSameRgn,
               op_fillSameRgn, op_opcode8d, op_opcode8e, op_opcode8f,
    /* 0x90 */ op_BitsRect, op_BitsRgn, op_opcode92, op_opcode93,
               op_opcode94, op_opcode95, op_opcode96, op_opcode97,
    /* 0x98 */ op_PackBitsRect, op_PackBitsRgn, op_opcode9a, op_opcode9b,
               op_opcode9c, op_opcode9d, op_opcode9e, op_opcode9f,
    /* 0xA0 */ op_ShortComment, op_LongComment);
// clang-format on
static_assert(kHandlers.size() == 0xA2, "one handler for each opcode to 0xA1");

void op_opEndPic() { EndOfFile = 1; }

}  // namespace

// Builds the 256-slot table; the slots 0xA2 to 0xFE stay empty. Out of
// memory is fatal.
void initoperators() {
  Dispatch.Operators.Reserve(kTableSlots);
  Handler *Operators = Dispatch.Operators.data();
  for (size_t opcode = 0; opcode < kTableSlots; ++opcode)
    Operators[opcode] = opcode < kHandlers.size() ? kHandlers[opcode] : nullptr;
  Operators[kEndOfPicture] = op_opEndPic;
}

void CleanupOperators() { Dispatch.Operators.Release(); }

void ResetDispatch() { Dispatch = DispatchState{}; }

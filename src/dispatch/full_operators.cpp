// Under -full, the opcodes the classic conversion skips but a person
// converting at the command line wants drawn: the clip, regions and
// direct-colour pixel maps. Their slots of the opcode table are replaced
// after the table is built; every other slot stays as it is.
#include "dispatch/dispatch.h"
#include "dispatch/table.h"
#include "graphics/graphics.h"
#include "image/image.h"
#include "pict/pict.h"

namespace {

struct FullSlot {
  uint16_t opcode;
  Handler handler;
};

// Pen and fill kinds of the verbs, as every shape writer takes them.
// clang-format off
constexpr FullSlot kFullSlots[] = {
    {0x01, op_ClipRgn},                 // ClipRgn
    {0x80, [] { dumprgn(0, 3); }},      // frameRgn
    {0x81, [] { dumprgn(3, 0); }},      // paintRgn
    {0x82, [] { dumprgn(3, 2); }},      // eraseRgn
    {0x83, [] { RememberRegion(); }},   // invertRgn: nothing drawn
    {0x84, [] { dumprgn(3, 1); }},      // fillRgn
    {0x88, [] { dumpsamergn(0, 3); }},  // frameSameRgn
    {0x89, [] { dumpsamergn(3, 0); }},  // paintSameRgn
    {0x8A, [] { dumpsamergn(3, 2); }},  // eraseSameRgn
    {0x8C, [] { dumpsamergn(3, 1); }},  // fillSameRgn
    {0x9A, [] { do_directbits(0); }},   // DirectBitsRect
    {0x9B, [] { do_directbits(1); }},   // DirectBitsRgn
};
// clang-format on

}  // namespace

void InstallFullOperators() {
  Handler *Operators = Dispatch.Operators.data();
  for (const FullSlot &slot : kFullSlots) Operators[slot.opcode] = slot.handler;
}

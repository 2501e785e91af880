// Bitmaps and pixel maps of the picture. The four image opcodes are read
// past for now: nothing is written for them yet.
#include "image/image.h"
#include "pict/pict.h"

namespace {

// The operand structures of the image opcodes, as `skip` knows them.
constexpr int kCopyWithoutMask = 2;
constexpr int kCopyWithMaskRegion = 7;

}  // namespace

void op_BitsRect() { skip(kCopyWithoutMask, 0); }
void op_BitsRgn() { skip(kCopyWithMaskRegion, 0); }
void op_PackBitsRect() { skip(kCopyWithoutMask, 0); }
void op_PackBitsRgn() { skip(kCopyWithMaskRegion, 0); }

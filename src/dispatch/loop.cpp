// The opcode loop: every opcode of the picture goes to its handler, the
// version 2 header opcode to the picture space, under -full a QuickTime
// image to the image writer, any other to its skip.
#include "base/conversion.h"
#include "dispatch/dispatch.h"
#include "dispatch/table.h"
#include "graphics/graphics.h"
#include "image/image.h"

namespace {

// The version 2 header opcode and the size of its data.
constexpr uint16_t kHeaderOpcode = 0x0C00;
constexpr int32_t kHeaderDataSize = 24;
// An image compressed by QuickTime: a 32-bit length and that many bytes.
constexpr uint16_t kCompressedQuickTimeOpcode = 0x8200;

// Under -full, an extended header (version word -2) gives the picture's
// coordinate space, which is mapped onto the frame.
void readHeaderOpcode(const Rect &frame) {
  if (!RunOptions().full) {
    PictSkip(kHeaderDataSize);
    return;
  }
  unsigned char data[kHeaderDataSize];
  ReadString(data, kHeaderDataSize);
  MapExtendedHeader(data, frame);
}

}  // namespace

void ConvertOpcodes(const Rect &frame) {
  while (EndOfFile == 0) {
    uint16_t opcode = 0;
    getopcode(&opcode);
    if (opcode == kHeaderOpcode) {
      readHeaderOpcode(frame);
    } else if (opcode == kCompressedQuickTimeOpcode && RunOptions().full) {
      ConvertCompressedQuickTime();
    } else if (opcode < kTableSlots &&
               Dispatch.Operators.data()[opcode] != nullptr) {
      Dispatch.Operators.data()[opcode]();
    } else {
      SkipReservedOpcode(opcode);
    }
  }
}

// Picture comments: the structure a picture marks beside its drawing
// opcodes. Group comments open and close object groups; every other kind is
// read and dropped.
#include <cstdint>

#include "driver/driver.h"
#include "graphics/graphics.h"
#include "pict/pict.h"

namespace {

// Comment kinds acted upon.
enum class CommentKind : uint16_t {
  kBeginGroup = 140,
  kEndGroup = 141,
  kBeginBitmap = 142,
  kEndBitmap = 143,
  kPolyBegin = 160,
  kPolyEnd = 161,
  kPolyIgnore = 163,
  kPolySmooth = 164,
  kPolyClose = 165,
};

}  // namespace

// A short comment: a kind and nothing else. Both pairs of group brackets
// (object groups and bitmap groups) open and close a group. The polygon (160,
// 161, 163, 165) and rotated-text (151) kinds are not converted yet.
void op_ShortComment() {
  uint16_t kind = 0;
  ReadUShort(&kind);
  switch (static_cast<CommentKind>(kind)) {
    case CommentKind::kBeginGroup:
    case CommentKind::kBeginBitmap:
      BeginGroup();
      break;
    case CommentKind::kEndGroup:
    case CommentKind::kEndBitmap:
      EndGroup();
      break;
    case CommentKind::kPolyBegin:
      BeginPoly();
      break;
    case CommentKind::kPolyEnd:
      EndPoly();
      break;
    case CommentKind::kPolyIgnore:
      IgnorePoly();
      break;
    case CommentKind::kPolyClose:
      ClosePoly();
      break;
    default:
      break;
  }
}

// A long comment: a kind, a 16-bit payload size and the payload, which is
// kept in a buffer that grows as needed and ends with an extra zero byte.
// The rotated-text (150, 154) and polygon-smoothing (164) kinds are not
// converted yet; every payload is consumed.
void op_LongComment() {
  static unsigned char *comment = nullptr;
  static uint32_t buffersize = 0;
  uint16_t kind = 0, size = 0;
  ReadUShort(&kind);
  ReadUShort(&size);
  uint32_t needed = uint32_t{size} + 1u;
  if (needed > buffersize) {
    if (comment != nullptr) V_Free(comment);
    buffersize = needed;
    comment = static_cast<unsigned char *>(V_Alloc(needed, 0));
    if (comment == nullptr) Fatal(kMsgNoMemory);
  }
  ReadString(comment, size);
  comment[size] = 0;
  switch (static_cast<CommentKind>(kind)) {
    case CommentKind::kPolySmooth:
      SmoothPoly(comment[0]);
      break;
    default:
      break;
  }
}

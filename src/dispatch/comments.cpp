// Picture comments: the structure a picture marks beside its drawing
// opcodes. Group comments open and close object groups, polygon comments
// collect line segments into paths, rotated-text comments switch rotated
// text; every other kind is read and dropped.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "dispatch/table.h"
#include "graphics/graphics.h"
#include "pict/pict.h"
#include "text/text.h"

namespace {

// Comment kinds acted upon.
enum class CommentKind : uint16_t {
  kBeginGroup = 140,
  kEndGroup = 141,
  kBeginBitmap = 142,
  kEndBitmap = 143,
  kTextBegin = 150,
  kTextEnd = 151,
  kTextCenter = 154,
  kPolyBegin = 160,
  kPolyEnd = 161,
  kPolyIgnore = 163,
  kPolySmooth = 164,
  kPolyClose = 165,
};

// The first bytes of a payload, for kinds whose fields stand at fixed
// positions: bytes the payload does not have read as 0.
std::array<unsigned char, 8> fixedFields(const unsigned char *payload,
                                         uint16_t size) {
  std::array<unsigned char, 8> fields{};
  std::memcpy(fields.data(), payload, std::min<size_t>(size, fields.size()));
  return fields;
}

// Text begin: the justification in byte 0, the angle (clockwise, degrees)
// in bytes 2 and 3. The angle is negated in 32 bits, so -32768 gives 32768.
void textBegin(const unsigned char *payload, uint16_t size) {
  std::array<unsigned char, 8> fields = fixedFields(payload, size);
  int32_t angle = GetShort(&fields[2]);
  InitRotatedText(-angle, fields[0]);
}

// Text centre: two 16.16 fixed-point numbers, vertical then horizontal, the
// offset of the rotation centre from the first run's origin.
void textCenter(const unsigned char *payload, uint16_t size) {
  std::array<unsigned char, 8> fields = fixedFields(payload, size);
  float first = static_cast<float>(GetFixed(&fields[0]));
  float second = static_cast<float>(GetFixed(&fields[4]));
  ScaleDelta(&second, &first);
  InitRotatedTextOffset(second, first);
}

}  // namespace

// A short comment: a kind and nothing else. Both pairs of group brackets
// (object groups and bitmap groups) open and close a group.
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
    case CommentKind::kTextEnd:
      EndRotatedText();
      break;
    default:
      break;
  }
}

// A long comment: a kind, a 16-bit payload size and the payload, which is
// kept in a buffer that grows as needed (out of memory is fatal) and ends
// with an extra zero byte. Every payload is consumed; polygon smoothing
// takes its flags from byte 0 (the zero byte when the payload is empty).
void op_LongComment() {
  uint16_t kind = 0, size = 0;
  ReadUShort(&kind);
  ReadUShort(&size);
  Dispatch.comment.Reserve(uint32_t{size} + 1u);
  unsigned char *comment = Dispatch.comment.data();
  ReadString(comment, size);
  comment[size] = 0;
  switch (static_cast<CommentKind>(kind)) {
    case CommentKind::kPolySmooth:
      SmoothPoly(comment[0]);
      break;
    case CommentKind::kTextBegin:
      textBegin(comment, size);
      break;
    case CommentKind::kTextCenter:
      textCenter(comment, size);
      break;
    default:
      break;
  }
}

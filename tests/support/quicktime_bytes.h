// Builds the CompressedQuickTime opcode (0x8200) of version 2 pictures for
// the tests: the head with its matrix, matte and mask sizes and source
// rectangle, the image description and the compressed data.
#ifndef PICTTOTOV_TESTS_SUPPORT_QUICKTIME_BYTES_H
#define PICTTOTOV_TESTS_SUPPORT_QUICKTIME_BYTES_H

#include <cmath>
#include <cstdint>
#include <string>

#include "pict_bytes.h"

namespace qtbytes {

using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U32;

// A 16.16 fixed-point number.
inline std::string Fixed(double v) {
  return U32(static_cast<int64_t>(std::lround(v * 65536.0)));
}

// The matrix (a, b, u, c, d, v, tx, ty, w): x' = a x + c y + tx,
// y' = b x + d y + ty; u and v are 0 and w 1 (2.30).
inline std::string Matrix(double a, double b, double c, double d, double tx,
                          double ty) {
  return Fixed(a) + Fixed(b) + U32(0) + Fixed(c) + Fixed(d) + U32(0) +
         Fixed(tx) + Fixed(ty) + U32(0x40000000);
}

inline std::string Identity() { return Matrix(1, 0, 0, 1, 0, 0); }

struct Image {
  std::string type = "jpeg";
  int width = 0, height = 0;
  int depth = 24;
  int colorTableId = -1;
  std::string extensions;  // behind the colour table id
  std::string data;
  int64_t dataSize = -1;  // -1: the data's size
  std::string matrix = Identity();
  std::string source;  // empty: 0, 0, height, width
  std::string matte, mask;
};

// The 86 bytes of the image description and its extensions.
inline std::string Description(const Image &image) {
  std::string name(32, '\0');
  return U32(86 + static_cast<int64_t>(image.extensions.size())) + image.type +
         std::string(6, '\0') + U16(0) + U16(0) + U16(0) + "appl" + U32(0) +
         U32(512) + U16(image.width) + U16(image.height) + U32(72 << 16) +
         U32(72 << 16) +
         U32(image.dataSize < 0 ? static_cast<int64_t>(image.data.size())
                                : image.dataSize) +
         U16(1) + name + U16(image.depth) + U16(image.colorTableId) +
         image.extensions;
}

// The opcode's L bytes.
inline std::string Body(const Image &image) {
  const std::string source = image.source.empty()
                                 ? RectBytes(0, 0, image.height, image.width)
                                 : image.source;
  return U16(0) + image.matrix + U32(static_cast<int64_t>(image.matte.size())) +
         RectBytes(0, 0, 0, 0) + U16(64) + source + U32(0x300) +
         U32(static_cast<int64_t>(image.mask.size())) + image.matte +
         image.mask + Description(image) + image.data;
}

// The whole opcode with a given L, padded to a word.
inline std::string Opcode(const std::string &body, int64_t length) {
  std::string bytes = U16(0x8200) + U32(length) + body;
  return bytes.size() % 2 ? bytes + '\0' : bytes;
}

inline std::string Opcode(const Image &image) {
  const std::string body = Body(image);
  return Opcode(body, static_cast<int64_t>(body.size()));
}

}  // namespace qtbytes

#endif  // PICTTOTOV_TESTS_SUPPORT_QUICKTIME_BYTES_H

// Builds PICT pictures as byte strings for the tests, pictgen and the
// benchmarks: hex text to bytes, big-endian fields, and whole version 1 or
// version 2 pictures with or without the 512-byte file header.
#ifndef PICTTOTOV_TOOLS_PICT_BYTES_H
#define PICTTOTOV_TOOLS_PICT_BYTES_H

#include <cctype>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pictbytes {

// "00 11 02FF" -> the bytes 00 11 02 FF. Blanks, newlines and commas are
// ignored; anything else that is not a hex digit is a mistake in the caller.
inline std::string Hex(std::string_view hex) {
  std::string digits;
  for (char c : hex) {
    if (std::isxdigit(static_cast<unsigned char>(c)))
      digits += c;
    else if (std::string_view(" \n\t,").find(c) == std::string_view::npos)
      throw std::invalid_argument("bad hex digit");
  }
  if (digits.size() % 2)
    throw std::invalid_argument("odd number of hex digits");
  std::string bytes;
  for (size_t i = 0; i < digits.size(); i += 2)
    bytes += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
  return bytes;
}

inline std::string U8(unsigned v) {
  return std::string(1, static_cast<char>(v & 0xFF));
}

inline std::string U16(int v) {
  uint32_t u = static_cast<uint32_t>(v);
  return {static_cast<char>(u >> 8 & 0xFF), static_cast<char>(u & 0xFF)};
}

inline std::string U32(int64_t v) {
  uint32_t u = static_cast<uint32_t>(v);
  return U16(static_cast<int>(u >> 16)) + U16(static_cast<int>(u & 0xFFFF));
}

// PackBits: repeats of 3 or more equal bytes as runs, the rest as literals
// of up to 128 bytes.
inline std::string PackBits(const std::string &row) {
  std::string packed;
  size_t i = 0;
  while (i < row.size()) {
    size_t run = 1;
    while (i + run < row.size() && run < 128 && row[i + run] == row[i]) ++run;
    if (run >= 3) {
      packed += U8(static_cast<unsigned>(257 - run)) + row.substr(i, 1);
      i += run;
      continue;
    }
    size_t start = i;
    while (
        i < row.size() && i - start < 128 &&
        !(i + 2 < row.size() && row[i] == row[i + 1] && row[i] == row[i + 2]))
      ++i;
    packed +=
        U8(static_cast<unsigned>(i - start - 1)) + row.substr(start, i - start);
  }
  return packed;
}

// A packed image row behind its byte count: one byte for rows of up to 250
// bytes, two for longer ones.
inline std::string PackedRow(const std::string &row) {
  std::string packed = PackBits(row);
  return (row.size() > 250 ? U16(static_cast<int>(packed.size()))
                           : U8(static_cast<unsigned>(packed.size()))) +
         packed;
}

// A rectangle as the picture stores it: top, left, bottom, right.
inline std::string RectBytes(int top, int left, int bottom, int right) {
  return U16(top) + U16(left) + U16(bottom) + U16(right);
}

// An opcode of a version 2 picture: a 16-bit word.
inline std::string Op2(int opcode) { return U16(opcode); }

struct Frame {
  int top = 0, left = 0, bottom = 100, right = 200;
};

// The 512-byte file header, the picture size word and the frame.
inline std::string Preamble(const Frame &frame, bool header) {
  std::string bytes = header ? std::string(512, '\0') : std::string();
  bytes += U16(0);  // picture size: not used by the filter
  bytes += RectBytes(frame.top, frame.left, frame.bottom, frame.right);
  return bytes;
}

// A version 1 picture: version opcode 11 01, the opcodes, end opcode FF.
inline std::string PictV1(const std::string &opcodes, Frame frame = {},
                          bool header = true) {
  return Preamble(frame, header) + Hex("11 01") + opcodes + Hex("FF");
}

// The 0C00 header opcode of a version 2 picture with its 24 data bytes: an
// extended header (version -2) at 72 dpi whose source rectangle is the
// picture's frame, so that -full draws the picture where its frame says.
inline std::string HeaderOpV2(const Frame &frame = {}) {
  return Hex("0C00 FFFE 0000 0048 0000 0048 0000") +
         RectBytes(frame.top, frame.left, frame.bottom, frame.right) +
         Hex("0000 0000");
}

// A version 2 picture: version opcode 0011 02FF, the header opcode, the
// opcodes (the caller keeps them word aligned), end opcode 00FF.
inline std::string PictV2(const std::string &opcodes, Frame frame = {},
                          bool header = true) {
  return Preamble(frame, header) + Hex("0011 02FF") + HeaderOpV2(frame) +
         opcodes + Hex("00FF");
}

}  // namespace pictbytes

#endif  // PICTTOTOV_TOOLS_PICT_BYTES_H

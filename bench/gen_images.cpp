// Writes a version 2 picture for measuring the image path: one packed 8-bit
// pixel map of 4000 x 4000 pixels with a 256-colour table, and one packed
// 1-bit bitmap of 6000 x 6000 pixels. Both mix long runs with noise, so the
// packed rows hold repeats and literals alike.
//
//   gen_images OUT.pict
#include <cstdint>
#include <cstdio>
#include <string>

#include "pict_bytes.h"

namespace {

using pictbytes::Hex;
using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U32;

constexpr int kPixSide = 4000;
constexpr int kBitSide = 6000;

// A small deterministic noise source.
uint32_t nextNoise(uint32_t *state) {
  *state = *state * 1664525u + 1013904223u;
  return *state >> 24;
}

// Source rectangle, destination rectangle, transfer mode.
std::string placement(int height, int width) {
  return RectBytes(0, 0, height, width) + RectBytes(0, 0, height, width) +
         U16(0);
}

void writePadded(std::FILE *out, std::string *bytes) {
  if (bytes->size() % 2) *bytes += '\0';
  std::fwrite(bytes->data(), 1, bytes->size(), out);
}

// 8-bit pixel map: colour bands on the left half, noise on the right.
void writePixMap(std::FILE *out) {
  std::string head = U16(0x0098) + U16(kPixSide | 0x8000) +
                     RectBytes(0, 0, kPixSide, kPixSide);
  head += U16(0) + U16(0) + U32(0) + U32(0x480000) + U32(0x480000) + U16(0);
  head += U16(8) + U16(1) + U16(8) + U32(0) + U32(0) + U32(0);
  head += U32(0) + U16(0) + U16(255);
  for (int i = 0; i < 256; ++i)
    head +=
        U16(i) + U16(i * 257) + U16((255 - i) * 257) + U16((i * 7 & 255) * 257);
  head += placement(kPixSide, kPixSide);
  std::fwrite(head.data(), 1, head.size(), out);
  uint32_t noise = 1, dataBytes = 0;
  std::string row(kPixSide, '\0');
  for (int y = 0; y < kPixSide; ++y) {
    for (int x = 0; x < kPixSide; ++x)
      row[x] = static_cast<char>(x < kPixSide / 2 ? (x / 37 + y / 53) & 0xFF
                                                  : nextNoise(&noise));
    std::string counted = pictbytes::PackedRow(row);
    dataBytes += static_cast<uint32_t>(counted.size());
    std::fwrite(counted.data(), 1, counted.size(), out);
  }
  std::string pad(dataBytes % 2, '\0');
  std::fwrite(pad.data(), 1, pad.size(), out);
}

// 1-bit bitmap: a checkerboard of 64-pixel squares, every eighth row noise.
void writeBitMap(std::FILE *out) {
  const int rowBytes = kBitSide / 8;
  std::string head = U16(0x0098) + U16(rowBytes) +
                     RectBytes(0, 0, kBitSide, kBitSide) +
                     placement(kBitSide, kBitSide);
  std::fwrite(head.data(), 1, head.size(), out);
  uint32_t noise = 7, dataBytes = 0;
  std::string row(rowBytes, '\0');
  for (int y = 0; y < kBitSide; ++y) {
    for (int b = 0; b < rowBytes; ++b)
      row[b] = static_cast<char>(y % 8 == 0               ? nextNoise(&noise)
                                 : ((b / 8 + y / 64) % 2) ? 0xFF
                                                          : 0x00);
    std::string counted = pictbytes::PackedRow(row);
    dataBytes += static_cast<uint32_t>(counted.size());
    std::fwrite(counted.data(), 1, counted.size(), out);
  }
  std::string pad(dataBytes % 2, '\0');
  std::fwrite(pad.data(), 1, pad.size(), out);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gen_images OUT.pict\n");
    return 2;
  }
  std::FILE *out = std::fopen(argv[1], "wb");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::string start = std::string(512, '\0') + U16(0) +
                      RectBytes(0, 0, kBitSide, kBitSide) + Hex("0011 02FF") +
                      pictbytes::HeaderOpV2({0, 0, kBitSide, kBitSide});
  writePadded(out, &start);
  writePixMap(out);
  writeBitMap(out);
  std::string end = U16(0x00FF);
  std::fwrite(end.data(), 1, end.size(), out);
  return std::fclose(out) == 0 ? 0 : 1;
}

// Writes a version 2 picture for timing the line and polygon writers:
//   gen_lines OUT.pict [count]
// `count` (at least 200000, the default) line and polygon opcodes, a third
// of them lines collected into smoothed paths between PolyBegin, PolySmooth
// and PolyEnd comments, the rest single lines in every direction and
// polygon opcodes, some merged with a frame-same. Prints the number of
// drawing objects (line and polygon opcodes) the picture holds.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "pict_bytes.h"

namespace {

using pictbytes::Op2;
using pictbytes::PictV2;
using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U8;

constexpr long kLeastObjects = 200000;
// Segments per collected path.
constexpr long kPathSegments = 24;

// A small deterministic generator, so every run times the same picture.
struct Random {
  unsigned long state = 12345;
  int below(int n) {
    state = state * 6364136223846793005ul + 1442695040888963407ul;
    return static_cast<int>((state >> 33) % static_cast<unsigned long>(n));
  }
};

std::string Point(int x, int y) { return U16(y) + U16(x); }

// One single line opcode of the four kinds, in any direction.
std::string SingleLine(Random &random) {
  int x = random.below(900), y = random.below(900);
  int dx = random.below(101) - 50, dy = random.below(101) - 50;
  switch (random.below(4)) {
    case 0:
      return Op2(0x20) + Point(x, y) + Point(x + dx, y + dy);
    case 1:
      return Op2(0x21) + Point(x + dx, y + dy);
    case 2:
      return Op2(0x22) + Point(x, y) + U8(dx) + U8(dy);
    default:
      return Op2(0x23) + U8(dx) + U8(dy);
  }
}

// A polygon opcode with its record of `points` vertices.
std::string PolygonOp(int opcode, Random &random, int points) {
  std::string bytes =
      Op2(opcode) + U16(10 + 4 * points) + RectBytes(0, 0, 1000, 1000);
  for (int i = 0; i < points; ++i)
    bytes += Point(random.below(1000), random.below(1000));
  return bytes;
}

// A smoothed path of kPathSegments segments: closed, filled and outlined,
// or open and outlined.
std::string SmoothedPath(Random &random) {
  int flags = random.below(2) ? 7 : 1;
  std::string bytes =
      Op2(0xA0) + U16(160) + Op2(0xA1) + U16(164) + U16(2) + U8(flags) + U8(0);
  int x = 100 + random.below(800), y = 100 + random.below(800);
  bytes += Op2(0x20) + Point(x, y) + Point(x + 5, y + 3);
  for (long i = 1; i < kPathSegments; ++i)
    bytes += Op2(0x23) + U8(random.below(21) - 10) + U8(random.below(21) - 10);
  return bytes + Op2(0xA0) + U16(161);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s OUT.pict [count]\n", argv[0]);
    return 2;
  }
  long count = argc == 3 ? std::strtol(argv[2], nullptr, 10) : kLeastObjects;
  if (count < kLeastObjects) count = kLeastObjects;
  Random random;
  std::string opcodes = Op2(0x07) + U16(2) + U16(2);  // pen 2 x 2
  long objects = 0, collected = 0;
  while (objects < count) {
    if (collected * 3 < objects) {
      opcodes += SmoothedPath(random);
      objects += kPathSegments;
      collected += kPathSegments;
      continue;
    }
    int pick = random.below(10);
    if (pick < 7) {
      opcodes += SingleLine(random);
      objects += 1;
    } else if (pick < 9) {
      opcodes +=
          PolygonOp(0x70 + random.below(2) * 4, random, 3 + random.below(10));
      objects += 1;
    } else {
      opcodes += PolygonOp(0x71, random, 3 + random.below(10)) + Op2(0x78);
      objects += 2;
    }
  }
  std::string picture = PictV2(opcodes, {0, 0, 1000, 1000});
  std::FILE *out = std::fopen(argv[1], "wb");
  if (out == nullptr ||
      std::fwrite(picture.data(), 1, picture.size(), out) != picture.size() ||
      std::fclose(out) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  std::printf("%ld\n", objects);
  return 0;
}

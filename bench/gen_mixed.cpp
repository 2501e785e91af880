// Writes the benchmark pictures that are made of drawing opcodes, text and
// skipped data. All are version 2 pictures with the 512-byte file header.
//
//   gen_mixed vector OUT [units]  rectangles, ovals, arcs, groups, lines,
//                                 framed and painted polygons, smoothed
//                                 paths, open and closed (comments 160,
//                                 164, 161) and short texts with font changes
//   gen_mixed shapes OUT [count]  rectangles, ovals, arcs and small groups
//   gen_mixed paths OUT [units]   long polygons, smoothed paths (open and
//                                 closed) and collected line paths of
//                                 thousands of points each
//   gen_mixed groups OUT [count]  many small groups of one to three shapes
//                                 and lines, some nested
//   gen_mixed text OUT [units]    many short text runs with font changes
//   gen_mixed skip OUT [MB]       image data the filter reads past (0x8200)
//   gen_mixed big OUT [MB]        mostly skipped image data with shapes
//                                 between the blocks (peak memory)
//
// The picture is streamed to OUT: its size does not depend on memory.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "pict_bytes.h"

namespace {

using pictbytes::Hex;
using pictbytes::Op2;
using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U32;
using pictbytes::U8;

// A small deterministic generator: the same picture on every run.
class Random {
 public:
  int Next(int bound) {
    state_ = state_ * 1103515245u + 12345u;
    return static_cast<int>((state_ >> 8) % static_cast<uint32_t>(bound));
  }

 private:
  uint32_t state_ = 20260406u;
};

class Picture {
 public:
  explicit Picture(const char *path) : file_(std::fopen(path, "wb")) {
    if (file_ == nullptr) {
      std::perror(path);
      std::exit(1);
    }
    pictbytes::Frame frame{0, 0, 2000, 3000};
    Put(pictbytes::Preamble(frame, true) + Hex("0011 02FF") +
        pictbytes::HeaderOpV2(frame));
  }
  ~Picture() {
    Put(Op2(0x00FF));
    if (std::fclose(file_) != 0) {
      std::perror("gen_mixed");
      std::exit(1);
    }
  }
  Picture(const Picture &) = delete;
  Picture &operator=(const Picture &) = delete;

  void Put(const std::string &bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
      std::perror("gen_mixed");
      std::exit(1);
    }
  }
  // An opcode with operands of an even length.
  void Op(int opcode, const std::string &operands = "") {
    Put(Op2(opcode) + operands + (operands.size() % 2 ? U8(0) : ""));
  }

 private:
  FILE *file_;
};

std::string Point(int v, int h) { return U16(v) + U16(h); }

// A rectangle somewhere in the frame, at least 2 units wide and high.
std::string SomeRect(Random &random) {
  int top = random.Next(1900), left = random.Next(2900);
  return RectBytes(top, left, top + 2 + random.Next(90),
                   left + 2 + random.Next(90));
}

void ShortComment(Picture &picture, int kind) { picture.Op(0x00A0, U16(kind)); }

void LongComment(Picture &picture, int kind, const std::string &payload) {
  picture.Op(0x00A1,
             U16(kind) + U16(static_cast<int>(payload.size())) + payload);
}

// Three shapes in a group, then a rounded rectangle on its own: four
// objects and one group.
int Shapes(Picture &picture, Random &random) {
  ShortComment(picture, 140);
  picture.Op(0x0030, SomeRect(random));  // frameRect
  picture.Op(0x0051, SomeRect(random));  // paintOval
  picture.Op(0x0060, SomeRect(random) + U16(random.Next(360)) +
                         U16(10 + random.Next(300)));  // frameArc
  ShortComment(picture, 141);
  picture.Op(0x000B, Point(8, 8));       // OvSize
  picture.Op(0x0040, SomeRect(random));  // frameRRect
  return 5;
}

// Two lines, a framed and a painted polygon, and a smoothed path drawn
// with lines, closed every other time or so.
int Paths(Picture &picture, Random &random) {
  int v = random.Next(1900), h = random.Next(2900);
  picture.Op(0x0020, Point(v, h) + Point(v + 40, h + 25));  // Line
  picture.Op(0x0023, U8(12) + U8(0xF6));                    // ShortLineFrom
  std::string points;
  for (int i = 0; i < 6; ++i) points += Point(v + random.Next(80), h + 10 * i);
  picture.Op(0x0070, U16(10 + 4 * 6) + RectBytes(v, h, v + 80, h + 60) +
                         points);  // framePoly
  picture.Op(0x0071, U16(10 + 4 * 7) + RectBytes(v, h, v + 80, h + 60) +
                         points + points.substr(0, 4));  // paintPoly, closed
  ShortComment(picture, 160);                            // begin polygon
  LongComment(picture, 164, U8(0x01));
  picture.Op(0x0020, Point(v, h) + Point(v + 10, h + 30));
  for (int i = 0; i < 4; ++i)
    picture.Op(0x0021, Point(v + random.Next(60), h + 40 + 10 * i));
  if (random.Next(2) == 0) picture.Op(0x0021, Point(v, h));  // closed
  ShortComment(picture, 161);                                // end polygon
  return 5;
}

// The next vertex of a random walk inside the frame, never the same point
// (a segment of no length would end the smoothing of a path).
void Step(Random &random, int *v, int *h) {
  const int lastV = *v, lastH = *h;
  *v = std::min(1890, std::max(10, *v + random.Next(41) - 20));
  *h = std::min(2890, std::max(10, *h + random.Next(41) - 20));
  if (*v == lastV && *h == lastH) *h += *h < 1500 ? 1 : -1;
}

// A framed polygon, a smoothed path (closed and filled every other time)
// and a plain collected path, each of 2000 to 4000 points: three objects.
int LongPaths(Picture &picture, Random &random) {
  int v = 100 + random.Next(1700), h = 100 + random.Next(2700);
  const int polygonPoints = 2000 + random.Next(2001);
  std::string points;
  for (int i = 0; i < polygonPoints; ++i, Step(random, &v, &h))
    points += Point(v, h);
  picture.Op(0x0070, U16(10 + 4 * polygonPoints) + RectBytes(0, 0, 1900, 2900) +
                         points);  // framePoly
  for (int smoothed = 1; smoothed >= 0; --smoothed) {
    ShortComment(picture, 160);  // begin polygon
    if (smoothed) LongComment(picture, 164, U8(random.Next(2) ? 7 : 1));
    const int segments = 2000 + random.Next(2001);
    picture.Op(0x0020, Point(v, h) + Point(v + 3, h + 4));  // Line
    for (int i = 1; i < segments; ++i) {
      Step(random, &v, &h);
      picture.Op(0x0021, Point(v, h));  // LineFrom
    }
    ShortComment(picture, 161);  // end polygon
  }
  return 3;
}

// A group of one to three small shapes and lines, every eighth one inside
// an outer group with a rectangle of its own.
int SmallGroup(Picture &picture, Random &random, long index) {
  const bool nested = index % 8 == 0;
  int objects = 1;
  if (nested) {
    ShortComment(picture, 140);
    picture.Op(0x0031, SomeRect(random));  // paintRect
    objects += 2;
  }
  ShortComment(picture, 140);  // begin group
  const int members = 1 + random.Next(3);
  for (int i = 0; i < members; ++i) {
    int v = random.Next(1900), h = random.Next(2900);
    switch (random.Next(3)) {
      case 0:
        picture.Op(0x0030, SomeRect(random));  // frameRect
        break;
      case 1:
        picture.Op(0x0051, SomeRect(random));  // paintOval
        break;
      default:
        picture.Op(0x0020, Point(v, h) + Point(v + 30, h + 20));  // Line
    }
  }
  ShortComment(picture, 141);  // end group
  if (nested) ShortComment(picture, 141);
  return objects + members;
}

// A line of text in three runs, with a change of font, size and face.
int Texts(Picture &picture, Random &random) {
  static const char *const kWords[] = {"abc",   "Text",   "ab\\c(d)", "x",
                                       "Hello", "world!", "a\xA5z",   "12.5"};
  picture.Op(0x0003, U16(random.Next(4)));      // TxFont
  picture.Op(0x000D, U16(9 + random.Next(8)));  // TxSize
  picture.Op(0x0004, U8(random.Next(4)));       // TxFace
  std::string first = kWords[random.Next(8)];
  picture.Op(0x0028, Point(random.Next(1900), random.Next(2900)) +
                         U8(static_cast<unsigned>(first.size())) + first);
  std::string second = kWords[random.Next(8)];
  picture.Op(0x0029, U8(30) + U8(static_cast<unsigned>(second.size())) +
                         second);  // DHText
  std::string third = kWords[random.Next(8)];
  picture.Op(0x002B,
             U8(20) + U8(14) + U8(static_cast<unsigned>(third.size())) + third);
  return 3;
}

// Image data the filter reads past: a compressed-image opcode with a 32-bit
// length.
void SkippedBlock(Picture &picture, Random &random, uint32_t size) {
  std::string data(size, '\0');
  for (size_t i = 0; i < data.size(); i += 61)
    data[i] = static_cast<char>(random.Next(256));
  picture.Put(Op2(0x8200) + U32(size) + data);
}

long Argument(int argc, char **argv, long fallback) {
  return argc > 3 ? std::atol(argv[3]) : fallback;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 3) {
    std::fprintf(
        stderr,
        "usage: gen_mixed vector|shapes|paths|groups|text|skip|big OUT "
        "[size]\n");
    return 2;
  }
  std::string kind = argv[1];
  Random random;
  long objects = 0;
  {
    Picture picture(argv[2]);
    if (kind == "vector") {
      long units = Argument(argc, argv, 40000);
      for (long i = 0; i < units; ++i) {
        picture.Op(0x0007, Point(1 + i % 3, 1 + i % 3));  // PnSize
        objects += Shapes(picture, random) + Paths(picture, random);
        if (i % 4 == 0) objects += Texts(picture, random);
      }
    } else if (kind == "shapes") {
      long count = Argument(argc, argv, 200000);
      while (objects < count) objects += Shapes(picture, random);
    } else if (kind == "paths") {
      long units = Argument(argc, argv, 150);
      for (long i = 0; i < units; ++i) {
        picture.Op(0x0007, Point(1 + i % 2, 1 + i % 2));  // PnSize
        objects += LongPaths(picture, random);
      }
    } else if (kind == "groups") {
      long count = Argument(argc, argv, 200000);
      for (long i = 0; objects < count; ++i)
        objects += SmallGroup(picture, random, i);
    } else if (kind == "text") {
      long units = Argument(argc, argv, 200000);
      for (long i = 0; i < units; ++i) objects += Texts(picture, random);
    } else if (kind == "skip" || kind == "big") {
      long megabytes = Argument(argc, argv, kind == "skip" ? 10 : 200);
      for (long i = 0; i < megabytes * 4; ++i) {
        SkippedBlock(picture, random, 256 * 1024);
        if (kind == "big") objects += Shapes(picture, random);
      }
    } else {
      std::fprintf(stderr, "gen_mixed: unknown picture kind %s\n", argv[1]);
      return 2;
    }
  }
  std::printf("%ld\n", objects);
  return 0;
}

// pictgen: writes seeded random pictures that are well formed, version 1 and
// version 2, with and without the file header, using every kind of opcode
// the filter converts: drawing state, lines, shapes, polygons, text, bitmaps
// and pixel maps, group, polygon and rotated-text comments. The same seed
// always gives the same pictures. They feed the comparison of builds and the
// fuzzer's seed corpus.
//
//   pictgen SEED COUNT FOLDER   writes FOLDER/gen-SEED-N.pict (N = 0..COUNT-1)
//                               and FOLDER/gen-SEED-N.noheader.pict
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "pict_bytes.h"

namespace {

using pictbytes::Frame;
using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U32;
using pictbytes::U8;

class Generator {
 public:
  Generator(uint32_t seed, int version) : random_(seed), version_(version) {}

  // The opcodes of one picture, `count` random steps.
  std::string Opcodes(int count) {
    std::string bytes;
    for (int i = 0; i < count; ++i) bytes += Step();
    return bytes;
  }

 private:
  int Int(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random_);
  }
  bool Chance(int percent) { return Int(0, 99) < percent; }

  std::string Op(int opcode) {
    return version_ == 2 ? U16(opcode) : U8(opcode);
  }
  // Version 2 operands are padded to an even length.
  std::string Even(std::string data) {
    if (version_ == 2 && data.size() % 2) data += '\0';
    return data;
  }
  std::string Coord() { return U16(Int(-40, 400)); }
  std::string Point() { return Coord() + Coord(); }
  std::string Rect() {
    int top = Int(-20, 300), left = Int(-20, 300);
    return RectBytes(top, left, top + Int(-5, 120), left + Int(-5, 160));
  }
  std::string Pattern() {
    static const char *const kPatterns[] = {
        "FF FF FF FF FF FF FF FF", "00 00 00 00 00 00 00 00",
        "AA 55 AA 55 AA 55 AA 55", "88 22 88 22 88 22 88 22",
        "0F 1E 3C 78 F0 E1 C3 87", "CC CC CC CC CC CC CC CC"};
    if (Chance(80)) return pictbytes::Hex(kPatterns[Int(0, 5)]);
    std::string bytes;
    for (int i = 0; i < 8; ++i) bytes += U8(Int(0, 255));
    return bytes;
  }
  std::string Text(int count) {
    static const char kLetters[] =
        "Hello, World! 'quoted' <angle> back\\slash \r\t\x7f\xa5\xe9";
    std::string text;
    for (int i = 0; i < count; ++i)
      text += kLetters[Int(0, sizeof kLetters - 2)];
    return text;
  }

  std::string Step() {
    switch (Int(0, 13)) {
      case 0:
        return State();
      case 1:
      case 2:
        return Shape();
      case 3:
      case 4:
        return Line();
      case 5:
        return Polygon();
      case 6:
        return CollectedPath();
      case 7:
      case 8:
        return TextRun();
      case 9:
        return RotatedText();
      case 10:
        return Group();
      case 11:
        return version_ == 2 ? PixelMap() : Bitmap();
      case 12:
        return Bitmap();
      default:
        return Op(0xA1) + U16(Int(0, 200)) + Even(U16(3) + "abc");
    }
  }

  std::string State() {
    switch (Int(0, 9)) {
      case 0:
        return Op(0x07) + U16(Int(0, 5)) + U16(Int(0, 5));  // PnSize
      case 1:
        return Op(0x08) + U16(Int(0, 15));  // PnMode
      case 2:
        return Op(0x09) + Pattern();  // PnPat
      case 3:
        return Op(0x0A) + Pattern();  // FillPat
      case 4:
        return Op(0x02) + Pattern();  // BkPat
      case 5:
        return Op(0x0B) + U16(Int(0, 40)) + U16(Int(0, 40));  // OvSize
      case 6:
        return Op(0x0C) + U16(Int(-10, 10)) + U16(Int(-10, 10));  // Origin
      case 7: {
        static const int kColors[] = {33, 30, 205, 341, 409, 273, 137, 69};
        return Op(Chance(50) ? 0x0E : 0x0F) + U32(kColors[Int(0, 7)]);
      }
      case 8:
        if (version_ == 2)  // RGBFgCol
          return Op(0x1A) + U16(Int(0, 65535)) + U16(Int(0, 65535)) +
                 U16(Int(0, 65535));
        return Op(0x0E) + U32(33);
      default:
        return Op(0x03) + U16(Int(0, 45)) + Op(0x0D) + U16(Int(0, 30)) +
               Op(0x04) + Even(U8(Int(0, 127)));  // TxFont, TxSize, TxFace
    }
  }

  // A rectangle, rounded rectangle, oval or arc in one of its five verbs,
  // sometimes followed by the shape's frame-same opcode.
  std::string Shape() {
    int base = 0x30 + 0x10 * Int(0, 3);
    int verb = Int(0, 4);
    bool arc = base == 0x60;
    std::string angles = arc ? U16(Int(-400, 400)) + U16(Int(-400, 400)) : "";
    std::string bytes = Op(base + verb) + Rect() + angles;
    if (Chance(30)) bytes += Op(base + 8) + angles;              // frameSame
    if (Chance(20)) bytes += Op(base + 8 + Int(1, 4)) + angles;  // Same verb
    return bytes;
  }

  std::string Line() {
    switch (Int(0, 3)) {
      case 0:
        return Op(0x20) + Point() + Point();
      case 1:
        return Op(0x21) + Point();
      case 2:
        return Op(0x22) + Point() + U8(Int(0, 255)) + U8(Int(0, 255));
      default:
        return Op(0x23) + Even(U8(Int(0, 255)) + U8(Int(0, 255)));
    }
  }

  std::string PolygonOperand() {
    int points = Int(1, 20);
    std::string bytes = U16(10 + 4 * points) + Rect();
    for (int i = 0; i < points; ++i) bytes += Point();
    return bytes;
  }
  std::string Polygon() {
    std::string bytes = Op(0x70 + Int(0, 4)) + PolygonOperand();
    if (Chance(30)) bytes += Op(0x78);
    return bytes;
  }

  std::string ShortComment(int kind) { return Op(0xA0) + U16(kind); }
  std::string LongComment(int kind, const std::string &payload) {
    return Op(0xA1) + U16(kind) + Even(U16(payload.size()) + payload);
  }

  // Line segments between polygon comments, smoothed, closed or ignored.
  std::string CollectedPath() {
    std::string bytes = ShortComment(160);
    if (Chance(60)) bytes += LongComment(164, U8(Int(0, 7)));
    if (Chance(15)) bytes += ShortComment(163);
    bytes += Op(0x20) + Point() + Point();
    for (int i = Int(0, 80); i > 0; --i)
      bytes += Chance(70) ? Op(0x21) + Point() : Line();
    if (Chance(30)) bytes += ShortComment(165);
    if (Chance(50)) bytes += Op(0x71) + PolygonOperand();
    return bytes + ShortComment(161);
  }

  std::string TextRun() {
    int count = Chance(5) ? Int(200, 255) : Int(0, 12);
    std::string text = Text(count);
    switch (Int(0, 3)) {
      case 0:  // LongText: 4 + 1 + count operand bytes
        return Op(0x28) + Even(Point() + U8(count) + text);
      case 1:  // DHText
        return Op(0x29) + Even(U8(Int(0, 255)) + U8(count) + text);
      case 2:  // DVText
        return Op(0x2A) + Even(U8(Int(0, 255)) + U8(count) + text);
      default:  // DHDVText
        return Op(0x2B) +
               Even(U8(Int(0, 255)) + U8(Int(0, 255)) + U8(count) + text);
    }
  }

  std::string RotatedText() {
    std::string bytes =
        LongComment(150, U8(Int(0, 4)) + U8(0) + U16(Int(-360, 360)));
    if (Chance(50))
      bytes += LongComment(
          154, U32(Int(-0x100000, 0x100000)) + U32(Int(-0x100000, 0x100000)));
    for (int i = Int(1, 3); i > 0; --i) bytes += TextRun();
    if (Chance(20)) bytes += Bitmap();
    if (Chance(85)) bytes += ShortComment(151);
    return bytes;
  }

  std::string Group() {
    std::string bytes = ShortComment(Chance(80) ? 140 : 142);
    for (int i = Int(0, 3); i > 0; --i)
      bytes += Chance(50) ? Shape() : Chance(50) ? TextRun() : Line();
    return bytes + ShortComment(Chance(80) ? 141 : 143);
  }

  // Rows of 8 bytes and more are packed, each behind its byte count.
  std::string Rows(int rowBytes, int height) {
    std::string data;
    for (int y = 0; y < height; ++y) {
      std::string row;
      for (int x = 0; x < rowBytes; ++x)
        row += U8(Chance(60) ? (y * 7) & 0xFF : Int(0, 255));
      if (rowBytes < 8) {
        data += row;
        continue;
      }
      data += pictbytes::PackedRow(row);
    }
    return data;
  }
  std::string Placement(bool region) {
    std::string bytes = Rect() + Rect() + U16(Int(0, 64));
    if (region) bytes += U16(10) + RectBytes(0, 0, 10, 10);
    return bytes;
  }

  // BitsRect or PackBitsRect (with a region: BitsRgn, PackBitsRgn), as
  // the rows are stored.
  int ImageOpcode(int rowBytes, bool region) {
    return (rowBytes < 8 ? 0x90 : 0x98) + (region ? 1 : 0);
  }

  std::string Bitmap() {
    bool region = Chance(20);
    int width = Chance(50) ? Int(1, 60) : Int(1, 300), height = Int(1, 24);
    int rowBytes = (width + 15) / 16 * 2;
    return Op(ImageOpcode(rowBytes, region)) +
           Even(U16(rowBytes) + RectBytes(0, 0, height, width) +
                Placement(region) + Rows(rowBytes, height));
  }

  std::string PixelMap() {
    static const int kDepths[] = {1, 2, 4, 8};
    int depth = kDepths[Int(0, 3)];
    bool region = Chance(20);
    int width = Int(1, 200), height = Int(1, 20);
    int rowBytes = (width * depth + 15) / 16 * 2;
    int colors = Chance(10) ? Int(256, 300) : Int(1, 1 << depth);
    std::string table = U32(0) + U16(0) + U16(colors - 1);
    for (int i = 0; i < colors; ++i)
      table +=
          U16(i) + U16(Int(0, 65535)) + U16(Int(0, 65535)) + U16(Int(0, 65535));
    std::string pixmap =
        U16(0x8000 | rowBytes) + RectBytes(0, 0, height, width) + U16(0) +
        U16(0) + U32(0) + U32(0x480000) + U32(0x480000) + U16(0) + U16(depth) +
        U16(1) + U16(depth) + U32(0) + U32(0) + U32(0);
    return Op(ImageOpcode(rowBytes, region)) +
           Even(pixmap + table + Placement(region) + Rows(rowBytes, height));
  }

  std::mt19937 random_;
  int version_;
};

bool WriteFile(const std::string &path, const std::string &bytes) {
  std::ofstream file(path, std::ios::binary);
  file << bytes;
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s SEED COUNT FOLDER\n", argv[0]);
    return 2;
  }
  uint32_t seed = static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10));
  int count = std::atoi(argv[2]);
  const std::string folder = argv[3];
  for (int n = 0; n < count; ++n) {
    uint32_t pictureSeed = seed * 7919u + static_cast<uint32_t>(n);
    int version = n % 3 == 0 ? 1 : 2;
    Generator generator(pictureSeed, version);
    std::string opcodes = generator.Opcodes(20 + n % 60);
    Frame frame{0, 0, 300 + n % 50, 400};
    const std::string stem =
        folder + "/gen-" + std::to_string(seed) + "-" + std::to_string(n);
    bool written =
        version == 1
            ? WriteFile(stem + ".pict", pictbytes::PictV1(opcodes, frame)) &&
                  WriteFile(stem + ".noheader.pict",
                            pictbytes::PictV1(opcodes, frame, false))
            : WriteFile(stem + ".pict", pictbytes::PictV2(opcodes, frame)) &&
                  WriteFile(stem + ".noheader.pict",
                            pictbytes::PictV2(opcodes, frame, false));
    if (!written) {
      std::fprintf(stderr, "pictgen: cannot write %s\n", stem.c_str());
      return 1;
    }
  }
  return 0;
}

// Under -full: direct-colour pixel maps (16 or 32 bits per pixel, opcodes
// 0x9A and 0x9B, and such maps inside 0x90 and 0x98). The facet carries
// colour-map indexes only, so every pixel is brought onto a fixed map of
// 256 colours (a 6 x 6 x 6 colour cube and 40 greys) with error diffusion.
// Rows are read, unpacked, converted and diffused one at a time: besides
// one row of the picture, only the errors of the current and the next row
// are kept.
#include <cstring>

#include "base/messages.h"
#include "image/image.h"
#include "image/pixels.h"
#include "pict/layout.h"
#include "pict/pict.h"
#include "runtime/buffer.h"
#include "text/text.h"

namespace {

// 0x9A and 0x9B: base address before row bytes.
constexpr int32_t kBaseAddress = 4;

// Row layouts. packType 0 means the usual packing of the pixel size.
constexpr uint16_t kUnpacked = 1;
constexpr uint16_t kRgbUnpacked = 2;
constexpr uint16_t kPackedWords = 3;
constexpr uint16_t kPackedPlanes = 4;

// The fixed colour map: the cube's six levels per component, then greys.
constexpr int kColorCount = 256;
constexpr int kCubeLevels = 6;
constexpr int kCubeStep = 51;
constexpr int kCubeSize = kCubeLevels * kCubeLevels * kCubeLevels;
constexpr int kGreyCount = kColorCount - kCubeSize;

// A grey of the map: 40 steps strictly between black and white.
constexpr int greyLevel(int i) { return (i + 1) * 255 / (kGreyCount + 1); }

ColorMap makeColorMap() {
  ColorMap map;
  for (int i = 0; i < kCubeSize; ++i) {
    map.red[i] = static_cast<unsigned char>(i / 36 * kCubeStep);
    map.green[i] = static_cast<unsigned char>(i / 6 % 6 * kCubeStep);
    map.blue[i] = static_cast<unsigned char>(i % 6 * kCubeStep);
  }
  for (int i = 0; i < kGreyCount; ++i) {
    unsigned char grey = static_cast<unsigned char>(greyLevel(i));
    map.red[kCubeSize + i] = map.green[kCubeSize + i] =
        map.blue[kCubeSize + i] = grey;
  }
  return map;
}

const ColorMap kMap = makeColorMap();

// The pixel map being converted, and its buffers, kept for the run. As the
// indexed writer's, the buffers have no failure handler: the image is
// reported as incomplete and the conversion goes on.
struct DirectState {
  DirectPixMap current;
  int32_t rowNumber = 0;  // rows of the current map read so far
  GrowableBuffer<unsigned char> unpacked{};  // one row as stored, unpacked
  GrowableBuffer<unsigned char> rgb{};  // one row as red, green, blue planes
};
DirectState direct;

// Diffused errors of the current and the next row, three per pixel, with
// one pixel of margin on both sides; kept for the run, shared by every
// image brought onto the fixed map.
GrowableBuffer<int32_t> diffusionErrors{};

uint16_t packTypeOf(const DirectPixMap &map) {
  uint16_t type = map.packType;
  if (map.rowBytes < kPackedRowBytes || type == kUnpacked) return kUnpacked;
  if (map.pixelSize == 16) return kPackedWords;
  return type == kRgbUnpacked ? kRgbUnpacked : kPackedPlanes;
}

// Planes of a packed 32-bit row: alpha first when there are four.
int32_t planeCount(const DirectPixMap &map) {
  return map.cmpCount == 4 ? 4 : 3;
}

// Bytes one row takes once unpacked.
uint32_t unpackedRowBytes(const DirectPixMap &map) {
  uint32_t width = static_cast<uint32_t>(map.bounds.width);
  switch (packTypeOf(map)) {
    case kUnpacked:
      return map.rowBytes;
    case kRgbUnpacked:
      return 3 * width;
    case kPackedWords:
      return 2 * width;
    default:
      return static_cast<uint32_t>(planeCount(map)) * width;
  }
}

// PackBits on 16-bit words: a flag n below 128 copies n + 1 words, any
// other repeats the next word 257 - n times. Returns the bytes produced.
uint32_t unpackWords(const unsigned char *in, const unsigned char *end,
                     unsigned char *out, uint32_t owed) {
  uint32_t produced = 0;
  while (produced + 2 <= owed && in < end) {
    unsigned n = *in++;
    uint32_t words = n < 128 ? n + 1 : 257 - n;
    for (uint32_t w = 0; w < words && produced + 2 <= owed; ++w) {
      if (end - in < 2) return produced;
      out[produced++] = in[0];
      out[produced++] = in[1];
      if (n < 128) in += 2;
    }
    if (n >= 128) in += 2;
  }
  return produced;
}

// Reads one row of the picture into `unpacked`; bytes the data leaves
// unset are 0. False without memory.
bool readRow(const DirectPixMap &map) {
  uint32_t need = unpackedRowBytes(map);
  if (!direct.unpacked.Reserve(need ? need : 1)) return false;
  unsigned char *const unpacked = direct.unpacked.data();
  uint16_t type = packTypeOf(map);
  if (type == kUnpacked || type == kRgbUnpacked) {
    ReadString(unpacked, static_cast<int32_t>(need));
    return true;
  }
  uint16_t count = 0;
  const unsigned char *packed = ReadPackedRow(map.rowBytes, &count);
  if (packed == nullptr) return false;
  uint32_t produced = 0;
  if (type == kPackedWords) {
    produced = unpackWords(packed, packed + count, unpacked, need);
  } else {
    const unsigned char *source = packed;
    unsigned char *destination = unpacked;
    int32_t owed = UnpackBits(&source, packed + count, &destination,
                              static_cast<int32_t>(need));
    produced = need - static_cast<uint32_t>(owed > 0 ? owed : 0);
  }
  if (produced < need) std::memset(unpacked + produced, 0, need - produced);
  return true;
}

// A 5-bit component widened to 8 bits.
unsigned char widen5(unsigned v) {
  return static_cast<unsigned char>((v << 3) | (v >> 2));
}

// Spreads the unpacked row into the red, green and blue planes of `rgb`.
void toPlanes(const DirectPixMap &map) {
  const int32_t width = map.bounds.width;
  const unsigned char *const unpacked = direct.unpacked.data();
  unsigned char *const rgb = direct.rgb.data();
  unsigned char *r = rgb, *g = rgb + width, *b = rgb + 2 * width;
  const uint32_t rowLength = unpackedRowBytes(map);
  for (int32_t x = 0; x < width; ++x) {
    const uint32_t px = static_cast<uint32_t>(x);
    switch (packTypeOf(map)) {
      case kPackedWords:
      case kUnpacked:
        if (map.pixelSize == 16) {
          unsigned word =
              2 * px + 1 < rowLength
                  ? unsigned(unpacked[2 * px]) << 8 | unpacked[2 * px + 1]
                  : 0;
          r[x] = widen5(word >> 10 & 31);
          g[x] = widen5(word >> 5 & 31);
          b[x] = widen5(word & 31);
        } else {  // x, red, green, blue
          bool inside = 4 * px + 3 < rowLength;
          r[x] = inside ? unpacked[4 * px + 1] : 0;
          g[x] = inside ? unpacked[4 * px + 2] : 0;
          b[x] = inside ? unpacked[4 * px + 3] : 0;
        }
        break;
      case kRgbUnpacked:
        r[x] = unpacked[3 * px];
        g[x] = unpacked[3 * px + 1];
        b[x] = unpacked[3 * px + 2];
        break;
      default: {  // planes of `width` bytes, alpha first when present
        const unsigned char *plane =
            unpacked + (planeCount(map) - 3) * width + x;
        r[x] = plane[0];
        g[x] = plane[width];
        b[x] = plane[2 * width];
      }
    }
  }
}

int32_t clampComponent(int32_t v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

int32_t square(int32_t v) { return v * v; }

// The map entry nearest to a colour: the nearest cube colour, or the
// nearest grey when that is strictly nearer.
int nearestIndex(int32_t r, int32_t g, int32_t b) {
  int32_t qr = (r + kCubeStep / 2) / kCubeStep;
  int32_t qg = (g + kCubeStep / 2) / kCubeStep;
  int32_t qb = (b + kCubeStep / 2) / kCubeStep;
  int best = static_cast<int>(qr * 36 + qg * 6 + qb);
  int32_t bestDistance = square(r - qr * kCubeStep) +
                         square(g - qg * kCubeStep) +
                         square(b - qb * kCubeStep);
  int32_t mean = (r + g + b) / 3;
  int32_t guess = mean * (kGreyCount + 1) / 255 - 1;
  for (int32_t i = guess - 1; i <= guess + 1; ++i) {
    if (i < 0 || i >= kGreyCount) continue;
    int32_t grey = greyLevel(static_cast<int>(i));
    int32_t distance = square(r - grey) + square(g - grey) + square(b - grey);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = kCubeSize + static_cast<int>(i);
    }
  }
  return best;
}

// Floyd-Steinberg diffusion, left to right, errors kept in sixteenths.
// `planes` are the row's red, green and blue of `width` bytes each.
// `here` and `below` hold three errors per pixel with a margin pixel on
// each side; `below` is cleared for the row after this one.
void diffuseRow(const unsigned char *const planes[3], int32_t width,
                unsigned char *row, int32_t *here, int32_t *below) {
  std::memset(below, 0, sizeof(int32_t) * 3 * static_cast<size_t>(width + 2));
  const unsigned char *map[3] = {kMap.red, kMap.green, kMap.blue};
  for (int32_t x = 0; x < width; ++x) {
    int32_t value[3];
    for (int c = 0; c < 3; ++c) {
      int32_t carried = here[3 * (x + 1) + c];
      carried = carried >= 0 ? (carried + 8) / 16 : -((8 - carried) / 16);
      value[c] = clampComponent(planes[c][x] + carried);
    }
    int index = nearestIndex(value[0], value[1], value[2]);
    row[x] = static_cast<unsigned char>(index);
    for (int c = 0; c < 3; ++c) {
      int32_t error = value[c] - map[c][index];
      here[3 * (x + 2) + c] += 7 * error;
      below[3 * x + c] += 3 * error;
      below[3 * (x + 1) + c] += 5 * error;
      below[3 * (x + 2) + c] += error;
    }
  }
}

// Errors of the two rows swap places after every row.
int32_t *errorRow(int32_t y, int32_t width) {
  return diffusionErrors.data() + (y % 2) * 3 * (width + 2);
}

uint32_t errorCount(int32_t width) {
  return 6 * static_cast<uint32_t>(width + 2);
}

// Reads and drops the rows of a pixel map that is not drawn, and the pad
// byte behind them in a version 2 picture.
void dropRows(const DirectPixMap &map) {
  int32_t start = GetByteCount();
  for (int32_t y = 0; y < map.bounds.height; ++y)
    if (!readRow(map)) Fatal(kMsgNoMemory);
  SkipImagePad(start);
}

}  // namespace

bool IsDirectPixelSize(uint16_t pixelSize) {
  return pixelSize == 16 || pixelSize == 32;
}

const ColorMap &FixedColorMap() { return kMap; }

bool HoldDiffusionRows(int32_t width) {
  return diffusionErrors.Reserve(errorCount(width));
}

void DiffuseOntoFixedMap(const unsigned char *red, const unsigned char *green,
                         const unsigned char *blue, int32_t width,
                         int32_t rowNumber, int32_t rowLength,
                         unsigned char *row) {
  if (rowNumber == 0)
    std::memset(diffusionErrors.data(), 0, sizeof(int32_t) * errorCount(width));
  const unsigned char *const planes[3] = {red, green, blue};
  diffuseRow(planes, width, row, errorRow(rowNumber, width),
             errorRow(rowNumber + 1, width));
  if (rowLength > width)
    std::memset(row + width, 0, static_cast<size_t>(rowLength - width));
}

int ReadDirectScanLine(int32_t rowLength, unsigned char *row) {
  const int32_t width = direct.current.bounds.width;
  if (!direct.rgb.Reserve(3 * static_cast<uint32_t>(width) + 1) ||
      !HoldDiffusionRows(width) || !readRow(direct.current))
    return -20;
  toPlanes(direct.current);
  const unsigned char *const rgb = direct.rgb.data();
  DiffuseOntoFixedMap(rgb, rgb + width, rgb + 2 * width, width,
                      direct.rowNumber, rowLength, row);
  ++direct.rowNumber;
  return 0;
}

// Also after a run that ended inside a map's rows.
void ResetDirectPixMaps() {
  direct = DirectState{};
  diffusionErrors.Release();
}

void ConvertDirectPixMap(const DirectPixMap &map, int hasRegion) {
  Rect destination;
  PictSkip(kRectSize);
  ReadRect(&destination);
  PictSkip(kModeSize);
  if (hasRegion) skip(SkipKind::kRegion);
  if (!IsDirectPixelSize(map.pixelSize)) {
    ReportPixelSize(map.pixelSize);
    skipimage(map.rowBytes, &map.bounds);
    return;
  }
  if (InRotatedText) {
    dropRows(map);
    return;
  }
  direct.current = map;
  direct.rowNumber = 0;
  WriteImageObject(map.bounds, destination, 8, kMap.red, kMap.green, kMap.blue,
                   RowSource::kDirect);
}

void do_directbits(int hasRegion) {
  DirectPixMap map;
  PictSkip(kBaseAddress);
  ReadUShort(&map.rowBytes);
  map.rowBytes = static_cast<uint16_t>(map.rowBytes & ~kPixMapFlag);
  ReadRect(&map.bounds);
  unsigned char fields[kPixMapFieldsSize];
  ReadString(fields, kPixMapFieldsSize);
  map.packType = static_cast<uint16_t>(GetShort(fields + kPackTypeOffset));
  map.pixelSize = static_cast<uint16_t>(GetShort(fields + kPixelSizeOffset));
  map.cmpCount = static_cast<uint16_t>(GetShort(fields + kCmpCountOffset));
  ConvertDirectPixMap(map, hasRegion);
}

// Bitmaps and pixel maps of the picture: the four image opcodes become
// ImportObject statements whose image is an inline facet. Rows are read,
// unpacked and expanded one at a time while the facet is written.
#include <cstring>

#include "base/conversion.h"
#include "base/messages.h"
#include "graphics/graphics.h"
#include "image/facet_encoder.h"
#include "image/image.h"
#include "image/pixels.h"
#include "pict/pict.h"
#include "text/text.h"

namespace {

// The operand structures of the image opcodes, as `skip` knows them.
constexpr int kCopyWithoutMask = 2;
constexpr int kCopyWithMaskRegion = 7;

// Pixel map fields skipped: version, packType, packSize, hRes, vRes and
// pixelType; then cmpSize, planeBytes, pmTable and pmReserved; then the
// colour table's seed and flags.
constexpr int32_t kPixMapHead = 18;
constexpr int32_t kPixMapTail = 14;
constexpr int32_t kColorTableHead = 6;
// Source and destination rectangle and transfer mode.
constexpr int32_t kCopyRectsAndMode = 18;
constexpr int kColorCount = 256;
// Row bytes from which packed rows' byte counts take two bytes.
constexpr uint16_t kWordCountRowBytes = 251;

// The image being converted.
uint16_t RowBytes = 0;   // row length in the picture, pixel-map flag cleared
uint16_t pixelSize = 1;  // bits per pixel
int32_t width = 0;       // pixels per row
// Packed and unpacked row buffers, grown on demand and kept for the run.
unsigned char *buf1 = nullptr;
uint32_t buf1Size = 0;
unsigned char *buf2 = nullptr;
uint32_t buf2Size = 0;

#ifdef PICTTOTOV_FUZZ_BUILD
// The work of an image grows with the size its operands declare, not with
// the bytes the picture holds: a bitmap of 2-byte rows can declare 32767 rows
// of 65535 pixels. The fuzz build, which wants every picture done within a
// second, gives up on a picture once its facets come to more row bytes than
// this in all.
constexpr int64_t kFuzzImageBytes = int64_t{4} << 20;
int64_t fuzzImageBytes = 0;

// A direct-colour map's pixel (three components diffused) counts as eight
// bytes of an indexed one.
void chargeFuzzBudget(int32_t width, int32_t height, int32_t depth) {
  int64_t weight = DirectRowsOpen ? 8 : 1;
  fuzzImageBytes += (int64_t{width} * depth + 15) / 16 * 2 * height * weight;
  if (fuzzImageBytes > kFuzzImageBytes) throw VokProcessEnd{kVokGaveUpStatus};
}
#endif

int32_t facetDepth() { return pixelSize < 2 ? 1 : 8; }

// Bytes of one facet row: pixels padded to a multiple of 16 bits.
int32_t facetRowBytes() { return (width * facetDepth() + 15) / 16 * 2; }

// Reads one picture row into buf2: stored as it is below 8 bytes, else
// packed behind a byte count. Bytes the packed data leaves unwritten are 0.
// False when the packed row doesn't fit in memory.
bool readPictureRow() {
  if (RowBytes < kPackedRowBytes) {
    ReadString(buf2, RowBytes);
    return true;
  }
  uint16_t count = 0;
  if (ReadPackedRow(RowBytes, &count) == nullptr) return false;
  const unsigned char *source = buf1;
  unsigned char *destination = buf2;
  int32_t owed = UnpackBits(&source, buf1 + count, &destination, RowBytes);
  if (owed > 0) std::memset(destination, 0, static_cast<size_t>(owed));
  return true;
}

// Expands a row of 2- or 4-bit pixels, most significant first, to one
// pixel per byte. Pixels beyond the picture's row bytes are 0.
void expandPixels(unsigned char *row, int bits) {
  const int perByte = 8 / bits;
  const unsigned mask = (1u << bits) - 1;
  for (int32_t p = 0; p < width; ++p) {
    int32_t index = p / perByte;
    int shift = 8 - bits * (p % perByte + 1);
    row[p] = index < RowBytes
                 ? static_cast<unsigned char>(buf2[index] >> shift & mask)
                 : 0;
  }
}

// The placement of the image: its destination rectangle moved by the
// origin and scaled, in single precision.
void writePlacement(const Rect &destination) {
  int32_t left = destination.x + Drawing.OriginX;
  int32_t top = destination.y + Drawing.OriginY;
  int32_t right = left + destination.width;
  int32_t bottom = top + destination.height;
  float s = Drawing.ScaleFactor;
  float x = static_cast<float>(left) * s;
  float y = static_cast<float>(top) * s;
  float w = static_cast<float>(right) * s - x;
  float h = static_cast<float>(bottom) * s - y;
  V_Printf(outputFP, "\t<BRect %.3f %.3f %.3f %.3f>\n", static_cast<double>(x),
           static_cast<double>(y), static_cast<double>(w),
           static_cast<double>(h));
}

// Reads a colour table; entry i gives the high bytes of its components to
// red[i], green[i] and blue[i]. Entries past 256 are read and dropped.
void readColorTable(unsigned char *red, unsigned char *green,
                    unsigned char *blue) {
  PictSkip(kColorTableHead);
  uint16_t lastEntry = 0;
  ReadUShort(&lastEntry);
  for (uint32_t i = 0; i <= lastEntry; ++i) {
    uint16_t value = 0, r = 0, g = 0, b = 0;
    ReadUShort(&value);
    ReadUShort(&r);
    ReadUShort(&g);
    ReadUShort(&b);
    if (i < kColorCount) {
      red[i] = static_cast<unsigned char>(r >> 8);
      green[i] = static_cast<unsigned char>(g >> 8);
      blue[i] = static_cast<unsigned char>(b >> 8);
    }
  }
}

// Skips the rest of a pixel map the facet can't carry (direct colour or
// more than 8 bits per pixel), after its component count.
void skipUnsupportedPixMap(const Rect &bounds, int hasRegion) {
  char size[8];
  V_Snprintf(size, sizeof size, "%u", static_cast<unsigned>(pixelSize));
  NonFatal(kMsgPixelSize, size);
  PictSkip(kPixMapTail);
  skipcolortable();
  PictSkip(kCopyRectsAndMode);
  if (hasRegion) skip(kSkipRegion, 0);
  skipimage(static_cast<uint16_t>(RowBytes & ~kPixMapFlag), &bounds);
}

// Under -full: a 16- or 32-bit pixel map inside 0x90 or 0x98, read up to
// its component count; its packType is in `head`. The colour table that
// follows it is read and not used.
void convertDirectCopy(const unsigned char *head, const Rect &bounds,
                       uint16_t componentCount, int hasRegion) {
  DirectPixMap map;
  map.rowBytes = static_cast<uint16_t>(RowBytes & ~kPixMapFlag);
  map.bounds = bounds;
  map.packType = static_cast<uint16_t>(GetShort(head + 2));
  map.pixelSize = pixelSize;
  map.cmpCount = componentCount;
  PictSkip(kPixMapTail);
  skipcolortable();
  ConvertDirectPixMap(map, hasRegion);
}

}  // namespace

// Unpacks PackBits data: a flag byte n below 128 copies the next n + 1
// bytes, any other repeats the next byte 257 - n times.
int32_t UnpackBits(const unsigned char **source, const unsigned char *sourceEnd,
                   unsigned char **destination, int32_t count) {
  const unsigned char *in = *source;
  unsigned char *out = *destination;
  while (count > 0 && in < sourceEnd) {
    unsigned n = *in++;
    if (n < 128) {
      int32_t literal = static_cast<int32_t>(n) + 1;
      int32_t available = static_cast<int32_t>(sourceEnd - in);
      int32_t taken = literal < available ? literal : available;
      int32_t kept = taken < count ? taken : count;
      std::memcpy(out, in, static_cast<size_t>(kept));
      out += kept;
      in += taken;
      count -= kept;
    } else {
      if (in == sourceEnd) break;
      int32_t repeat = 257 - static_cast<int32_t>(n);
      int32_t kept = repeat < count ? repeat : count;
      std::memset(out, *in++, static_cast<size_t>(kept));
      out += kept;
      count -= kept;
    }
  }
  *source = in;
  *destination = out;
  return count;
}

const unsigned char *ReadPackedRow(uint16_t rowBytes, uint16_t *count) {
  if (rowBytes < kWordCountRowBytes) {
    unsigned char byte = 0;
    ReadByte(&byte);
    *count = byte;
  } else {
    ReadUShort(count);
  }
  if (!GrowBuffer(&buf1, &buf1Size, *count)) return nullptr;
  ReadString(buf1, *count);
  return buf1;
}

bool GrowBuffer(unsigned char **buffer, uint32_t *size, uint32_t need) {
  if (need <= *size) return true;
  void *grown = V_Realloc(*buffer, need, 0);  // allocates for a null block
  if (grown == nullptr) return false;
  *buffer = static_cast<unsigned char *>(grown);
  *size = need;
  return true;
}

void WriteImageObject(const Rect &bounds, const Rect &destination,
                      int32_t depth, const unsigned char *red,
                      const unsigned char *green, const unsigned char *blue) {
  V_Printf(outputFP, "<ImportObject\n");
  V_Printf(outputFP, "\t<ImportObFile `2.0 internal inset'>\n");
  V_Printf(outputFP, "\t<Separation 0>\n");
  V_Printf(outputFP, "\t<Fill 15>\n");
  V_Printf(outputFP, "\t<Pen 15>\n");

  width = bounds.width;
#ifdef PICTTOTOV_FUZZ_BUILD
  chargeFuzzBudget(bounds.width, bounds.height, depth);
#endif
  int32_t start = GetByteCount();
  int result = ChannelWriteQuireImageFacet(
      outputFP, bounds.width, bounds.height, depth, red, green, blue);
  if (result == -20 || result == -13) {
    NonFatal(result == -20 ? kMsgNoMemory : kMsgWriteFailed);
    NonFatal(kMsgImageIncomplete);
  }
  uint32_t consumed =
      static_cast<uint32_t>(GetByteCount()) - static_cast<uint32_t>(start);
  if (consumed % 2 != 0 && Version == 2) PictSkip(1);

  writePlacement(destination);
  V_Printf(outputFP, "\t<Angle 0>\n");
  V_Printf(outputFP, "\t<FlipLR No>\n");
  V_Printf(outputFP, ">\n");
  IncrementGroupCount();
}

int ReadScanLine(int32_t rowLength, unsigned char *row) {
  if (DirectRowsOpen) return ReadDirectScanLine(rowLength, row);
  if (!GrowBuffer(&buf1, &buf1Size, RowBytes) ||
      !GrowBuffer(&buf2, &buf2Size, RowBytes))
    return -20;
  if (!readPictureRow()) return -20;
  int32_t length = facetRowBytes();
  if (length == 0) return 0;
  int32_t filled = 0;
  switch (pixelSize) {
    case 1:
    case 8:
      filled = length < RowBytes ? length : RowBytes;
      if (filled > 0) std::memcpy(row, buf2, static_cast<size_t>(filled));
      break;
    case 2:
    case 4:
      expandPixels(row, pixelSize);
      filled = width;
      break;
    default:  // a pixel size the facet doesn't take: the row stays blank
      break;
  }
  std::memset(row + filled, 0, static_cast<size_t>(length - filled));
  return 0;
}

void do_bitmap(int hasRegion) {
  if (InRotatedText) {
    skip(hasRegion ? kCopyWithMaskRegion : kCopyWithoutMask, 0);
    return;
  }
  Rect bounds;
  ReadUShort(&RowBytes);
  ReadRect(&bounds);
  unsigned char red[kColorCount] = {}, green[kColorCount] = {},
                blue[kColorCount] = {};
  if (RowBytes & kPixMapFlag) {
    unsigned char head[kPixMapHead];
    ReadString(head, kPixMapHead);
    uint16_t componentCount = 0;
    ReadUShort(&pixelSize);
    ReadUShort(&componentCount);
    if (componentCount > 1 || pixelSize > 8) {
      if (RunOptions().full && IsDirectPixelSize(pixelSize))
        convertDirectCopy(head, bounds, componentCount, hasRegion);
      else
        skipUnsupportedPixMap(bounds, hasRegion);
      return;
    }
    PictSkip(kPixMapTail);
    readColorTable(red, green, blue);
    RowBytes = static_cast<uint16_t>(RowBytes & ~kPixMapFlag);
  } else {
    pixelSize = 1;
  }
  Rect destination;
  PictSkip(kRectSize);
  ReadRect(&destination);
  PictSkip(kModeSize);
  if (hasRegion) skip(kSkipRegion, 0);

  WriteImageObject(bounds, destination, facetDepth(), red, green, blue);
}

// The row buffers stay for the next picture's images.
void ResetImageState() {
  RowBytes = 0;
  pixelSize = 1;
  width = 0;
  ResetDirectPixMaps();
#ifdef PICTTOTOV_FUZZ_BUILD
  fuzzImageBytes = 0;
#endif
}

void op_BitsRect() { do_bitmap(0); }
void op_BitsRgn() { do_bitmap(1); }
void op_PackBitsRect() { do_bitmap(0); }
void op_PackBitsRgn() { do_bitmap(1); }

// Bitmaps and pixel maps of the picture: the four image opcodes become
// ImportObject statements whose image is an inline facet. Rows are read,
// unpacked and expanded one at a time while the facet is written.
#include <cstring>

#include "base/conversion.h"
#include "base/messages.h"
#include "graphics/graphics.h"
#include "image/blocks.h"
#include "image/facet_encoder.h"
#include "image/image.h"
#include "image/pixels.h"
#include "pict/layout.h"
#include "pict/pict.h"
#include "runtime/buffer.h"
#include "runtime/fuzz_budget.h"
#include "text/text.h"

namespace {

// The image being converted, and the row buffers, grown on demand and kept
// for the run. The buffers have no failure handler: an image whose buffer
// can't be had is reported (message 1025) and the conversion goes on.
struct ImageState {
  uint16_t RowBytes = 0;   // row length in the picture; the pixel-map flag
                           // is cleared before the rows are read
  uint16_t pixelSize = 1;  // bits per pixel
  int32_t width = 0;       // pixels per row
  RowSource rows = RowSource::kIndexed;
  GrowableBuffer<unsigned char> buf1{};  // a packed row
  GrowableBuffer<unsigned char> buf2{};  // an unpacked row
#ifdef PICTTOTOV_FUZZ_BUILD
  // The work of an image grows with the size its operands declare, not
  // with the bytes the picture holds: a bitmap of 2-byte rows can declare
  // 32767 rows of 65535 pixels. The fuzz build gives up on a picture once
  // its facets come to more row bytes than this in all.
  FuzzBudget fuzzImageBytes{int64_t{4} << 20};
#endif
};
ImageState image;

// Makes `buffer` hold `need` bytes. A buffer is grown for bytes only: one
// that no row has needed yet stays without a block (see ReadPackedRow).
bool hold(GrowableBuffer<unsigned char> &buffer, uint32_t need) {
  return need == 0 || buffer.Reserve(need);
}

#ifdef PICTTOTOV_FUZZ_BUILD
// A direct-colour or QuickTime pixel (three components diffused) counts as
// eight bytes of an indexed one.
void chargeFuzzBudget(int32_t width, int32_t height, int32_t depth) {
  int64_t weight = image.rows == RowSource::kIndexed ? 1 : 8;
  ChargeFuzzBudget((int64_t{width} * depth + 15) / 16 * 2 * height * weight);
}
#endif

int32_t facetDepth() { return image.pixelSize < 2 ? 1 : 8; }

// Bytes of one facet row: pixels padded to a multiple of 16 bits.
int32_t facetRowBytes() { return (image.width * facetDepth() + 15) / 16 * 2; }

// Reads one picture row into buf2: stored as it is below 8 bytes, else
// packed behind a byte count. Bytes the packed data leaves unwritten are 0.
// False when the packed row doesn't fit in memory.
bool readPictureRow() {
  const uint16_t rowBytes = image.RowBytes;
  unsigned char *const row = image.buf2.data();
  if (rowBytes < kPackedRowBytes) {
    ReadString(row, rowBytes);
    return true;
  }
  uint16_t count = 0;
  const unsigned char *packed = ReadPackedRow(rowBytes, &count);
  if (packed == nullptr) return false;
  unsigned char *destination = row;
  int32_t owed = UnpackBits(&packed, packed + count, &destination, rowBytes);
  if (owed > 0) std::memset(destination, 0, static_cast<size_t>(owed));
  return true;
}

// Expands a row of 2- or 4-bit pixels, most significant first, to one
// pixel per byte. Pixels beyond the picture's row bytes are 0.
void expandPixels(unsigned char *row, int bits) {
  const int perByte = 8 / bits;
  const unsigned mask = (1u << bits) - 1;
  const unsigned char *const source = image.buf2.data();
  const int32_t width = image.width;
  const int32_t rowBytes = image.RowBytes;
  for (int32_t p = 0; p < width; ++p) {
    int32_t index = p / perByte;
    int shift = 8 - bits * (p % perByte + 1);
    row[p] = index < rowBytes
                 ? static_cast<unsigned char>(source[index] >> shift & mask)
                 : 0;
  }
}

// The placement of the image: its destination rectangle moved by the
// origin and scaled, in single precision.
struct Placement {
  float x;
  float y;
  float w;
  float h;
};

Placement placementOf(const Rect &destination) {
  int32_t left = destination.x + Drawing.OriginX;
  int32_t top = destination.y + Drawing.OriginY;
  int32_t right = left + destination.width;
  int32_t bottom = top + destination.height;
  float s = Drawing.ScaleFactor;
  float x = static_cast<float>(left) * s;
  float y = static_cast<float>(top) * s;
  return {x, y, static_cast<float>(right) * s - x,
          static_cast<float>(bottom) * s - y};
}

// The pixels from `first` over `count` of `pixels` along a placed side
// from `start` over `length` points that reach into the stretch from low
// to high: a pixel touching it only at an edge is left out.
double pixelEdge(double start, double length, int32_t pixels, int32_t i) {
  return start + length * static_cast<double>(i) / pixels;
}

void keptPixels(double start, double length, int32_t pixels, double low,
                double high, int32_t *first, int32_t *count) {
  int32_t begin = 0, end = pixels;
  while (begin < end && !(pixelEdge(start, length, pixels, begin + 1) > low))
    ++begin;
  while (end > begin && !(pixelEdge(start, length, pixels, end - 1) < high))
    --end;
  *first = begin;
  *count = end - begin;
}

// Under a clip (-full), an image keeps the whole rows and columns whose
// pixels reach into the clip's bounding box; an image of no area is kept
// whole while its corner lies in the box. Without a clip every row and
// column is kept.
// False when the clip hides the image.
bool windowInClip(const Rect &bounds, const Placement &placement,
                  FacetWindow *window) {
  window->columns = bounds.width;
  window->rows = bounds.height;
  const ClipBounds clip = CurrentClipBounds();
  if (!clip.clipped) return true;
  if (clip.empty) return false;
  const double x = placement.x, y = placement.y;
  if (bounds.width <= 0 || bounds.height <= 0 || !(placement.w > 0) ||
      !(placement.h > 0))
    return x >= clip.left && x <= clip.right && y >= clip.top &&
           y <= clip.bottom;
  keptPixels(x, placement.w, bounds.width, clip.left, clip.right,
             &window->firstColumn, &window->columns);
  keptPixels(y, placement.h, bounds.height, clip.top, clip.bottom,
             &window->firstRow, &window->rows);
  return window->columns > 0 && window->rows > 0;
}

// Writes the placement; an image cut to a window is placed where the
// window's pixels were.
void writePlacement(const Placement &placement, const Rect &bounds,
                    const FacetWindow &window) {
  if (window.columns == bounds.width && window.rows == bounds.height) {
    V_Printf(outputFP, "\t<BRect %.3f %.3f %.3f %.3f>\n",
             static_cast<double>(placement.x), static_cast<double>(placement.y),
             static_cast<double>(placement.w),
             static_cast<double>(placement.h));
    return;
  }
  const double left =
      pixelEdge(placement.x, placement.w, bounds.width, window.firstColumn);
  const double right = pixelEdge(placement.x, placement.w, bounds.width,
                                 window.firstColumn + window.columns);
  const double top =
      pixelEdge(placement.y, placement.h, bounds.height, window.firstRow);
  const double bottom = pixelEdge(placement.y, placement.h, bounds.height,
                                  window.firstRow + window.rows);
  V_Printf(outputFP, "\t<BRect %.3f %.3f %.3f %.3f>\n", left, top, right - left,
           bottom - top);
}

// Reports a facet that failed for memory or a write, and that the image
// is incomplete.
void reportFacetFailure(int result) {
  if (result != -20 && result != -13) return;
  NonFatal(result == -20 ? kMsgNoMemory : kMsgWriteFailed);
  NonFatal(kMsgImageIncomplete);
}

// Skips the rest of a pixel map the facet can't carry (direct colour or
// more than 8 bits per pixel), after its component count.
void skipUnsupportedPixMap(const Rect &bounds, int hasRegion) {
  ReportPixelSize(image.pixelSize);
  PictSkip(kPixMapTail);
  skipcolortable();
  PictSkip(kCopyRectsAndMode);
  if (hasRegion) skip(SkipKind::kRegion);
  skipimage(static_cast<uint16_t>(image.RowBytes & ~kPixMapFlag), &bounds);
}

// Under -full: a 16- or 32-bit pixel map inside 0x90 or 0x98, read up to
// its component count; its packType is in `head`. The colour table that
// follows it is read and not used.
void convertDirectCopy(const unsigned char *head, const Rect &bounds,
                       uint16_t componentCount, int hasRegion) {
  DirectPixMap map;
  map.rowBytes = static_cast<uint16_t>(image.RowBytes & ~kPixMapFlag);
  map.bounds = bounds;
  map.packType = static_cast<uint16_t>(GetShort(head + kPackTypeOffset));
  map.pixelSize = image.pixelSize;
  map.cmpCount = componentCount;
  PictSkip(kPixMapTail);
  skipcolortable();
  ConvertDirectPixMap(map, hasRegion);
}

// Reads one image opcode's operands and writes its ImportObject; hasRegion
// is 1 for the two opcodes with a mask region.
void do_bitmap(int hasRegion) {
  if (InRotatedText) {
    skip(hasRegion ? SkipKind::kBitsCopyWithMask : SkipKind::kBitsCopy);
    return;
  }
  Rect bounds;
  ReadUShort(&image.RowBytes);
  ReadRect(&bounds);
  ColorTable table;
  if (image.RowBytes & kPixMapFlag) {
    unsigned char head[kPixelSizeOffset];
    ReadString(head, kPixelSizeOffset);
    uint16_t componentCount = 0;
    ReadUShort(&image.pixelSize);
    ReadUShort(&componentCount);
    if (componentCount > 1 || image.pixelSize > 8) {
      if (RunOptions().full && IsDirectPixelSize(image.pixelSize))
        convertDirectCopy(head, bounds, componentCount, hasRegion);
      else
        skipUnsupportedPixMap(bounds, hasRegion);
      return;
    }
    PictSkip(kPixMapTail);
    ReadColorTable(&table);
    image.RowBytes = static_cast<uint16_t>(image.RowBytes & ~kPixMapFlag);
  } else {
    image.pixelSize = 1;
  }
  Rect destination;
  PictSkip(kRectSize);
  ReadRect(&destination);
  PictSkip(kModeSize);
  if (hasRegion) skip(SkipKind::kRegion);

  WriteImageObject(bounds, destination, facetDepth(), table.red.data(),
                   table.green.data(), table.blue.data(), RowSource::kIndexed);
}

}  // namespace

// Unpacks PackBits data: a flag byte n below 128 copies the next n + 1
// bytes, any other repeats the next byte 257 - n times. Runs are mostly
// short, so they are copied and filled in whole blocks where the source
// and the destination reach far enough.
int32_t UnpackBits(const unsigned char **source, const unsigned char *sourceEnd,
                   unsigned char **destination, int32_t count) {
  constexpr int32_t kBlockSlack = blocks::kBlock - 1;
  const unsigned char *in = *source;
  unsigned char *out = *destination;
  while (count > 0 && in < sourceEnd) {
    unsigned n = *in++;
    if (n < 128) {
      int32_t literal = static_cast<int32_t>(n) + 1;
      int32_t available = static_cast<int32_t>(sourceEnd - in);
      int32_t taken = literal < available ? literal : available;
      int32_t kept = taken < count ? taken : count;
      if (count - kept >= kBlockSlack && available - kept >= kBlockSlack)
        blocks::CopyBlocks(out, in, kept);
      else
        std::memcpy(out, in, static_cast<size_t>(kept));
      out += kept;
      in += taken;
      count -= kept;
    } else {
      if (in == sourceEnd) break;
      int32_t repeat = 257 - static_cast<int32_t>(n);
      int32_t kept = repeat < count ? repeat : count;
      if (count - kept >= kBlockSlack)
        blocks::FillBlocks(out, *in++, kept);
      else
        std::memset(out, *in++, static_cast<size_t>(kept));
      out += kept;
      count -= kept;
    }
  }
  *source = in;
  *destination = out;
  return count;
}

// The buffer holds at least one byte, so that a row of no bytes read
// before any other row has its buffer too, and unpacks as a blank row.
const unsigned char *ReadPackedRow(uint16_t rowBytes, uint16_t *count) {
  *count = ReadPackedRowCount(rowBytes);
  if (!hold(image.buf1, *count > 0 ? *count : 1)) return nullptr;
  ReadString(image.buf1.data(), *count);
  return image.buf1.data();
}

#ifdef PICTTOTOV_FUZZ_BUILD
void ChargeFuzzBudget(int64_t bytes) { image.fuzzImageBytes.Charge(bytes); }
#endif

void ReportPixelSize(uint16_t pixelSize) {
  char size[8];
  V_Snprintf(size, sizeof size, "%u", static_cast<unsigned>(pixelSize));
  NonFatal(kMsgPixelSize, size);
}

void WriteImageObject(const Rect &bounds, const Rect &destination,
                      int32_t depth, const unsigned char *red,
                      const unsigned char *green, const unsigned char *blue,
                      RowSource rows) {
  image.width = bounds.width;
  image.rows = rows;
#ifdef PICTTOTOV_FUZZ_BUILD
  chargeFuzzBudget(bounds.width, bounds.height, depth);
#endif
  const Placement placement = placementOf(destination);
  FacetWindow window;
  const bool shown = windowInClip(bounds, placement, &window);
  int32_t start = GetByteCount();
  if (!shown) {
    reportFacetFailure(DropImageRows(bounds.width, bounds.height, depth));
    SkipImagePad(start);
    return;
  }
  V_Printf(outputFP, "<ImportObject\n");
  V_Printf(outputFP, "\t<ImportObFile `2.0 internal inset'>\n");
  V_Printf(outputFP, "\t<Separation 0>\n");
  V_Printf(outputFP, "\t<Fill 15>\n");
  V_Printf(outputFP, "\t<Pen 15>\n");

  reportFacetFailure(ChannelWriteQuireImageWindow(
      outputFP, bounds.width, bounds.height, depth, red, green, blue, window));
  SkipImagePad(start);

  writePlacement(placement, bounds, window);
  V_Printf(outputFP, "\t<Angle 0>\n");
  V_Printf(outputFP, "\t<FlipLR No>\n");
  V_Printf(outputFP, ">\n");
  IncrementGroupCount();
}

int ReadScanLine(int32_t rowLength, unsigned char *row) {
  if (image.rows == RowSource::kDirect)
    return ReadDirectScanLine(rowLength, row);
  if (image.rows == RowSource::kQuickTime)
    return ReadQuickTimeScanLine(rowLength, row);
  if (!hold(image.buf1, image.RowBytes) || !hold(image.buf2, image.RowBytes))
    return -20;
  if (!readPictureRow()) return -20;
  int32_t length = facetRowBytes();
  if (length == 0) return 0;
  int32_t filled = 0;
  switch (image.pixelSize) {
    case 1:
    case 8:
      filled = length < image.RowBytes ? length : image.RowBytes;
      if (filled > 0)
        std::memcpy(row, image.buf2.data(), static_cast<size_t>(filled));
      break;
    case 2:
    case 4:
      expandPixels(row, image.pixelSize);
      filled = image.width;
      break;
    default:  // a pixel size the facet doesn't take: the row stays blank
      break;
  }
  std::memset(row + filled, 0, static_cast<size_t>(length - filled));
  return 0;
}

void ResetImage() {
  image = ImageState{};
  ResetDirectPixMaps();
  ResetQuickTime();
}

void op_BitsRect() { do_bitmap(0); }
void op_BitsRgn() { do_bitmap(1); }
void op_PackBitsRect() { do_bitmap(0); }
void op_PackBitsRgn() { do_bitmap(1); }

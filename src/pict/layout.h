// The layout of the bit and pixel map copies as the picture stores them:
// the reader's skips and the image writers read them by the same sizes.
#ifndef PICTTOTOV_PICT_LAYOUT_H
#define PICTTOTOV_PICT_LAYOUT_H

#include <cstdint>

// In the row bytes of a bit or pixel map: set for a pixel map.
constexpr uint16_t kPixMapFlag = 0x8000;

// The fields of a pixel map behind its row bytes and bounds: version,
// packType, packSize, hRes, vRes, pixelType, pixelSize, cmpCount, cmpSize,
// planeBytes, pmTable and pmReserved; the offsets of those the writers use.
constexpr int32_t kPixMapFieldsSize = 36;
constexpr int32_t kPackTypeOffset = 2;
constexpr int32_t kPixelSizeOffset = 18;
constexpr int32_t kCmpCountOffset = 20;
// cmpSize to pmReserved, behind the component count.
constexpr int32_t kPixMapTail = kPixMapFieldsSize - (kCmpCountOffset + 2);

// A colour table: seed and flags, the index of its last entry, then the
// entries of value, red, green and blue.
constexpr int32_t kColorTableHead = 6;
constexpr int32_t kColorTableEntry = 8;

// A copy's source rectangle and transfer mode, around its destination.
constexpr int32_t kRectSize = 8;
constexpr int32_t kModeSize = 2;
constexpr int32_t kCopyRectsAndMode = 2 * kRectSize + kModeSize;

// Rows of fewer bytes are stored as they are; longer rows are packed, each
// behind its byte count (ReadPackedRowCount).
constexpr uint16_t kPackedRowBytes = 8;

// Walks PackBits data from `in` up to `end` until `count` units are made
// (a unit is `unitSize` bytes: 1, or 2 for 16-bit pixels): a flag byte n
// below 128 is followed by n + 1 units as they are, any other by one unit
// that stands for 257 - n of them. A literal that the data cuts short gives
// the whole units there are; a run that would pass `count` is cut there.
// `sink(first, unit, repeat)` is told that the units at positions first to
// first + repeat - 1 are the one at `unit`. Returns the units made.
template <typename Sink>
int32_t WalkPackBits(const unsigned char *in, const unsigned char *end,
                     int32_t unitSize, int32_t count, Sink &&sink) {
  int32_t made = 0;
  while (made < count && in < end) {
    const unsigned flag = *in++;
    const int32_t available = static_cast<int32_t>(end - in) / unitSize;
    if (flag < 128) {
      const int32_t literal = static_cast<int32_t>(flag) + 1;
      const int32_t taken = literal < available ? literal : available;
      for (int32_t i = 0; i < taken && made < count; ++i)
        sink(made++, in + i * unitSize, 1);
      in += taken * unitSize;
    } else {
      if (available == 0) break;
      const int32_t repeat = 257 - static_cast<int32_t>(flag);
      const int32_t kept = repeat < count - made ? repeat : count - made;
      sink(made, in, kept);
      made += kept;
      in += unitSize;
    }
  }
  return made;
}

#endif  // PICTTOTOV_PICT_LAYOUT_H

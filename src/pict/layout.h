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

#endif  // PICTTOTOV_PICT_LAYOUT_H

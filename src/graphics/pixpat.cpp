// Under -full: the average colour of a pixel pattern. The pattern's pixel
// map, colour table and rows are read as the reader's skips pass over them
// (rows under 8 bytes as they are, longer ones packed behind a byte count,
// then the version 2 pad), and its pixels are counted as the rows are
// unpacked, without making the rows: a run of equal bytes is counted at
// once, so the work follows the bytes the picture holds, not the size the
// pattern declares.
#include <array>
#include <cstdint>

#include "base/messages.h"
#include "graphics/colour.h"
#include "graphics/state.h"
#include "pict/layout.h"
#include "pict/pict.h"
#include "runtime/buffer.h"

namespace {

constexpr int kTableColours = 256;

// What a pattern's pixels add up to: red, green and blue sums over all
// pixels, and for indexed pixels the count of each byte value (of bytes
// wholly inside the pattern's width) and of each pixel value (the rest).
struct PixelSums {
  std::array<uint64_t, 3> rgb{};
  std::array<uint64_t, kTableColours> bytes{};
  std::array<uint64_t, kTableColours> pixels{};
};

// The layout of the pattern's pixels.
struct PatternMap {
  uint16_t rowBytes = 0;  // pixel-map flag cleared
  Rect bounds;
  uint16_t pixelSize = 1;
  uint16_t cmpCount = 1;
  bool packed() const { return rowBytes >= kPackedRowBytes; }
};

// The packed row being read; kept for the run.
struct PixelPatterns {
  GrowableBuffer<unsigned char> row{FatalNoMemory};
};
PixelPatterns patterns;

// A 5-bit component widened to 8 bits.
int widen5(unsigned v) { return static_cast<int>(v << 3 | v >> 2); }

// The pixel map: row bytes, bounds and, for a pixel map, its fields up to
// the colour table handle. A bit map has 1-bit pixels.
PatternMap readPatternMap() {
  PatternMap map;
  uint16_t word = 0;
  ReadUShort(&word);
  ReadRect(&map.bounds);
  map.rowBytes = static_cast<uint16_t>(word & ~kPixMapFlag);
  if (word & kPixMapFlag) {
    unsigned char fields[kPixMapFieldsSize];
    ReadString(fields, kPixMapFieldsSize);
    map.pixelSize = static_cast<uint16_t>(GetShort(fields + kPixelSizeOffset));
    map.cmpCount = static_cast<uint16_t>(GetShort(fields + kCmpCountOffset));
  }
  return map;
}

// The units of one row and what each adds to the sums, by pixel size.
class RowCounter {
 public:
  RowCounter(const PatternMap &map, PixelSums *sums) : map_(map), sums_(sums) {
    const int32_t width = map.bounds.width;
    switch (map.pixelSize) {
      case 16:
        unitSize_ = 2;
        units_ = map.packed() ? width : map.rowBytes / 2;
        held_ = units_ < width ? units_ : width;
        break;
      case 32:
        // Packed: planes of `width` bytes, alpha first when there are four;
        // stored as they are: alpha, red, green, blue of each pixel.
        if (map.packed()) {
          planes_ = map.cmpCount == 4 ? 4 : 3;
          units_ = planes_ * width;
          held_ = units_;
        } else {
          unitSize_ = 4;
          units_ = map.rowBytes / 4;
          held_ = units_ < width ? units_ : width;
        }
        break;
      default: {  // 1, 2, 4 or 8 bits: bytes of 8 / pixelSize pixels each
        perByte_ = 8 / map.pixelSize;
        units_ = map.rowBytes;
        const int32_t stored = units_ * perByte_;
        held_ = stored < width ? stored : width;
      }
    }
  }

  int32_t unitSize() const { return unitSize_; }
  int32_t units() const { return units_; }

  // The units at positions first to first + repeat - 1 are all `unit`.
  void operator()(int32_t first, const unsigned char *unit, int32_t repeat) {
    if (perByte_ > 0) {
      countIndexed(first, unit[0], repeat);
    } else if (planes_ > 0) {
      countPlanes(first, unit[0], repeat);
    } else {
      const int32_t taken = overlap(first, repeat, 0, held_);
      if (taken > 0) addDirect(unit, static_cast<uint64_t>(taken));
    }
  }

  // After the row's units: what the data left out is 0, and an indexed
  // row's pixels beyond its bytes are pixel value 0.
  void finish(int32_t made) {
    if (perByte_ == 0) return;
    const int32_t whole = held_ / perByte_;
    if (made < whole) sums_->bytes[0] += static_cast<uint64_t>(whole - made);
    const int32_t partial = held_ % perByte_;
    if (partial > 0 && made <= whole) countPixels(0, partial);
    sums_->pixels[0] += static_cast<uint64_t>(map_.bounds.width - held_);
  }

 private:
  // Positions of first..first+repeat-1 inside from..to-1.
  static int32_t overlap(int32_t first, int32_t repeat, int32_t from,
                         int32_t to) {
    const int32_t start = first > from ? first : from;
    const int32_t stop = first + repeat < to ? first + repeat : to;
    return stop > start ? stop - start : 0;
  }

  void countIndexed(int32_t first, unsigned char byte, int32_t repeat) {
    const int32_t whole = held_ / perByte_;
    const int32_t taken = overlap(first, repeat, 0, whole);
    if (taken > 0) sums_->bytes[byte] += static_cast<uint64_t>(taken);
    // The last byte of a row whose width ends inside it.
    if (held_ % perByte_ > 0 && overlap(first, repeat, whole, whole + 1) > 0)
      countPixels(byte, held_ % perByte_);
  }

  // The first `count` pixels of a byte, most significant first.
  void countPixels(unsigned char byte, int32_t count) {
    const int bits = map_.pixelSize;
    const unsigned mask = (1u << bits) - 1;
    for (int32_t p = 0; p < count; ++p)
      ++sums_->pixels[byte >> (8 - bits * (p + 1)) & mask];
  }

  void countPlanes(int32_t first, unsigned char byte, int32_t repeat) {
    const int32_t width = map_.bounds.width;
    for (int32_t component = 0; component < 3; ++component) {
      const int32_t plane = planes_ - 3 + component;
      const int32_t taken =
          overlap(first, repeat, plane * width, (plane + 1) * width);
      sums_->rgb[static_cast<size_t>(component)] +=
          uint64_t{byte} * static_cast<uint64_t>(taken);
    }
  }

  void addDirect(const unsigned char *unit, uint64_t count) {
    Rgb colour;
    if (unitSize_ == 2) {
      const unsigned word = unsigned{unit[0]} << 8 | unit[1];
      colour = {widen5(word >> 10 & 31), widen5(word >> 5 & 31),
                widen5(word & 31)};
    } else {
      colour = {unit[1], unit[2], unit[3]};
    }
    sums_->rgb[0] += static_cast<uint64_t>(colour.red) * count;
    sums_->rgb[1] += static_cast<uint64_t>(colour.green) * count;
    sums_->rgb[2] += static_cast<uint64_t>(colour.blue) * count;
  }

  const PatternMap &map_;
  PixelSums *sums_;
  int32_t unitSize_ = 1;
  int32_t units_ = 0;  // units of a whole row
  int32_t held_ = 0;   // pixels the row holds (planes: bytes)
  int32_t perByte_ = 0;
  int32_t planes_ = 0;
};

bool isIndexed(uint16_t pixelSize) {
  return pixelSize == 1 || pixelSize == 2 || pixelSize == 4 || pixelSize == 8;
}

// Reads the rows as skipimage does, counting their pixels into `sums`.
void countRows(const PatternMap &map, PixelSums *sums) {
  const int32_t start = GetByteCount();
  RowCounter counter(map, sums);
  for (int32_t row = 0; row < map.bounds.height; ++row) {
    uint16_t count = map.rowBytes;
    if (map.packed()) count = ReadPackedRowCount(map.rowBytes);
    patterns.row.Reserve(count > 0 ? count : 1);
    unsigned char *const bytes = patterns.row.data();
    ReadString(bytes, count);
    int32_t made = 0;
    if (map.packed()) {
      made = WalkPackBits(bytes, bytes + count, counter.unitSize(),
                          counter.units(), counter);
    } else {
      for (; made < counter.units(); ++made)
        counter(made, bytes + made * counter.unitSize(), 1);
    }
    counter.finish(made);
  }
  SkipImagePad(start);
}

// An indexed pattern's byte and pixel counts, through the colour table,
// into the colour sums.
void addIndexedColours(uint16_t pixelSize, const ColorTable &table,
                       PixelSums *sums) {
  const int perByte = 8 / pixelSize;
  const unsigned mask = (1u << pixelSize) - 1;
  for (unsigned byte = 0; byte < kTableColours; ++byte) {
    if (sums->bytes[byte] == 0) continue;
    for (int p = 0; p < perByte; ++p)
      sums->pixels[byte >> (8 - pixelSize * (p + 1)) & mask] +=
          sums->bytes[byte];
  }
  for (size_t index = 0; index < kTableColours; ++index) {
    const uint64_t count = sums->pixels[index];
    sums->rgb[0] += static_cast<uint64_t>(table.red[index]) * count;
    sums->rgb[1] += static_cast<uint64_t>(table.green[index]) * count;
    sums->rgb[2] += static_cast<uint64_t>(table.blue[index]) * count;
  }
}

int averageOf(uint64_t sum, uint64_t count) {
  return static_cast<int>((sum + count / 2) / count);
}

}  // namespace

bool ReadPixelPatternColour(Rgb *average) {
  const PatternMap map = readPatternMap();
  ColorTable table;
  ReadColorTable(&table);
  const bool known =
      isIndexed(map.pixelSize) || map.pixelSize == 16 || map.pixelSize == 32;
  const uint64_t pixels = static_cast<uint64_t>(map.bounds.width) *
                          static_cast<uint64_t>(map.bounds.height);
  if (!known || pixels == 0) {
    skipimage(map.rowBytes, &map.bounds);
    return false;
  }
  PixelSums sums;
  countRows(map, &sums);
  if (isIndexed(map.pixelSize)) addIndexedColours(map.pixelSize, table, &sums);
  *average = {averageOf(sums.rgb[0], pixels), averageOf(sums.rgb[1], pixels),
              averageOf(sums.rgb[2], pixels)};
  return true;
}

void ResetPixelPatterns() { patterns = PixelPatterns{}; }

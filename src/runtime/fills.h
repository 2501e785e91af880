// What a TOV document can paint an area with: one of eight separations, solid
// or as a tint over white (fill numbers 0 to 7), or one of seven patterns
// (fill numbers 8 to 14). The filter matches picture colours and patterns
// against these and the previewer paints them, both from these tables.
#ifndef PICTTOTOV_RUNTIME_FILLS_H
#define PICTTOTOV_RUNTIME_FILLS_H

#include <array>
#include <cstdint>

namespace tov {

// Red, green and blue of each separation number, 0 to 7.
constexpr std::array<std::array<uint8_t, 3>, 8> kSeparationRgb = {{
    {0, 0, 0},
    {255, 255, 255},
    {255, 0, 0},
    {0, 255, 0},
    {0, 0, 255},
    {0, 255, 255},
    {255, 0, 255},
    {255, 255, 0},
}};

// Share of the separation's colour, in percent, of fill numbers 0 (solid)
// to 6, and of 7 (no ink).
constexpr int kTintFills = 8;
constexpr std::array<int, kTintFills> kTintPercent = {100, 90, 70, 50,
                                                      30,  10, 3,  0};

// One component of a separation colour at the share of fill number `fill`
// over white, rounded half up: 255 - (255 - component) * share.
constexpr int TintComponent(int component, int fill) {
  return (255 * 100 - (255 - component) * kTintPercent[fill] + 50) / 100;
}

// The patterns of fill numbers 8 to 14: one byte per row, the leftmost
// pixel in the most significant bit, 1-bits in the separation's colour.
constexpr int kFirstPatternFill = 8;
constexpr std::array<std::array<uint8_t, 8>, 7> kFillPatterns = {{
    {0x0F, 0x1E, 0x3C, 0x78, 0xF0, 0xE1, 0xC3, 0x87},
    {0x0F, 0x87, 0xC3, 0xE1, 0xF0, 0x78, 0x3C, 0x1E},
    {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC},
    {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00},
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},
    {0x03, 0x06, 0x0C, 0x18, 0x30, 0x60, 0xC0, 0x81},
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},
}};

}  // namespace tov

#endif  // PICTTOTOV_RUNTIME_FILLS_H

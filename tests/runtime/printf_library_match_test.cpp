// The engine renders %d, %hd, %02x, %.2f and %.3f itself: every value must
// come out byte for byte as the C library writes it. Millions of values are
// compared: single-precision numbers across their whole range, every exact
// tie, doubles next to ties, and the values the C library keeps.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/vok.h"

namespace {

// Formats the values with the engine and with the C library; returns the
// number of differences (0 or 1) and reports them.
template <typename... T>
int Differs(const char *format, T... values) {
  char ours[512];
  char library[512];
  V_Snprintf(ours, sizeof ours, format, values...);
  std::snprintf(library, sizeof library, format, values...);
  if (std::strcmp(ours, library) == 0) return 0;
  ADD_FAILURE() << format << ": engine \"" << ours << "\", library \""
                << library << "\"";
  return 1;
}

// Both precisions and both signs of one value.
int FixedDiffers(double value) {
  return Differs("%.3f", value) + Differs("%.3f", -value) +
         Differs("%.2f", value) + Differs("%.2f", -value);
}

double FloatFromBits(uint32_t bits) {
  float value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

constexpr int kMaxReported = 20;

// Positive single-precision numbers from the smallest subnormal to 2^40
// (beyond the renderer's limit), a dense sample of their bit patterns; the
// exact ties (odd multiples of 1/16 and 1/8, which the C library rounds to
// the even neighbour), the neighbours of decimal ties, and the values the
// C library renders (too large, infinite, not a number).
TEST(PrintfLibraryMatch, Fixed) {
  int differences = 0;
  for (uint32_t bits = 1; bits < 0x53800000u && differences < kMaxReported;
       bits += 1021)
    differences += FixedDiffers(FloatFromBits(bits));
  for (int64_t odd = 1; odd < (int64_t{1} << 20) && differences < kMaxReported;
       odd += 2)
    differences += FixedDiffers(odd / 16.0) + FixedDiffers(odd / 8.0);
  for (int64_t k = 0; k < 100000 && differences < kMaxReported; ++k) {
    double tie = (static_cast<double>(k) + 0.5) / 1000.0;
    differences += FixedDiffers(std::nextafter(tie, 0.0)) +
                   FixedDiffers(std::nextafter(tie, 1e9));
  }
  for (double value :
       {0.0, DBL_MIN, DBL_TRUE_MIN, 0.0005, 0.005, 0.015, 999999999999.9995,
        1e12, 1e15, 1e200, HUGE_VAL, std::nan("")})
    differences += FixedDiffers(value);
  EXPECT_EQ(differences, 0);
  // A conversion longer than 255 bytes is cut there.
  char ours[512];
  char library[512];
  V_Snprintf(ours, sizeof ours, "%.3f", DBL_MAX);
  std::snprintf(library, sizeof library, "%.3f", DBL_MAX);
  EXPECT_EQ(std::string(ours), std::string(library, 255));
}

TEST(PrintfLibraryMatch, IntegersAndHexBytes) {
  int differences = 0;
  const int edges[] = {0,     1,     -1,      9,       10,      -10,
                       32767, 32768, -32768,  -32769,  65535,   65536,
                       255,   256,   INT_MAX, INT_MIN, 0x18000, 1 << 28};
  for (int value : edges)
    differences +=
        Differs("%d", value) + Differs("%hd", value) + Differs("%02x", value);
  uint32_t state = 12345;
  for (int i = 0; i < 300000; ++i) {
    state = state * 1103515245u + 12345u;
    int value = static_cast<int>(state);
    differences += Differs("%d", value) + Differs("%hd", value) +
                   Differs("%02x", value) + Differs("%02x", value & 0xFF);
  }
  EXPECT_EQ(differences, 0);
}

// Whole statements mix plain text, rendered conversions and conversions the
// C library renders; the pieces join in order.
TEST(PrintfLibraryMatch, Statements) {
  EXPECT_EQ(
      Differs("\t<BRect %.3f %.3f %.3f %.3f>\n", 1.5, -0.0004, 1e13, 72.0625),
      0);
  EXPECT_EQ(Differs("<%s|%5d|%hd|%.2f|%e|%02x%02x>", "Times", 42, -1, 0.125,
                    3.5, 7, 255),
            0);
  EXPECT_EQ(Differs("%.3f%.3fx%%%d", 0.0625, 0.1875, 0), 0);
}

}  // namespace

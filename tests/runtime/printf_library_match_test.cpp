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

double DoubleFromBits(uint64_t bits) {
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

constexpr int kMaxReported = 20;

// Positive single-precision numbers from the smallest subnormal to 2^40
// (beyond the renderer's limit), a dense sample of their bit patterns.
TEST(PrintfLibraryMatch, FixedOfSinglePrecisionValues) {
  const uint32_t last = 0x53800000u;  // 2^40
  int differences = 0;
  for (uint32_t bits = 1; bits < last && differences < kMaxReported;
       bits += 1021)
    differences += FixedDiffers(FloatFromBits(bits));
  // Every float of a few often-written ranges: around 0, 1 and 1000.
  for (double start : {0.0, 1.0, 999.0}) {
    float value = static_cast<float>(start);
    for (int i = 0; i < 200000 && differences < kMaxReported; ++i) {
      differences += FixedDiffers(value);
      value = std::nextafter(value, FLT_MAX);
    }
  }
  EXPECT_EQ(differences, 0);
}

// value * 1000 ends in exactly .5 for the odd multiples of 1/16, value * 100
// for those of 1/8: the C library rounds these ties to the even neighbour.
TEST(PrintfLibraryMatch, FixedOfExactTies) {
  int differences = 0;
  for (int64_t odd = 1; odd < (int64_t{1} << 20) && differences < kMaxReported;
       odd += 2)
    differences += FixedDiffers(odd / 16.0) + FixedDiffers(odd / 8.0);
  // Ties far up, where the whole part has many digits.
  for (int64_t odd = (int64_t{1} << 40) + 1; odd < (int64_t{1} << 40) + 20001;
       odd += 2)
    differences += FixedDiffers(odd / 16.0);
  EXPECT_EQ(differences, 0);
}

// Doubles that are no single-precision values: the neighbours of decimal
// ties, random bit patterns of every exponent, subnormals, and the values
// the C library renders (too large, infinite, not a number).
TEST(PrintfLibraryMatch, FixedOfDoubles) {
  int differences = 0;
  for (int64_t k = 0; k < 300000 && differences < kMaxReported; ++k) {
    double tie = (static_cast<double>(k) + 0.5) / 1000.0;
    differences += FixedDiffers(tie) + FixedDiffers(std::nextafter(tie, 0.0)) +
                   FixedDiffers(std::nextafter(tie, 1e9));
  }
  uint64_t state = 0x9E3779B97F4A7C15u;
  for (int i = 0; i < 300000 && differences < kMaxReported; ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    // Exponents from 2^-1074 up to 2^63: past the limit on purpose.
    uint64_t exponent = (state >> 52) % (1023 + 64);
    double value = DoubleFromBits(exponent << 52 | (state & 0xFFFFFFFFFFFFFu));
    differences += FixedDiffers(value);
  }
  for (double value :
       {0.0, DBL_MIN, DBL_TRUE_MIN, 0.0005, 0.005, 0.015, 999999999999.9995,
        1e12, 1e15, 1e200, HUGE_VAL, std::nan("")})
    differences += FixedDiffers(value);
  EXPECT_EQ(differences, 0);
  // A conversion longer than 255 bytes is cut there, as the engine always
  // did for the C library's texts.
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

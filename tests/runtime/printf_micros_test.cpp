// "%f" (six decimals) is rendered by the engine for values whose mantissa
// has at most 43 significant bits, single-precision values among them, and
// by the C library otherwise: both must match the C library byte for byte.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "runtime/vok.h"

namespace {

int MicrosDiffer(double value) {
  int differences = 0;
  for (double v : {value, -value}) {
    char ours[128], library[128];
    V_Snprintf(ours, sizeof ours, "<%f %f>", v, v / 3);
    std::snprintf(library, sizeof library, "<%f %f>", v, v / 3);
    if (std::strcmp(ours, library) == 0) continue;
    ADD_FAILURE() << "engine \"" << ours << "\", library \"" << library << "\"";
    ++differences;
  }
  return differences;
}

TEST(PrintfMicros, MatchesTheLibrary) {
  int differences = 0;
  // Single-precision values from the smallest subnormal to 2^44, sampled.
  for (uint32_t bits = 1; bits < 0x55800000u && differences < 20;
       bits += 4099) {
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    differences += MicrosDiffer(value);
  }
  // Every float around 0.5 and 1000; exact ties of the sixth decimal (the
  // odd multiples of 2^-7 end in a 5 at the seventh); values at the limits.
  for (double start : {0.5, 1000.0}) {
    float value = static_cast<float>(start);
    for (int i = 0; i < 100000 && differences < 20; ++i) {
      differences += MicrosDiffer(value);
      value = std::nextafter(value, FLT_MAX);
    }
  }
  for (int odd = 1; odd < 1 << 16; odd += 2)
    differences += MicrosDiffer(odd / 128.0);
  for (double value :
       {0.0, 1e-7, 5e-7, 4.9999999e-7, 999999999999.0, 1e12, 1e15, 0.1, 1.0 / 3,
        DBL_MAX, DBL_MIN, HUGE_VAL, std::nan("")})
    differences += MicrosDiffer(value);
  EXPECT_EQ(differences, 0);
}

}  // namespace

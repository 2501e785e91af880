// Under -full: the nearest ink to a colour. The candidates are every
// separation at each share of fill numbers 0 to 6 over white, as the
// previewer paints them; the nearest is measured in CIELAB (the CIE 1976
// colour difference), which weighs differences as the eye sees them: a
// dark red stays red, a grey becomes a tint of black. All arithmetic is in
// integers.
#include "graphics/colour.h"

#include <array>
#include <cstddef>
#include <cstdint>

#include "runtime/fills.h"

namespace {

// An sRGB component (0 to 255) as linear light, times 2^20:
// c / 12.92 up to 0.04045, ((c + 0.055) / 1.055)^2.4 above (c = value / 255),
// rounded.
// clang-format off
constexpr std::array<int32_t, 256> kLinear = {
    0, 318, 637, 955, 1273, 1591, 1910, 2228,
    2546, 2864, 3183, 3509, 3855, 4220, 4605, 5009,
    5433, 5878, 6343, 6828, 7335, 7863, 8413, 8984,
    9578, 10193, 10832, 11492, 12176, 12883, 13614, 14368,
    15145, 15947, 16773, 17624, 18499, 19399, 20324, 21274,
    22250, 23251, 24278, 25331, 26410, 27516, 28648, 29807,
    30993, 32205, 33445, 34713, 36008, 37331, 38681, 40060,
    41467, 42903, 44367, 45860, 47381, 48932, 50512, 52121,
    53760, 55428, 57127, 58855, 60613, 62402, 64221, 66071,
    67951, 69862, 71805, 73778, 75783, 77819, 79886, 81985,
    84117, 86280, 88475, 90702, 92962, 95254, 97579, 99937,
    102328, 104751, 107208, 109698, 112222, 114779, 117370, 119994,
    122653, 125345, 128072, 130833, 133628, 136458, 139323, 142222,
    145156, 148125, 151130, 154169, 157244, 160355, 163501, 166683,
    169900, 173154, 176443, 179769, 183131, 186530, 189964, 193436,
    196944, 200489, 204072, 207691, 211347, 215041, 218772, 222540,
    226346, 230190, 234071, 237991, 241948, 245944, 249978, 254050,
    258161, 262310, 266498, 270724, 274990, 279294, 283637, 288020,
    292442, 296903, 301404, 305944, 310523, 315143, 319802, 324502,
    329241, 334021, 338840, 343700, 348601, 353542, 358523, 363546,
    368609, 373713, 378858, 384044, 389271, 394539, 399849, 405201,
    410594, 416028, 421504, 427022, 432582, 438184, 443828, 449515,
    455243, 461014, 466827, 472683, 478582, 484523, 490507, 496534,
    502604, 508717, 514873, 521072, 527315, 533601, 539930, 546303,
    552720, 559181, 565685, 572234, 578826, 585462, 592143, 598868,
    605637, 612451, 619309, 626211, 633159, 640151, 647188, 654270,
    661397, 668569, 675786, 683048, 690356, 697709, 705108, 712552,
    720042, 727577, 735159, 742786, 750459, 758178, 765944, 773755,
    781613, 789517, 797468, 805465, 813509, 821599, 829736, 837920,
    846151, 854429, 862753, 871125, 879545, 888011, 896525, 905086,
    913695, 922351, 931055, 939807, 948606, 957453, 966349, 975292,
    984283, 993323, 1002411, 1011547, 1020731, 1029964, 1039246, 1048576,
};
// clang-format on

// The sRGB to XYZ matrix (D65), each row divided by the white point's
// coordinate so that white gives 1 on every axis; times 2^16, each row
// summing to exactly 2^16.
constexpr std::array<std::array<int64_t, 3>, 3> kToWhiteRelativeXyz = {{
    {28440, 24655, 12441},  // X / Xn
    {13938, 46868, 4730},   // Y / Yn
    {1164, 7174, 57198},    // Z / Zn
}};

constexpr int kFractionBits = 16;
constexpr int64_t kOne = int64_t{1} << kFractionBits;

// The largest r with r^3 <= n, for 0 <= n <= 2^48.
int64_t integerCubeRoot(int64_t n) {
  int64_t low = 0, high = kOne + 1;  // low^3 <= n < high^3
  while (high - low > 1) {
    const int64_t middle = (low + high) / 2;
    if (middle * middle * middle <= n)
      low = middle;
    else
      high = middle;
  }
  return low;
}

// CIELAB's f of a white-relative coordinate t (times 2^36), times 2^16:
// the cube root above (6/29)^3, the straight line t / (3 (6/29)^2) + 4/29
// below.
int64_t labF(int64_t t36) {
  constexpr int64_t kLimitNumerator = 216;  // (6/29)^3 = 216 / 24389
  constexpr int64_t kLimitDenominator = 24389;
  if (t36 * kLimitDenominator > (kLimitNumerator << 36))
    return integerCubeRoot(t36 << 12);
  // t * 841 / 108 + 4 / 29, in units of 2^-36, then to 2^-16.
  return (t36 * 841 / 108 + (int64_t{4} << 36) / 29) >> 20;
}

struct Candidate {
  Ink ink;
  Lab lab;
};
constexpr int kCandidateFills = tov::kTintFills - 1;  // fill 7 has no ink
constexpr int kCandidates =
    static_cast<int>(tov::kSeparationRgb.size()) * kCandidateFills;

// Every separation at fill numbers 0 to 6, separation by separation, the
// densest first: the order in which ties are decided.
const std::array<Candidate, kCandidates> &candidates() {
  static const std::array<Candidate, kCandidates> kAll = [] {
    std::array<Candidate, kCandidates> all{};
    int n = 0;
    for (int sep = 0; sep < static_cast<int>(tov::kSeparationRgb.size());
         ++sep) {
      const auto &rgb = tov::kSeparationRgb[static_cast<size_t>(sep)];
      for (int fill = 0; fill < kCandidateFills; ++fill) {
        const Rgb tint{tov::TintComponent(rgb[0], fill),
                       tov::TintComponent(rgb[1], fill),
                       tov::TintComponent(rgb[2], fill)};
        all[static_cast<size_t>(n++)] = {{sep, fill}, ToLab(tint)};
      }
    }
    return all;
  }();
  return kAll;
}

int64_t squaredDistance(const Lab &p, const Lab &q) {
  // For sRGB colours the coordinates stay below 2^23 in size, so the sum
  // of the squares stays below 2^48.
  const int64_t dl = p.l - q.l, da = p.a - q.a, db = p.b - q.b;
  return dl * dl + da * da + db * db;
}

int clampComponent(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// The last colour matched and its ink: objects come in runs of one colour,
// and each asks for its interior's and its outline's ink. A memo of a pure
// function, the same in every run, so no reset puts it back.
struct Match {
  Rgb colour{-1, -1, -1};
  Ink ink;
};
Match lastMatch;

}  // namespace

Lab ToLab(Rgb colour) {
  const std::array<int64_t, 3> linear = {
      kLinear[static_cast<size_t>(clampComponent(colour.red))],
      kLinear[static_cast<size_t>(clampComponent(colour.green))],
      kLinear[static_cast<size_t>(clampComponent(colour.blue))]};
  std::array<int64_t, 3> f{};
  for (size_t axis = 0; axis < 3; ++axis) {
    int64_t t36 = 0;
    for (size_t c = 0; c < 3; ++c)
      t36 += kToWhiteRelativeXyz[axis][c] * linear[c];
    f[axis] = labF(t36);
  }
  return {116 * f[1] - 16 * kOne, 500 * (f[0] - f[1]), 200 * (f[1] - f[2])};
}

Ink NearestInk(Rgb colour) {
  if (colour.red == lastMatch.colour.red &&
      colour.green == lastMatch.colour.green &&
      colour.blue == lastMatch.colour.blue)
    return lastMatch.ink;
  const Lab lab = ToLab(colour);
  const auto &all = candidates();
  Ink best = all[0].ink;
  int64_t bestDistance = squaredDistance(lab, all[0].lab);
  for (size_t i = 1; i < all.size(); ++i) {
    const int64_t distance = squaredDistance(lab, all[i].lab);
    if (distance < bestDistance) {
      best = all[i].ink;
      bestDistance = distance;
    }
  }
  lastMatch = {colour, best};
  return best;
}

int32_t NearestTintFill(int32_t percentTimes64) {
  int32_t best = 0;
  int32_t bestDistance = INT32_MAX;
  for (int32_t fill = 0; fill < kCandidateFills; ++fill) {
    int32_t distance =
        tov::kTintPercent[static_cast<size_t>(fill)] * 64 - percentTimes64;
    if (distance < 0) distance = -distance;
    if (distance < bestDistance) {
      best = fill;
      bestDistance = distance;
    }
  }
  return best;
}

// Under -full: the coordinate space of an extended version 2 header. Such a
// header (version word -2) names the rectangle its drawing commands use,
// often at a resolution above 72 dpi or at an offset; it is mapped onto the
// picture frame by one scale and a shift of the origin, so that every
// writer, which maps (coordinate + origin) x scale, places its object inside
// the frame.
#include <cmath>
#include <cstdint>

#include "graphics/graphics.h"
#include "graphics/state.h"
#include "pict/pict.h"

namespace {

// Added to every origin set; 0 without -full.
struct PictureSpace {
  int16_t PictureShiftX = 0;
  int16_t PictureShiftY = 0;
};
PictureSpace space;

constexpr int16_t kExtendedHeaderVersion = -2;
// Offset of the source rectangle in the header data: version, reserved
// word, horizontal and vertical resolution.
constexpr int kSourceRectOffset = 12;

// The origin shift that moves `source` onto `target` at scale k, rounded
// to whole picture units and kept within 16 bits.
int16_t shiftFor(int32_t target, int32_t source, double k) {
  double shift = std::round(static_cast<double>(target) / k - source);
  if (shift > INT16_MAX) shift = INT16_MAX;
  if (shift < INT16_MIN) shift = INT16_MIN;
  return static_cast<int16_t>(shift);
}

}  // namespace

// One scale for both axes (the smaller of the two, so that the drawing
// always fits) keeps circles round when the rectangle's proportions differ
// from the frame's by rounding.
void MapExtendedHeader(const unsigned char *data, const Rect &frame) {
  if (GetShort(data) != kExtendedHeaderVersion) return;
  Rect source = GetRect(data + kSourceRectOffset);
  if (source.width == 0 || source.height == 0) return;
  double kx = static_cast<double>(frame.width) / source.width;
  double ky = static_cast<double>(frame.height) / source.height;
  double k = kx < ky ? kx : ky;
  if (k <= 0.0) return;
  State.ScaleFactor = static_cast<float>(State.ScaleFactor * k);
  space.PictureShiftX = shiftFor(frame.x, source.x, k);
  space.PictureShiftY = shiftFor(frame.y, source.y, k);
  SetOrigin(0, 0);
}

void SetOrigin(int16_t x, int16_t y) {
  State.OriginX = static_cast<int16_t>(x + space.PictureShiftX);
  State.OriginY = static_cast<int16_t>(y + space.PictureShiftY);
}

void ResetPictureSpace() { space = PictureSpace{}; }

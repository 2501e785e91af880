// Private to the graphics subsystem: the line collection the line writer
// fills and the polygon writer consumes.
#ifndef PICTTOTOV_GRAPHICS_PATHS_H
#define PICTTOTOV_GRAPHICS_PATHS_H

#include <cstdint>

#include "base/messages.h"
#include "graphics/state.h"
#include "runtime/buffer.h"

// PolyState routes the line opcodes: written one by one, collected into the
// point buffer, or dropped.
constexpr int32_t kPolyNormal = 1;
constexpr int32_t kPolyCollecting = 2;
constexpr int32_t kPolyIgnoring = 3;

struct LineCollection {
  int32_t PolyState = kPolyNormal;
  // The collected path: pen-adjusted picture coordinates (no origin, no
  // scale), NumPoints of them. A path the run can't hold ends it.
  GrowableBuffer<float> Xarray{FatalNoMemory};
  GrowableBuffer<float> Yarray{FatalNoMemory};
  int32_t NumPoints = 0;
  // Unadjusted start of the first and end of the last collected segment.
  int16_t FirstX = 0;
  int16_t FirstY = 0;
  int16_t LastX = 0;
  int16_t LastY = 0;
  // 1 while the collected path is to be written as a smoothed curve.
  int32_t PolyIsSmoothed = 0;

  // Points each array holds before it must grow.
  int32_t PointSlots() const { return static_cast<int32_t>(Xarray.capacity()); }
};
extern LineCollection Path;

// The mean of two coordinates: the sum in single precision, halved. Joins a
// segment to the previous one, and the ends of a closed path.
inline float midpoint(float a, float b) {
  return static_cast<float>((a + b) * 0.5);
}

// A collected coordinate in TOV points: origin added, then scaled, in single
// precision.
inline double CollectedToPointsX(float x) {
  return static_cast<double>((static_cast<float>(State.OriginX) + x) *
                             State.ScaleFactor);
}
inline double CollectedToPointsY(float y) {
  return static_cast<double>((static_cast<float>(State.OriginY) + y) *
                             State.ScaleFactor);
}

#endif  // PICTTOTOV_GRAPHICS_PATHS_H

// Private to the graphics subsystem. Under -full a colour is brought to the
// nearest ink the document can carry, a separation at one of its tints,
// and a pixel pattern to the average colour of its pixels.
#ifndef PICTTOTOV_GRAPHICS_COLOUR_H
#define PICTTOTOV_GRAPHICS_COLOUR_H

#include <cstdint>

// A colour of 8 bits per component: the high bytes of a picture colour.
struct Rgb {
  int red = 0;
  int green = 0;
  int blue = 0;
};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

// What an object's interior or outline is drawn in: a separation and a fill
// number.
struct Ink {
  int32_t sep = 0;
  int32_t fill = 0;
};

// The colour's position in CIELAB (D65 white, sRGB components), each
// coordinate times 65536. Integer arithmetic throughout, so every compiler
// and optimiser gives the same value.
struct Lab {
  int64_t l = 0;
  int64_t a = 0;
  int64_t b = 0;
};
Lab ToLab(Rgb colour);

// The separation and fill number 0 to 6 (the separation's colour at that
// share over white) whose colour is nearest to `colour` in CIELAB. Of
// candidates at the same distance the lower separation wins, then the
// denser tint.
Ink NearestInk(Rgb colour);

// The fill number 0 to 6 whose share is nearest to `percent` / 64 percent;
// of two equally near the denser.
int32_t NearestTintFill(int32_t percentTimes64);

// Reads a pixel pattern's pixel map, colour table and pixels (exactly the
// bytes the reader's skips pass over) and gives the average colour of its
// pixels: indexed pixels of 1, 2, 4 or 8 bits through the colour table,
// direct pixels of 16 or 32 bits. False for a pattern without pixels or of
// another pixel size, which then has no colour of its own.
bool ReadPixelPatternColour(Rgb *average);

#endif  // PICTTOTOV_GRAPHICS_COLOUR_H

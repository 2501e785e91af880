// Pieces the indexed and the direct-colour image writers share; private to
// the image subsystem.
#ifndef PICTTOTOV_IMAGE_PIXELS_H
#define PICTTOTOV_IMAGE_PIXELS_H

#include <cstdint>

#include "pict/pict.h"

// Unpacks PackBits data from *source (up to sourceEnd) into *destination
// until count bytes are produced. A run that would pass the count is cut
// there; data that ends early leaves the rest unwritten. Both positions
// advance past what was read and written. Returns the bytes still owed.
int32_t UnpackBits(const unsigned char **source, const unsigned char *sourceEnd,
                   unsigned char **destination, int32_t count);

// Reads a packed row: its byte count and that many bytes into a buffer kept
// for the run, which it returns; null without memory.
const unsigned char *ReadPackedRow(uint16_t rowBytes, uint16_t *count);

// Message 1024: a pixel map that is not converted, with its pixel size.
void ReportPixelSize(uint16_t pixelSize);

// Where ReadScanLine takes the rows of the image being written from: the
// indexed writer's rows or a direct-colour map's.
enum class RowSource { kIndexed, kDirect };

// Writes the ImportObject of an image whose operands have been read: its
// facet (rows fetched by ReadScanLine from `rows`), the pad byte behind the
// rows, and the placement at `destination`.
void WriteImageObject(const Rect &bounds, const Rect &destination,
                      int32_t depth, const unsigned char *red,
                      const unsigned char *green, const unsigned char *blue,
                      RowSource rows);

// Under -full: a direct-colour pixel map, as far as its fields are read.
struct DirectPixMap {
  uint16_t rowBytes = 0;  // pixel-map flag cleared
  Rect bounds;
  uint16_t packType = 0;
  uint16_t pixelSize = 0;
  uint16_t cmpCount = 0;
};
// 16 and 32 bits per pixel are the direct-colour sizes.
bool IsDirectPixelSize(uint16_t pixelSize);
// Converts a direct-colour pixel map from its source rectangle on: the
// operands after the pixel map (and its colour table, for 0x90 and 0x98).
void ConvertDirectPixMap(const DirectPixMap &map, int hasRegion);
// ReadScanLine for the rows of a direct-colour pixel map.
int ReadDirectScanLine(int32_t rowLength, unsigned char *row);
// The direct-colour writer's part of ResetImage.
void ResetDirectPixMaps();

#endif  // PICTTOTOV_IMAGE_PIXELS_H

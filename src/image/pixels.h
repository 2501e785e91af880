// Pieces the indexed and the direct-colour image writers share.
#ifndef PICTTOTOV_IMAGE_PIXELS_H
#define PICTTOTOV_IMAGE_PIXELS_H

#include <cstdint>

#include "pict/pict.h"

// Makes *buffer hold at least `need` bytes; false without memory.
bool GrowBuffer(unsigned char **buffer, uint32_t *size, uint32_t need);

// Writes the ImportObject of an image whose operands have been read: its
// facet (rows fetched by ReadScanLine), the pad byte behind the rows, and
// the placement at `destination`.
void WriteImageObject(const Rect &bounds, const Rect &destination,
                      int32_t depth, const unsigned char *red,
                      const unsigned char *green, const unsigned char *blue);

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
// Set while the facet of a direct-colour pixel map is written: ReadScanLine
// then reads its rows through ReadDirectScanLine.
extern bool DirectRowsOpen;
int ReadDirectScanLine(int32_t rowLength, unsigned char *row);

#endif  // PICTTOTOV_IMAGE_PIXELS_H

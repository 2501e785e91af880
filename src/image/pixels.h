// Pieces the indexed and the direct-colour image writers share.
#ifndef PICTTOTOV_IMAGE_PIXELS_H
#define PICTTOTOV_IMAGE_PIXELS_H

#include <cstdint>

#include "pict/pict.h"

constexpr uint16_t kPixMapFlag = 0x8000;  // in row bytes: a pixel map
// Source rectangle and transfer mode, skipped around the destination.
constexpr int32_t kRectSize = 8;
constexpr int32_t kModeSize = 2;
constexpr int kSkipRegion = 1;  // `skip` kind of a mask region
// Rows of fewer bytes are stored unpacked.
constexpr uint16_t kPackedRowBytes = 8;

// Reads a packed row: its byte count (one byte up to 250 row bytes, two
// from 251) and that many bytes into a buffer kept for the run, which it
// returns; null without memory.
const unsigned char *ReadPackedRow(uint16_t rowBytes, uint16_t *count);

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
// Back to the process-start state (ResetImageState).
void ResetDirectPixMaps();

#endif  // PICTTOTOV_IMAGE_PIXELS_H

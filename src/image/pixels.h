// Pieces the indexed and the direct-colour image writers share; private to
// the image subsystem.
#ifndef PICTTOTOV_IMAGE_PIXELS_H
#define PICTTOTOV_IMAGE_PIXELS_H

#include <cstdint>

#include "pict/pict.h"

// Unpacks PackBits data from *source (up to sourceEnd) into *destination
// until count bytes are produced. A run that would pass the count is cut
// there; data that ends early leaves the rest unwritten, though not always
// unchanged: owed bytes are for the caller to clear. Both positions
// advance past what was read and written. Returns the bytes still owed.
int32_t UnpackBits(const unsigned char **source, const unsigned char *sourceEnd,
                   unsigned char **destination, int32_t count);

// Reads a packed row: its byte count and that many bytes into a buffer kept
// for the run, which it returns; null without memory.
const unsigned char *ReadPackedRow(uint16_t rowBytes, uint16_t *count);

// Message 1024: a pixel map that is not converted, with its pixel size.
void ReportPixelSize(uint16_t pixelSize);

// Where ReadScanLine takes the rows of the image being written from: the
// indexed writer's rows, a direct-colour map's, or a decoded QuickTime
// image's (-full).
enum class RowSource { kIndexed, kDirect, kQuickTime };

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

// The fixed map of 256 colours (a 6 x 6 x 6 colour cube and 40 greys) that
// direct colours are brought onto.
struct ColorMap {
  unsigned char red[256] = {};
  unsigned char green[256] = {};
  unsigned char blue[256] = {};
};
const ColorMap &FixedColorMap();
// Makes room for the diffusion of rows `width` pixels wide; false without
// memory.
bool HoldDiffusionRows(int32_t width);
// Brings one row onto the fixed map with Floyd-Steinberg error diffusion,
// after HoldDiffusionRows(width): its red, green and blue of `width` bytes
// each; rowNumber counts the image's rows from 0 (row 0 starts without
// errors). Writes the map indexes into `row` and zeroes it from `width` up
// to `rowLength`.
void DiffuseOntoFixedMap(const unsigned char *red, const unsigned char *green,
                         const unsigned char *blue, int32_t width,
                         int32_t rowNumber, int32_t rowLength,
                         unsigned char *row);

// Under -full: a QuickTime image's rows (ReadScanLine's for kQuickTime),
// and that writer's part of ResetImage.
int ReadQuickTimeScanLine(int32_t rowLength, unsigned char *row);
void ResetQuickTime();

#ifdef PICTTOTOV_FUZZ_BUILD
// The fuzz build gives up a picture whose images declare more work than
// its budget: charges `bytes` of facet rows.
void ChargeFuzzBudget(int64_t bytes);
#endif

#endif  // PICTTOTOV_IMAGE_PIXELS_H

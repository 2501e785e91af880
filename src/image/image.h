// Bitmaps and pixel maps of the picture, written as inline image facets.
#ifndef PICTTOTOV_IMAGE_IMAGE_H
#define PICTTOTOV_IMAGE_IMAGE_H

#include <cstdint>

#include "runtime/vok.h"

// The four image opcodes: copies of a bit or pixel map, with or without a
// mask region, unpacked or packed.
void op_BitsRect();
void op_BitsRgn();
void op_PackBitsRect();
void op_PackBitsRgn();

// Reads one image opcode's operands and writes its ImportObject; hasRegion
// is 1 for the two opcodes with a mask region.
void do_bitmap(int hasRegion);

// Under -full: a direct-colour pixel map (opcodes 0x9A and 0x9B; hasRegion
// 1 for 0x9B), written as a depth-8 facet on a fixed colour map.
void do_directbits(int hasRegion);

// Back to the process-start state, for a process that converts more than
// one picture.
void ResetImageState();

// Reads the next row of the current image into `row` in facet form: the
// picture's bit rows as they are, 2- and 4-bit pixels one to a byte. 0 on
// success, -20 when a row buffer can't be had. rowLength, the facet row's
// length, is used only by direct-colour maps (-full).
int ReadScanLine(int32_t rowLength, unsigned char *row);

// Writes the facet of an image of width x height pixels at depth 1 or 8,
// fetching its rows with ReadScanLine; red, green and blue are 256-entry
// colour tables, written for depth 8 only. 0 on success, -20 without
// memory, -13 when a write to the channel failed.
int ChannelWriteQuireImageFacet(Channel *channel, int32_t width, int32_t height,
                                int32_t depth, const unsigned char *red,
                                const unsigned char *green,
                                const unsigned char *blue);

#endif  // PICTTOTOV_IMAGE_IMAGE_H

// Bitmaps and pixel maps of the picture, written as inline image facets.
#ifndef PICTTOTOV_IMAGE_IMAGE_H
#define PICTTOTOV_IMAGE_IMAGE_H

// The four image opcodes: copies of a bit or pixel map, with or without a
// mask region, unpacked or packed.
void op_BitsRect();
void op_BitsRgn();
void op_PackBitsRect();
void op_PackBitsRgn();

// Under -full: a direct-colour pixel map (opcodes 0x9A and 0x9B; hasRegion
// 1 for 0x9B), written as a depth-8 facet on a fixed colour map.
void do_directbits(int hasRegion);

// Under -full: an image compressed by QuickTime (opcode 0x8200), decoded by
// the codec library loaded at the first one and written as a depth-8
// facet; one that can't be converted is reported and skipped.
void ConvertCompressedQuickTime();

// Back to the process-start state, for a process that converts more than
// one picture: the image state is fresh and its row buffers are freed.
void ResetImage();

#endif  // PICTTOTOV_IMAGE_IMAGE_H

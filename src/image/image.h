// Bitmaps and pixel maps of the picture.
#ifndef PICTTOTOV_IMAGE_IMAGE_H
#define PICTTOTOV_IMAGE_IMAGE_H

void op_BitsRect();
void op_BitsRgn();
void op_PackBitsRect();
void op_PackBitsRgn();

#endif  // PICTTOTOV_IMAGE_IMAGE_H

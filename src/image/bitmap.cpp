// PLACEHOLDER: to be written.
#include "image/image.h"
void op_BitsRect() {}
void op_BitsRgn() {}
void op_PackBitsRect() {}
void op_PackBitsRgn() {}

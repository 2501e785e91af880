// PLACEHOLDER: to be written.
#include "graphics/graphics.h"
void op_framePoly() {}
void op_frameSamePoly() {}
void op_paintPoly() {}
void op_paintSamePoly() {}
void op_erasePoly() {}
void op_eraseSamePoly() {}
void op_fillPoly() {}
void op_fillSamePoly() {}

// PLACEHOLDER: to be written.
#include "graphics/graphics.h"
void op_frameArc() {}
void op_frameSameArc() {}
void op_paintArc() {}
void op_paintSameArc() {}
void op_eraseArc() {}
void op_eraseSameArc() {}
void op_fillArc() {}
void op_fillSameArc() {}

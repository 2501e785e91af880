// PLACEHOLDER: to be written.
#include "graphics/graphics.h"
void op_frameRect() {}
void op_frameSameRect() {}
void op_frameRRect() {}
void op_frameSameRRect() {}
void op_frameOval() {}
void op_frameSameOval() {}
void op_paintRect() {}
void op_paintSameRect() {}
void op_paintRRect() {}
void op_paintSameRRect() {}
void op_paintOval() {}
void op_paintSameOval() {}
void op_eraseRect() {}
void op_eraseSameRect() {}
void op_eraseRRect() {}
void op_eraseSameRRect() {}
void op_eraseOval() {}
void op_eraseSameOval() {}
void op_fillRect() {}
void op_fillSameRect() {}
void op_fillRRect() {}
void op_fillSameRRect() {}
void op_fillOval() {}
void op_fillSameOval() {}

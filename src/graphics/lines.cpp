// PLACEHOLDER: to be written.
#include "graphics/graphics.h"
void op_Line() {}
void op_LineFrom() {}
void op_ShortLine() {}
void op_ShortLineFrom() {}

// PLACEHOLDER: to be written.
#include "pict/pict.h"
void getopcode(uint16_t *opcode) { *opcode = 0xFF; }
void skip(int, int32_t) {}

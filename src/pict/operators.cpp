// PLACEHOLDER: to be written.
#include "pict/pict.h"
void initoperators() {}
void CleanupOperators() {}
void op_opEndPic() {}
Handler *Operators = nullptr; void SkipReservedOpcode(uint16_t) {}

// PLACEHOLDER: to be written.
#include "pict/pict.h"
void op_ShortComment() {}
void op_LongComment() {}

// PLACEHOLDER: to be written.
#include "text/text.h"
void InitTextFontState() {}
void Inittextops() {}
void op_TxFont() {}
void op_TxFace() {}
void op_TxSize() {}
void op_LongText() {}
void op_DHText() {}
void op_DVText() {}
void op_DHDVText() {}

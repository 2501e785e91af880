// PLACEHOLDER: to be written.
#include "graphics/graphics.h"
int16_t OriginX = 0;
int16_t OriginY = 0;
float ScaleFactor = 1.0f;
int32_t PenSep = 0;
void op_BkPat() {}
void op_PnSize() {}
void op_PnMode() {}
void op_PnPat() {}
void op_FillPat() {}
void op_OvSize() {}
void op_Origin() {}
void op_FgColor() {}
void op_BkColor() {}
void op_BkPixPat() {}
void op_PnPixPat() {}
void op_FillPixPat() {}
void op_RGBFgCol() {}
void op_RGBBkCol() {}
void Initstateops() {}
void SetThinLines() {}
void SetScalingFactor(double) {}

// PLACEHOLDER: to be written.
#include "graphics/graphics.h"
int16_t GroupID = 0;
void IncrementGroupCount() {}

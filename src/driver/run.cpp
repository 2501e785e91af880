// PLACEHOLDER: to be written.
#include "driver/driver.h"
int picttotov(Channel *, Channel *, int) { return 0; }

// PLACEHOLDER: to be written.
#include "driver/driver.h"
int main(int, char **) { return 0; }

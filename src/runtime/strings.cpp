// Byte-string helpers of the runtime.
#include <cstring>

#include "runtime/vok.h"

int32_t vokDialogEncodingId = 0;

int32_t V_StrCpyNEnc(char *destination, const char *source, int32_t size,
                     int32_t /*encoding: single byte for the whole run*/) {
  if (destination == nullptr || size < 1) return 0;
  int32_t n = 0;
  if (source != nullptr)
    while (n < size - 1 && source[n] != '\0') {
      destination[n] = source[n];
      ++n;
    }
  destination[n] = '\0';
  return n;
}

int32_t V_StrCpyN(char *destination, const char *source, int32_t size) {
  return V_StrCpyNEnc(destination, source, size, vokDialogEncodingId);
}

char *V_StrCat(char *destination, const char *source) {
  return std::strcat(destination, source);
}

// INTERIM: replaced by the string-resource reader.
#include <cstdio>

#include "runtime/vok.h"

int V_SrInit(const char *, const char *) { return 0; }

int V_SrGetF(int number, char *buffer, int size, const char *, ...) {
  std::snprintf(buffer, size, "MSG %d", number);
  return 0;
}

int V_SrGetN(int number, char *buffer, int size) {
  return V_SrGetF(number, buffer, size, nullptr);
}

int V_LanguageNumber(const char *) { return 0; }

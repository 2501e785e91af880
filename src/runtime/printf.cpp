// INTERIM: replaced by the formatting engine.
#include <cstdio>

#include "runtime/vok.h"

int32_t VokVPrintf(Channel *channel, const char *format, va_list args) {
  if (format == nullptr) return 0;
  return std::vfprintf(channel ? channel->stream : stderr, format, args);
}

int32_t VokVSnprintf(char *buffer, int32_t size, const char *format,
                     va_list args) {
  if (format == nullptr) format = "";
  return std::vsnprintf(buffer, size, format, args);
}

int32_t V_Printf(Channel *channel, const char *format, ...) {
  va_list args;
  va_start(args, format);
  int32_t n = VokVPrintf(channel, format, args);
  va_end(args);
  return n;
}

int32_t V_Sprintf(char *buffer, const char *format, ...) {
  va_list args;
  va_start(args, format);
  int32_t n = VokVSnprintf(buffer, 0x7fffffff, format, args);
  va_end(args);
  return n;
}

int32_t V_Snprintf(char *buffer, int32_t size, const char *format, ...) {
  va_list args;
  va_start(args, format);
  int32_t n = VokVSnprintf(buffer, size, format, args);
  va_end(args);
  return n;
}

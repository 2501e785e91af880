// The installation's folders, found through QZHOME.
#include "base/home.h"

#include <cstdlib>
#include <cstring>

namespace {

// Appends `piece` to the text in `buffer` (size bytes in all), cutting it so
// that nothing is written past the buffer.
void appendBounded(char *buffer, const char *piece, size_t size) {
  size_t used = strnlen(buffer, size);
  if (used + 1 >= size) return;
  std::strncat(buffer, piece, size - used - 1);
}

}  // namespace

const char *GetQzHomeDir() { return std::getenv("QZHOME"); }

int GetQzInitDir(char *buffer, int size) {
  const char *home = GetQzHomeDir();
  if (home == nullptr || buffer == nullptr || size < 1) return -1;
  size_t room = static_cast<size_t>(size);
  size_t homeLength = std::strlen(home);
  std::strncpy(buffer, home, room);
  if (homeLength >= room) {  // cut: strncpy left no terminator
    buffer[room - 1] = '\0';
    return -1;
  }
  appendBounded(buffer, "/", room);
  appendBounded(buffer, "qzinit/filters", room);
  appendBounded(buffer, "/", room);
  return std::strlen(buffer) == homeLength + 16 ? 0 : -1;
}

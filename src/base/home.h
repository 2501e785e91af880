// Where the installation keeps its files: $QZHOME and its filter folder.
#ifndef PICTTOTOV_BASE_HOME_H
#define PICTTOTOV_BASE_HOME_H

// The value of QZHOME, or null when it is not set.
const char *GetQzHomeDir();
// Writes "$QZHOME/qzinit/filters/" into buffer (size bytes); -1 when QZHOME
// is not set or the path doesn't fit.
int GetQzInitDir(char *buffer, int size);

#endif  // PICTTOTOV_BASE_HOME_H

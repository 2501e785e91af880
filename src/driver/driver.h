// The driver: the command line, the files it names and the conversion run.
#ifndef PICTTOTOV_DRIVER_DRIVER_H
#define PICTTOTOV_DRIVER_DRIVER_H

#include <cstdio>

#include "base/conversion.h"

// The filter's version, shown by -V and in the document's first line.
constexpr const char *kFilterVersion = "5.1";

// What the command line asks for: a conversion, or an end with a status
// once -V, -h or an unknown option has been answered.
enum class CommandOutcome { kConvert, kExitSuccess, kExitFailure };
struct CommandLine {
  Options options;
  int count = 0;           // file names left (negative without any word)
  char **names = nullptr;  // the first of them
};
// Reads the option words in order; a bad scale ends the process (message
// 1000) at the word that gives it.
CommandOutcome ParseCommandLine(int argc, char **argv, CommandLine *line);

int validfloat(const char *text);
// Kept in a namespace of its own: the C library declares a basename too.
namespace driver {
const char *basename(const char *path);
}

int InitFileIO(int count, char **names, FILE **in, FILE **out);
int ProcessCommandLineFilenames(int count, char **names, FILE **in, FILE **out);
int SetupStandardIO(const char *inputName, const char *outputName, FILE **in,
                    FILE **out);

struct Rect;
// Converts the picture on `input` to TOV on `output` with the given
// options; 0 at the end of the picture. Every error ends the process
// through Fatal.
int picttotov(Channel *input, Channel *output, const Options &options);
void InitDocument(const Rect &frame);
// Puts every subsystem back to its process-start state, freeing what a run
// that ended early left behind, so that one process can convert picture
// after picture. The font table and the string resources stay.
void ResetConversionRun();

#endif  // PICTTOTOV_DRIVER_DRIVER_H

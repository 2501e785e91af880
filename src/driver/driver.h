// The command line, the numbered messages and the conversion run.
#ifndef PICTTOTOV_DRIVER_DRIVER_H
#define PICTTOTOV_DRIVER_DRIVER_H

#include <cstdio>

#include "runtime/vok.h"

// The filter's version, shown by -V and in the document's first line.
constexpr const char *kFilterVersion = "5.1";

// Numbered messages. The texts live in the string-resource file; the
// arguments each one takes are given here.
enum Message : int {
  kMsgBadScale = 1000,         // -s value missing, not a number or out of range
  kMsgNoMemory = 1001,         // out of memory
  kMsgWriteFailed = 1003,      // writing the output failed
  kMsgCantOpenInput = 1004,    // input file can't be opened; a: its name
  kMsgCantOpenOutput = 1005,   // output file can't be opened; a: its name
  kMsgNotAPicture = 1006,      // neither a version 1 nor a version 2 picture
  kMsgEmptyInput = 1007,       // end of input before the first byte
  kMsgShortInput = 1008,       // end of input in the middle of the picture
  kMsgStatFailed = 1009,       // a file-status query failed
  kMsgSameFile = 1010,         // input and output are the same file
  kMsgUsageFirst = 1011,       // first usage line; a: program name
  kMsgUsageLast = 1020,        // last of the nine further usage lines
  kMsgVersion = 1021,          // version line; a: program name, b: version
  kMsgUnknownOption = 1022,    // unknown option; a: the word as typed
  kMsgPixelSize = 1024,        // unsupported pixel map; a: pixel size as text
  kMsgImageIncomplete = 1025,  // an image was not completed
  kMsgNoFontConfig = 1026,     // font configuration not found; a: last path
};

// The program name as shown in messages (tail of argv[0]).
extern const char *Argv0;

// The run's globals.
extern int Version;        // picture version: 0 until read, then 1 or 2
extern int EndOfFile;      // set by the end-of-picture opcode
extern Channel *inputFP;   // the picture
extern Channel *outputFP;  // the TOV document
// Option -full: also convert what the classic conversion leaves out
// (direct-colour pixel maps, regions, the extended version 2 header's
// coordinate space). 0 keeps the output exactly as without it.
extern int FullConversion;

// Prints message `number`, formatted with up to three text arguments, on
// standard error. Message texts take their arguments as %s only.
void NonFatal(int number, const char *a = nullptr, const char *b = nullptr,
              const char *c = nullptr);
// NonFatal, then exit status 1.
[[noreturn]] void Fatal(int number, const char *a = nullptr);
void do_help(const char *programName);

int validfloat(const char *text);
// Kept in a namespace of its own: the C library declares a basename too.
namespace driver {
const char *basename(const char *path);
}

int InitFileIO(int count, char **names, FILE **in, FILE **out);
int ProcessCommandLineFilenames(int count, char **names, FILE **in, FILE **out);
int SetupStandardIO(const char *inputName, const char *outputName, FILE **in,
                    FILE **out);

const char *GetQzHomeDir();
int GetQzInitDir(char *buffer, int size);

struct Rect;
// Converts the picture on `input` to TOV on `output`; 0 at the end of the
// picture. Every error ends the process through Fatal.
int picttotov(Channel *input, Channel *output, int frameContents);
void InitDocument(const Rect &frame);
// Puts every subsystem back to its process-start state (the drawing state
// through Initstateops), freeing what a run that ended early left behind,
// so that one process can convert picture after picture. The font table
// and the string resources stay.
void ResetConversionRun();

#endif  // PICTTOTOV_DRIVER_DRIVER_H

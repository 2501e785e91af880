// The numbered messages every floor reports through, and the program name
// they show.
#ifndef PICTTOTOV_BASE_MESSAGES_H
#define PICTTOTOV_BASE_MESSAGES_H

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
  // A QuickTime image left out (-full); a: its codec's four characters.
  kMsgCodecLibrary = 1027,  // b: the library that can't be loaded
  kMsgCodecUnknown = 1028,  // no decoder for the codec
  kMsgCodecBadData = 1029,  // the data is damaged or cut short
  kMsgCodecTooLarge = 1030,  // b: the size, as "W x H pixels" or "N bytes"
  kMsgCodecNoSupport = 1031,  // the build decodes no QuickTime images
};

// The program name as shown in messages (tail of argv[0]).
extern const char *Argv0;

// Prints message `number`, formatted with up to three text arguments, on
// standard error. Message texts take their arguments as %s only.
void NonFatal(int number, const char *a = nullptr, const char *b = nullptr,
              const char *c = nullptr);
// NonFatal, then exit status 1.
[[noreturn]] void Fatal(int number, const char *a = nullptr);
void do_help(const char *programName);
// Message 1001 and exit status 1: the handler of the buffers a run can't
// go on without.
[[noreturn]] void FatalNoMemory();

#endif  // PICTTOTOV_BASE_MESSAGES_H

// Command-line helpers: the scale check, the program name, opening the input
// and output files, and the installation's filter directory.
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "base/messages.h"
#include "driver/driver.h"

namespace {

// Return codes of ProcessCommandLineFilenames and SetupStandardIO.
constexpr int kFilesReady = 0;
constexpr int kStatFailed = -4;
constexpr int kCantOpenInput = -10;
constexpr int kCantOpenOutput = -11;
constexpr int kNoMemory = -20;
constexpr int kOutputIsInput = -31;
constexpr int kSameFileOnTerminal = -32;
constexpr int kTooManyNames = -33;

bool sameFile(const struct stat &a, const struct stat &b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A copy of `name` in a block of its own; null when memory ran out.
char *copyName(const char *name) {
  size_t size = std::strlen(name) + 1;
  if (size > kVokMaxAlloc) return nullptr;
  char *copy = static_cast<char *>(V_Alloc(static_cast<uint32_t>(size), 0));
  if (copy != nullptr) std::memcpy(copy, name, size);
  return copy;
}

}  // namespace

// 1 when `text` holds only digits and points (or nothing), 0 otherwise and
// for a null pointer. Signs and exponents are not accepted.
int validfloat(const char *text) {
  if (text == nullptr) return 0;
  for (const char *p = text; *p != '\0'; ++p)
    if (!std::isdigit(static_cast<unsigned char>(*p)) && *p != '.') return 0;
  return 1;
}

namespace driver {

// The part of `path` behind its last "/" that has something after it.
const char *basename(const char *path) {
  if (path == nullptr) return path;
  const char *tail = path;
  for (const char *p = path; *p != '\0'; ++p)
    if (*p == '/' && p[1] != '\0') tail = p + 1;
  return tail;
}

}  // namespace driver

// Opens the named files and turns a failure into its fatal message. Returns
// 0 when the files are ready, or the code it has no message for.
int InitFileIO(int count, char **names, FILE **in, FILE **out) {
  int code = ProcessCommandLineFilenames(count, names, in, out);
  switch (code) {
    case kFilesReady:
      return 0;
    case kSameFileOnTerminal:
    case kOutputIsInput:
      Fatal(kMsgSameFile);
    case kNoMemory:
      Fatal(kMsgNoMemory);
    case kCantOpenOutput:
      Fatal(kMsgCantOpenOutput, names[1]);
    case kCantOpenInput:
      Fatal(kMsgCantOpenInput, names[0]);
    case kStatFailed:
      Fatal(kMsgStatFailed);
    default:
      return code;
  }
}

// Starts from the standard streams and opens the zero, one or two names.
int ProcessCommandLineFilenames(int count, char **names, FILE **in,
                                FILE **out) {
  *in = stdin;
  *out = stdout;
  if (count > 2) return kTooManyNames;
  if (count == 0) return SetupStandardIO(nullptr, nullptr, in, out);
  if (count < 0) return kStatFailed;
  char *outputName = nullptr;
  if (count == 2) {
    outputName = copyName(names[1]);
    if (outputName == nullptr) return kNoMemory;
  }
  char *inputName = copyName(names[0]);
  if (inputName == nullptr) {
    if (outputName != nullptr) V_Free(outputName);
    return kNoMemory;
  }
  int code = SetupStandardIO(inputName, outputName, in, out);
  V_Free(inputName);
  if (outputName != nullptr) V_Free(outputName);
  return code;
}

// Opens the input, then the output, refusing an output that is the input
// itself before the output is truncated, and a terminal as both.
int SetupStandardIO(const char *inputName, const char *outputName, FILE **in,
                    FILE **out) {
  if (inputName != nullptr && *inputName != '\0') {
    *in = std::fopen(inputName, "r");
    if (*in == nullptr) return kCantOpenInput;
  }
  struct stat inputStatus;
  if (fstat(fileno(*in), &inputStatus) != 0) return kStatFailed;
  struct stat outputStatus;
  if (outputName != nullptr && *outputName != '\0') {
    FILE *existing = std::fopen(outputName, "r");
    if (existing != nullptr) {
      int failed = fstat(fileno(existing), &outputStatus);
      std::fclose(existing);
      if (failed != 0) return kStatFailed;
      if (sameFile(inputStatus, outputStatus)) return kOutputIsInput;
    }
    *out = std::fopen(outputName, "w");
    if (*out == nullptr) return kCantOpenOutput;
    if (fstat(fileno(*out), &outputStatus) != 0) return kStatFailed;
  }
  if (fstat(fileno(*out), &outputStatus) != 0) return kStatFailed;
  if (!sameFile(inputStatus, outputStatus)) return kFilesReady;
  return isatty(fileno(*in)) ? kSameFileOnTerminal : kFilesReady;
}

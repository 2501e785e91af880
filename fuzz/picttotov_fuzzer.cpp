// Converts arbitrary bytes as a picture, in process, many pictures per
// process: every conversion must end with a document or a numbered fatal
// message (status 1), never crash, leak, hang or grow memory.
//
// The first byte picks the options, the rest is the file:
//   bit 0  -aframe (the file has no 512-byte header)
//   bit 1  -l
//   bits 2-3  -s: none, 0.25, 3.5 or 9999.5
//   bit 4  the input can't tell its position (read like a pipe)
//   bit 5  -full
// A conversion that writes more than kOutputBudget bytes is given up (status
// kVokGaveUpStatus), as one whose images declare too much work is.
// A font configuration with character mappings and SameAs is copied into a
// scratch folder at start-up, which is the working directory (and HOME)
// while a picture converts; libFuzzer's own relative paths stay valid.
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/messages.h"
#include "driver/driver.h"

namespace {

// The font mapping the regression tests use as well.
constexpr char kFontConfig[] = PICTTOTOV_FUZZ_FONTS;

constexpr double kScales[] = {0.0, 0.25, 3.5, 9999.5};

// The scratch folder and the fuzzer's own working directory.
std::string scratch;
int scratchFd = -1;
int fuzzerFd = -1;

// The picture's bytes, read through a stream without a seek function when
// the input is to act as a pipe.
struct Input {
  const uint8_t *data;
  size_t size;
  size_t at;
};

ssize_t readInput(void *cookie, char *buffer, size_t size) {
  auto *input = static_cast<Input *>(cookie);
  size_t n = input->size - input->at < size ? input->size - input->at : size;
  std::memcpy(buffer, input->data + input->at, n);
  input->at += n;
  return static_cast<ssize_t>(n);
}

int seekInput(void *cookie, off64_t *offset, int whence) {
  auto *input = static_cast<Input *>(cookie);
  off64_t base = whence == SEEK_SET   ? 0
                 : whence == SEEK_CUR ? static_cast<off64_t>(input->at)
                                      : static_cast<off64_t>(input->size);
  off64_t to = base + *offset;
  if (to < 0) return -1;
  input->at = static_cast<size_t>(to) < input->size ? static_cast<size_t>(to)
                                                    : input->size;
  *offset = to;
  return 0;
}

// The Same opcodes draw the last shape again for one or two bytes each, so
// a picture of 16 KB can repeat a region of thousands of rectangles
// thousands of times: tens of megabytes, at about 6 MB a second in this
// instrumented build. Past this many bytes the conversion is given up.
constexpr size_t kOutputBudget = size_t{2} << 20;

// The document: only its size, first bytes and last two bytes are kept.
// While `limit` is set (during the conversion, where the harness catches
// it) writing past it gives up the conversion; the bytes still buffered
// when the stream closes are only counted.
struct Output {
  size_t written = 0;
  size_t limit = 0;
  char head[16] = {};
  char tail[2] = {};
};

ssize_t writeOutput(void *cookie, const char *buffer, size_t size) {
  auto *output = static_cast<Output *>(cookie);
  for (size_t i = 0; i < size; ++i) {
    if (output->written + i < sizeof output->head)
      output->head[output->written + i] = buffer[i];
    output->tail[0] = output->tail[1];
    output->tail[1] = buffer[i];
  }
  output->written += size;
  if (output->limit != 0 && output->written > output->limit) {
    output->limit = 0;
    // Unwinds through the stream functions of the C library, which are
    // built to be unwound (thread cancellation does the same).
    throw VokProcessEnd{kVokGaveUpStatus};
  }
  return static_cast<ssize_t>(size);
}

std::string scratchFolder() {
  char folder[] = "/tmp/picttotov-fuzz-XXXXXX";
  if (mkdtemp(folder) == nullptr) std::abort();
  return folder;
}

void removeScratchFolder() {
  unlink((scratch + "/pictfonts.cfg").c_str());
  rmdir(scratch.c_str());
}

void copyFontConfig(const std::string &folder) {
  FILE *from = std::fopen(kFontConfig, "r");
  FILE *to = std::fopen((folder + "/pictfonts.cfg").c_str(), "w");
  if (from == nullptr || to == nullptr) std::abort();
  for (int c; (c = std::getc(from)) != EOF;) std::putc(c, to);
  std::fclose(from);
  std::fclose(to);
}

// The message file sits beside the fuzzer in the build folder, as beside
// the filter; the program path is made absolute before the working
// directory changes.
void loadMessages() {
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) std::abort();
  self[n] = '\0';
  std::string path(self);
  path = path.substr(0, path.rfind('/') + 1) + "picttotov";
  Argv0 = "picttotov";
  if (V_SrInit(path.c_str(), "usenglish") != 0) {
    std::fprintf(stderr, "picttotov_fuzzer: no %s.sre\n", path.c_str());
    std::abort();
  }
}

// Runs one conversion as main would after its options; the status of the
// process it would have ended.
int convert(FILE *in, FILE *out, const Options &options) {
  Channel input;
  V_ChannelAttach(&input, in);
  Channel output;
  V_ChannelAttach(&output, out);
  if (fchdir(scratchFd) != 0) std::abort();
  int status = 0;
  try {
    status = picttotov(&input, &output, options);
  } catch (const VokProcessEnd &end) {
    status = end.status;
  }
  if (fchdir(fuzzerFd) != 0) std::abort();
  return status;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  loadMessages();
  scratch = scratchFolder();
  std::atexit(removeScratchFolder);
  copyFontConfig(scratch);
  scratchFd = open(scratch.c_str(), O_RDONLY | O_DIRECTORY);
  fuzzerFd = open(".", O_RDONLY | O_DIRECTORY);
  if (scratchFd < 0 || fuzzerFd < 0) std::abort();
  // The filter never finds a configuration of the user's by accident.
  setenv("HOME", scratch.c_str(), 1);
  unsetenv("QZHOME");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 1) return 0;
  const uint8_t mode = data[0];
  const int frameContents = mode & 1;
  Input input{data + 1, size - 1, 0};
  cookie_io_functions_t inputFunctions{readInput, nullptr, seekInput, nullptr};
  if (mode & 16) inputFunctions.seek = nullptr;
  FILE *in = fopencookie(&input, "r", inputFunctions);
  Output output;
  FILE *out = fopencookie(
      &output, "w",
      cookie_io_functions_t{nullptr, writeOutput, nullptr, nullptr});
  if (in == nullptr || out == nullptr) std::abort();

  ResetConversionRun();
  Options options;
  options.frameContents = frameContents != 0;
  options.thinLines = (mode & 2) != 0;
  options.full = (mode & 32) != 0;
  options.scale = kScales[mode >> 2 & 3];
  options.scaled = options.scale != 0.0;
  output.limit = kOutputBudget;
  int status = convert(in, out, options);
  output.limit = 0;
  std::fclose(in);
  std::fclose(out);

  // A finished conversion writes a whole document, or in frame-contents
  // mode the units line and the objects; a failed one ends with status 1.
  // The runtime's abort (a request beyond its size limit) is the one other
  // ending it has; the fuzz build also gives up on pictures whose images
  // declare too much work (see bitmap.cpp) or whose document grows too big.
  if (status == 0) {
    const char *start = frameContents ? "<Units Upt >\n" : "<TOVFile 4.00>";
    if (std::strncmp(output.head, start, std::strlen(start)) != 0)
      __builtin_trap();
    if (!frameContents && std::memcmp(output.tail, ">\n", 2) != 0)
      __builtin_trap();
  } else if (status != 1 && status != kVokAbortStatus &&
             status != kVokGaveUpStatus) {
    __builtin_trap();
  }
  return 0;
}

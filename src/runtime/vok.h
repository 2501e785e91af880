// The support runtime: memory, channels, warnings and exit, formatted output
// and the numbered string resources. Every other subsystem allocates, reads,
// writes and reports through these functions only.
#ifndef PICTTOTOV_RUNTIME_VOK_H
#define PICTTOTOV_RUNTIME_VOK_H

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <memory>

// ---------------------------------------------------------------------------
// Memory
// ---------------------------------------------------------------------------

// Largest block the runtime hands out; a larger request aborts the process.
constexpr uint32_t kVokMaxAlloc = 0x7FFEFFFFu;

// Bit 0 of the flags argument: abort instead of returning null.
constexpr uint32_t kVokExitOnFailure = 1u;

void *V_Alloc(uint32_t size, uint32_t flags);
void *V_Calloc(uint32_t count, uint32_t size, uint32_t flags);
void *V_Realloc(void *block, uint32_t size, uint32_t flags);
// Frees *block and clears it; -1 for a null block, else 0.
int VokFree(void **block);
template <typename T>
int V_Free(T *&block) {
  void *p = block;
  int r = VokFree(&p);
  block = static_cast<T *>(p);
  return r;
}
// Moves size bytes (overlap allowed); -1 if either pointer is null.
int V_CopyPtr(const void *source, void *destination, uint32_t size);

// ---------------------------------------------------------------------------
// Channels: buffered byte streams over open files
// ---------------------------------------------------------------------------

// The file, buffer and state of an attached channel (see channel.cpp).
struct ChannelFile;

// A channel given its stream by V_ChannelAttach reads and writes the
// stream's file descriptor through a buffer of its own, and never uses the
// stream itself again; a stream without a descriptor (a memory stream) is
// read and written in blocks through stdio instead. A channel whose stream
// was only assigned goes straight through stdio on that stream.
struct Channel {
  Channel();
  Channel(const Channel &) = delete;
  Channel &operator=(const Channel &) = delete;
  // Writes out what the buffer holds; the stream stays open.
  ~Channel();

  int32_t reserved = 0;
  char *path = nullptr;
  FILE *stream = nullptr;
  std::unique_ptr<ChannelFile> file;  // set by V_ChannelAttach
};

// As fread and fwrite: whole items, an incomplete last item read but not
// counted; a short count on failure. A null channel writes standard output,
// through the attached channel that writes it if there is one, so that the
// bytes keep their order.
size_t V_ChannelRead(void *buffer, size_t size, size_t count, Channel *channel);
size_t V_ChannelWrite(const void *buffer, size_t size, size_t count,
                      Channel *channel);
// As fseek: 0, or -1 when the channel can't move there (a pipe).
int V_ChannelSeek(Channel *channel, long offset, int whence);
// The position, -1 when the file can't tell it (a pipe). An attached
// channel counts it from the position its descriptor had when attached.
long V_ChannelTell(Channel *channel);
// 1 once a read met the end of the input (until a seek), else 0.
int V_ChannelEof(Channel *channel);
// Sets the channel's stream to an open stream on which nothing has been read
// or written yet and takes over its file: from then on the channel reads and
// writes it through its own buffer. Output goes out in blocks, or line by
// line to a terminal.
void V_ChannelAttach(Channel *channel, FILE *stream);
// Writes out the channel's buffered output; -1 if a write of the stream
// failed (now or before), else 0. A null channel is standard output.
int V_ChannelFlush(Channel *channel);
// Writes out the buffered output of every attached channel, for an exit
// that leaves the channels where they are.
void V_ChannelFlushAll();

// ---------------------------------------------------------------------------
// Warnings, failure and exit
// ---------------------------------------------------------------------------

// Writes text to standard error as it stands: no prefix, no line end.
void V_Warning(const char *text);
[[noreturn]] void VokFail();
[[noreturn]] void VokFDSExit();
[[noreturn]] void V_Abort();
[[noreturn]] void V_Exit(int status);

#ifdef PICTTOTOV_FUZZ_BUILD
// How V_Exit and V_Abort end a conversion in the fuzz build, which converts
// many pictures in one process: the harness catches it. V_Abort gives
// kVokAbortStatus, the status abort() leaves in a shell.
constexpr int kVokAbortStatus = 134;
// A conversion the fuzz build gives up because of the work it declares.
constexpr int kVokGaveUpStatus = 2;
struct VokProcessEnd {
  int status;
};
#endif

// The process-wide runtime record, created on first need and never freed.
struct VokStringIndexEntry {
  int16_t number;
  int32_t offset;
};
struct VokInstanceRecord {
  char *language;
  VokStringIndexEntry *index;
  int32_t count;
  char *pool;
  unsigned char strict;
  void (*failureHandler)();
  void (*exitHook)();
};
extern VokInstanceRecord *VokInstance;
void VokInstanceInit();

// ---------------------------------------------------------------------------
// Strings
// ---------------------------------------------------------------------------

// Process-wide dialog text encoding; 0 (single byte) for the whole run.
extern int32_t vokDialogEncodingId;

// Copies at most size - 1 bytes of source, stopping at its NUL, and always
// terminates the destination (nothing for a null destination or size < 1).
// Returns the number of bytes copied.
int32_t V_StrCpyNEnc(char *destination, const char *source, int32_t size,
                     int32_t encoding);
int32_t V_StrCpyN(char *destination, const char *source, int32_t size);
char *V_StrCat(char *destination, const char *source);

// ---------------------------------------------------------------------------
// Formatted output
// ---------------------------------------------------------------------------

// A sink takes a piece of text and returns how many bytes it consumed.
using VokSink = int32_t (*)(void *sinkArgument, const char *text,
                            int32_t length);

int32_t Vok_doprnt(VokSink sink, void *sinkArgument, const char *format,
                   va_list args);
int32_t VokVPrintf(Channel *channel, const char *format, va_list args);
int32_t VokVSnprintf(char *buffer, int32_t size, const char *format,
                     va_list args);
// Formats to a channel; a null channel goes to standard error.
int32_t V_Printf(Channel *channel, const char *format, ...);
// Formats into buffer with unlimited room; the caller sizes the buffer.
int32_t V_Sprintf(char *buffer, const char *format, ...);
// Formats into buffer, storing at most size - 1 bytes and a NUL.
int32_t V_Snprintf(char *buffer, int32_t size, const char *format, ...);

// ---------------------------------------------------------------------------
// Formatted input
// ---------------------------------------------------------------------------

// Reads `input` as `format` says into one pointer per assigning conversion
// ("dioxXucsfegn[%", with *, a width and h or l). Integers are computed in
// 32 bits and stored through an int16_t* with h, else an int32_t* (%ld
// included); floating values through a double* with l, else a float*.
// Returns the number of assignments, or -1 when the input is empty or ran out
// before the first one; a null format reads as "".
int V_Sscanf(const char *input, const char *format, ...);

// ---------------------------------------------------------------------------
// String resources
// ---------------------------------------------------------------------------

// Finds and loads the ".sre" file for the program path and language;
// 0 on success, -1 if no file was found or memory ran out.
int V_SrInit(const char *programPath, const char *language);
// Fetches string number into buffer (size bytes with the NUL), expanding
// %0..%9 from the typed arguments; 0 if found, else -1 with "???".
int V_SrGetF(int number, char *buffer, int size, const char *types, ...);
int V_SrGetN(int number, char *buffer, int size);
int V_LanguageNumber(const char *name);

#endif  // PICTTOTOV_RUNTIME_VOK_H

// Channel operations over the channel's stdio stream. The stream's own
// buffer is the channel's buffer: single bytes and short runs are taken from
// it and put into it without a library call and without locking (the filter
// has one thread), longer runs go through the unlocked block functions.
// Positions, end-of-file and error indicators are the stream's own, so a
// stream written both through a channel and directly (standard output) keeps
// its bytes in order.
#include <unistd.h>

#include <cstring>

#include "runtime/vok.h"

namespace {

// Runs up to this length are copied byte by byte; longer ones (most
// statements of the document) in one call.
constexpr size_t kShortRun = 16;

// Buffer size for the streams the filter attaches to its two channels: large
// blocks keep the number of system calls low.
constexpr size_t kAttachedBufferSize = 64 * 1024;
constexpr size_t kAttachedBuffers = 2;

// The buffers live as long as the process, as the streams do.
alignas(64) char attachedBuffers[kAttachedBuffers][kAttachedBufferSize];
size_t attachedCount = 0;

#if defined(__GLIBC__)
size_t readBlock(void *buffer, size_t size, size_t count, FILE *stream) {
  return fread_unlocked(buffer, size, count, stream);
}
size_t writeBlock(const void *buffer, size_t size, size_t count, FILE *stream) {
  return fwrite_unlocked(buffer, size, count, stream);
}
bool atEnd(FILE *stream) { return feof_unlocked(stream) != 0; }
// Puts a run into the room left in a fully buffered stream's buffer, as
// putc_unlocked does for one byte; false (nothing done) when it doesn't
// fit. A line-buffered or unbuffered stream, or one not yet writing, has no
// such room.
bool putIntoBuffer(const void *bytes, size_t total, FILE *stream) {
  if (stream->_IO_write_ptr >= stream->_IO_write_end ||
      total >
          static_cast<size_t>(stream->_IO_write_end - stream->_IO_write_ptr))
    return false;
  std::memcpy(stream->_IO_write_ptr, bytes, total);
  stream->_IO_write_ptr += total;
  return true;
}
// Takes a run from what a stream's buffer holds, as getc_unlocked does for
// one byte; false (nothing done) when the buffer holds less.
bool takeFromBuffer(void *bytes, size_t total, FILE *stream) {
  if (stream->_IO_read_ptr >= stream->_IO_read_end ||
      total > static_cast<size_t>(stream->_IO_read_end - stream->_IO_read_ptr))
    return false;
  std::memcpy(bytes, stream->_IO_read_ptr, total);
  stream->_IO_read_ptr += total;
  return true;
}
#else
bool putIntoBuffer(const void *, size_t, FILE *) { return false; }
bool takeFromBuffer(void *, size_t, FILE *) { return false; }
size_t readBlock(void *buffer, size_t size, size_t count, FILE *stream) {
  return std::fread(buffer, size, count, stream);
}
size_t writeBlock(const void *buffer, size_t size, size_t count, FILE *stream) {
  return std::fwrite(buffer, size, count, stream);
}
bool atEnd(FILE *stream) { return std::feof(stream) != 0; }
#endif

// Reads a short run byte by byte: the same items, end-of-file and error
// indicators as fread, where an incomplete last item is consumed but not
// counted.
size_t readShort(unsigned char *bytes, size_t size, size_t count,
                 FILE *stream) {
  size_t total = size * count;
  for (size_t i = 0; i < total; ++i) {
    int c = getc_unlocked(stream);
    if (c == EOF) return i / size;
    bytes[i] = static_cast<unsigned char>(c);
  }
  return count;
}

size_t writeShort(const unsigned char *bytes, size_t size, size_t count,
                  FILE *stream) {
  size_t total = size * count;
  for (size_t i = 0; i < total; ++i)
    if (putc_unlocked(bytes[i], stream) == EOF) return i / size;
  return count;
}

}  // namespace

size_t V_ChannelRead(void *buffer, size_t size, size_t count,
                     Channel *channel) {
  if (channel == nullptr) return 0;
  if (size == 1 && count == 1) {  // the reader's and the scanner's bytes
    int c = getc_unlocked(channel->stream);
    if (c == EOF) return 0;
    *static_cast<unsigned char *>(buffer) = static_cast<unsigned char>(c);
    return 1;
  }
  if (size == 1 && count > 0 && takeFromBuffer(buffer, count, channel->stream))
    return count;                       // texts and rows
  if (size == 1 && count <= kShortRun)  // short texts and values
    return readShort(static_cast<unsigned char *>(buffer), 1, count,
                     channel->stream);
  if (size == 0 || count == 0) return 0;
  if (count <= kShortRun / size)
    return readShort(static_cast<unsigned char *>(buffer), size, count,
                     channel->stream);
  return readBlock(buffer, size, count, channel->stream);
}

size_t V_ChannelWrite(const void *buffer, size_t size, size_t count,
                      Channel *channel) {
  FILE *stream = channel ? channel->stream : stdout;
  if (size == 1 && count > 0 && putIntoBuffer(buffer, count, stream))
    return count;                       // most statements
  if (size == 1 && count <= kShortRun)  // characters and short statements
    return writeShort(static_cast<const unsigned char *>(buffer), 1, count,
                      stream);
  if (size == 0 || count == 0) return 0;
  if (count <= kShortRun / size)
    return writeShort(static_cast<const unsigned char *>(buffer), size, count,
                      stream);
  return writeBlock(buffer, size, count, stream);
}

int V_ChannelSeek(Channel *channel, long offset, int whence) {
  if (channel == nullptr) return -1;
  return std::fseek(channel->stream, offset, whence);
}

long V_ChannelTell(Channel *channel) {
  if (channel == nullptr) return -1;
  return std::ftell(channel->stream);
}

int V_ChannelEof(Channel *channel) {
  if (channel == nullptr) return 0;
  return atEnd(channel->stream) ? 1 : 0;
}

// Puts an open stream into a channel before anything is read from it or
// written to it: the stream gets a large buffer (a terminal keeps its line
// buffering), and a seekable stream learns its position once, so that
// asking for it later costs no system call.
void V_ChannelAttach(Channel *channel, FILE *stream) {
  channel->stream = stream;
  if (stream == nullptr) return;
  if (attachedCount < kAttachedBuffers && !isatty(fileno(stream)) &&
      std::setvbuf(stream, attachedBuffers[attachedCount], _IOFBF,
                   kAttachedBufferSize) == 0)
    ++attachedCount;
  long position = std::ftell(stream);
  if (position >= 0) std::fseek(stream, position, SEEK_SET);
}

// Writes out what the channel's buffer holds; -1 if that or any earlier
// write of the stream failed, else 0. A null channel is standard output.
int V_ChannelFlush(Channel *channel) {
  FILE *stream = channel ? channel->stream : stdout;
  if (stream == nullptr) return -1;
  int flushed = std::fflush(stream);
  return flushed == 0 && std::ferror(stream) == 0 ? 0 : -1;
}

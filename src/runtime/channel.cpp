// Channels. An attached channel owns a buffer of its own and moves bytes
// between it and its file in blocks: read(2) and write(2) on the file
// descriptor, or fread and fwrite for a stream that has none. The stdio
// stream it was attached to is not used again, so its buffer stays empty.
// Output goes out when the buffer is full and more comes (the blocks stdio
// writes with a buffer of the same size), or line by line to a terminal.
// The channel counts its position itself: asking for it costs no system
// call, and stepping over buffered bytes costs none either.
//
// A channel whose stream was assigned without V_ChannelAttach goes straight
// through stdio on that stream.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <new>

#include "runtime/vok.h"

namespace {

// Each attached channel's buffer: large blocks keep the number of system
// calls low, and the memory stays the same whatever the picture's size.
constexpr size_t kBufferSize = 64 * 1024;

// Largest transfer asked of one read(2) or write(2).
constexpr size_t kMaxTransfer = size_t{1} << 30;

ChannelFile *firstAttached = nullptr;

}  // namespace

struct ChannelFile {
  explicit ChannelFile(FILE *attachedStream);
  ~ChannelFile();
  ChannelFile(const ChannelFile &) = delete;
  ChannelFile &operator=(const ChannelFile &) = delete;

  size_t read(unsigned char *bytes, size_t total);
  size_t write(const unsigned char *bytes, size_t total);
  int seek(long offset, int whence);
  long tell() const;
  // Writes out the pending output, and the stream's own buffer for a file
  // without a descriptor; false if that or anything earlier failed.
  bool flush();

  // Reads at most `size` bytes from the file: the count, 0 at its end, -1
  // for an error.
  long readFile(unsigned char *bytes, size_t size);
  // Writes `size` bytes to the file; how many were written.
  size_t writeFile(const unsigned char *bytes, size_t size);
  // The file's new position, or -1 when it can't move there.
  long seekFile(long offset, int whence);
  // Writes out the pending bytes; false (they are dropped) on failure.
  bool writePending();
  // Gives the bytes read ahead back to the file before writing; false when
  // the file can't take them back (a pipe).
  bool unreadAhead();
  void advance(size_t bytes) {
    if (position >= 0) position += static_cast<long>(bytes);
  }

  FILE *stream;
  int fd;              // -1: the stream is read and written through stdio
  long position;       // of the file, -1 when it can't tell it (a pipe)
  size_t head = 0;     // reading: the unread bytes are buffer[head, end)
  size_t end = 0;      //   (the bytes before head are the file's before them)
  size_t pending = 0;  // writing: buffer[0, pending) is not written yet
  bool atEnd = false;
  bool failed = false;
  bool lineBuffered = false;
  ChannelFile *previous = nullptr;  // the attached channels, for V_Exit
  ChannelFile *next = nullptr;
  unsigned char buffer[kBufferSize];
};

ChannelFile::ChannelFile(FILE *attachedStream)
    : stream(attachedStream), fd(fileno(attachedStream)) {
  if (fd >= 0) {
    lineBuffered = isatty(fd) != 0;
    off_t start = lseek(fd, 0, SEEK_CUR);
    position = start < 0 ? -1 : static_cast<long>(start);
  } else {
    position = std::ftell(stream);
  }
  next = firstAttached;
  if (next != nullptr) next->previous = this;
  firstAttached = this;
}

ChannelFile::~ChannelFile() {
  flush();
  if (previous != nullptr) previous->next = next;
  if (next != nullptr) next->previous = previous;
  if (firstAttached == this) firstAttached = next;
}

long ChannelFile::readFile(unsigned char *bytes, size_t size) {
  size = std::min(size, kMaxTransfer);
  if (fd < 0) {
    size_t got = std::fread(bytes, 1, size, stream);
    if (got > 0) return static_cast<long>(got);
    return std::ferror(stream) ? -1 : 0;
  }
  for (;;) {
    ssize_t got = ::read(fd, bytes, size);
    if (got >= 0) return static_cast<long>(got);
    if (errno != EINTR) return -1;
  }
}

size_t ChannelFile::writeFile(const unsigned char *bytes, size_t size) {
  if (fd < 0) return std::fwrite(bytes, 1, size, stream);
  size_t written = 0;
  while (written < size) {
    ssize_t put =
        ::write(fd, bytes + written, std::min(size - written, kMaxTransfer));
    if (put > 0) {
      written += static_cast<size_t>(put);
    } else if (put == 0 || errno != EINTR) {
      break;  // a device that takes nothing would be asked forever
    }
  }
  return written;
}

long ChannelFile::seekFile(long offset, int whence) {
  if (fd < 0)
    return std::fseek(stream, offset, whence) == 0 ? std::ftell(stream) : -1;
  off_t moved = lseek(fd, offset, whence);
  return moved < 0 ? -1 : static_cast<long>(moved);
}

bool ChannelFile::writePending() {
  if (pending == 0) return true;
  size_t written = writeFile(buffer, pending);
  advance(written);
  bool complete = written == pending;
  pending = 0;  // as stdio does, what failed is not tried again
  if (!complete) failed = true;
  return complete;
}

bool ChannelFile::unreadAhead() {
  if (head == end) {
    head = end = 0;
    return true;
  }
  long ahead = static_cast<long>(end - head);
  long moved = seekFile(-ahead, SEEK_CUR);
  if (moved < 0) return false;
  position = moved;
  head = end = 0;
  return true;
}

size_t ChannelFile::read(unsigned char *bytes, size_t total) {
  if (!writePending()) return 0;
  size_t got = 0;
  while (got < total) {
    if (head < end) {
      size_t take = std::min(end - head, total - got);
      std::memcpy(bytes + got, buffer + head, take);
      head += take;
      got += take;
      continue;
    }
    if (atEnd) break;  // the end stays until a seek, as in stdio
    long filled = 0;
    if (total - got >= kBufferSize) {  // straight into the caller's memory
      head = end = 0;
      filled = readFile(bytes + got, total - got);
      if (filled > 0) got += static_cast<size_t>(filled);
    } else {
      filled = readFile(buffer, kBufferSize);
      if (filled > 0) {
        head = 0;
        end = static_cast<size_t>(filled);
      }
    }
    if (filled <= 0) {
      (filled == 0 ? atEnd : failed) = true;
      break;
    }
    advance(static_cast<size_t>(filled));
  }
  return got;
}

size_t ChannelFile::write(const unsigned char *bytes, size_t total) {
  if (!unreadAhead()) {
    failed = true;
    return 0;
  }
  size_t done = std::min(total, kBufferSize - pending);
  std::memcpy(buffer + pending, bytes, done);
  pending += done;
  if (done < total) {
    // The buffer is full and more comes: out it goes, whole blocks of the
    // rest go out directly, and what is left starts the buffer anew.
    if (!writePending()) return done;
    size_t rest = total - done;
    size_t direct = rest - rest % kBufferSize;
    if (direct > 0) {
      size_t written = writeFile(bytes + done, direct);
      advance(written);
      done += written;
      if (written < direct) {
        failed = true;
        return done;
      }
    }
    std::memcpy(buffer, bytes + done, total - done);
    pending = total - done;
    done = total;
  }
  if (lineBuffered && std::memchr(bytes, '\n', total) != nullptr &&
      !writePending())
    return 0;
  return done;
}

int ChannelFile::seek(long offset, int whence) {
  // Within the bytes the buffer holds, nothing needs to be asked of the
  // file; a file that can't tell its position can't seek at all.
  if (whence == SEEK_CUR && position >= 0 && pending == 0 &&
      offset >= -static_cast<long>(head) &&
      offset <= static_cast<long>(end - head)) {
    head = static_cast<size_t>(static_cast<long>(head) + offset);
    atEnd = false;
    return 0;
  }
  if (!writePending()) return -1;
  long ahead = static_cast<long>(end - head);
  if (whence == SEEK_CUR && offset < LONG_MIN + ahead) return -1;
  long moved = seekFile(whence == SEEK_CUR ? offset - ahead : offset, whence);
  if (moved < 0) return -1;
  position = moved;
  head = end = 0;
  atEnd = false;
  return 0;
}

long ChannelFile::tell() const {
  if (position < 0) return -1;
  return position - static_cast<long>(end - head) + static_cast<long>(pending);
}

bool ChannelFile::flush() {
  bool written = writePending();
  if (fd < 0 && (std::fflush(stream) != 0 || std::ferror(stream) != 0))
    failed = true;
  return written && !failed;
}

namespace {

// The file of the attached channel that writes standard output, if any:
// bytes for standard output through a null channel go through it, so that
// they keep their order.
ChannelFile *standardOutputFile() {
  for (ChannelFile *file = firstAttached; file != nullptr; file = file->next)
    if (file->stream == stdout) return file;
  return nullptr;
}

// The bytes of `count` items of `size` bytes; 0 when there are none, or
// more than a size_t holds.
size_t itemBytes(size_t size, size_t count) {
  if (size == 0 || count > SIZE_MAX / size) return 0;
  return size * count;
}

}  // namespace

Channel::Channel() = default;
Channel::~Channel() = default;

size_t V_ChannelRead(void *buffer, size_t size, size_t count,
                     Channel *channel) {
  if (channel == nullptr) return 0;
  auto *bytes = static_cast<unsigned char *>(buffer);
  ChannelFile *file = channel->file.get();
  if (file == nullptr) {
    if (channel->stream == nullptr) return 0;
    if (size == 1 && count == 1) {  // the font configuration's bytes
      int c = getc_unlocked(channel->stream);
      if (c == EOF) return 0;
      *bytes = static_cast<unsigned char>(c);
      return 1;
    }
    return std::fread(buffer, size, count, channel->stream);
  }
  if (size == 1) {  // the reader's bytes and runs, from the buffer if it can
    size_t buffered = file->end - file->head;
    if (count == 1 && buffered > 0) {
      *bytes = file->buffer[file->head++];
      return 1;
    }
    if (count <= buffered) {
      std::memcpy(bytes, file->buffer + file->head, count);
      file->head += count;
      return count;
    }
    return file->read(bytes, count);
  }
  size_t total = itemBytes(size, count);
  return total == 0 ? 0 : file->read(bytes, total) / size;
}

size_t V_ChannelWrite(const void *buffer, size_t size, size_t count,
                      Channel *channel) {
  auto *bytes = static_cast<const unsigned char *>(buffer);
  ChannelFile *file =
      channel != nullptr ? channel->file.get() : standardOutputFile();
  if (file == nullptr) {
    FILE *stream = channel != nullptr ? channel->stream : stdout;
    return stream == nullptr ? 0 : std::fwrite(buffer, size, count, stream);
  }
  if (size == 1) {  // the document's statements, into the buffer if they fit
    if (count <= kBufferSize - file->pending && file->head == file->end &&
        !file->lineBuffered) {
      if (count == 1)
        file->buffer[file->pending++] = *bytes;
      else {
        std::memcpy(file->buffer + file->pending, bytes, count);
        file->pending += count;
      }
      return count;
    }
    return file->write(bytes, count);
  }
  size_t total = itemBytes(size, count);
  return total == 0 ? 0 : file->write(bytes, total) / size;
}

int V_ChannelSeek(Channel *channel, long offset, int whence) {
  if (channel == nullptr) return -1;
  if (channel->file != nullptr) return channel->file->seek(offset, whence);
  if (channel->stream == nullptr) return -1;
  return std::fseek(channel->stream, offset, whence);
}

long V_ChannelTell(Channel *channel) {
  if (channel == nullptr) return -1;
  if (channel->file != nullptr) return channel->file->tell();
  if (channel->stream == nullptr) return -1;
  return std::ftell(channel->stream);
}

int V_ChannelEof(Channel *channel) {
  if (channel == nullptr) return 0;
  if (channel->file != nullptr) return channel->file->atEnd ? 1 : 0;
  if (channel->stream == nullptr) return 0;
  return std::feof(channel->stream) ? 1 : 0;
}

// Without memory for its buffer, a channel goes through stdio on the
// stream: slower, and still correct.
void V_ChannelAttach(Channel *channel, FILE *stream) {
  channel->file.reset();
  channel->stream = stream;
  if (stream == nullptr) return;
  std::fflush(stream);  // anything written to it before keeps its place
  channel->file.reset(new (std::nothrow) ChannelFile(stream));
}

int V_ChannelFlush(Channel *channel) {
  ChannelFile *file =
      channel != nullptr ? channel->file.get() : standardOutputFile();
  if (file != nullptr) return file->flush() ? 0 : -1;
  FILE *stream = channel != nullptr ? channel->stream : stdout;
  if (stream == nullptr) return -1;
  int flushed = std::fflush(stream);
  return flushed == 0 && std::ferror(stream) == 0 ? 0 : -1;
}

void V_ChannelFlushAll() {
  for (ChannelFile *file = firstAttached; file != nullptr; file = file->next)
    file->flush();
}

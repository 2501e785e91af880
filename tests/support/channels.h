// The run's channels on temporary files, for tests calling handlers directly.
#ifndef PICTTOTOV_TESTS_SUPPORT_CHANNELS_H
#define PICTTOTOV_TESTS_SUPPORT_CHANNELS_H

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "driver/driver.h"

namespace testchannels {

// inputFP reads `bytes` from a temporary file; outputFP writes to another.
class Channels {
 public:
  explicit Channels(const std::string &bytes) {
    input_.stream = std::tmpfile();
    output_.stream = std::tmpfile();
    if (input_.stream == nullptr || output_.stream == nullptr)
      throw std::runtime_error("cannot make a temporary file");
    std::fwrite(bytes.data(), 1, bytes.size(), input_.stream);
    std::rewind(input_.stream);
    inputFP = &input_;
    outputFP = &output_;
  }
  ~Channels() {
    if (inputFP == &input_) inputFP = nullptr;
    if (outputFP == &output_) outputFP = nullptr;
    std::fclose(input_.stream);
    std::fclose(output_.stream);
  }
  Channels(const Channels &) = delete;
  Channels &operator=(const Channels &) = delete;

  // Bytes taken from the input so far.
  long Consumed() const { return std::ftell(input_.stream); }

  // Everything written to the output so far.
  std::string Output() const {
    std::fflush(output_.stream);
    std::string text(static_cast<size_t>(std::ftell(output_.stream)), '\0');
    std::rewind(output_.stream);
    text.resize(std::fread(text.data(), 1, text.size(), output_.stream));
    std::fseek(output_.stream, 0, SEEK_END);
    return text;
  }

 private:
  Channel input_;
  Channel output_;
};

// Where an attached channel reads from (a memory stream has no descriptor).
enum class Source { kFile, kPipe, kMemory };

// A stream holding `bytes`, positioned at `start` but for a pipe, which a
// child fills (so the bytes may exceed the pipe's buffer).
class InputStream {
 public:
  InputStream(Source source, const std::string &bytes, long start = 0)
      : bytes_(bytes) {
    if (source == Source::kPipe) {
      int fds[2];
      if (pipe(fds) != 0) throw std::runtime_error("cannot make a pipe");
      writer_ = fork();
      if (writer_ == 0) {
        close(fds[0]);
        size_t done = 0;
        while (done < bytes_.size()) {
          ssize_t put =
              write(fds[1], bytes_.data() + done, bytes_.size() - done);
          if (put <= 0) _exit(1);
          done += static_cast<size_t>(put);
        }
        _exit(0);
      }
      close(fds[1]);
      stream_ = fdopen(fds[0], "r");
    } else if (source == Source::kMemory) {
      stream_ = fmemopen(bytes_.data(), bytes_.size(), "r");
    } else {
      stream_ = std::tmpfile();
      if (stream_ != nullptr &&
          write(fileno(stream_), bytes_.data(), bytes_.size()) !=
              static_cast<ssize_t>(bytes_.size()))
        throw std::runtime_error("cannot fill the file");
    }
    if (stream_ == nullptr) throw std::runtime_error("cannot open a stream");
    if (source != Source::kPipe) std::fseek(stream_, start, SEEK_SET);
  }
  ~InputStream() {
    std::fclose(stream_);
    if (writer_ > 0) waitpid(writer_, nullptr, 0);
  }
  InputStream(const InputStream &) = delete;
  InputStream &operator=(const InputStream &) = delete;

  FILE *get() const { return stream_; }

 private:
  std::string bytes_;
  FILE *stream_ = nullptr;
  pid_t writer_ = -1;
};

// The bytes `action` takes from `bytes` (spare ones follow); it writes none.
template <typename Action>
long Consumed(const std::string &bytes, Action action) {
  Channels channels(bytes + std::string(8, '\xEE'));
  action();
  EXPECT_EQ(channels.Output(), "") << "output written while skipping";
  return channels.Consumed();
}

// Converts `picture` in this process after a reset, as main would.
inline std::string ConvertHere(const std::string &picture,
                               const Options &options = {}) {
  ResetConversionRun();
  Channels channels(picture);
  EXPECT_EQ(picttotov(inputFP, outputFP, options), 0);
  return channels.Output();
}

// The number of times `what` occurs in `text`.
inline int Count(const std::string &text, const std::string &what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + 1))
    ++n;
  return n;
}

}  // namespace testchannels

#endif  // PICTTOTOV_TESTS_SUPPORT_CHANNELS_H

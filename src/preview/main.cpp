// tovpreview: draws the TOV document on standard input (or a named file) as
// an SVG picture on standard output (or a named file).
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "preview/preview.h"

namespace {

constexpr char kUsage[] =
    "usage: tovpreview [input.tov [output.svg]]\n"
    "       tovpreview -V | -h\n"
    "Draws a TOV document as an SVG picture; without file names it reads\n"
    "standard input and writes standard output.\n";

class FileSource : public tovpreview::Source {
 public:
  explicit FileSource(std::FILE *file) : file_(file) {}
  size_t Read(char *into, size_t size) override {
    return std::fread(into, 1, size, file_);
  }

 private:
  std::FILE *file_;
};

class FileSink : public tovpreview::Sink {
 public:
  explicit FileSink(std::FILE *file) : file_(file) {}
  void Write(const char *data, size_t size) override {
    std::fwrite(data, 1, size, file_);
  }

 private:
  std::FILE *file_;
};

// Closes a file this program opened when it goes.
struct OpenedFile {
  std::FILE *file = nullptr;
  OpenedFile() = default;
  OpenedFile(const OpenedFile &) = delete;
  OpenedFile &operator=(const OpenedFile &) = delete;
  ~OpenedFile() {
    if (file) std::fclose(file);
  }
};

// The named output, written as a temporary file beside it that takes its
// name only when the picture is complete and is removed otherwise, so that
// a failed run leaves no output file and an existing one as it was. A
// symbolic link is followed to the file it names; an output that is no
// regular file (a terminal, a pipe, /dev/null) is written in place.
class Output {
 public:
  Output() = default;
  Output(const Output &) = delete;
  Output &operator=(const Output &) = delete;
  ~Output() {
    if (file_) std::fclose(file_);
    if (!temporary_.empty()) std::remove(temporary_.c_str());
  }

  // Opens the output for `name`; false with errno set when it cannot.
  bool Open(const std::string &name) {
    target_ = name;
    struct stat status;
    if (lstat(name.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
      char resolved[PATH_MAX];
      if (realpath(name.c_str(), resolved)) target_ = resolved;
    }
    mode_t mask = umask(0);
    umask(mask);
    mode_t mode = 0666 & ~mask;
    if (stat(target_.c_str(), &status) == 0) {
      if (!S_ISREG(status.st_mode)) {
        file_ = std::fopen(name.c_str(), "wb");
        return file_ != nullptr;
      }
      mode = status.st_mode & 07777;
    }
    std::string pattern = target_ + ".XXXXXX";
    int descriptor = mkstemp(pattern.data());
    if (descriptor < 0) return false;
    temporary_ = pattern;
    fchmod(descriptor, mode);
    file_ = fdopen(descriptor, "wb");
    if (!file_) close(descriptor);
    return file_ != nullptr;
  }

  std::FILE *file() const { return file_; }

  // Ends the output; false when it could not be written whole.
  bool Commit() {
    bool written = !std::ferror(file_);
    written = std::fclose(file_) == 0 && written;
    file_ = nullptr;
    if (!written || temporary_.empty()) return written;
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) return false;
    temporary_.clear();
    return true;
  }

 private:
  std::string target_;
  std::string temporary_;
  std::FILE *file_ = nullptr;
};

bool sameFile(const struct stat &a, const struct stat &b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

int fail(const std::string &text) {
  std::fprintf(stderr, "tovpreview: %s\n", text.c_str());
  return 1;
}

bool is(const char *argument, const char *shortName, const char *longName) {
  return !std::strcmp(argument, shortName) || !std::strcmp(argument, longName);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc > 1 && is(argv[1], "-h", "--help")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc > 1 && is(argv[1], "-V", "--version")) {
    std::fputs("tovpreview version " TOVPREVIEW_VERSION "\n", stdout);
    return 0;
  }
  if (argc > 3 || (argc > 1 && argv[1][0] == '-' && argv[1][1] != '\0')) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  OpenedFile input;
  std::FILE *in = stdin;
  if (argc > 1 && std::strcmp(argv[1], "-") != 0) {
    input.file = in = std::fopen(argv[1], "rb");
    if (!in)
      return fail(std::string("cannot open ") + argv[1] + ": " +
                  std::strerror(errno));
  }
  // The input is never the output, however it is named: that is checked
  // before anything is opened for writing.
  struct stat inputStatus, outputStatus;
  if (fstat(fileno(in), &inputStatus) != 0)
    return fail(std::string("cannot read the document: ") +
                std::strerror(errno));
  const bool named = argc > 2;
  bool same = named ? stat(argv[2], &outputStatus) == 0 &&
                          sameFile(inputStatus, outputStatus)
                    : fstat(fileno(stdout), &outputStatus) == 0 &&
                          S_ISREG(outputStatus.st_mode) &&
                          sameFile(inputStatus, outputStatus);
  if (same) return fail("the input and the output are the same file");
  Output output;
  if (named && !output.Open(argv[2]))
    return fail(std::string("cannot create ") + argv[2] + ": " +
                std::strerror(errno));
  std::FILE *out = named ? output.file() : stdout;
  FileSource source(in);
  FileSink sink(out);
  std::string message;
  // Nothing is written before the whole document has been read.
  if (tovpreview::Preview(source, sink, message) != 0) return fail(message);
  if (std::ferror(in)) return fail("cannot read the document");
  bool written =
      named ? output.Commit() : std::fflush(out) == 0 && !std::ferror(out);
  if (!written) return fail("cannot write the SVG picture");
  return 0;
}

// tovpreview: draws the TOV document on standard input (or a named file) as
// an SVG picture on standard output (or a named file).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "preview/preview.h"

namespace {

constexpr char kUsage[] =
    "usage: tovpreview [input.tov [output.svg]]\n"
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
  ~OpenedFile() {
    if (file) std::fclose(file);
  }
};

int fail(const std::string &text) {
  std::fprintf(stderr, "tovpreview: %s\n", text.c_str());
  return 1;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc > 1 &&
      (!std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help"))) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc > 3 || (argc > 1 && argv[1][0] == '-' && argv[1][1] != '\0')) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  OpenedFile input, output;
  std::FILE *in = stdin;
  std::FILE *out = stdout;
  if (argc > 1 && std::strcmp(argv[1], "-") != 0) {
    input.file = in = std::fopen(argv[1], "rb");
    if (!in)
      return fail(std::string("cannot open ") + argv[1] + ": " +
                  std::strerror(errno));
  }
  if (argc > 2) {
    output.file = out = std::fopen(argv[2], "wb");
    if (!out)
      return fail(std::string("cannot create ") + argv[2] + ": " +
                  std::strerror(errno));
  }
  FileSource source(in);
  FileSink sink(out);
  std::string message;
  int status = tovpreview::Preview(source, sink, message);
  if (status != 0) return fail(message);
  if (std::ferror(in)) return fail("cannot read the document");
  if (std::fflush(out) != 0 || std::ferror(out)) {
    return fail("cannot write the SVG picture");
  }
  return 0;
}

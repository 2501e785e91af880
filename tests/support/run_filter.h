// Runs the built filter as a separate process and captures what it writes.
#ifndef PICTTOTOV_TESTS_SUPPORT_RUN_FILTER_H
#define PICTTOTOV_TESTS_SUPPORT_RUN_FILTER_H

#include <string>
#include <vector>

namespace runfilter {

struct Result {
  std::string out;  // standard output
  std::string err;  // standard error
  int status = -1;  // exit status, or 128 + signal number
};

struct Options {
  // kFile: the picture in a file named last; kStdin: a pipe; kNone: neither.
  enum class Input { kFile, kStdin, kNone };
  Input input = Input::kFile;
  // Path to exec, and argv[0] as the filter sees it (default: the path).
  std::string binary = PICTTOTOV_BINARY;
  std::string argv0;
  // The child's working directory (empty: the test's); HOME, QZHOME unset.
  std::string workdir;
};

// Runs the filter with `args` (then the input file) on `input`; never throws.
Result Run(const std::string &input, const std::vector<std::string> &args = {},
           const Options &options = {});

// A fresh temporary directory, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;
  const std::string &path() const { return path_; }
  // Writes `contents` to path()/name and returns the full path.
  std::string Write(const std::string &name, const std::string &contents) const;

 private:
  std::string path_;
};

std::string ReadFile(const std::string &path);

}  // namespace runfilter

#endif  // PICTTOTOV_TESTS_SUPPORT_RUN_FILTER_H

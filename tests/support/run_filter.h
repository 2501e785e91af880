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
  // Where the picture goes in. kFile writes it to a temporary file and names
  // it as the last argument; kStdin feeds it through a pipe; kNone leaves
  // both for the arguments to name.
  enum class Input { kFile, kStdin, kNone };
  Input input = Input::kFile;
  // Path to exec, and argv[0] as the filter sees it (default: the path).
  std::string binary = PICTTOTOV_BINARY;
  std::string argv0;
  // Working directory of the child; empty keeps the test's. HOME and
  // QZHOME are unset, so no user files interfere.
  std::string workdir;
};

// Runs the filter with `args` (before the input file name, if any) on
// `input`. Never throws; a failure to start gives status -1.
Result Run(const std::string &input, const std::vector<std::string> &args = {},
           const Options &options = {});

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
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

#include "support/run_filter.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace runfilter {
namespace {

// Points file descriptor `fd` at `path`, opened with `flags`.
void Redirect(int fd, const std::string &path, int flags) {
  int opened = open(path.c_str(), flags, 0600);
  if (opened < 0 || dup2(opened, fd) < 0) _exit(126);
  close(opened);
}

int Wait(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

// Output to files; piped input from a second child, so nothing can block.
Result Run(const std::string &input, const std::vector<std::string> &args,
           const Options &options) {
  Result result;
  TempDir dir;
  std::vector<std::string> argv{options.argv0.empty() ? options.binary
                                                      : options.argv0};
  argv.insert(argv.end(), args.begin(), args.end());
  if (options.input == Options::Input::kFile)
    argv.push_back(dir.Write("input.pict", input));
  int fds[2] = {-1, -1};
  if (options.input == Options::Input::kStdin && pipe(fds) != 0) return result;
  const std::string out = dir.path() + "/out", err = dir.path() + "/err";
  pid_t filter = fork();
  if (filter == 0) {
    if (fds[0] >= 0) {
      dup2(fds[0], 0);
      close(fds[0]);
      close(fds[1]);
    } else {
      Redirect(0, "/dev/null", O_RDONLY);
    }
    Redirect(1, out, O_WRONLY | O_CREAT | O_TRUNC);
    Redirect(2, err, O_WRONLY | O_CREAT | O_TRUNC);
    unsetenv("HOME");
    unsetenv("QZHOME");
    if (!options.workdir.empty() && chdir(options.workdir.c_str()) != 0)
      _exit(126);
    std::vector<char *> cargv;
    for (std::string &word : argv) cargv.push_back(word.data());
    cargv.push_back(nullptr);
    execv(options.binary.c_str(), cargv.data());
    _exit(127);
  }
  if (fds[0] >= 0) {
    pid_t writer = fork();
    if (writer == 0) {
      close(fds[0]);
      signal(SIGPIPE, SIG_IGN);
      for (size_t at = 0; at < input.size();) {
        ssize_t put = write(fds[1], input.data() + at, input.size() - at);
        if (put <= 0 && errno != EINTR) _exit(0);  // the filter stopped reading
        if (put > 0) at += static_cast<size_t>(put);
      }
      _exit(0);
    }
    close(fds[0]);
    close(fds[1]);
    Wait(writer);
  }
  if (filter < 0) return result;
  result.status = Wait(filter);
  result.out = ReadFile(out);
  result.err = ReadFile(err);
  return result;
}

TempDir::TempDir() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "picttotov-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("cannot make a temporary directory");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string &name,
                           const std::string &contents) const {
  std::string full = path_ + "/" + name;
  std::filesystem::create_directories(
      std::filesystem::path(full).parent_path());
  std::ofstream(full, std::ios::binary) << contents;
  return full;
}

std::string ReadFile(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

}  // namespace runfilter

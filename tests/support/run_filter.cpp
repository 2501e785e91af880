#include "support/run_filter.h"

#include <fcntl.h>
#include <poll.h>
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

// Feeds `input` to fd `to` while draining `out` and `err`, until both close.
void pump(const std::string &input, int to, int out, int err, Result &result) {
  size_t written = 0;
  if (to >= 0 && input.empty()) {
    close(to);
    to = -1;
  }
  while (out >= 0 || err >= 0) {
    pollfd fds[3];
    int n = 0;
    int outIndex = -1, errIndex = -1, toIndex = -1;
    if (out >= 0) fds[outIndex = n++] = {out, POLLIN, 0};
    if (err >= 0) fds[errIndex = n++] = {err, POLLIN, 0};
    if (to >= 0) fds[toIndex = n++] = {to, POLLOUT, 0};
    if (poll(fds, n, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    char buffer[65536];
    auto drain = [&](int index, int &fd, std::string &into) {
      if (index < 0 || !(fds[index].revents & (POLLIN | POLLHUP | POLLERR)))
        return;
      ssize_t got = read(fd, buffer, sizeof buffer);
      if (got > 0) {
        into.append(buffer, static_cast<size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        close(fd);
        fd = -1;
      }
    };
    drain(outIndex, out, result.out);
    drain(errIndex, err, result.err);
    if (toIndex >= 0 &&
        (fds[toIndex].revents & (POLLOUT | POLLERR | POLLHUP))) {
      ssize_t put = write(to, input.data() + written, input.size() - written);
      if (put > 0) written += static_cast<size_t>(put);
      if (put < 0 && errno != EINTR && errno != EAGAIN)
        written = input.size();  // reader gone
      if (written == input.size()) {
        close(to);
        to = -1;
      }
    }
  }
  if (to >= 0) close(to);
}

}  // namespace

Result Run(const std::string &input, const std::vector<std::string> &args,
           const Options &options) {
  Result result;
  TempDir dir;
  std::vector<std::string> argv{options.argv0.empty() ? options.binary
                                                      : options.argv0};
  argv.insert(argv.end(), args.begin(), args.end());
  if (options.input == Options::Input::kFile)
    argv.push_back(dir.Write("input.pict", input));

  int inPipe[2] = {-1, -1}, outPipe[2], errPipe[2];
  if ((options.input == Options::Input::kStdin && pipe(inPipe) != 0) ||
      pipe(outPipe) != 0 || pipe(errPipe) != 0)
    return result;
  signal(SIGPIPE, SIG_IGN);

  pid_t pid = fork();
  if (pid < 0) return result;
  if (pid == 0) {
    if (inPipe[0] >= 0) {
      dup2(inPipe[0], 0);
    } else {
      int devnull = open("/dev/null", O_RDONLY);
      dup2(devnull, 0);
    }
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    for (int fd :
         {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
      if (fd > 2) close(fd);
    unsetenv("HOME");
    unsetenv("QZHOME");
    for (const std::string &setting : options.env) {
      size_t eq = setting.find('=');
      if (eq == std::string::npos)
        unsetenv(setting.c_str());
      else
        setenv(setting.substr(0, eq).c_str(), setting.substr(eq + 1).c_str(),
               1);
    }
    if (!options.workdir.empty() && chdir(options.workdir.c_str()) != 0)
      _exit(126);
    std::vector<char *> cargv;
    for (std::string &word : argv) cargv.push_back(word.data());
    cargv.push_back(nullptr);
    execv(options.binary.c_str(), cargv.data());
    _exit(127);
  }
  if (inPipe[0] >= 0) close(inPipe[0]);
  // The input goes in as the pipe takes it, so that a filter writing much
  // before it has read everything can't block both sides.
  if (inPipe[1] >= 0) fcntl(inPipe[1], F_SETFL, O_NONBLOCK);
  close(outPipe[1]);
  close(errPipe[1]);
  pump(input, inPipe[1], outPipe[0], errPipe[0], result);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.status =
      WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
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

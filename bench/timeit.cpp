// Runs a command several times and prints the median wall time in seconds,
// the largest peak resident memory in KiB and the last exit status:
//
//   timeit RUNS STDOUT-FILE COMMAND [ARGUMENTS...]
//
// The command's standard output goes to STDOUT-FILE (created or truncated
// for every run), its standard error to /dev/null.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

double Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

// One run: wall seconds, and the child's peak memory and status.
double RunOnce(const char *output, char **command, long *peakKiB, int *status) {
  double start = Now();
  pid_t child = fork();
  if (child < 0) {
    std::perror("fork");
    std::exit(2);
  }
  if (child == 0) {
    int out = open(output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int null = open("/dev/null", O_WRONLY);
    if (out < 0 || null < 0) _exit(126);
    dup2(out, 1);
    dup2(null, 2);
    execvp(command[0], command);
    _exit(127);
  }
  int raw = 0;
  rusage usage{};
  wait4(child, &raw, 0, &usage);
  double seconds = Now() - start;
  *peakKiB = std::max(*peakKiB, static_cast<long>(usage.ru_maxrss));
  *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  return seconds;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: timeit RUNS STDOUT-FILE COMMAND [ARGS...]\n");
    return 2;
  }
  int runs = std::max(1, std::atoi(argv[1]));
  std::vector<double> seconds;
  long peakKiB = 0;
  int status = 0;
  for (int i = 0; i < runs; ++i)
    seconds.push_back(RunOnce(argv[2], argv + 3, &peakKiB, &status));
  std::sort(seconds.begin(), seconds.end());
  std::printf("%.4f %ld %d\n", seconds[seconds.size() / 2], peakKiB, status);
  return 0;
}

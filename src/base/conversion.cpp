// The state of one conversion that every floor reads.
#include "base/conversion.h"

int Version = 0;
int EndOfFile = 0;
Channel *inputFP = nullptr;
Channel *outputFP = nullptr;

namespace {
Options runOptions;
}  // namespace

const Options &RunOptions() { return runOptions; }
void SetRunOptions(const Options &options) { runOptions = options; }

void ResetConversionBase() {
  runOptions = Options{};
  Version = 0;
  EndOfFile = 0;
  inputFP = outputFP = nullptr;
}

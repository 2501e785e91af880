// picttotov: converts a QuickDraw picture into a TOV document.
//   picttotov [-V] [-h] [-l] [-s scale] [-aframe] [-full] [input [output]]
#include <cstdio>

#include "base/messages.h"
#include "driver/driver.h"

namespace {

constexpr char kNoStringResources[] = "Fail to open string resource file\n";

}  // namespace

int main(int argc, char **argv) {
  // A process started without any argument words still gets a name.
  const char *programPath = argc > 0 && argv[0] != nullptr ? argv[0] : "";
  Argv0 = driver::basename(programPath);
  if (V_SrInit(programPath, "usenglish") != 0) {
    std::fwrite(kNoStringResources, 1, sizeof kNoStringResources - 1, stderr);
    return 1;
  }

  CommandLine line;
  switch (ParseCommandLine(argc, argv, &line)) {
    case CommandOutcome::kExitSuccess:
      return 0;
    case CommandOutcome::kExitFailure:
      return 1;
    case CommandOutcome::kConvert:
      break;
  }

  FILE *in = nullptr;
  FILE *out = nullptr;
  if (InitFileIO(line.count, line.names, &in, &out) != 0) {
    do_help(Argv0);
    return 1;
  }
  Channel input;
  V_ChannelAttach(&input, in);
  Channel output;
  V_ChannelAttach(&output, out);
  return picttotov(&input, &output, line.options);
}

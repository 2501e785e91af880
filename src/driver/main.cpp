// picttotov: converts a QuickDraw picture into a TOV document.
//   picttotov [-V] [-h] [-l] [-s scale] [-aframe] [-full] [input [output]]
#include <cstdlib>
#include <cstring>

#include "driver/driver.h"
#include "graphics/graphics.h"

namespace {

constexpr char kNoStringResources[] = "Fail to open string resource file\n";

// Takes the scale of -s, from the rest of the word or from the next word,
// and sets the scaling factor; a missing or malformed scale is fatal.
void applyScale(char **&word, int &count) {
  const char *scale = *word + 2;
  if (std::strlen(*word) <= 2) {
    if (word[1] == nullptr) Fatal(kMsgBadScale);
    ++word;
    --count;
    scale = *word;
  }
  if (!validfloat(scale)) Fatal(kMsgBadScale);
  SetScalingFactor(std::atof(scale));
}

}  // namespace

int main(int argc, char **argv) {
  // A process started without any argument words still gets a name.
  const char *programPath = argc > 0 && argv[0] != nullptr ? argv[0] : "";
  Argv0 = driver::basename(programPath);
  if (V_SrInit(programPath, "usenglish") != 0) {
    std::fwrite(kNoStringResources, 1, sizeof kNoStringResources - 1, stderr);
    return 1;
  }
  Initstateops();

  int count = argc - 1;
  char **word = argc > 0 ? argv + 1 : argv;
  int frameContents = 0;
  for (; *word != nullptr && (*word)[0] == '-'; ++word, --count) {
    switch (static_cast<signed char>((*word)[1])) {
      case 'V':
        NonFatal(kMsgVersion, Argv0, kFilterVersion, nullptr);
        return 0;
      case 'h':
        do_help(Argv0);
        return 0;
      case 'l':
        SetThinLines();
        break;
      case 's':
        applyScale(word, count);
        break;
      default:
        // The comparisons cover the terminator: -aframes is no match.
        if (std::strncmp(*word, "-full", 6) == 0) {
          FullConversion = 1;
          break;
        }
        if (std::strncmp(*word, "-aframe", 8) != 0) {
          NonFatal(kMsgUnknownOption, *word, nullptr, nullptr);
          do_help(Argv0);
          return 1;
        }
        frameContents = 1;
        break;
    }
  }

  FILE *in = nullptr;
  FILE *out = nullptr;
  if (InitFileIO(count, word, &in, &out) != 0) {
    do_help(Argv0);
    return 1;
  }
  Channel input;
  V_ChannelAttach(&input, in);
  Channel output;
  V_ChannelAttach(&output, out);
  return picttotov(&input, &output, frameContents);
}

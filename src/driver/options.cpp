// The command line's option words, read in order into the options record.
#include <array>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "base/messages.h"
#include "driver/driver.h"

namespace {

// The words left to read; an option taking a value may consume the next.
struct Words {
  char **word;
  int count;
  CommandLine *line;
};

using Action = CommandOutcome (*)(Words &words);

CommandOutcome showVersion(Words &) {
  NonFatal(kMsgVersion, Argv0, kFilterVersion, nullptr);
  return CommandOutcome::kExitSuccess;
}

CommandOutcome showHelp(Words &) {
  do_help(Argv0);
  return CommandOutcome::kExitSuccess;
}

CommandOutcome takeThinLines(Words &words) {
  words.line->options.thinLines = true;
  return CommandOutcome::kConvert;
}

// The scale of -s, from the rest of the word or from the next word; a
// missing, malformed or out-of-range scale is fatal.
CommandOutcome takeScale(Words &words) {
  const char *scale = *words.word + 2;
  if (std::strlen(*words.word) <= 2) {
    if (words.word[1] == nullptr) Fatal(kMsgBadScale);
    ++words.word;
    --words.count;
    scale = *words.word;
  }
  if (!validfloat(scale)) Fatal(kMsgBadScale);
  double value = std::atof(scale);
  if (!(value > 0.0 && value < 10000.0)) Fatal(kMsgBadScale);
  words.line->options.scaled = true;
  words.line->options.scale = value;
  return CommandOutcome::kConvert;
}

CommandOutcome takeFull(Words &words) {
  words.line->options.full = true;
  return CommandOutcome::kConvert;
}

CommandOutcome takeFrameContents(Words &words) {
  words.line->options.frameContents = true;
  return CommandOutcome::kConvert;
}

// -V, -h, -l and -s are known by their first letter (-Version acts as -V,
// -s1.5 carries its value); -full and -aframe only as whole words.
enum class Match { kFirstLetter, kWholeWord };
struct OptionWord {
  std::string_view word;
  Match match;
  Action action;
};
constexpr std::array<OptionWord, 6> kOptionWords{{
    {"-V", Match::kFirstLetter, showVersion},
    {"-h", Match::kFirstLetter, showHelp},
    {"-l", Match::kFirstLetter, takeThinLines},
    {"-s", Match::kFirstLetter, takeScale},
    {"-full", Match::kWholeWord, takeFull},
    {"-aframe", Match::kWholeWord, takeFrameContents},
}};

// The table entry a word stands for; first letters are tried first.
const OptionWord *findOption(std::string_view word) {
  for (const OptionWord &option : kOptionWords)
    if (option.match == Match::kFirstLetter && word.size() > 1 &&
        word[1] == option.word[1])
      return &option;
  for (const OptionWord &option : kOptionWords)
    if (option.match == Match::kWholeWord && word == option.word)
      return &option;
  return nullptr;
}

}  // namespace

CommandOutcome ParseCommandLine(int argc, char **argv, CommandLine *line) {
  *line = CommandLine{};
  Words words{argc > 0 ? argv + 1 : argv, argc - 1, line};
  for (; *words.word != nullptr && (*words.word)[0] == '-';
       ++words.word, --words.count) {
    const OptionWord *option = findOption(*words.word);
    if (option == nullptr) {
      NonFatal(kMsgUnknownOption, *words.word, nullptr, nullptr);
      do_help(Argv0);
      return CommandOutcome::kExitFailure;
    }
    CommandOutcome outcome = option->action(words);
    if (outcome != CommandOutcome::kConvert) return outcome;
  }
  line->count = words.count;
  line->names = words.word;
  return CommandOutcome::kConvert;
}

// Test string resources: every message reads "MSG <number>" and " %s" for
// each argument, whatever the wording of the installed texts.
#ifndef PICTTOTOV_TESTS_SUPPORT_SRE_FIXTURE_H
#define PICTTOTOV_TESTS_SUPPORT_SRE_FIXTURE_H

#include <cstdint>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "pict_bytes.h"
#include "runtime/vok.h"
#include "support/run_filter.h"

namespace srefixture {

// The numbered messages and how many text arguments each takes.
inline std::map<int, std::string> Texts() {
  std::map<int, std::string> texts;
  for (int number : {1000, 1001, 1003, 1006, 1007, 1008, 1009, 1010, 1012, 1013,
                     1014, 1015, 1016, 1017, 1018, 1019, 1020, 1025})
    texts[number] = "MSG " + std::to_string(number);
  for (int number : {1004, 1005, 1011, 1022, 1024, 1026, 1028, 1029, 1031})
    texts[number] = "MSG " + std::to_string(number) + " %s";
  for (int number : {1021, 1027, 1030})
    texts[number] = "MSG " + std::to_string(number) + " %s %s";
  return texts;
}

// A resource file by hand: 24-byte header ending in `count`, index, body.
inline std::string SreFile(uint32_t count,
                           const std::vector<std::pair<int, uint32_t>> &index,
                           const std::string &body) {
  std::string file = std::string(20, '\0') + pictbytes::U32(count);
  size_t base = file.size() + 6 * index.size();
  for (const auto &[number, offset] : index)
    file += pictbytes::U16(number) + pictbytes::U32(base + offset);
  return file + body;
}

// The file of `texts`: the index in ascending order, one text per line.
inline std::string SreBytes(const std::map<int, std::string> &texts) {
  std::vector<std::pair<int, uint32_t>> index;
  std::string lines;
  for (const auto &[number, text] : texts) {
    index.emplace_back(number, static_cast<uint32_t>(lines.size()));
    lines += text + "\n";
  }
  return SreFile(static_cast<uint32_t>(texts.size()), index, lines);
}

// The filter as <dir>/picttotov, working in <dir>, with the test messages
// in <dir>/picttotov.sre (the first file it looks for).
inline runfilter::Options WithMessages(const runfilter::TempDir &dir,
                                       runfilter::Options::Input input) {
  runfilter::Options options;
  options.input = input;
  options.argv0 = dir.path() + "/picttotov";
  options.workdir = dir.path();
  std::ofstream(options.argv0 + ".sre", std::ios::binary) << SreBytes(Texts());
  return options;
}

// Loads `texts` into this process's string resources; true on success.
inline bool Load(const std::map<int, std::string> &texts = Texts()) {
  runfilter::TempDir dir;
  const std::string program = dir.path() + "/picttotov";
  std::ofstream(program + ".sre", std::ios::binary) << SreBytes(texts);
  return V_SrInit(program.c_str(), "usenglish") == 0;
}

// The usage text (messages 1011 to 1020) as the test messages read.
inline std::string Usage(const std::string &program) {
  std::string usage = "MSG 1011 " + program + "\n";
  for (int n = 1012; n <= 1020; ++n) usage += "MSG " + std::to_string(n) + "\n";
  return usage;
}

}  // namespace srefixture

#endif  // PICTTOTOV_TESTS_SUPPORT_SRE_FIXTURE_H

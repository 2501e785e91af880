// A string-resource file for tests, so that messages can be checked by
// number and arguments whatever the wording of the installed texts. Every
// message reads "MSG <number>" followed by " %s" for each of its arguments.
#ifndef PICTTOTOV_TESTS_SUPPORT_SRE_FIXTURE_H
#define PICTTOTOV_TESTS_SUPPORT_SRE_FIXTURE_H

#include <fstream>
#include <map>
#include <string>

#include "support/pict_bytes.h"
#include "support/run_filter.h"

namespace srefixture {

// The numbered messages and how many text arguments each takes.
inline std::map<int, std::string> Texts() {
  std::map<int, std::string> texts;
  for (int number : {1000, 1001, 1003, 1006, 1007, 1008, 1009, 1010, 1012, 1013,
                     1014, 1015, 1016, 1017, 1018, 1019, 1020, 1025})
    texts[number] = "MSG " + std::to_string(number);
  for (int number : {1004, 1005, 1011, 1022, 1024, 1026})
    texts[number] = "MSG " + std::to_string(number) + " %s";
  texts[1021] = "MSG 1021 %s %s";
  return texts;
}

// The file's bytes: a 24-byte header with the count in its last word, one
// index entry (number, absolute offset) per text in ascending order, then
// the texts one per line.
inline std::string SreBytes(const std::map<int, std::string> &texts) {
  using pictbytes::U16;
  using pictbytes::U32;
  std::string header = std::string(20, '\0') + U32(texts.size());
  size_t offset = header.size() + 6 * texts.size();
  std::string index, lines;
  for (const auto &[number, text] : texts) {
    index += U16(number) + U32(static_cast<int64_t>(offset + lines.size()));
    lines += text + "\n";
  }
  return header + index + lines;
}

// Writes `<programPath>.sre`, the first file a program started as
// programPath looks for.
inline void Write(const std::string &programPath,
                  const std::map<int, std::string> &texts = Texts()) {
  std::ofstream(programPath + ".sre", std::ios::binary) << SreBytes(texts);
}

// Options that start the filter as <dir>/picttotov, with the test messages
// beside it and <dir> as the working directory.
inline runfilter::Options WithMessages(const runfilter::TempDir &dir,
                                       runfilter::Options::Input input) {
  runfilter::Options options;
  options.input = input;
  options.argv0 = dir.path() + "/picttotov";
  options.workdir = dir.path();
  Write(options.argv0);
  return options;
}

}  // namespace srefixture

#endif  // PICTTOTOV_TESTS_SUPPORT_SRE_FIXTURE_H

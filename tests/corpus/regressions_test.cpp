// Pictures the fuzzer found, each named DATE-WHAT.OPTIONS.pict: the options
// between the dots are passed as they are (aframe as -aframe, l as -l, s2.5
// as -s 2.5), and "pipe" feeds the picture through a pipe. Each converts
// with status 0, or 1 after a numbered message, and no sanitizer report;
// where a DATE-WHAT.OPTIONS.tov lies beside it, the output is exactly that.
// The font mapping beside them (the fuzzer's) is in the working directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_filter.h"
#include "support/sre_fixture.h"

namespace {

namespace fs = std::filesystem;

fs::path Root() {
  return fs::path(PICTTOTOV_SOURCE_DIR) / "tests" / "data" / "regressions";
}

std::vector<std::string> Pictures() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto &entry : fs::directory_iterator(Root(), error))
    if (entry.path().extension() == ".pict")
      names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class Regression : public ::testing::TestWithParam<std::string> {};

TEST_P(Regression, EndsCleanly) {
  const fs::path picture = Root() / GetParam();
  std::vector<std::string> args;
  auto input = runfilter::Options::Input::kFile;
  std::istringstream words(picture.stem().string());
  std::string word;
  std::getline(words, word, '.');  // the date and what was found
  while (std::getline(words, word, '.')) {
    if (word == "pipe") {
      input = runfilter::Options::Input::kStdin;
    } else if (word[0] == 's') {
      args.push_back("-s");
      args.push_back(word.substr(1));
    } else {
      args.push_back("-" + word);
    }
  }
  runfilter::TempDir dir;
  runfilter::Options options = srefixture::WithMessages(dir, input);
  dir.Write("pictfonts.cfg",
            runfilter::ReadFile((Root() / "pictfonts.cfg").string()));
  runfilter::Result result =
      runfilter::Run(runfilter::ReadFile(picture.string()), args, options);

  ASSERT_TRUE(result.status == 0 || result.status == 1)
      << "status " << result.status << "\n"
      << result.err;
  EXPECT_EQ(result.err.find("Sanitizer"), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("runtime error"), std::string::npos) << result.err;
  if (result.status == 1) {
    EXPECT_EQ(result.err.rfind("MSG 10", 0), 0u) << result.err;
  }
  fs::path expected = fs::path(picture).replace_extension(".tov");
  if (fs::exists(expected)) {
    EXPECT_EQ(result.out, runfilter::ReadFile(expected.string()));
  }
}

INSTANTIATE_TEST_SUITE_P(Fuzzed, Regression, ::testing::ValuesIn(Pictures()),
                         [](const ::testing::TestParamInfo<std::string> &info) {
                           std::string name = info.param;
                           for (char &c : name)
                             if (!isalnum(static_cast<unsigned char>(c)))
                               c = '_';
                           return name;
                         });

}  // namespace

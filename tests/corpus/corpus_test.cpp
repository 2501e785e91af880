// One process, many pictures: converted one after another in one process,
// each real picture gives exactly what a fresh process gives. (What each
// picture converts to, plain and with -full, and how the fuzzer's finds end,
// is the regression net's: tests/net.) Pictures in a "noheader" folder lack
// the 512-byte file header and are converted in frame-contents mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "pict_bytes.h"
#include "support/channels.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCorpus =
    fs::path(PICTTOTOV_SOURCE_DIR) / "tests" / "data" / "corpus";

bool Headerless(const std::string &path) {
  return path.find("noheader/") != std::string::npos;
}

// The pictures below `root` ending in .pict, sorted.
std::vector<std::string> Pictures(const fs::path &root) {
  std::vector<std::string> paths;
  for (const auto &entry : fs::recursive_directory_iterator(root))
    if (entry.path().extension() == ".pict")
      paths.push_back(entry.path().string());
  std::sort(paths.begin(), paths.end());
  return paths;
}

// Converts in a process of its own.
std::string ConvertFresh(const std::string &path) {
  std::vector<std::string> args;
  if (Headerless(path)) args.push_back("-aframe");
  args.push_back(path);
  runfilter::Options options;
  options.input = runfilter::Options::Input::kNone;
  runfilter::Result result = runfilter::Run("", args, options);
  EXPECT_EQ(result.status, 0) << path << "\n" << result.err;
  return result.out;
}

// Converts in this process, after a reset, as main would.
std::string ConvertHere(const std::string &path) {
  Options options;
  options.frameContents = Headerless(path);
  return testchannels::ConvertHere(runfilter::ReadFile(path), options);
}

// ResetConversionRun puts every subsystem back to its process-start state:
// each picture, converted behind one that leaves a group, a polygon and
// rotated text open with a changed pen, and then all of them backwards, gives
// exactly the document of a fresh process.
TEST(ResetConversionRun, EachPictureConvertsAsInAFreshProcess) {
  // The font mapping is looked for as the fresh process looks for it, and
  // its absence is reported.
  unsetenv("HOME");
  unsetenv("QZHOME");
  ASSERT_TRUE(srefixture::Load());
  runfilter::TempDir dir;
  std::vector<std::string> paths = Pictures(kCorpus);
  ASSERT_GE(paths.size(), 60u);
  // The same arc and polygon again, a text, two rectangles and an end of
  // group that has no begin of its own.
  paths.push_back(dir.Write(
      "closer.pict", pictbytes::PictV2(pictbytes::Hex(
                         "0068 0000 005A  0078  0028 0005 0005 01 41"
                         "0030 0000 0000 0010 0010  0030 0000 0000 0020 0020"
                         "00A0 008D"))));
  std::vector<std::string> fresh;
  for (const std::string &path : paths) fresh.push_back(ConvertFresh(path));
  // An arc and a polygon, the pen invisible and 3 wide, an oval size, a text
  // font and size.
  const std::string opener = dir.Write(
      "opener.pict",
      pictbytes::PictV2(pictbytes::Hex(
          "0060 000A 0014 001E 003C 0000 005A"
          "0070 0012 0000 0000 001E 001E 0001 0001 0002 0002"
          "0007 0003 0003  00A0 008C  00A0 00A0  0020 0000 0000 000A 000A"
          "00A1 0096 0006 0100 002D 0000  000B 0010 0010  0003 0014  000D 0018"
          "0008 0017")));
  for (size_t i = 0; i < paths.size(); ++i) {
    ConvertHere(opener);
    EXPECT_EQ(ConvertHere(paths[i]), fresh[i]) << paths[i];
  }
  for (size_t i = paths.size(); i-- > 0;)
    EXPECT_EQ(ConvertHere(paths[i]), fresh[i]) << paths[i];
}

}  // namespace

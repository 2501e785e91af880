// ResetConversionRun puts every subsystem back to its process-start state:
// the corpus pictures converted one after another in this process, each
// behind a picture that leaves a group, a polygon and rotated text open with
// a changed pen, and then backwards, each give exactly the document the
// filter writes for them in a fresh process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "support/pict_bytes.h"
#include "support/run_filter.h"

namespace {

namespace fs = std::filesystem;

struct Picture {
  std::string path;
  bool headerless;
};

std::vector<Picture> CorpusPictures() {
  fs::path root = fs::path(PICTTOTOV_SOURCE_DIR) / "tests/data/corpus";
  std::vector<Picture> pictures;
  for (const auto &entry : fs::recursive_directory_iterator(root))
    if (entry.path().extension() == ".pict")
      pictures.push_back({entry.path().string(),
                          entry.path().parent_path().filename() == "noheader"});
  std::sort(pictures.begin(), pictures.end(),
            [](const Picture &a, const Picture &b) { return a.path < b.path; });
  return pictures;
}

// Ends with a group, a polygon and rotated text open, the pen invisible
// and 3 wide, an oval size, a text font and size.
std::string Opener() {
  using pictbytes::Hex;
  return pictbytes::PictV2(
      Hex("0007 0003 0003  00A0 008C  00A0 00A0  0020 0000 0000 000A 000A"
          "00A1 0096 0006 0100 002D 0000  000B 0010 0010  0003 0014  000D 0018"
          "0008 0017"));
}

// Converts in this process, after a reset, as main would.
std::string ConvertHere(const Picture &picture) {
  ResetConversionRun();
  FILE *in = std::fopen(picture.path.c_str(), "rb");
  FILE *out = std::tmpfile();
  Channel input, output;
  V_ChannelAttach(&input, in);
  V_ChannelAttach(&output, out);
  EXPECT_EQ(picttotov(&input, &output, picture.headerless ? 1 : 0), 0);
  std::string text(static_cast<size_t>(std::ftell(out)), '\0');
  std::rewind(out);
  text.resize(std::fread(text.data(), 1, text.size(), out));
  std::fclose(in);
  std::fclose(out);
  return text;
}

TEST(ResetConversionRun, EachPictureConvertsAsInAFreshProcess) {
  // The font mapping is looked for as the fresh process looks for it.
  unsetenv("HOME");
  unsetenv("QZHOME");
  runfilter::TempDir dir;
  std::vector<Picture> pictures = CorpusPictures();
  ASSERT_GE(pictures.size(), 60u);
  // Two rectangles and an end of group that has no begin of its own.
  pictures.push_back(
      {dir.Write("closer.pict",
                 pictbytes::PictV2(pictbytes::Hex(
                     "0030 0000 0000 0010 0010  0030 0000 0000 0020 0020"
                     "00A0 008D"))),
       false});
  std::vector<std::string> fresh;
  for (const Picture &picture : pictures) {
    std::vector<std::string> args;
    if (picture.headerless) args.push_back("-aframe");
    args.push_back(picture.path);
    runfilter::Options options;
    options.input = runfilter::Options::Input::kNone;
    fresh.push_back(runfilter::Run("", args, options).out);
  }
  const Picture opener{dir.Write("opener.pict", Opener()), false};
  for (size_t i = 0; i < pictures.size(); ++i) {
    ConvertHere(opener);
    EXPECT_EQ(ConvertHere(pictures[i]), fresh[i]) << pictures[i].path;
  }
  for (size_t i = pictures.size(); i-- > 0;)
    EXPECT_EQ(ConvertHere(pictures[i]), fresh[i]) << pictures[i].path;
}

}  // namespace

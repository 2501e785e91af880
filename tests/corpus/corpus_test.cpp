// Pictures nobody here made: every real picture of the corpus converts to its
// end, with and without -full; read as if it had no file header, it still
// ends cleanly; the fuzzer's finds end cleanly too; and converted
// one after another in one process, each gives what a fresh process gives.
// Pictures in a "noheader" folder lack the 512-byte file header and are
// converted in frame-contents mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "pict_bytes.h"
#include "support/channels.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"
#include "support/tov_document.h"

namespace {

namespace fs = std::filesystem;
using runfilter::Options;
using runfilter::Result;

const fs::path kData = fs::path(PICTTOTOV_SOURCE_DIR) / "tests" / "data";
const fs::path kCorpus = kData / "corpus";

bool Headerless(const std::string &name) {
  return name.find("noheader/") != std::string::npos;
}

// The pictures below `root` ending in .pict, by name relative to it.
std::vector<std::string> Pictures(const fs::path &root) {
  std::vector<std::string> names;
  for (const auto &entry : fs::recursive_directory_iterator(root))
    if (entry.path().extension() == ".pict")
      names.push_back(fs::relative(entry.path(), root).string());
  std::sort(names.begin(), names.end());
  return names;
}

// Status 0, or 1 after a numbered message; never a signal or a sanitizer
// report.
void ExpectCleanEnd(const Result &result) {
  ASSERT_TRUE(result.status == 0 || result.status == 1)
      << "status " << result.status << "\n"
      << result.err;
  EXPECT_EQ(result.err.find("Sanitizer"), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("runtime error"), std::string::npos) << result.err;
  if (result.status == 1) {
    EXPECT_EQ(result.err.rfind("MSG 10", 0), 0u) << result.err;
  }
}

size_t Count(const std::string &text, const std::string &what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + 1))
    ++n;
  return n;
}

Result ConvertCorpus(const std::string &name, std::vector<std::string> args) {
  if (Headerless(name)) args.push_back("-aframe");
  args.push_back((kCorpus / name).string());
  Options options;
  options.input = Options::Input::kNone;
  return runfilter::Run("", args, options);
}

// The direct-colour images under -full, by picture. (qdv-rotated's one
// direct-colour image is the drawn copy of its rotated text, and is left out
// like every image inside rotated text.)
const std::map<std::string, size_t> kDirectImages = {
    {"qdv-AlbumWorldMap.pict", 1},
    {"qdv-PhotoShop1Gradient.pict", 1},
    {"tm-CatDV-2_0-1.pict", 1},
    {"tm-FLAG_B24.pict", 1},
    {"tm-mire16.pict", 1},
    {"tm-mire32.pict", 1},
    {"tm-P564B1400.pict", 4},
    {"tm-Picture14.pict", 1},
    {"tm-RED.pict", 1},
    {"tm-TRU256.pict", 1},
    {"generated/im-grad-direct.pict", 1},
    {"generated/im-grad-jpeg.pict", 1},
};

class Corpus : public ::testing::TestWithParam<std::string> {};

// Walked to its end-of-picture opcode, the whole document written; with the
// header read as picture data, whatever the bytes say, the run ends cleanly.
TEST_P(Corpus, ConvertsToTheEnd) {
  const std::string &name = GetParam();
  Result result = ConvertCorpus(name, {});
  EXPECT_EQ(result.status, 0) << result.err;
  ExpectCleanEnd(result);
  EXPECT_EQ(
      result.out.rfind(Headerless(name) ? "<Units Upt >\n" : "<TOVFile", 0),
      0u);
  if (!Headerless(name)) {
    const std::string tail = tov::Epilog();
    EXPECT_EQ(result.out.substr(result.out.size() - tail.size()), tail);
    runfilter::TempDir dir;
    ExpectCleanEnd(
        runfilter::Run("", {"-aframe", (kCorpus / name).string()},
                       srefixture::WithMessages(dir, Options::Input::kNone)));
  }
  Result full = ConvertCorpus(name, {"-full"});
  EXPECT_EQ(full.status, 0) << full.err;
  ExpectCleanEnd(full);
  auto images = kDirectImages.find(name);
  if (images == kDirectImages.end()) return;
  EXPECT_EQ(full.err, "");
  EXPECT_EQ(Count(full.out, "<ImportObject"), images->second);
  EXPECT_EQ(Count(full.out, "=EndInset\n"), images->second);
}

TEST(FullCorpus, RegionsAndExtendedHeader) {
  for (const auto &images : kDirectImages)
    EXPECT_TRUE(fs::exists(kCorpus / images.first)) << images.first;
  // 3592 painted regions, each at least one rectangle.
  Result r = ConvertCorpus("tm-EDUC0052.pict", {"-full"});
  EXPECT_GE(Count(r.out, "<Rectangle"), 3592u);
  // 85 filled polygons, drawn at 288 dpi in an extended header's space.
  r = ConvertCorpus("tm-cow.pict", {"-full"});
  EXPECT_EQ(Count(r.out, "<PolyLine"), 85u);
}

// The picture's frame, from its header: left, top, right, bottom.
std::vector<double> FrameOf(const std::string &picture) {
  const std::string bytes = runfilter::ReadFile(picture);
  auto word = [&](size_t at) {
    return static_cast<int16_t>(static_cast<unsigned char>(bytes.at(at)) << 8 |
                                static_cast<unsigned char>(bytes.at(at + 1)));
  };
  return {double(word(516)), double(word(514)), double(word(520)),
          double(word(518))};
}

// Drawing programs draw gradients as strokes across a shape's box and let
// the clip cut them; under -full every place these pictures' objects reach
// (points, origins, corners of boxes) lies within their frame, which they
// clip to.
TEST(FullCorpus, ClippedDrawingsStayInTheirFrames) {
  for (const char *name :
       {"qdv-ClarisGradient-2-colors-90deg.pict",
        "qdv-ClarisGradient2Colors.pict",
        "qdv-ClarisGradient45deg-3-Colors.pict",
        "qdv-ClarisGradient4Colors.pict", "qdv-ClarisWork5Gradient.pict",
        "qdv-Clarisgradientstar.pict", "qdv-CircleShapeBurstClaris.pict",
        "qdv-CreateursGenevois.pict", "qdv-CanvasGradient.pict",
        "qdv-Wahlenstadt.pict"}) {
    SCOPED_TRACE(name);
    const std::vector<double> frame = FrameOf((kCorpus / name).string());
    const Result full = ConvertCorpus(name, {"-full"});
    ASSERT_EQ(full.status, 0);
    std::istringstream lines(full.out);
    int places = 0;
    for (std::string line; std::getline(lines, line);) {
      std::istringstream words(line);
      std::string statement;
      words >> statement;
      std::vector<double> v;
      for (double value; words >> value;) v.push_back(value);
      if (statement == "<BRect" || statement == "<ArcRect") {
        v = {v[0], v[1], v[0] + v[2], v[1] + v[3]};
      } else if (statement != "<Point" && statement != "<TLOrigin") {
        continue;
      }
      for (size_t i = 0; i + 1 < v.size(); i += 2) {
        ++places;
        EXPECT_TRUE(v[i] >= frame[0] - 0.0005 && v[i] <= frame[2] + 0.0005 &&
                    v[i + 1] >= frame[1] - 0.0005 &&
                    v[i + 1] <= frame[3] + 0.0005)
            << line;
      }
    }
    EXPECT_GT(places, 8);
  }
}

// Pictures the fuzzer found, each named DATE-WHAT.OPTIONS.pict: the options
// between the dots are passed as they are (aframe as -aframe, l as -l, s2.5
// as -s 2.5), and "pipe" feeds the picture through a pipe. The fuzzer's font
// mapping is in the working directory.
class Regression : public ::testing::TestWithParam<std::string> {};

TEST_P(Regression, EndsCleanly) {
  const fs::path picture = kData / "regressions" / GetParam();
  std::vector<std::string> args;
  auto input = Options::Input::kFile;
  std::istringstream words(picture.stem().string());
  std::string word;
  std::getline(words, word, '.');  // the date and what was found
  while (std::getline(words, word, '.')) {
    if (word == "pipe") {
      input = Options::Input::kStdin;
    } else if (word[0] == 's') {
      args.insert(args.end(), {"-s", word.substr(1)});
    } else {
      args.push_back("-" + word);
    }
  }
  runfilter::TempDir dir;
  dir.Write("pictfonts.cfg",
            runfilter::ReadFile(PICTTOTOV_SOURCE_DIR "/fuzz/pictfonts.cfg"));
  ExpectCleanEnd(runfilter::Run(runfilter::ReadFile(picture.string()), args,
                                srefixture::WithMessages(dir, input)));
}

// Converts in this process, after a reset, as main would.
std::string ConvertHere(const std::string &path, bool headerless) {
  ResetConversionRun();
  testchannels::Channels channels(runfilter::ReadFile(path));
  ::Options options;
  options.frameContents = headerless;
  EXPECT_EQ(picttotov(inputFP, outputFP, options), 0);
  return channels.Output();
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
  std::vector<std::string> paths;
  for (const std::string &name : Pictures(kCorpus))
    paths.push_back((kCorpus / name).string());
  ASSERT_GE(paths.size(), 60u);
  // The same arc and polygon again, a text, two rectangles and an end of
  // group that has no begin of its own.
  paths.push_back(dir.Write(
      "closer.pict", pictbytes::PictV2(pictbytes::Hex(
                         "0068 0000 005A  0078  0028 0005 0005 01 41"
                         "0030 0000 0000 0010 0010  0030 0000 0000 0020 0020"
                         "00A0 008D"))));
  std::vector<std::string> fresh;
  for (const std::string &path : paths)
    fresh.push_back(ConvertCorpus(path, {}).out);
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
    ConvertHere(opener, false);
    EXPECT_EQ(ConvertHere(paths[i], Headerless(paths[i])), fresh[i])
        << paths[i];
  }
  for (size_t i = paths.size(); i-- > 0;)
    EXPECT_EQ(ConvertHere(paths[i], Headerless(paths[i])), fresh[i])
        << paths[i];
}

std::string TestName(const ::testing::TestParamInfo<std::string> &info) {
  std::string name = info.param;
  for (char &c : name)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Real, Corpus, ::testing::ValuesIn(Pictures(kCorpus)),
                         TestName);
INSTANTIATE_TEST_SUITE_P(Fuzzed, Regression,
                         ::testing::ValuesIn(Pictures(kData / "regressions")),
                         TestName);

}  // namespace

// Every corpus picture under -full converts cleanly; the pictures that the
// classic conversion leaves (nearly) empty come through: the direct-colour
// images, the regions of tm-EDUC0052, and tm-cow inside its frame.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "support/run_filter.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCorpus =
    fs::path(PICTTOTOV_SOURCE_DIR) / "tests" / "data" / "corpus";

runfilter::Result ConvertFull(const fs::path &picture) {
  std::vector<std::string> args{"-full"};
  if (picture.parent_path().filename() == "noheader") args.push_back("-aframe");
  args.push_back(picture.string());
  runfilter::Options options;
  options.input = runfilter::Options::Input::kNone;
  return runfilter::Run("", args, options);
}

size_t Count(const std::string &text, const std::string &what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + 1))
    ++n;
  return n;
}

// Every point and every box corner of the objects lies within the frame.
void ExpectInside(const std::string &tov, double width, double height) {
  std::istringstream lines(tov);
  std::string line;
  size_t checked = 0;
  while (std::getline(lines, line)) {
    double x = 0, y = 0, w = 0, h = 0;
    bool point = std::sscanf(line.c_str(), "\t<Point %lf %lf", &x, &y) == 2;
    bool box = std::sscanf(line.c_str(), "\t<BRect %lf %lf %lf %lf", &x, &y, &w,
                           &h) == 4;
    if (!point && !box) continue;
    ++checked;
    EXPECT_TRUE(x >= 0 && y >= 0 && x + w <= width && y + h <= height) << line;
  }
  EXPECT_GT(checked, 0u);
}

TEST(FullCorpus, EveryPictureConvertsCleanly) {
  size_t pictures = 0;
  for (const auto &entry : fs::recursive_directory_iterator(kCorpus)) {
    if (entry.path().extension() != ".pict") continue;
    SCOPED_TRACE(entry.path().string());
    runfilter::Result r = ConvertFull(entry.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err;
    ++pictures;
  }
  EXPECT_GE(pictures, 65u);
}

// The direct-colour images of the corpus, by picture. (qdv-rotated's one
// direct-colour image is the drawn copy of its rotated text, and is left out
// like every image inside rotated text.)
TEST(FullCorpus, DirectColourPicturesHaveTheirImages) {
  const std::map<std::string, size_t> images = {
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
  for (const auto &[name, count] : images) {
    SCOPED_TRACE(name);
    runfilter::Result r = ConvertFull(kCorpus / name);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Count(r.out, "<ImportObject"), count);
    EXPECT_EQ(Count(r.out, "=EndInset\n"), count);
  }
}

TEST(FullCorpus, RegionsAndExtendedHeader) {
  // 3592 painted regions, each at least one rectangle, on a 1024 x 723
  // frame.
  runfilter::Result r = ConvertFull(kCorpus / "tm-EDUC0052.pict");
  EXPECT_GE(Count(r.out, "<Rectangle"), 3592u);
  ExpectInside(r.out, 1024, 723);
  // 85 filled polygons drawn at 288 dpi at an offset, on a 787 x 547 frame.
  r = ConvertFull(kCorpus / "tm-cow.pict");
  EXPECT_EQ(Count(r.out, "<PolyLine"), 85u);
  ExpectInside(r.out, 787, 547);
}

}  // namespace

// Drawing programs draw gradients as strokes across a shape's box and let
// the clip cut them: under -full, every place the objects of these pictures
// reach (points, origins, corners of boxes) lies within their frame, which
// they clip to.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_filter.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCorpus =
    fs::path(PICTTOTOV_SOURCE_DIR) / "tests" / "data" / "corpus";

// The picture's frame from its header: left, top, right, bottom.
std::vector<double> FrameOf(const std::string &bytes) {
  auto word = [&](size_t at) {
    return static_cast<int16_t>(static_cast<unsigned char>(bytes.at(at)) << 8 |
                                static_cast<unsigned char>(bytes.at(at + 1)));
  };
  return {double(word(516)), double(word(514)), double(word(520)),
          double(word(518))};
}

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
    const std::string path = (kCorpus / name).string();
    const std::vector<double> frame = FrameOf(runfilter::ReadFile(path));
    runfilter::Options options;
    options.input = runfilter::Options::Input::kNone;
    const runfilter::Result full = runfilter::Run("", {"-full", path}, options);
    ASSERT_EQ(full.status, 0) << full.err;
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

}  // namespace

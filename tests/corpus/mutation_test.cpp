// Damaged pictures: real corpus pictures with bytes overwritten, cut short or
// with runs duplicated must end with status 0 or 1 and a clean sanitizer run,
// never a crash or a hang.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/run_filter.h"

namespace {

namespace fs = std::filesystem;

fs::path CorpusRoot() {
  return fs::path(PICTTOTOV_SOURCE_DIR) / "tests" / "data" / "corpus";
}

struct Seed {
  std::string picture;
  bool headerless;
};

// A few small pictures of different kinds: vector v1 and v2, patterns,
// bitmaps and pixel maps.
std::vector<Seed> Seeds() {
  std::vector<Seed> seeds;
  for (std::string name : {"noheader/qdv-MacDraft-noheader.pict",
                           "noheader/qdv-radio-noheader.pict",
                           "noheader/qdv-inside_macintosh-noheader.pict",
                           "noheader/qdv-Graypatterns-noheader.pict",
                           "generated/im-bw.pict", "generated/im-eight.pict"}) {
    fs::path path = CorpusRoot() / name;
    if (fs::is_regular_file(path))
      seeds.push_back({runfilter::ReadFile(path.string()),
                       name.rfind("noheader/", 0) == 0});
  }
  return seeds;
}

std::string Mutate(std::string picture, std::mt19937 &random) {
  std::uniform_int_distribution<int> kind(0, 3);
  auto at = [&](size_t size) {
    return std::uniform_int_distribution<size_t>(0, size - 1)(random);
  };
  switch (kind(random)) {
    case 0:  // overwrite a few bytes with random values
      for (int i = 0; i < 4; ++i)
        picture[at(picture.size())] = static_cast<char>(random() & 0xFF);
      break;
    case 1:  // make a length or count field huge
      picture[at(picture.size())] = static_cast<char>(0xFF);
      break;
    case 2:  // cut it short
      picture.resize(at(picture.size()));
      break;
    default: {  // repeat a run of bytes
      size_t from = at(picture.size());
      picture.insert(from, picture.substr(from, 64));
    }
  }
  return picture;
}

TEST(Mutation, DamagedPicturesEndCleanly) {
  std::vector<Seed> seeds = Seeds();
  ASSERT_EQ(seeds.size(), 6u) << "corpus pictures missing";
  std::mt19937 random(20261205);
  constexpr int kRunsPerSeed = 60;
  for (const Seed &seed : seeds) {
    std::vector<std::string> args;
    if (seed.headerless) args.push_back("-aframe");
    for (int run = 0; run < kRunsPerSeed; ++run) {
      std::string picture = Mutate(seed.picture, random);
      runfilter::Result result = runfilter::Run(picture, args);
      ASSERT_TRUE(result.status == 0 || result.status == 1)
          << "status " << result.status << "\n"
          << result.err;
      ASSERT_EQ(result.err.find("Sanitizer"), std::string::npos) << result.err;
      ASSERT_EQ(result.err.find("runtime error"), std::string::npos)
          << result.err;
      if (result.status == 1) {
        EXPECT_FALSE(result.err.empty());
      }
    }
  }
}

}  // namespace

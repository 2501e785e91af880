// The example picture with images converts to its checked document.
#include <gtest/gtest.h>

#include <string>

#include "support/run_filter.h"

namespace {

TEST(Golden, ImageExampleConverts) {
  const std::string examples = PICTTOTOV_SOURCE_DIR "/examples/";
  runfilter::Options options;
  options.input = runfilter::Options::Input::kNone;
  runfilter::Result result =
      runfilter::Run("", {examples + "image.pict"}, options);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, runfilter::ReadFile(examples + "image.tov"));
}

}  // namespace

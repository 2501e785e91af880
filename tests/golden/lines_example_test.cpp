// The lines example converts to its checked document, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "support/run_filter.h"

namespace {

TEST(Golden, LinesExampleConverts) {
  const std::string examples = PICTTOTOV_SOURCE_DIR "/examples/";
  runfilter::Options options;
  options.input = runfilter::Options::Input::kNone;
  runfilter::Result result =
      runfilter::Run("", {examples + "lines.pict"}, options);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, runfilter::ReadFile(examples + "lines.tov"));
}

}  // namespace

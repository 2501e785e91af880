// The text example converts to its checked-in document when run from the
// examples folder, whose pictfonts.cfg maps its fonts.
#include <gtest/gtest.h>

#include <string>

#include "support/run_filter.h"

namespace {

TEST(TextExample, ConvertsWithTheExampleFontMapping) {
  const std::string examples = PICTTOTOV_SOURCE_DIR "/examples";
  runfilter::Options options;
  options.input = runfilter::Options::Input::kNone;
  options.workdir = examples;
  runfilter::Result result =
      runfilter::Run("", {examples + "/text_sample.pict"}, options);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, runfilter::ReadFile(examples + "/text_sample.tov"));
}

}  // namespace

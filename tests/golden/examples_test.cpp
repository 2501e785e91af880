// Every example picture converts to its checked document, run from the
// examples folder, whose pictfonts.cfg maps the text example's fonts.
#include <gtest/gtest.h>

#include <string>

#include "support/run_filter.h"

namespace {

TEST(Golden, ExamplesConvert) {
  const std::string examples = PICTTOTOV_SOURCE_DIR "/examples/";
  runfilter::Options options;
  options.input = runfilter::Options::Input::kNone;
  options.workdir = examples;
  for (const char *name : {"sample", "image", "lines", "text_sample"}) {
    SCOPED_TRACE(name);
    runfilter::Result result =
        runfilter::Run("", {examples + name + ".pict"}, options);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, runfilter::ReadFile(examples + name + ".tov"));
  }
}

}  // namespace

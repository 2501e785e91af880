// The built tovpreview program: files, standard streams, messages and exit
// status, and the well-formed SVG of every corpus picture's conversion.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/run_filter.h"

namespace {

runfilter::Options previewer(runfilter::Options::Input input) {
  runfilter::Options options;
  options.binary = TOVPREVIEW_BINARY;
  options.input = input;
  return options;
}

const std::string kDocument =
    "<Units Upt >\n<Ellipse\n\t<Fill 0>\n\t<BRect 0 0 10 10>\n>\n";

TEST(PreviewProgram, StandardStreamsAndFiles) {
  runfilter::Result piped = runfilter::Run(
      kDocument, {}, previewer(runfilter::Options::Input::kStdin));
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.err, "");
  EXPECT_NE(piped.out.find("<ellipse cx=\"5\""), std::string::npos);

  runfilter::TempDir dir;
  std::string output = dir.path() + "/out.svg";
  runfilter::Result named =
      runfilter::Run("", {dir.Write("in.tov", kDocument), output},
                     previewer(runfilter::Options::Input::kNone));
  EXPECT_EQ(named.status, 0);
  EXPECT_EQ(named.out, "");
  EXPECT_EQ(runfilter::ReadFile(output), piped.out);

  runfilter::Result missing =
      runfilter::Run("", {dir.path() + "/none.tov"},
                     previewer(runfilter::Options::Input::kNone));
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err.rfind("tovpreview: cannot open ", 0), 0u)
      << missing.err;

  runfilter::Result usage =
      runfilter::Run("", {"-x"}, previewer(runfilter::Options::Input::kNone));
  EXPECT_EQ(usage.status, 2);
  EXPECT_EQ(usage.err.rfind("usage: tovpreview", 0), 0u);
}

TEST(PreviewProgram, BrokenDocumentGivesMessageAndStatus) {
  runfilter::Result broken =
      runfilter::Run(kDocument + "<Rectangle\n\t<BRect 1 2>\n>\n", {},
                     previewer(runfilter::Options::Input::kStdin));
  EXPECT_EQ(broken.status, 1);
  EXPECT_EQ(broken.err, "tovpreview: line 7: <BRect> needs 4 values\n");
}

// Well-formed by a real XML parser: xmllint.
bool wellFormed(const std::string &svg, const runfilter::TempDir &dir,
                std::string &why) {
  std::string path = dir.Write("picture.svg", svg);
  runfilter::Options options;
  options.binary = "/usr/bin/xmllint";
  options.input = runfilter::Options::Input::kNone;
  runfilter::Result lint = runfilter::Run("", {"--noout", path}, options);
  why = lint.err;
  return lint.status == 0;
}

TEST(PreviewProgram, EveryCorpusConversionIsWellFormedSvg) {
  ASSERT_TRUE(std::filesystem::exists("/usr/bin/xmllint"))
      << "xmllint (libxml2-utils) is needed";
  runfilter::TempDir dir;
  std::string why;
  ASSERT_FALSE(wellFormed("<svg><g></svg>", dir, why));  // the checker checks
  int pictures = 0;
  for (const auto &entry : std::filesystem::recursive_directory_iterator(
           std::string(PICTTOTOV_SOURCE_DIR) + "/tests/data/corpus")) {
    if (entry.path().extension() != ".pict") continue;
    bool noHeader = entry.path().parent_path().filename() == "noheader";
    runfilter::Options filter;
    runfilter::Result tov =
        runfilter::Run(runfilter::ReadFile(entry.path().string()),
                       noHeader ? std::vector<std::string>{"-aframe"}
                                : std::vector<std::string>{},
                       filter);
    ASSERT_EQ(tov.status, 0) << entry.path() << tov.err;
    // Named as a file: a pipe would have to be written and drained at once.
    runfilter::Result svg = runfilter::Run(
        tov.out, {}, previewer(runfilter::Options::Input::kFile));
    ASSERT_EQ(svg.status, 0) << entry.path() << ": " << svg.err;
    EXPECT_TRUE(wellFormed(svg.out, dir, why)) << entry.path() << ": " << why;
    ++pictures;
  }
  EXPECT_GE(pictures, 50);
}

}  // namespace

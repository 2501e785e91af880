// The built tovpreview program: files, standard streams, messages and exit
// status, and the well-formed SVG of every corpus picture's conversion.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/run_filter.h"

namespace {

using runfilter::Options;
using runfilter::Result;

// Runs `binary`, by default the previewer.
Result run(const std::string &input, const std::vector<std::string> &args,
           Options::Input how = Options::Input::kNone,
           const std::string &binary = TOVPREVIEW_BINARY) {
  Options options;
  options.binary = binary;
  options.input = how;
  return runfilter::Run(input, args, options);
}

const std::string kDocument =
    "<Units Upt >\n<Ellipse\n\t<Fill 0>\n\t<BRect 0 0 10 10>\n>\n";

// Named files; broken document, missing file: status 1; unknown option: 2.
TEST(PreviewProgram, FilesAndMessages) {
  runfilter::TempDir dir;
  std::string output = dir.path() + "/out.svg";
  Result named = run("", {dir.Write("in.tov", kDocument), output});
  EXPECT_EQ(named.status, 0);
  EXPECT_EQ(named.out + named.err, "");
  EXPECT_NE(runfilter::ReadFile(output).find("<ellipse cx=\"5\""),
            std::string::npos);

  Result broken = run(kDocument + "<Rectangle\n\t<BRect 1 2>\n>\n", {},
                      Options::Input::kStdin);
  EXPECT_EQ(broken.status, 1);
  EXPECT_EQ(broken.err, "tovpreview: line 7: <BRect> needs 4 values\n");

  Result missing = run("", {dir.path() + "/none.tov"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err.rfind("tovpreview: cannot open ", 0), 0u);

  Result usage = run("", {"-x"});
  EXPECT_EQ(usage.status, 2);
  EXPECT_EQ(usage.err.rfind("usage: tovpreview", 0), 0u);
  EXPECT_EQ(run("", {"-V"}).out, "tovpreview version 5.1\n");
}

// The input is never overwritten; a failed run leaves outputs as they were.
TEST(PreviewProgram, KeepsTheInputAndLeavesNoBrokenOutput) {
  runfilter::TempDir dir;
  const std::string in = dir.Write("in.tov", kDocument), link = in + ".lnk";
  std::filesystem::create_hard_link(in, link);
  for (const std::string &output : {in, link}) {
    Result same = run("", {in, output});
    EXPECT_EQ(same.status, 1);
    EXPECT_EQ(same.err,
              "tovpreview: the input and the output are the same file\n");
  }
  EXPECT_EQ(runfilter::ReadFile(in), kDocument);
  const std::string kept = dir.Write("kept.svg", "old"),
                    cut = dir.Write("cut.tov", kDocument.substr(0, 28));
  for (const std::string &output : {dir.path() + "/new.svg", kept}) {
    Result failed = run("", {cut, output});
    EXPECT_EQ(failed.err,
              "tovpreview: line 3: document ends inside <Fill> "
              "of line 3\n");
  }
  EXPECT_EQ(runfilter::ReadFile(kept), "old");
  // in.tov, its link, kept.svg and cut.tov: no new.svg, no temporary file.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            4);
}

// Every corpus conversion, plain and -full, previews to SVG xmllint accepts.
TEST(PreviewProgram, EveryCorpusConversionIsWellFormedSvg) {
  runfilter::TempDir dir;
  std::vector<std::string> svgs = {"--noout"};
  for (const auto &entry : std::filesystem::recursive_directory_iterator(
           std::string(PICTTOTOV_SOURCE_DIR) + "/tests/data/corpus")) {
    if (entry.path().extension() != ".pict") continue;
    bool noHeader = entry.path().parent_path().filename() == "noheader";
    for (bool full : {false, true}) {
      std::vector<std::string> args;
      if (noHeader) args.push_back("-aframe");
      if (full) args.push_back("-full");
      Result tov =
          runfilter::Run(runfilter::ReadFile(entry.path().string()), args);
      ASSERT_EQ(tov.status, 0) << entry.path() << full << tov.err;
      // Named as a file: a pipe would have to be written and drained at once.
      Result svg = run(tov.out, {}, Options::Input::kFile);
      ASSERT_EQ(svg.status, 0) << entry.path() << ": " << svg.err;
      svgs.push_back(dir.Write(
          entry.path().stem().string() + (full ? "-full.svg" : ".svg"),
          svg.out));
    }
  }
  EXPECT_GE(svgs.size(), 103u);
  Result lint = run("", svgs, Options::Input::kNone, "/usr/bin/xmllint");
  EXPECT_EQ(lint.status, 0) << lint.err;
}

}  // namespace

// The built filter's command line: options, file names, messages and exit
// statuses. A test message file beside the program name makes every message
// read "MSG <number>" with its arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/pict_bytes.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"
#include "support/tov_document.h"

namespace {

using runfilter::Options;
using runfilter::Result;

std::string Usage() {
  std::string usage = "MSG 1011 picttotov\n";
  for (int n = 1012; n <= 1020; ++n) usage += "MSG " + std::to_string(n) + "\n";
  return usage;
}

// The filter started as <dir>/picttotov, with the test messages beside it
// and <dir> as its working directory.
class CommandLine : public ::testing::Test {
 protected:
  // Runs with `args` only; standard input is empty.
  Result Run(const std::vector<std::string> &args,
             Options::Input input = Options::Input::kNone,
             const std::string &bytes = "") {
    return runfilter::Run(bytes, args, srefixture::WithMessages(dir_, input));
  }

  std::string Picture() const { return pictbytes::PictV1(""); }

  runfilter::TempDir dir_;
};

TEST_F(CommandLine, VersionAndHelpEndWithStatus0) {
  Result version = Run({"-V", "a", "b", "c"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.err, "MSG 1021 picttotov 5.1\n");
  EXPECT_EQ(version.out, "");
  EXPECT_EQ(Run({"-Version"}).err, "MSG 1021 picttotov 5.1\n");

  Result help = Run({"-h", "-x"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, Usage());
}

TEST_F(CommandLine, UnknownOptionsGiveTheUsage) {
  for (const std::string word : {"-x", "-aframes", "-afram", "-", "-A"}) {
    Result result = Run({word, "in.pict"});
    EXPECT_EQ(result.status, 1) << word;
    EXPECT_EQ(result.err, "MSG 1022 " + word + "\n" + Usage()) << word;
    EXPECT_EQ(result.out, "");
  }
}

TEST_F(CommandLine, ScaleOption) {
  const std::string picture = Picture();
  for (const std::vector<std::string> &args :
       std::vector<std::vector<std::string>>{{"-s", "0"},
                                             {"-s", "10000"},
                                             {"-s", "-2"},
                                             {"-s", "abc"},
                                             {"-s", ""},
                                             {"-s1e3"},
                                             {"-s"},
                                             {"-s0"}}) {
    Result result = Run(args, Options::Input::kStdin, picture);
    EXPECT_EQ(result.status, 1) << args.size() << " " << args[0];
    EXPECT_EQ(result.err, "MSG 1000\n") << args[0];
    EXPECT_EQ(result.out, "");
  }
  for (const std::vector<std::string> &args :
       std::vector<std::vector<std::string>>{{"-s", "9999.5"},
                                             {"-s", ".5"},
                                             {"-s.5"},
                                             {"-s2", "-s", "3"},
                                             {"-s", "1.2.3"}}) {
    Result result = Run(args, Options::Input::kStdin, picture);
    EXPECT_EQ(result.status, 0) << args[0];
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, tov::Document(""));
  }
  // -s with a separate scale takes two words: the input name follows.
  dir_.Write("in.pict", picture);
  Result twoWords = Run({"-s", "2", "in.pict"});
  EXPECT_EQ(twoWords.status, 0);
  EXPECT_EQ(twoWords.out, tov::Document(""));
}

TEST_F(CommandLine, InputAndOutputNames) {
  std::string input = dir_.Write("in.pict", Picture());
  // No names: standard input to standard output.
  Result piped = Run({}, Options::Input::kStdin, Picture());
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.out, tov::Document(""));
  // One name: to standard output.
  Result one = Run({"in.pict"});
  EXPECT_EQ(one.status, 0);
  EXPECT_EQ(one.out, tov::Document(""));
  // Two names: to the output file, replacing what it held.
  dir_.Write("out.tov", std::string(5000, 'x'));
  Result two = Run({"in.pict", "out.tov"});
  EXPECT_EQ(two.status, 0);
  EXPECT_EQ(two.out, "");
  EXPECT_EQ(runfilter::ReadFile(dir_.path() + "/out.tov"), tov::Document(""));
  // Options after a name are names: -l is the output file.
  Result late = Run({"in.pict", "-l"});
  EXPECT_EQ(late.status, 0);
  EXPECT_EQ(runfilter::ReadFile(dir_.path() + "/-l"), tov::Document(""));
  // Three names: the usage text alone.
  Result three = Run({"in.pict", "a", "b"});
  EXPECT_EQ(three.status, 1);
  EXPECT_EQ(three.err, Usage());
  EXPECT_EQ(runfilter::ReadFile(input), Picture());
}

TEST_F(CommandLine, FileErrorsNameTheFileAsTyped) {
  std::string picture = Picture();
  dir_.Write("in.pict", picture);
  // The same file twice: refused before the output is truncated.
  Result same = Run({"in.pict", "./in.pict"});
  EXPECT_EQ(same.status, 1);
  EXPECT_EQ(same.err, "MSG 1010\n");
  EXPECT_EQ(runfilter::ReadFile(dir_.path() + "/in.pict"), picture);

  Result noInput = Run({"missing.pict"});
  EXPECT_EQ(noInput.status, 1);
  EXPECT_EQ(noInput.err, "MSG 1004 missing.pict\n");

  Result noOutput = Run({"in.pict", "no/such/dir.tov"});
  EXPECT_EQ(noOutput.status, 1);
  EXPECT_EQ(noOutput.err, "MSG 1005 no/such/dir.tov\n");

  // A long name is reported whole.
  std::string longName = std::string(600, 'z') + ".pict";
  Result longMissing = Run({longName});
  EXPECT_EQ(longMissing.err, "MSG 1004 " + longName + "\n");
}

TEST_F(CommandLine, MissingMessageFileEndsAtOnce) {
  Options options;
  options.input = Options::Input::kNone;
  options.argv0 = dir_.path() + "/elsewhere/picttotov";
  for (const std::vector<std::string> &args :
       std::vector<std::vector<std::string>>{{"-V"}, {"-x"}, {}}) {
    Result result = runfilter::Run("", args, options);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Fail to open string resource file\n");
    EXPECT_EQ(result.out, "");
  }
}

}  // namespace

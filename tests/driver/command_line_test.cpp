// The command line: its helpers called directly, and the built filter's
// options, names, messages ("MSG <number>" from the test file) and statuses.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/home.h"
#include "base/messages.h"
#include "driver/driver.h"
#include "pict_bytes.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"

namespace {

using runfilter::Options;
using runfilter::Result;
using Args = std::vector<std::string>;

const std::string kUsage = srefixture::Usage("picttotov");
const std::string kPicture = pictbytes::PictV1("");
const std::string kDocument = runfilter::ReadFile(
    PICTTOTOV_SOURCE_DIR "/tests/cases/skeleton/EmptyV1.tov");

// The filter as <dir>/picttotov with the test messages, in <dir> with in.pict.
class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override { dir_.Write("in.pict", kPicture); }

  // Runs with `args` and checks the whole result; piped input is kPicture.
  void Expect(const Args &args, int status, const std::string &err,
              const std::string &out,
              Options::Input input = Options::Input::kNone) {
    SCOPED_TRACE(testing::PrintToString(args));
    Result result =
        runfilter::Run(kPicture, args, srefixture::WithMessages(dir_, input));
    EXPECT_EQ(result.status, status);
    EXPECT_EQ(result.err, err);
    EXPECT_EQ(result.out, out);
  }

  runfilter::TempDir dir_;
};

TEST_F(CommandLine, VersionHelpAndUnknownOptions) {
  Expect({"-V", "a", "b", "c"}, 0, "MSG 1021 picttotov 5.1\n", "");
  Expect({"-Version"}, 0, "MSG 1021 picttotov 5.1\n", "");
  Expect({"-h", "-x"}, 0, kUsage, "");
  for (const std::string word : {"-x", "-aframes", "-afram", "-", "-A"})
    Expect({word, "in.pict"}, 1, "MSG 1022 " + word + "\n" + kUsage, "");
}

// A scale is digits and points within (0, 10000); else message 1000.
TEST_F(CommandLine, ScaleOption) {
  const auto kStdin = Options::Input::kStdin;
  for (const char *scale : {"0", "10000", "-2", "+1", " 1", "\xB2", ""})
    Expect({"-s", scale}, 1, "MSG 1000\n", "", kStdin);
  for (const char *word : {"-s1e3", "-s0", "-s"})
    Expect({word}, 1, "MSG 1000\n", "", kStdin);
  for (const Args &args : std::vector<Args>{
           {"-s", "9999.5"}, {"-s", "1.2.3"}, {"-s.5"}, {"-s2", "-s", "3"}})
    Expect(args, 0, "", kDocument, kStdin);
  // -s with a separate scale takes two words: the input name follows.
  Expect({"-s", "2", "in.pict"}, 0, "", kDocument);
}

// No names and one name are how every whole run converts.
TEST_F(CommandLine, InputAndOutputNames) {
  // Two names: to the output file, replacing what it held.
  dir_.Write("out.tov", std::string(5000, 'x'));
  Expect({"in.pict", "out.tov"}, 0, "", "");
  EXPECT_EQ(runfilter::ReadFile(dir_.path() + "/out.tov"), kDocument);
  // Options after a name are names; an empty output name is standard output.
  Expect({"in.pict", "-l"}, 0, "", "");
  EXPECT_EQ(runfilter::ReadFile(dir_.path() + "/-l"), kDocument);
  Expect({"in.pict", ""}, 0, "", kDocument);
  // Three names: the usage. The same file twice: refused, nothing truncated.
  Expect({"in.pict", "a", "b"}, 1, kUsage, "");
  Expect({"in.pict", "./in.pict"}, 1, "MSG 1010\n", "");
  EXPECT_EQ(runfilter::ReadFile(dir_.path() + "/in.pict"), kPicture);
  // Files that can't be opened are named as typed, however long.
  Expect({"missing.pict"}, 1, "MSG 1004 missing.pict\n", "");
  Expect({"in.pict", "no/such/dir.tov"}, 1, "MSG 1005 no/such/dir.tov\n", "");
  std::string longName = std::string(600, 'z') + ".pict";
  Expect({longName}, 1, "MSG 1004 " + longName + "\n", "");
}

TEST(Cmdline, BasenameKeepsATrailingSlash) {
  // The tail behind the last "/" with something after it.
  const std::pair<const char *, const char *> paths[] = {
      {"a/b/", "b/"}, {"/", "/"}, {"a//", "/"}, {"", ""}};
  for (const auto &[path, tail] : paths)
    EXPECT_STREQ(driver::basename(path), tail) << path;
}

// The exact fit, and the bytes around the buffer stay.
TEST(Cmdline, QzInitDirFitsOrFails) {
  setenv("QZHOME", "/opt/qz", 1);
  // 7 + 17 bytes with the terminator fit 24 exactly.
  for (int size : {1, 7, 8, 23, 24}) {
    char guarded[40];
    std::fill(guarded, guarded + sizeof guarded, '#');
    EXPECT_EQ(GetQzInitDir(guarded + 8, size), size < 24 ? -1 : 0) << size;
    EXPECT_EQ(std::string(guarded, 8), "########");
    EXPECT_EQ(guarded[8 + size], '#') << size;
  }
}

// One terminal as input and output is refused; into a file it's fine.
TEST(Cmdline, OneTerminalAsInputAndOutput) {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  FILE *in = std::fopen(ptsname(master), "r");
  FILE *out = std::fopen(ptsname(master), "w");
  ASSERT_NE(in, nullptr);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(SetupStandardIO(nullptr, nullptr, &in, &out), -32);
  runfilter::TempDir dir;
  std::string output = dir.path() + "/out.tov";
  EXPECT_EQ(SetupStandardIO(nullptr, output.c_str(), &in, &out), 0);
}

std::string StderrOf(const std::function<void()> &action) {
  testing::internal::CaptureStderr();
  action();
  return testing::internal::GetCapturedStderr();
}

// Long arguments are never cut: the runs' long file names show that.
TEST(Cmdline, NonFatalFormatsOnlyTextArguments) {
  std::map<int, std::string> texts = srefixture::Texts();
  texts[1024] = "MSG 1024 %d %n";       // conversions that take no text
  texts[1026] = std::string(300, 'x');  // longer than a message holds
  texts[1005] = "%s%s%s%s";             // more arguments than are passed
  ASSERT_TRUE(srefixture::Load(texts));

  EXPECT_EQ(StderrOf([] { NonFatal(1024, "16"); }), "MSG 1024 %d %n\n");
  EXPECT_EQ(StderrOf([] { NonFatal(1026, "a"); }),
            std::string(255, 'x') + "\n");
  EXPECT_EQ(StderrOf([] { NonFatal(1005, "a", "b", "c"); }), "%s%s%s%s\n");
  // A missing argument prints as nothing.
  EXPECT_EQ(StderrOf([] { NonFatal(1011); }), "MSG 1011 \n");
}

}  // namespace

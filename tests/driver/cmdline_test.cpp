// Command-line helpers called directly: the scale check, the program name,
// opening files, the filter directory and the message function.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>

#include "driver/driver.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"

namespace {

TEST(Cmdline, ValidFloatAcceptsDigitsAndPointsOnly) {
  EXPECT_EQ(validfloat(nullptr), 0);
  EXPECT_EQ(validfloat(""), 1);
  EXPECT_EQ(validfloat("9999.5"), 1);
  EXPECT_EQ(validfloat(".5"), 1);
  EXPECT_EQ(validfloat("1.2.3"), 1);
  EXPECT_EQ(validfloat("-1"), 0);
  EXPECT_EQ(validfloat("+1"), 0);
  EXPECT_EQ(validfloat("1e3"), 0);
  EXPECT_EQ(validfloat(" 1"), 0);
  EXPECT_EQ(validfloat("abc"), 0);
  EXPECT_EQ(validfloat("\xB2"), 0);  // a high byte is no digit
}

TEST(Cmdline, BasenameKeepsATrailingSlash) {
  EXPECT_EQ(driver::basename(nullptr), nullptr);
  const char *empty = "";
  EXPECT_EQ(driver::basename(empty), empty);
  EXPECT_STREQ(driver::basename("picttotov"), "picttotov");
  EXPECT_STREQ(driver::basename("/usr/bin/picttotov"), "picttotov");
  EXPECT_STREQ(driver::basename("a/b/"), "b/");
  EXPECT_STREQ(driver::basename("/"), "/");
  EXPECT_STREQ(driver::basename("a//"), "/");
}

TEST(Cmdline, QzInitDirFitsOrFails) {
  char buffer[32];
  unsetenv("QZHOME");
  EXPECT_EQ(GetQzHomeDir(), nullptr);
  EXPECT_EQ(GetQzInitDir(buffer, sizeof buffer), -1);
  setenv("QZHOME", "/opt/qz", 1);
  EXPECT_STREQ(GetQzHomeDir(), "/opt/qz");
  ASSERT_EQ(GetQzInitDir(buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "/opt/qz/qzinit/filters/");
  // The path needs 7 + 17 bytes with its terminator.
  char exact[24];
  EXPECT_EQ(GetQzInitDir(exact, sizeof exact), 0);
  EXPECT_STREQ(exact, "/opt/qz/qzinit/filters/");
  // Guard bytes around smaller buffers stay untouched.
  for (int size : {1, 7, 8, 23}) {
    char guarded[40];
    std::fill(guarded, guarded + sizeof guarded, '#');
    EXPECT_EQ(GetQzInitDir(guarded + 8, size), -1) << size;
    EXPECT_EQ(std::string(guarded, 8), "########");
    EXPECT_EQ(guarded[8 + size], '#') << size;
  }
  setenv("QZHOME", std::string(300, 'q').c_str(), 1);
  char large[256];
  EXPECT_EQ(GetQzInitDir(large, sizeof large), -1);
}

// The codes that the filter's own runs can't reach; the others are checked
// through the built filter.
TEST(Cmdline, NegativeCountAndEmptyNames) {
  runfilter::TempDir dir;
  std::string picture = dir.Write("a.pict", "picture");
  char *names[] = {picture.data(), nullptr};
  FILE *in = nullptr, *out = nullptr;
  EXPECT_EQ(ProcessCommandLineFilenames(-1, names, &in, &out), -4);
  EXPECT_EQ(in, stdin);
  EXPECT_EQ(out, stdout);
  // An empty output name keeps the stream in place.
  EXPECT_EQ(SetupStandardIO(picture.c_str(), "", &in, &out), 0);
  EXPECT_NE(in, stdin);
  EXPECT_EQ(out, stdout);
}

TEST(Cmdline, OneTerminalAsInputAndOutputIsRefused) {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  FILE *terminalIn = std::fopen(ptsname(master), "r");
  FILE *terminalOut = std::fopen(ptsname(master), "w");
  ASSERT_NE(terminalIn, nullptr);
  ASSERT_NE(terminalOut, nullptr);
  FILE *in = terminalIn, *out = terminalOut;
  EXPECT_EQ(SetupStandardIO(nullptr, nullptr, &in, &out), -32);
  // A terminal read into a file is fine.
  runfilter::TempDir dir;
  std::string output = dir.path() + "/out.tov";
  EXPECT_EQ(SetupStandardIO(nullptr, output.c_str(), &in, &out), 0);
}

TEST(Cmdline, NonFatalNeverCutsNorOverrunsLongArguments) {
  runfilter::TempDir dir;
  std::map<int, std::string> texts = srefixture::Texts();
  texts[1024] = "MSG 1024 %d %n";       // conversions that take no text
  texts[1026] = std::string(300, 'x');  // longer than a message holds
  texts[1005] = "%s%s%s%s";             // more arguments than are passed
  srefixture::Write(dir.path() + "/picttotov", texts);
  ASSERT_EQ(V_SrInit((dir.path() + "/picttotov").c_str(), "usenglish"), 0);

  std::string name(5000, 'n');
  testing::internal::CaptureStderr();
  NonFatal(1004, name.c_str());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "MSG 1004 " + name + "\n");

  testing::internal::CaptureStderr();
  NonFatal(1021, "picttotov", "5.1", name.c_str());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "MSG 1021 picttotov 5.1\n");

  testing::internal::CaptureStderr();
  NonFatal(1024, "16");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "MSG 1024 %d %n\n");

  testing::internal::CaptureStderr();
  NonFatal(1026, name.c_str());
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            std::string(255, 'x') + "\n");

  testing::internal::CaptureStderr();
  NonFatal(1005, "a", "b", "c");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "%s%s%s%s\n");

  testing::internal::CaptureStderr();
  NonFatal(1011);  // a missing argument prints as nothing
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "MSG 1011 \n");

  testing::internal::CaptureStderr();
  do_help("pv");
  std::string usage = "MSG 1011 pv\n";
  for (int n = 1012; n <= 1020; ++n) usage += "MSG " + std::to_string(n) + "\n";
  EXPECT_EQ(testing::internal::GetCapturedStderr(), usage);
}

}  // namespace

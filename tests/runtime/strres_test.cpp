// String resources: the .sre reader, lookup and expansion, the file search
// order, the sremake compiler and the built message file.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "runtime/vok.h"
#include "support/pict_bytes.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"

namespace {

using pictbytes::U16;
using pictbytes::U32;
using srefixture::SreFile;

// Loads `name`.sre (a path without the extension) with HOME and QZHOME unset.
int Load(const std::string &name) {
  unsetenv("HOME");
  unsetenv("QZHOME");
  return V_SrInit(name.c_str(), "usenglish");
}

// Writes `bytes` as a resource file and loads it; true on success.
bool LoadFile(const std::string &bytes) {
  static const runfilter::TempDir dir;
  dir.Write("r.sre", bytes);
  return Load(dir.path() + "/r") == 0;
}

std::string Text(int number, int size = 2048) {
  std::vector<char> buffer(size, 'Z');
  int result = V_SrGetN(number, buffer.data(), size);
  return result == 0 ? std::string(buffer.data()) : "<missing>";
}

TEST(StringResources, ReaderDecodesTextLines) {
  const std::pair<std::string, std::string> lines[] = {
      {"   abc\\n\n", "abc\n"},  // leading blanks go, escapes are decoded
      {"abc\\t\r", "abc\\t"},    // \t is no escape; \r ends the line
      {"\\x41\\X4g\\\\z\n", "A\x04g\\\\z"},
      {"line\\\nmore\\\rend\n", "line\nmore\rend"},
      {"cut\\xQrest\n", "cut"},
      {std::string(1500, 'y') + "\n", std::string(1023, 'y')},
      {"tail", "tail"}};  // the end of the file ends the line
  std::string body = "garbage\n";
  std::vector<std::pair<int, uint32_t>> index = {{0, 3}};
  for (const auto &line : lines) {
    index.emplace_back(index.size(), static_cast<uint32_t>(body.size()));
    body += line.first;
  }
  index.emplace_back(8, index[1].second);  // two numbers, one text
  index.emplace_back(9, 100000);           // beyond the end of the file
  ASSERT_TRUE(LoadFile(SreFile(10, index, body)));
  EXPECT_EQ(Text(0), "bage");
  for (size_t i = 0; i < std::size(lines); ++i)
    EXPECT_EQ(Text(static_cast<int>(i) + 1), lines[i].second) << i + 1;
  EXPECT_EQ(Text(8), "abc\n");
  EXPECT_EQ(Text(9), "");
  char buffer[8];
  EXPECT_EQ(V_SrGetN(10, buffer, sizeof buffer), -1);
  EXPECT_STREQ(buffer, "???");
  EXPECT_EQ(Text(6, 256), std::string(255, 'y'));
}

TEST(StringResources, MalformedFilesStayInBounds) {
  // A header cut short: the count reads as 0xFFFF..., i.e. no entries.
  ASSERT_TRUE(LoadFile(std::string(10, '\0')));
  EXPECT_EQ(Text(1000), "<missing>");
  // The index runs past the end: its bytes read as 0xFF (number -1, offset
  // beyond the file), giving empty texts. The one whole entry points into
  // the unused header words.
  ASSERT_TRUE(LoadFile("minus five\n" + std::string(9, '\0') + U32(3) +
                       U16(0xFFFB) + U32(0)));
  EXPECT_EQ(Text(-5), "minus five");
  EXPECT_EQ(Text(-1), "");
  // Only the low 16 bits of the count matter; a negative count is none.
  ASSERT_TRUE(LoadFile(SreFile(0x00010001u, {{4, 0}}, "four\n")));
  EXPECT_EQ(Text(4), "four");
  ASSERT_TRUE(LoadFile(SreFile(0xFFFF8001u, {{4, 0}}, "four\n")));
  EXPECT_EQ(Text(4), "<missing>");
  // An index out of order defeats the binary search for some numbers.
  ASSERT_TRUE(
      LoadFile(SreFile(4, {{5, 0}, {1, 2}, {9, 4}, {3, 6}}, "5\n1\n9\n3\n")));
  EXPECT_EQ(Text(1), "1");
  EXPECT_EQ(Text(9), "9");
  EXPECT_EQ(Text(5), "<missing>");
  EXPECT_EQ(Text(3), "<missing>");
}

TEST(StringResources, Expansion) {
  std::map<int, std::string> texts;
  for (const char *line : {"50%% done", "%1|%u and %{u}|%{}|%{x}|%s %d %",
                           "%0|%1|%2|%3|%4|%5|%6|%7|%8", "[%0]", "x%0y",
                           "LLLLLLLLLLLLLLLLLLLLLLLLLLLLLL"})
    texts[static_cast<int>(texts.size()) + 1] = line;
  ASSERT_TRUE(LoadFile(srefixture::SreBytes(texts)));
  EXPECT_EQ(Text(1), "50% done");
  EXPECT_EQ(Text(2), "???|usenglish and usenglish||???|%s %d %");
  char buffer[256];
  EXPECT_EQ(V_SrGetF(3, buffer, sizeof buffer, "dxXsfprsq", -5, 255, 255,
                     "text", 1.5, "unused", 1, static_cast<char *>(nullptr), 4),
            0);
  EXPECT_STREQ(buffer, "-5|ff|FF|text|1.500||50% done||???");
  // Inserts that do not fit lose their middle; the rest of the text stays.
  const struct {
    int number, size;
    const char *expected;
  } cut[] = {{4, 13, "[abc...nop]"}, {5, 11, "xab...opy"}, {4, 6, "[ab]"}};
  for (const auto &c : cut) {
    EXPECT_EQ(V_SrGetF(c.number, buffer, c.size, "s", "abcdefghijklmnop"), 0);
    EXPECT_STREQ(buffer, c.expected);
  }
  EXPECT_EQ(V_SrGetF(3, buffer, 8, "r", 6), 0);
  EXPECT_STREQ(buffer, "LLLLLLL");
}

TEST(StringResources, LanguageNumbers) {
  EXPECT_EQ(V_LanguageNumber("usenglish") + V_LanguageNumber("japanese"), 19);
  EXPECT_EQ(V_LanguageNumber("romanian"), 38);
  EXPECT_EQ(V_LanguageNumber("USENGLISH") + V_LanguageNumber(nullptr), 0);
}

TEST(StringResources, SearchOrder) {
  runfilter::TempDir dir;
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  const std::string tail = "/qzinit/usenglish/APIArea/resources/";
  auto one = [](const std::string &text) {
    return SreFile(1, {{1, 0}}, text + "\n");
  };
  // A bare name without HOME and QZHOME: only ./name.sre is tried.
  dir.Write("home" + tail + "p.sre", one("home"));
  EXPECT_EQ(Load("p"), -1);
  dir.Write("p.sre", one("here"));
  EXPECT_EQ(Load("p"), 0);
  EXPECT_EQ(Text(1), "here");

  const std::vector<std::string> candidates = {
      "bin/prog.sre", "home" + tail + "bin/prog.sre",
      "home" + tail + "prog.sre", "qz" + tail + "bin/prog.sre",
      "qz" + tail + "prog.sre"};
  for (size_t i = 0; i < candidates.size(); ++i)
    dir.Write(candidates[i], one("candidate " + std::to_string(i)));
  setenv("HOME", (dir.path() + "/home").c_str(), 1);
  setenv("QZHOME", (dir.path() + "/qz").c_str(), 1);
  for (size_t i = 0; i < candidates.size(); ++i) {
    ASSERT_EQ(V_SrInit("bin/prog", "usenglish"), 0);
    EXPECT_EQ(Text(1), "candidate " + std::to_string(i));
    std::filesystem::remove(dir.path() + "/" + candidates[i]);
  }
  EXPECT_EQ(V_SrInit("bin/prog", "usenglish"), -1);
  // Names too long for the 1024-byte buffer are not tried (nor overrun).
  std::string longHome(3000, 'h');
  setenv("HOME", longHome.c_str(), 1);
  setenv("QZHOME", longHome.c_str(), 1);
  EXPECT_EQ(V_SrInit(std::string(2000, 'p').c_str(), "usenglish"), -1);
}

int RunSremake(const std::string &source, const std::string &output,
               const std::string &errors) {
  std::string command = std::string(PICTTOTOV_SREMAKE) + " '" + source + "' '" +
                        output + "' 2>'" + errors + "'";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Sremake, CompiledTextsReadBackExactly) {
  runfilter::TempDir dir;
  const std::string source = dir.path() + "/t.msgs", err = dir.path() + "/err";
  dir.Write("t.msgs",
            "# comment\n\n"
            "30 back\\\\slash \\\\x41 and \\\\n\r\n"
            "10 \\x20 leading blanks, tab\\there\n"
            "20\ttwo\\nlines %s 100%%\n"
            "40\n"
            "5 high \xE9 and ctrl \\x01\\x7F end  ");
  ASSERT_EQ(RunSremake(source, dir.path() + "/t.sre", err), 0);
  ASSERT_EQ(Load(dir.path() + "/t"), 0);
  EXPECT_EQ(Text(5), "high \xE9 and ctrl \x01\x7F end  ");
  EXPECT_EQ(Text(10), "  leading blanks, tab\there");
  EXPECT_EQ(Text(20), "two\nlines %s 100%");  // expansion turns %% into %
  EXPECT_EQ(Text(30), "back\\slash \\x41 and \\n");
  EXPECT_EQ(Text(40), "");

  const std::pair<std::string, std::string> bad[] = {
      {"1 a\n2 b\n1 c\n", ":3: message 1 already given on line 1"},
      {"1 a\n\n2 bad \\q\n", ":3: unknown escape"},
      {"1 a\nx b\n", ":2: a message line must start with its number"},
      {"32768 a\n", ":1: message number above 32767"},
      {"7 \\x4\n", ":1: \\x needs two hexadecimal digits"},
      {"7 " + std::string(1024, 'a') + "\n", ":1: text of 1024 bytes"},
  };
  for (const auto &[text, error] : bad) {
    dir.Write("t.msgs", text);
    std::string output = dir.path() + "/bad.sre";
    EXPECT_EQ(RunSremake(source, output, err), 1) << text;
    EXPECT_NE(runfilter::ReadFile(err).find(error), std::string::npos)
        << runfilter::ReadFile(err);
    EXPECT_FALSE(std::filesystem::exists(output));
  }
}

// The built file holds a text for exactly the numbers the test messages
// have. The message functions pass texts only: every conversion is %s, as
// many as the test text has.
TEST(Sremake, BuiltMessageFileHoldsEveryMessage) {
  std::string sre = PICTTOTOV_SRE;
  ASSERT_EQ(Load(sre.substr(0, sre.size() - 4)), 0);
  const std::map<int, std::string> expected = srefixture::Texts();
  auto count = [](const std::string &text, const std::string &what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + what.size()))
      ++n;
    return n;
  };
  for (int number = 1000; number <= 1026; ++number) {
    std::string text = Text(number, 256);
    SCOPED_TRACE(std::to_string(number) + ": " + text);
    if (expected.count(number) == 0) {
      EXPECT_EQ(text, "<missing>");
      continue;
    }
    ASSERT_NE(text, "<missing>");
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), '\n');
    EXPECT_EQ(count(text, "%"), count(expected.at(number), "%s"));
    EXPECT_EQ(count(text, "%s"), count(expected.at(number), "%s"));
  }
}

}  // namespace

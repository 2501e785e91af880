// String resources: the .sre reader, lookup and expansion, the file search
// order, the sremake compiler and the built message file.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "pict_bytes.h"
#include "runtime/vok.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"

namespace {

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
      {"\\x4A\\Xfg\\\\z\n", "J\x0Fg\\\\z"},
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

// Texts across the reader's window, out of order; a pipe gives empty texts.
TEST(StringResources, TextsAcrossTheFileAndFromAPipe) {
  std::string body(12000, '.');
  const std::vector<std::pair<int, uint32_t>> index = {
      {1, 11000}, {2, 10}, {3, 4103}, {4, 8180}, {5, 11995}};
  for (const auto &[number, offset] : index)
    body.replace(offset, 5, std::string(4, 'a' + number) + "\n");
  const std::string file = SreFile(5, index, body);
  ASSERT_TRUE(LoadFile(file));
  for (const auto &[number, offset] : index)
    EXPECT_EQ(Text(number), std::string(4, 'a' + number)) << number;

  runfilter::TempDir dir;
  const std::string fifo = dir.path() + "/p.sre";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer([&] { std::ofstream(fifo, std::ios::binary) << file; });
  EXPECT_EQ(Load(dir.path() + "/p"), 0);
  writer.join();
  for (const auto &[number, offset] : index) EXPECT_EQ(Text(number), "");
  EXPECT_EQ(Text(6), "<missing>");
}

TEST(StringResources, MalformedFilesStayInBounds) {
  // An index past the end reads as 0xFF (empty texts); the one whole entry
  // points into the header.
  ASSERT_TRUE(LoadFile("minus five\n" + std::string(9, '\0') +
                       pictbytes::U32(3) + pictbytes::U16(0xFFFB) +
                       pictbytes::U32(0)));
  EXPECT_EQ(Text(-5), "minus five");
  EXPECT_EQ(Text(-1), "");
  // Only the low 16 bits of the count matter.
  ASSERT_TRUE(LoadFile(SreFile(0x00010001u, {{4, 0}}, "four\n")));
  EXPECT_EQ(Text(4), "four");
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
  // Inserts that do not fit lose their middle (below 6 bytes, their end).
  EXPECT_EQ(V_SrGetF(5, buffer, 11, "s", "abcdefghijklmnop"), 0);
  EXPECT_STREQ(buffer, "xab...opy");
  EXPECT_EQ(V_SrGetF(4, buffer, 6, "s", "abcdefghijklmnop"), 0);
  EXPECT_STREQ(buffer, "[ab]");
  EXPECT_EQ(V_SrGetF(3, buffer, 8, "r", 6), 0);
  EXPECT_STREQ(buffer, "LLLLLLL");
}

// The program path + ".sre", then under HOME and QZHOME: path, base name.
TEST(StringResources, SearchOrder) {
  runfilter::TempDir dir;
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  const std::string tail = "/qzinit/usenglish/APIArea/resources/";
  const std::vector<std::string> candidates = {
      "bin/prog.sre", "home" + tail + "bin/prog.sre",
      "home" + tail + "prog.sre", "qz" + tail + "bin/prog.sre",
      "qz" + tail + "prog.sre"};
  for (size_t i = 0; i < candidates.size(); ++i)
    dir.Write(candidates[i], SreFile(1, {{1, 0}}, std::to_string(i) + "\n"));
  setenv("HOME", (dir.path() + "/home").c_str(), 1);
  setenv("QZHOME", (dir.path() + "/qz").c_str(), 1);
  for (size_t i = 0; i < candidates.size(); ++i) {
    ASSERT_EQ(V_SrInit("bin/prog", "usenglish"), 0);
    EXPECT_EQ(Text(1), std::to_string(i));
    std::filesystem::remove(dir.path() + "/" + candidates[i]);
  }
  EXPECT_EQ(V_SrInit("bin/prog", "usenglish"), -1);
}

TEST(Sremake, CompiledTextsReadBackExactly) {
  runfilter::TempDir dir;
  const std::string source = dir.Write("t.msgs",
                                       "# comment\n\n"
                                       "30 back\\\\slash \\\\x41 and \\\\n\r\n"
                                       "10 \\x20 leading blanks, tab\\there\n"
                                       "20\ttwo\\nlines %s 100%%\n"
                                       "40\n"
                                       "5 high \xE9 and ctrl \\x01\\x7F end  ");
  runfilter::Options sremake;
  sremake.binary = PICTTOTOV_SREMAKE;
  sremake.input = runfilter::Options::Input::kNone;
  ASSERT_EQ(runfilter::Run("", {source, dir.path() + "/t.sre"}, sremake).status,
            0);
  ASSERT_EQ(Load(dir.path() + "/t"), 0);
  EXPECT_EQ(Text(5), "high \xE9 and ctrl \x01\x7F end  ");
  EXPECT_EQ(Text(10), "  leading blanks, tab\there");
  EXPECT_EQ(Text(20), "two\nlines %s 100%");  // expansion turns %% into %
  EXPECT_EQ(Text(30), "back\\slash \\x41 and \\n");
  EXPECT_EQ(Text(40), "");
}

// The built file holds exactly the test messages, with as many %s each.
TEST(Sremake, BuiltMessageFileHoldsEveryMessage) {
  std::string sre = PICTTOTOV_SRE;
  ASSERT_EQ(Load(sre.substr(0, sre.size() - 4)), 0);
  std::map<int, std::string> shapes;  // as the test messages are written
  for (int number = 0; number <= 32767; ++number) {
    std::string text = Text(number, 256);
    if (text == "<missing>") continue;
    EXPECT_FALSE(text.empty() || text.back() == '\n') << number;
    shapes[number] = "MSG " + std::to_string(number);
    for (size_t at = text.find('%'); at != std::string::npos;
         at = text.find('%', at + 2))
      shapes[number] += " %" + text.substr(at + 1, 1);
  }
  EXPECT_EQ(shapes, srefixture::Texts());
}

}  // namespace

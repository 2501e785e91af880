// String resources: the .sre reader, lookup and expansion, the file search
// order, the sremake compiler and the built message file.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "runtime/vok.h"

namespace {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/strres_testXXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempDir() { fs::remove_all(path_); }
  const std::string &path() const { return path_; }

 private:
  std::string path_;
};

void WriteFile(const std::string &path, const std::string &bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::FILE *file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

std::string BigEndian(uint32_t value, int bytes) {
  std::string out;
  for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
    out += static_cast<char>((value >> shift) & 0xFF);
  return out;
}

// A resource file: the header's count word, the index (number, offset into
// body) and the body that follows the index.
std::string SreFile(uint32_t count,
                    const std::vector<std::pair<int, uint32_t>> &index,
                    const std::string &body) {
  std::string file(20, '\0');
  file += BigEndian(count, 4);
  uint32_t base = 24 + 6 * static_cast<uint32_t>(index.size());
  for (const auto &[number, offset] : index)
    file += BigEndian(static_cast<uint32_t>(number), 2) +
            BigEndian(base + offset, 4);
  return file + body;
}

// Loads dir/name.sre with HOME and QZHOME unset.
int Load(const std::string &pathWithoutExtension) {
  unsetenv("HOME");
  unsetenv("QZHOME");
  return V_SrInit(pathWithoutExtension.c_str(), "usenglish");
}

std::string Text(int number, int size = 2048) {
  std::vector<char> buffer(size, 'Z');
  int result = V_SrGetN(number, buffer.data(), size);
  return result == 0 ? std::string(buffer.data()) : "<missing>";
}

TEST(StringResources, ReaderDecodesTextLines) {
  TempDir dir;
  std::string body = "garbage\n";
  auto place = [&body](const std::string &line) {
    uint32_t offset = static_cast<uint32_t>(body.size());
    body += line;
    return offset;
  };
  uint32_t blanks = place("   abc\\n\n");
  uint32_t keep = place("abc\\t\r");
  uint32_t hex = place("\\x41\\X4g\\\\z\n");
  uint32_t joined = place("line\\\nmore\\\rend\n");
  uint32_t cut = place("cut\\xQrest\n");
  uint32_t longLine = place(std::string(1500, 'y') + "\n");
  uint32_t tail = place("tail");
  WriteFile(dir.path() + "/r.sre", SreFile(10,
                                           {{0, 3},
                                            {1, blanks},
                                            {2, keep},
                                            {3, hex},
                                            {4, joined},
                                            {5, cut},
                                            {6, longLine},
                                            {7, tail},
                                            {8, blanks},
                                            {9, 100000}},
                                           body));
  ASSERT_EQ(Load(dir.path() + "/r"), 0);
  EXPECT_EQ(Text(0), "bage");
  EXPECT_EQ(Text(1), "abc\n");
  EXPECT_EQ(Text(2), "abc\\t");
  EXPECT_EQ(Text(3), "A\x04g\\\\z");
  EXPECT_EQ(Text(4), "line\nmore\rend");
  EXPECT_EQ(Text(5), "cut");
  EXPECT_EQ(Text(6), std::string(1023, 'y'));
  EXPECT_EQ(Text(7), "tail");
  EXPECT_EQ(Text(8), "abc\n");
  EXPECT_EQ(Text(9), "");
  char buffer[8];
  EXPECT_EQ(V_SrGetN(10, buffer, sizeof buffer), -1);
  EXPECT_STREQ(buffer, "???");
  EXPECT_EQ(Text(6, 256), std::string(255, 'y'));
}

TEST(StringResources, MalformedFilesStayInBounds) {
  TempDir dir;
  std::string base = dir.path() + "/m";
  // A header cut short: the count reads as 0xFFFF..., i.e. no entries.
  WriteFile(base + ".sre", std::string(10, '\0'));
  ASSERT_EQ(Load(base), 0);
  EXPECT_EQ(Text(1000), "<missing>");
  // The index runs past the end: its bytes read as 0xFF (number -1, offset
  // beyond the file), giving empty texts. The one whole entry points into
  // the unused header words.
  WriteFile(base + ".sre", "minus five\n" + std::string(9, '\0') +
                               BigEndian(3, 4) + BigEndian(0xFFFB, 2) +
                               BigEndian(0, 4));
  ASSERT_EQ(Load(base), 0);
  EXPECT_EQ(Text(-5), "minus five");
  EXPECT_EQ(Text(-1), "");
  // Only the low 16 bits of the count matter; a negative count is none.
  WriteFile(base + ".sre", SreFile(0x00010001u, {{4, 0}}, "four\n"));
  ASSERT_EQ(Load(base), 0);
  EXPECT_EQ(Text(4), "four");
  WriteFile(base + ".sre", SreFile(0xFFFF8001u, {{4, 0}}, "four\n"));
  ASSERT_EQ(Load(base), 0);
  EXPECT_EQ(Text(4), "<missing>");
  // An index out of order defeats the binary search for some numbers.
  WriteFile(base + ".sre",
            SreFile(4, {{5, 0}, {1, 2}, {9, 4}, {3, 6}}, "5\n1\n9\n3\n"));
  ASSERT_EQ(Load(base), 0);
  EXPECT_EQ(Text(1), "1");
  EXPECT_EQ(Text(9), "9");
  EXPECT_EQ(Text(5), "<missing>");
  EXPECT_EQ(Text(3), "<missing>");
}

TEST(StringResources, Expansion) {
  TempDir dir;
  std::vector<std::pair<int, uint32_t>> index;
  std::string body;
  for (const char *line : {"50%% done", "%1|%u and %{u}|%{}|%{x}|%s %d %",
                           "%0|%1|%2|%3|%4|%5|%6|%7|%8", "[%0]", "x%0y",
                           "LLLLLLLLLLLLLLLLLLLLLLLLLLLLLL"}) {
    index.push_back({static_cast<int>(index.size()) + 1,
                     static_cast<uint32_t>(body.size())});
    body += std::string(line) + "\n";
  }
  WriteFile(dir.path() + "/e.sre", SreFile(6, index, body));
  ASSERT_EQ(Load(dir.path() + "/e"), 0);
  EXPECT_EQ(Text(1), "50% done");
  EXPECT_EQ(Text(2), "???|usenglish and usenglish||???|%s %d %");
  char buffer[256];
  EXPECT_EQ(V_SrGetF(3, buffer, sizeof buffer, "dxXsfprsq", -5, 255, 255,
                     "text", 1.5, "unused", 1, static_cast<char *>(nullptr), 4),
            0);
  EXPECT_STREQ(buffer, "-5|ff|FF|text|1.500||50% done||???");
  // Inserts that do not fit lose their middle; the rest of the text stays.
  EXPECT_EQ(V_SrGetF(4, buffer, 13, "s", "abcdefghijklmnop"), 0);
  EXPECT_STREQ(buffer, "[abc...nop]");
  EXPECT_EQ(V_SrGetF(5, buffer, 11, "s", "abcdefghijklmnop"), 0);
  EXPECT_STREQ(buffer, "xab...opy");
  EXPECT_EQ(V_SrGetF(4, buffer, 6, "s", "abcdefghijklmnop"), 0);
  EXPECT_STREQ(buffer, "[ab]");
  EXPECT_EQ(V_SrGetF(3, buffer, 8, "r", 6), 0);
  EXPECT_STREQ(buffer, "LLLLLLL");
}

TEST(StringResources, LanguageNumbers) {
  EXPECT_EQ(V_LanguageNumber("usenglish") + V_LanguageNumber("japanese"), 19);
  EXPECT_EQ(V_LanguageNumber("romanian"), 38);
  EXPECT_EQ(V_LanguageNumber("USENGLISH") + V_LanguageNumber(nullptr), 0);
}

TEST(StringResources, SearchOrder) {
  TempDir dir;
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  // A bare name without HOME and QZHOME: only ./name.sre is tried.
  WriteFile(dir.path() + "/home/qzinit/usenglish/APIArea/resources/p.sre",
            SreFile(1, {{1, 0}}, "home\n"));
  EXPECT_EQ(Load("p"), -1);
  WriteFile(dir.path() + "/p.sre", SreFile(1, {{1, 0}}, "here\n"));
  EXPECT_EQ(Load("p"), 0);
  EXPECT_EQ(Text(1), "here");

  const std::string home = dir.path() + "/home";
  const std::string qzhome = dir.path() + "/qz";
  const std::string tail = "/qzinit/usenglish/APIArea/resources/";
  const std::vector<std::string> candidates = {
      dir.path() + "/bin/prog.sre", home + tail + "bin/prog.sre",
      home + tail + "prog.sre", qzhome + tail + "bin/prog.sre",
      qzhome + tail + "prog.sre"};
  for (size_t i = 0; i < candidates.size(); ++i)
    WriteFile(candidates[i],
              SreFile(1, {{1, 0}}, "candidate " + std::to_string(i) + "\n"));
  setenv("HOME", home.c_str(), 1);
  setenv("QZHOME", qzhome.c_str(), 1);
  for (size_t i = 0; i < candidates.size(); ++i) {
    ASSERT_EQ(V_SrInit("bin/prog", "usenglish"), 0);
    EXPECT_EQ(Text(1), "candidate " + std::to_string(i));
    fs::remove(candidates[i]);
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

std::string ReadFile(const std::string &path) {
  std::string contents;
  if (std::FILE *file = std::fopen(path.c_str(), "rb")) {
    for (int c; (c = std::getc(file)) != EOF;) contents += static_cast<char>(c);
    std::fclose(file);
  }
  return contents;
}

TEST(Sremake, CompiledTextsReadBackExactly) {
  TempDir dir;
  std::string source = dir.path() + "/t.msgs";
  WriteFile(source,
            "# comment\n\n"
            "30 back\\\\slash \\\\x41 and \\\\n\r\n"
            "10 \\x20 leading blanks, tab\\there\n"
            "20\ttwo\\nlines %s 100%%\n"
            "40\n"
            "5 high \xE9 and ctrl \\x01\\x7F end  ");
  ASSERT_EQ(RunSremake(source, dir.path() + "/t.sre", dir.path() + "/err"), 0);
  ASSERT_EQ(Load(dir.path() + "/t"), 0);
  EXPECT_EQ(Text(5), "high \xE9 and ctrl \x01\x7F end  ");
  EXPECT_EQ(Text(10), "  leading blanks, tab\there");
  EXPECT_EQ(Text(20), "two\nlines %s 100%");  // expansion turns %% into %
  EXPECT_EQ(Text(30), "back\\slash \\x41 and \\n");
  EXPECT_EQ(Text(40), "");

  const std::vector<std::pair<std::string, std::string>> bad = {
      {"1 a\n2 b\n1 c\n", ":3: message 1 already given on line 1"},
      {"1 a\n\n2 bad \\q\n", ":3: unknown escape"},
      {"1 a\nx b\n", ":2: a message line must start with its number"},
      {"32768 a\n", ":1: message number above 32767"},
      {"7 \\x4\n", ":1: \\x needs two hexadecimal digits"},
      {"7 " + std::string(1024, 'a') + "\n", ":1: text of 1024 bytes"},
  };
  for (const auto &[text, error] : bad) {
    WriteFile(source, text);
    std::string output = dir.path() + "/bad.sre";
    EXPECT_EQ(RunSremake(source, output, dir.path() + "/err"), 1) << text;
    EXPECT_NE(ReadFile(dir.path() + "/err").find(error), std::string::npos)
        << ReadFile(dir.path() + "/err");
    EXPECT_FALSE(fs::exists(output));
  }
}

TEST(Sremake, BuiltMessageFileHoldsEveryMessage) {
  std::string sre = PICTTOTOV_SRE;
  ASSERT_EQ(Load(sre.substr(0, sre.size() - 4)), 0);
  for (int number = 1000; number <= 1026; ++number) {
    std::string text = Text(number, 256);
    if (number == 1002 || number == 1023) {
      EXPECT_EQ(text, "<missing>") << number;
      continue;
    }
    ASSERT_NE(text, "<missing>") << number;
    EXPECT_FALSE(text.empty()) << number;
    EXPECT_NE(text.back(), '\n') << number;
    // The message functions pass texts only: every conversion is %s.
    int placeholders = 0;
    for (size_t at = text.find('%'); at != std::string::npos;
         at = text.find('%', at + 2), ++placeholders)
      EXPECT_EQ(text[at + 1], 's') << number << ": " << text;
    int expected = number == 1021 ? 2
                   : (number == 1004 || number == 1005 || number == 1011 ||
                      number == 1022 || number == 1024 || number == 1026)
                       ? 1
                       : 0;
    EXPECT_EQ(placeholders, expected) << number << ": " << text;
  }
}

}  // namespace

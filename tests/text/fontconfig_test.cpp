// The font-mapping file: its scanner and parser on small configuration texts,
// the places it is looked for, and the table that lookups answer from.
#include "text/fontconfig.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <tuple>

#include "driver/driver.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"

namespace {

using namespace std::string_literals;
using runfilter::TempDir;

// A channel reading `text` from a temporary file, for the scanner to read.
Channel *ChannelOn(const std::string &text) {
  static Channel channel;
  channel.stream = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), channel.stream);
  std::rewind(channel.stream);
  return &channel;
}

// The entries read ("font 3 Helvetica", "char 165 [] 183", "sameas 5" lines),
// the stray bytes copied to standard output, and standard error.
struct Read {
  std::string entries, strays, messages;
};

Read ReadEntries(Channel *channel) {
  InitParser(channel);
  Read read;
  FontFileEntry entry{};
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  while (GetFontFileEntry(&entry) == 0) {
    const std::string number = std::to_string(entry.number);
    read.entries +=
        entry.type == kFontEntry     ? "font " + number + " " + entry.name
        : entry.type == kSameAsEntry ? "sameas " + number
                                     : "char " + number + " [" + entry.name +
                                           "] " + std::to_string(entry.code);
    read.entries += "\n";
  }
  EXPECT_EQ(GetFontFileEntry(&entry), -1) << "the end stays the end";
  read.strays = testing::internal::GetCapturedStdout();
  read.messages = testing::internal::GetCapturedStderr();
  return read;
}

TEST(FontParser, EntriesStrayBytesAndRecovery) {
  const struct {
    std::string text, entries, strays;
    int errors;             // "syntax error!!!!!" lines
    bool document = false;  // strays go to standard error then
  } cases[] = {
      {"3 \"Helvetica\"\n\\xA5 \\xB7\n\\x61 \"Symbol\" \\x61\nSameAs 5\n",
       "font 3 Helvetica\nchar 165 [] 183\nchar 97 [Symbol] 97\nsameas 5\n", "",
       0},
      // Blanks are spaces, tabs and newlines; codes take either case.
      {"\t12 \"Times New Roman\"\t\\xa5 \"a_1 9\" \\xbf SameAs 40",
       "font 12 Times New Roman\nchar 165 [a_1 9] 191\nsameas 40\n", "", 0},
      // Comments need their newline; bytes 128 to 255 may stand in them.
      {"#\n# 12 \"x\" \xFF\n5 \"A\"", "font 5 A\n", "", 0},
      {"5 # \"A\" x", "font 5 A\n", "#x", 0},
      // A name with a byte no string holds is stray, quotes included.
      {"2 \"B\" \"\xE9t\xE9\"", "font 2 B\n", "\"\xE9t\xE9\"", 0},
      // The longest match is taken; quote, blank, quote is a string.
      {"1 \"\" \"tab\there\"", "font 1  \n", "\"tabhere\"", 0},
      {"1 \"ab\"cd\"No end", "font 1 ab\n", "cd\"Noend", 0},
      {"SameAsX SameA 007x", "sameas 7\n", "XSameAx", 0},
      {"\\x4g \"A\" \\X41 \"B\" \\x12 \\x123 \"C\"",
       "font 4 A\nfont 41 B\nchar 18 [] 18\nfont 3 C\n", "\\xg\\X", 0},
      // A carriage return is no blank.
      {"\r5\r \"A\"", "font 5 A\n", "\r\r", 0},
      {"4294967299 \"A\" 4294967295 \"B\"", "font 3 A\nfont -1 B\n", "", 0},
      // Long tokens are read whole, names cut to 119 bytes; a long line of
      // "#" without a newline is stray, in linear time.
      {"#" + std::string(5000, 'c') + "\n1 \"" + std::string(3000, 'n') + "\"" +
           std::string(300000, '#') + "7 \"S\"",
       "font 1 " + std::string(119, 'n') + "\nfont 7 S\n",
       std::string(300000, '#'), 0},
      // A string or the end where an entry begins ends the reading.
      {"1 \"A\" \"B\" 2 \"C\"", "font 1 A\n", "", 0},
      // A number meets a number: both are dropped; a name after ends it.
      {"3 \"Helvetica-Bold\"\n4 \"Times\"\n5 \"Courier\"\n", "",
       "\"Helvetica-Bold\"", 1},
      {"3 4 5 \"Five\"\n", "font 5 Five\n", "", 1},
      {"SameAs \\x41\n7 \"Seven\"\n", "font 7 Seven\n", "", 1},
      {"\\x41 \"A\" 9\n\\x42 \\x43\n", "char 66 [] 67\n", "", 1},
      // The end inside an entry is a syntax error; so is a NUL (also in a
      // comment or string), and reading goes on behind it.
      {"2 \"Two\" 3", "font 2 Two\n", "", 1},
      {"\\x41\0\\x42 \\x43"s, "char 66 [] 67\n", "", 1},
      {"# a 5 \"X\" 6\0\n7 \"Y\""s, "font 5 X\nfont 7 Y\n", "#a", 1},
      {"1 \"Ti\0mes\"\n2 \"A\""s, "font 2 A\n", "\"Times\"", 1},
      // While the document is on standard output.
      {"x 1 \"A\" -", "font 1 A\n", "x-", 0, true},
  };
  for (const auto &c : cases) {
    Channel document;
    document.stream = stdout;
    outputFP = c.document ? &document : nullptr;
    Read read = ReadEntries(ChannelOn(c.text));
    outputFP = nullptr;
    const std::string text = c.text.substr(0, 60);
    EXPECT_EQ(read.entries, c.entries) << text;
    EXPECT_EQ(read.strays, c.document ? "" : c.strays) << text;
    std::string expected = c.document ? c.strays : "";
    for (int i = 0; i < c.errors; ++i) expected += "syntax error!!!!!\n";
    EXPECT_EQ(read.messages, expected) << text;
  }
}

// GetFontFile in `workdir` with HOME and QZHOME (null: unset): the path
// opened or "none", then its messages and what reading the file gave.
std::string Find(const std::string &workdir, const char *home,
                 const char *qzhome) {
  EXPECT_EQ(chdir(workdir.c_str()), 0);
  home ? setenv("HOME", home, 1) : unsetenv("HOME");
  qzhome ? setenv("QZHOME", qzhome, 1) : unsetenv("QZHOME");
  testing::internal::CaptureStderr();
  Channel *channel = GetFontFile();
  std::string messages = testing::internal::GetCapturedStderr();
  if (channel == nullptr) return "none " + messages;
  Read read = ReadEntries(channel);
  std::string path = channel->path;
  std::fclose(channel->stream);
  V_Free(channel->path);
  V_Free(channel);
  return path + " " + messages + read.entries + read.strays + read.messages;
}

// The working directory, HOME, QZHOME/qzinit/filters; a path over 256 bytes
// is not tried, and the message names the last place that was.
TEST(FontFile, ThreePlacesInOrder) {
  ASSERT_TRUE(srefixture::Load());
  TempDir work, home, qz;
  const std::string w = work.path(), h = home.path(), q = qz.path();
  const std::string filters = q + "/qzinit/filters/pictfonts.cfg";
  ASSERT_EQ(system(("mkdir -p " + q + "/qzinit/filters").c_str()), 0);
  // HOME of 241 bytes and QZHOME of 226 just fit 256 bytes.
  const std::string fits = "/" + std::string(240, 'h'), over = fits + "h";
  const std::string qfits = "/" + std::string(225, 'q'), qover = qfits + "q";
  const auto none = [](const std::string &place) {
    return "none MSG 1026 " + place + "\n";
  };
  EXPECT_EQ(Find(w, nullptr, nullptr), none("pictfonts.cfg"));
  EXPECT_EQ(Find(w, h.c_str(), nullptr), none(h + "/pictfonts.cfg"));
  EXPECT_EQ(Find(w, h.c_str(), q.c_str()), none(filters));
  EXPECT_EQ(Find(w, "", nullptr), none("/pictfonts.cfg"));
  EXPECT_EQ(Find(w, fits.c_str(), nullptr), none(fits + "/pictfonts.cfg"));
  EXPECT_EQ(Find(w, over.c_str(), nullptr), none("pictfonts.cfg"));
  EXPECT_EQ(Find(w, over.c_str(), qfits.c_str()),
            none(qfits + "/qzinit/filters/pictfonts.cfg"));
  EXPECT_EQ(Find(w, fits.c_str(), qover.c_str()),
            none(fits + "/pictfonts.cfg"));

  qz.Write("qzinit/filters/pictfonts.cfg", "");
  EXPECT_EQ(Find(w, h.c_str(), q.c_str()), filters + " ");
  home.Write("pictfonts.cfg", "");
  EXPECT_EQ(Find(w, h.c_str(), q.c_str()), h + "/pictfonts.cfg ");
  // A folder of that name opens, and reads as an empty file.
  ASSERT_EQ(mkdir((w + "/pictfonts.cfg").c_str(), 0700), 0);
  EXPECT_EQ(Find(w, h.c_str(), q.c_str()), "pictfonts.cfg ");
}

// The table is read once a process: this is the one file it reads.
TEST(FontTable, MapsFamiliesAndCodes) {
  TempDir dir;
  dir.Write("pictfonts.cfg",
            "\\x41 \\x42\nSameAs 1\n"  // before any font entry: ignored
            "0 \"Chicago\"\n"
            "1 \"One\"\n\\x41 \\x43\n"
            "3 \"Helvetica\"\n"
            "\\x62 \\x00\n"  // a target code 0 maps nothing
            "\\x63 \"Dingbats\" \\x00\n"
            "3 \"Geneva\"\n"  // a second name replaces the first
            // SameAs shares one map.
            "5 \"Five\"\n\\x41 \\x42\n"
            "7 \"Seven\"\n\\x41 \\x5A\nSameAs 5\n\\x43 \\x44\n"
            "8 \"Eight\"\n\\x47 \\x48\nSameAs 9\n\\x45 \\x46\n"  // 9 has no map
            "9 \"Nine\"\nSameAs 9\n"
            "8 \"Eight\"\nSameAs 8\n"  // its own map stays
            // Entries outside the 40 slots are ignored.
            "40 \"Forty\"\n\\x41 \\x44\nSameAs 1\n"
            "4294967295 \"Minus\"\n\\x41 \\x45\n"  // wraps to -1
            "2 \"Two\"\nSameAs 40\nSameAs 4294967295\n"
            "4294967298 \"" +
                std::string(80, 'W') + "\"\n");  // wraps to 2, cut to 63
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  unsetenv("HOME");
  unsetenv("QZHOME");
  // The family (from Times) and code written for `code` of `font`.
  const std::tuple<uint16_t, unsigned char, std::string> lookups[] = {
      {3, 0, "Geneva/238"},  // code 0: family only
      {3, 'b', "Geneva/98"},
      {3, 'c', "Geneva/99"},
      {0, 'A', "Chicago/65"},
      {40, 'A', "Chicago/65"},  // beyond the table: slot 0
      {1, 'A', "One/67"},
      {2, 'A', std::string(63, 'W') + "/65"},
      {7, 'A', "Seven/66"},  // its own map was given up
      {5, 'C', "Five/68"},   // added under 7, seen by 5
      {7, 'C', "Seven/68"},
      {8, 'E', "Eight/70"},
      {8, 'A', "Eight/65"},
      {8, 'G', "Eight/72"},
      {9, 'E', "Nine/69"},
  };
  for (const auto &[font, code, mapped] : lookups) {
    char name[64] = "Times";
    unsigned char out = 0xEE;
    GetFontandCode(font, code, name, &out);
    EXPECT_EQ(std::string(name) + "/" + std::to_string(out), mapped);
  }
}

}  // namespace

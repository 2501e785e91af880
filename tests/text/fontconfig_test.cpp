// The font-mapping file: its scanner and parser on small configuration texts,
// the places it is looked for, and the table that lookups answer from.
#include "text/fontconfig.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"
#include "text/text.h"

namespace {

using runfilter::TempDir;

// A channel reading `text` from a temporary file, for the scanner to read.
Channel *ChannelOn(const std::string &text) {
  static Channel channel;
  channel.stream = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), channel.stream);
  std::rewind(channel.stream);
  return &channel;
}

// The tokens yylex gives for `text`, up to the end-th end of the input, as
// "n12" (number), "c165" (character code), "SameAs", "s<name>" (string) and
// "$" (end), separated by blanks.
std::string Tokens(const std::string &text, int ends = 1) {
  InitParser(ChannelOn(text));
  std::string tokens;
  for (int guard = 0; ends > 0 && guard < 100; ++guard) {
    int token = yylex();
    if (!tokens.empty()) tokens += ' ';
    switch (token) {
      case kTokenEnd:
        tokens += '$';
        --ends;
        break;
      case kTokenNumber:
        tokens += 'n' + std::to_string(yylval.number);
        break;
      case kTokenCharCode:
        tokens += 'c' + std::to_string(yylval.number);
        break;
      case kTokenSameAs:
        tokens += "SameAs";
        break;
      case kTokenString:
        tokens += 's' + std::string(yylval.text);
        break;
      default:
        tokens += "?" + std::to_string(token);
    }
  }
  return tokens;
}

struct ScanCase {
  std::string text;
  std::string tokens;
  std::string strays;  // bytes that begin no token, copied to stdout
  int ends;
};

TEST(FontScanner, TokensAndStrayBytes) {
  const ScanCase cases[] = {
      {"3 \"Helvetica\"\n", "n3 sHelvetica $", "", 1},
      {"\t12\n\\xA5 \\xbf SameAs 40", "n12 c165 c191 SameAs n40 $", "", 1},
      {"\"Times New Roman\" \"a_1 9\"", "sTimes New Roman sa_1 9 $", "", 1},
      // A name with a character no string holds is no string: every byte of
      // it begins no token, the quotes included.
      {"\"Helvetica-Bold\"", "$", "\"Helvetica-Bold\"", 1},
      {"\"\xE9t\xE9\"", "$", "\"\xE9t\xE9\"", 1},
      // A quote, then a blank and a quote: a string of one blank.
      {"\"\" \"tab\there\"", "s  $", "\"tabhere\"", 1},
      {"\"ab\"cd\"", "sab $", "cd\"", 1},  // the longest match is taken
      {"\"No end", "$", "\"Noend", 1},
      // Longest match for the other tokens.
      {"SameAsX SameA 007x", "SameAs n7 $", "XSameAx", 1},
      {"\\x4g \\X41 \\x123", "n4 n41 c18 n3 $", "\\xg\\X", 1},
      {"\r5\r", "n5 $", "\r\r", 1},  // a carriage return is no blank
      {"4294967299 4294967295", "n3 n-1 $", "", 1},  // numbers wrap
      // Comments need their newline; bytes 128 to 255 may stand in them.
      {"# 12 \"x\" \xFF\n5", "n5 $", "", 1},
      {"5 # 12 x", "n5 n12 $", "#x", 1},
      {"#\n#\n", "$", "", 1},
      // A NUL ends the input where it stands, but reading goes on behind it.
      {std::string("3\0 \"Times\"", 10), "n3 $ sTimes $", "", 2},
      {std::string("# a 5 \"X\"\0\n6", 13), "n5 sX $ n6 $", "#a", 2},
      {std::string("\"Ti\0mes\"", 8), "$ $", "\"Times\"", 2},
      {"", "$ $ $", "", 3},  // the end stays the end
  };
  for (const auto &c : cases) {
    testing::internal::CaptureStdout();
    std::string tokens = Tokens(c.text, c.ends);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.strays) << c.text;
    EXPECT_EQ(tokens, c.tokens) << c.text;
  }
}

TEST(FontScanner, LongTokensAreReadWhole) {
  std::string name(3000, 'n');
  std::string comment = "#" + std::string(5000, 'c') + "\n";
  EXPECT_EQ(Tokens(comment + "\"" + name + "\" 1"), "s" + name + " n1 $");

  // Each "#" of a long line without a newline begins no token; this takes
  // linear time, not quadratic.
  std::string hashes(300000, '#');
  testing::internal::CaptureStdout();
  EXPECT_EQ(Tokens(hashes + "7"), "n7 $");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), hashes);
}

// While the document goes to standard output, stray bytes go to standard
// error instead.
TEST(FontScanner, StrayBytesAvoidTheDocumentOnStandardOutput) {
  Channel document;
  document.stream = stdout;
  outputFP = &document;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_EQ(Tokens("x 1 -"), "n1 $");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "x-");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  outputFP = nullptr;
}

// The entries GetFontFileEntry reads from `text`, one per line, as
// "font 3 Helvetica", "char 165 [] 183" or "sameas 5", and what the parser
// wrote on standard error.
std::string Entries(const std::string &text, std::string *messages) {
  InitParser(ChannelOn(text));
  std::string entries;
  FontFileEntry entry{};
  testing::internal::CaptureStderr();
  while (GetFontFileEntry(&entry) == 0) {
    switch (entry.type) {
      case kFontEntry:
        entries += "font " + std::to_string(entry.number) + " " + entry.name;
        break;
      case kCharacterEntry:
        entries += "char " + std::to_string(entry.number) + " [" + entry.name +
                   "] " + std::to_string(entry.code);
        break;
      case kSameAsEntry:
        entries += "sameas " + std::to_string(entry.number);
        break;
    }
    entries += "\n";
  }
  *messages = testing::internal::GetCapturedStderr();
  EXPECT_EQ(GetFontFileEntry(&entry), -1) << "the end stays the end";
  return entries;
}

struct ParseCase {
  std::string text;
  std::string entries;
  int errors;  // "syntax error!!!!!" lines
};

TEST(FontParser, EntriesAndRecovery) {
  const std::string kError = "syntax error!!!!!\n";
  const ParseCase cases[] = {
      {"3 \"Helvetica\"\n\\xA5 \\xB7\n\\x61 \"Symbol\" \\x61\nSameAs 5\n",
       "font 3 Helvetica\nchar 165 [] 183\nchar 97 [Symbol] 97\nsameas 5\n", 0},
      {"", "", 0},
      {"# only a comment\n  \n", "", 0},
      // A string or the end where an entry begins ends the reading.
      {"\"Times\"\n3 \"Courier\"\n", "", 0},
      {"1 \"A\" \"B\" 2 \"C\"", "font 1 A\n", 0},
      // A number meets a number: both go with the dropped entry; the name
      // after them then ends the reading.
      {"3 \"Helvetica-Bold\"\n4 \"Times\"\n5 \"Courier\"\n", "", 1},
      {"3 4 5 \"Five\"\n", "font 5 Five\n", 1},
      {"SameAs \\x41\n7 \"Seven\"\n", "font 7 Seven\n", 1},
      {"\\x41 \"A\" 9\n\\x42 \\x43\n", "char 66 [] 67\n", 1},
      {"SameAs SameAs 2 \"Two\"", "font 2 Two\n", 1},
      // The end of the input inside an entry is a syntax error; a NUL is
      // such an end, and reading goes on behind it.
      {"2 \"Two\" 3", "font 2 Two\n", 1},
      {std::string("3\0 4 \"Four\"\n", 12), "font 4 Four\n", 1},
      {std::string("\\x41\0\\x42 \\x43", 14), "char 66 [] 67\n", 1},
      // A name is kept to the 119 bytes of the parser's buffer.
      {"1 \"" + std::string(200, 'L') + "\"",
       "font 1 " + std::string(119, 'L') + "\n", 0},
  };
  for (const auto &c : cases) {
    std::string messages;
    EXPECT_EQ(Entries(c.text, &messages), c.entries) << c.text;
    std::string expected;
    for (int i = 0; i < c.errors; ++i) expected += kError;
    EXPECT_EQ(messages, expected) << c.text;
  }
}

// The installed default names the classic fonts and reads without a message
// or a stray byte.
TEST(FontParser, DefaultFileReadsCleanly) {
  std::string text =
      runfilter::ReadFile(PICTTOTOV_SOURCE_DIR "/resources/pictfonts.cfg");
  ASSERT_FALSE(text.empty());
  std::string messages;
  testing::internal::CaptureStdout();
  std::string entries = Entries(text, &messages);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(messages, "");
  for (const char *entry :
       {"font 0 Chicago\n", "font 2 New York\n", "font 20 Times\n",
        "font 21 Helvetica\n", "font 22 Courier\n", "font 23 Symbol\n"})
    EXPECT_NE(entries.find(entry), std::string::npos) << entry;
  EXPECT_EQ(entries.find("char"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Finding the file
// ---------------------------------------------------------------------------

// Runs GetFontFile in `workdir` with HOME and QZHOME as given (null: unset)
// and returns the path it opened (closing it again), or "none", followed by
// the messages it printed.
std::string Find(const std::string &workdir, const char *home,
                 const char *qzhome) {
  EXPECT_EQ(chdir(workdir.c_str()), 0);
  home ? setenv("HOME", home, 1) : unsetenv("HOME");
  qzhome ? setenv("QZHOME", qzhome, 1) : unsetenv("QZHOME");
  testing::internal::CaptureStderr();
  Channel *channel = GetFontFile();
  std::string messages = testing::internal::GetCapturedStderr();
  if (channel == nullptr) return "none " + messages;
  std::string path = channel->path;
  std::fclose(channel->stream);
  V_Free(channel->path);
  V_Free(channel);
  return path + " " + messages;
}

// The working directory, then HOME, then QZHOME/qzinit/filters; a place
// whose path would not fit 256 bytes is not tried, and the message names the
// last place that was.
TEST(FontFile, ThreePlacesInOrder) {
  ASSERT_TRUE(srefixture::Load());
  TempDir work, home, qz;
  const std::string w = work.path(), h = home.path(), q = qz.path();
  const std::string filters = q + "/qzinit/filters/pictfonts.cfg";
  ASSERT_EQ(system(("mkdir -p " + q + "/qzinit/filters").c_str()), 0);
  // 241 + "/" + "pictfonts.cfg" + NUL = 256 bytes: just fits; QZHOME +
  // "/qzinit/filters/" + "pictfonts.cfg" + NUL: 226 bytes fit.
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
  work.Write("pictfonts.cfg", "");
  EXPECT_EQ(Find(w, h.c_str(), q.c_str()), "pictfonts.cfg ");
}

// The family and code written for character `code` of `font`, starting
// from the family `before`, as "family/code".
std::string Lookup(uint16_t font, unsigned char code, const char *before) {
  char name[64];
  std::snprintf(name, sizeof name, "%s", before);
  unsigned char out = 0xEE;
  GetFontandCode(font, code, name, &out);
  return std::string(name) + "/" + std::to_string(out);
}

struct Mapped {
  uint16_t font;
  unsigned char code;
  std::string mapped;  // "family/code", from the family Times
};

// The table is read once a process: each test gives one file.
void ExpectTable(const std::string &file, const std::vector<Mapped> &lookups) {
  TempDir dir;
  dir.Write("pictfonts.cfg", file);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  unsetenv("HOME");
  unsetenv("QZHOME");
  for (const Mapped &l : lookups)
    EXPECT_EQ(Lookup(l.font, l.code, "Times"), l.mapped);
}

TEST(FontTable, MapsFamiliesAndCodes) {
  ExpectTable(
      "0 \"Chicago\"\n"
      "3 \"Helvetica\"\n\\xA5 \\xB7\n\\x61 \"Symbol\" \\x61\n"
      "\\x62 \\x00\n"  // a target code 0 maps nothing
      "\\x63 \"Dingbats\" \\x00\n"
      "3 \"Geneva\"\n",       // a second name replaces the first
      {{3, 0, "Geneva/238"},  // code 0: family only
       {3, 0xA5, "Geneva/183"},
       {3, 'a', "Symbol/97"},
       {3, 'b', "Geneva/98"},
       {3, 'c', "Geneva/99"},
       {40, 'a', "Chicago/97"},  // beyond the table: slot 0
       {65535, 0, "Chicago/238"}});
  EXPECT_EQ(Lookup(7, 'a', "Symbol"), "Symbol/97");  // no name: kept
}

TEST(FontTable, SameAsSharesOneMap) {
  ExpectTable(
      "5 \"Five\"\n\\x41 \\x42\n"
      "7 \"Seven\"\n\\x41 \\x5A\nSameAs 5\n\\x43 \\x44\n"
      "8 \"Eight\"\nSameAs 9\n\\x45 \\x46\n"  // 9 has no map
      "9 \"Nine\"\nSameAs 9\n"
      "8 \"Eight\"\nSameAs 8\n",  // its own map stays
      {{7, 'A', "Seven/66"},      // its own map was given up
       {5, 'C', "Five/68"},       // added under 7, seen by 5
       {7, 'C', "Seven/68"},
       {8, 'E', "Eight/70"},
       {8, 'A', "Eight/65"},
       {9, 'E', "Nine/69"}});
}

// Entries outside the 40 slots, or before the first font entry, are ignored.
TEST(FontTable, EntriesOutsideTheTable) {
  ExpectTable(
      "\\x41 \\x42\nSameAs 1\n"  // before any font entry
      "1 \"One\"\n\\x41 \\x43\n"
      "40 \"Forty\"\n\\x41 \\x44\nSameAs 1\n"
      "4294967295 \"Minus\"\n\\x41 \\x45\n"  // wraps to -1
      "2 \"Two\"\nSameAs 40\nSameAs 4294967295\n"
      "4294967298 \"" +
          std::string(80, 'W') + "\"\n",  // wraps to 2, cut to 63
      {{0, 'A', "Times/65"},
       {1, 'A', "One/67"},
       {2, 'A', std::string(63, 'W') + "/65"},
       {40, 'A', "Times/65"}});
}

// A folder of that name opens but reads as an empty file.
TEST(FontTable, AFolderReadsAsAnEmptyFile) {
  TempDir dir;
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  ASSERT_EQ(system("mkdir pictfonts.cfg"), 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(Lookup(3, 'a', "Times"), "Times/97");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace

// Formatted input: the integer conversions the font scanner relies on, and
// the rest of the conversion table.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "runtime/vok.h"

namespace {

constexpr int32_t kUntouched = 777;

struct IntegerCase {
  const char *input;
  const char *format;
  int result;
  int32_t value;
};

TEST(Sscanf, IntegerConversions) {
  const IntegerCase cases[] = {
      {"1234", "%ld", 1, 1234},
      {"-17", "%ld", 1, -17},
      {"+17", "%d", 1, 17},
      {"12ab", "%ld", 1, 12},
      {" \t\n42", "%d", 1, 42},       // leading whitespace is skipped
      {"\r42", "%d", 0, kUntouched},  // a carriage return is no whitespace
      {"abc", "%ld", 0, kUntouched},
      {"", "%ld", -1, kUntouched},
      {"   ", "%ld", -1, kUntouched},
      {"-", "%d", 0, kUntouched},
      {"-x", "%d", 0, kUntouched},
      {"4294967297", "%ld", 1, 1},  // 2^32 + 1 wraps
      {"2147483648", "%d", 1, INT32_MIN},
      {"1F", "%lx", 1, 31},
      {"0x1F", "%lx", 1, 31},
      {"0X1f", "%X", 1, 31},
      {"ff", "%x", 1, 255},
      {"-a", "%x", 1, -10},
      {"0x1F", "%1x", 1, 0},  // no room for the prefix: the 0 alone
      {"17", "%o", 1, 15},
      {"8", "%o", 0, kUntouched},
      {"0x10", "%i", 1, 16},
      {"010", "%i", 1, 8},
      {"-10", "%i", 1, -10},
      {"12345", "%2d", 1, 12},
      {"-5", "%1d", 0, kUntouched},  // a sign fills a width of 1
      {"+5", "%1d", 0, kUntouched},
      {"-5", "%2d", 1, -5},
      {"%5", "%%%d", 1, 5},
      {"5", "%%%d", 0, kUntouched},
      {"x=5", "x=%d", 1, 5},
      {"y=5", "x=%d", 0, kUntouched},
      {"x", "x=%d", -1, kUntouched},  // input ends at a literal
  };
  for (const auto &c : cases) {
    int32_t value = kUntouched;
    EXPECT_EQ(V_Sscanf(c.input, c.format, &value), c.result)
        << c.format << " on '" << c.input << "'";
    EXPECT_EQ(value, c.value) << c.format << " on '" << c.input << "'";
  }
}

TEST(Sscanf, CountsAssignmentsAndStopsAtMismatch) {
  int32_t a = kUntouched, b = kUntouched;
  EXPECT_EQ(V_Sscanf("5", "%d %d", &a, &b), 1);
  EXPECT_EQ(a, 5);
  EXPECT_EQ(b, kUntouched);
  EXPECT_EQ(V_Sscanf("7 x", "%d %d", &a, &b), 1);
  EXPECT_EQ(a, 7);
  EXPECT_EQ(b, kUntouched);
  EXPECT_EQ(V_Sscanf("1,2", "%d,%d", &a, &b), 2);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(V_Sscanf("1;2", "%d,%d", &a, &b), 1);  // literal mismatch
  EXPECT_EQ(V_Sscanf("1", "%d,%d", &a, &b), 1);    // input ends at the literal

  // Suppressed conversions read but neither assign nor count.
  EXPECT_EQ(V_Sscanf("8 9", "%*d %d", &a), 1);
  EXPECT_EQ(a, 9);

  // A null format reads as the empty one; an unknown conversion fails.
  EXPECT_EQ(V_Sscanf("8", nullptr), 0);
  EXPECT_EQ(V_Sscanf("8", ""), 0);
  EXPECT_EQ(V_Sscanf("8", "%q"), 0);
  EXPECT_EQ(V_Sscanf("", nullptr), -1);
}

TEST(Sscanf, LengthModifiers) {
  int32_t wide[2] = {kUntouched, kUntouched};
  EXPECT_EQ(V_Sscanf("70000", "%hd", &wide[0]), 1);
  int16_t narrow = 0;
  std::memcpy(&narrow, &wide[0], sizeof narrow);
  EXPECT_EQ(narrow, 4464);  // 70000 - 65536, in the first two bytes only
  EXPECT_EQ(wide[1], kUntouched);

  int16_t count = 0;
  int32_t value = 0;
  EXPECT_EQ(V_Sscanf("  123 rest", "%d%hn", &value, &count), 1);
  EXPECT_EQ(count, 5);

  float single = 0;
  double doubled = 0;
  EXPECT_EQ(V_Sscanf("1.5 2.25e1", "%f %lg", &single, &doubled), 2);
  EXPECT_EQ(single, 1.5f);
  EXPECT_EQ(doubled, 22.5);
  EXPECT_EQ(V_Sscanf("x", "%e", &single), 0);
}

TEST(Sscanf, TextConversions) {
  char text[32] = "untouched";
  char c = '?';
  EXPECT_EQ(V_Sscanf("  word next", "%s", text), 1);
  EXPECT_STREQ(text, "word");
  EXPECT_EQ(V_Sscanf("abcdef", "%3s", text), 1);
  EXPECT_STREQ(text, "abc");
  EXPECT_EQ(V_Sscanf(" x", "%c", &c), 1);  // %c skips no whitespace
  EXPECT_EQ(c, ' ');

  struct SetCase {
    const char *input;
    const char *format;
    int result;
    const char *text;
  };
  const SetCase sets[] = {
      {"abc123", "%[a-z]", 1, "abc"},
      {"abc123", "%[^0-9]", 1, "abc"},
      {"]]x", "%[]]", 1, "]]"},
      {"a]x", "%[^]]", 1, "a"},
      {"z-a!", "%[z-a]", 1, "z-a"},  // no range: the first is not below
      {"-aq", "%[a-]", 1, "-a"},
      {"a-b", "%[a-a]", 1,
       "a-"},  // nor here      {"abcdef", "%2[a-z]", 1, "ab"},
      {"123", "%[a-z]", 0, "keep"},
      {"", "%[a-z]", -1, "keep"},
  };
  for (const auto &s : sets) {
    std::strcpy(text, "keep");
    EXPECT_EQ(V_Sscanf(s.input, s.format, text), s.result) << s.format;
    EXPECT_STREQ(text, s.text) << s.format << " on '" << s.input << "'";
  }
}

}  // namespace

// Formatted input: the integer conversions the font scanner relies on, and
// the rest of the conversion table.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "runtime/vok.h"

namespace {

constexpr int32_t kUntouched = 777;

// Up to two integer targets; what is not assigned keeps kUntouched.
TEST(Sscanf, IntegerConversions) {
  const struct {
    const char *input, *format;
    int result;
    int32_t first, second = kUntouched;
  } cases[] = {
      {"+17 12ab", "%d%d", 2, 17, 12},
      {" \t\n42", "%d", 1, 42},       // leading whitespace is skipped
      {"\r42", "%d", 0, kUntouched},  // a carriage return is no whitespace
      {"   ", "%ld", -1, kUntouched},
      {"-x", "%d", 0, kUntouched},
      {"4294967297", "%ld", 1, 1},  // 2^32 + 1 wraps
      {"1F 0X1f", "%lx %X", 2, 31, 31},
      {"ff -a", "%x%x", 2, 255, -10},
      {"0x1F", "%1x%x", 1, 0},  // no room for the prefix: the 0 alone
      {"17 8", "%o %o", 1, 15},
      {"0x10 010", "%i %i", 2, 16, 8},
      {"12345", "%2d%d", 2, 12, 345},
      {"-5", "%1d", 0, kUntouched},  // a sign fills a width of 1
      {"-5", "%2d", 1, -5},
      {"%5", "%%%d", 1, 5},
      {"x=5", "x=%d", 1, 5},
      {"x", "x=%d", -1, kUntouched},  // input ends at a literal
      {"5", "%d %d", 1, 5},
      {"1;2", "%d,%d", 1, 1},      // literal mismatch
      {"1", "%d,%d", 1, 1},        // input ends at the literal
      {"8 9", "%*d %d", 1, 9},     // read, neither assigned nor counted
      {"8", "%q", 0, kUntouched},  // an unknown conversion fails
  };
  for (const auto &c : cases) {
    int32_t first = kUntouched, second = kUntouched;
    EXPECT_EQ(V_Sscanf(c.input, c.format, &first, &second), c.result)
        << c.format << " on '" << c.input << "'";
    EXPECT_EQ(first, c.first) << c.format << " on '" << c.input << "'";
    EXPECT_EQ(second, c.second) << c.format << " on '" << c.input << "'";
  }
  // A null format reads as the empty one.
  EXPECT_EQ(V_Sscanf("8", nullptr), 0);
}

TEST(Sscanf, LengthModifiers) {
  alignas(int32_t) unsigned char bytes[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  int16_t count = 0;
  EXPECT_EQ(V_Sscanf("  70000 rest", "%hd%hn", bytes, &count), 1);
  int16_t narrow = 0;
  std::memcpy(&narrow, bytes, sizeof narrow);
  EXPECT_EQ(narrow, 4464);  // 70000 - 65536, in the first two bytes only
  EXPECT_EQ(bytes[2], 0xAA);
  EXPECT_EQ(bytes[3], 0xAA);
  EXPECT_EQ(count, 7);

  float single = 0;
  double doubled = 0;
  EXPECT_EQ(V_Sscanf("1.5 2.25e1", "%f %lg", &single, &doubled), 2);
  EXPECT_EQ(single, 1.5f);
  EXPECT_EQ(doubled, 22.5);
  EXPECT_EQ(V_Sscanf("x", "%e", &single), 0);
}

TEST(Sscanf, TextConversions) {
  const struct {
    const char *input, *format;
    int result;
    const char *text;
  } cases[] = {
      // clang-format off
      {"  word next", "%s", 1, "word"},
      {" x", "%c", 1, " eep"},  // %c skips no whitespace
      {"az123", "%[a-z]", 1, "az"},
      {"abc123", "%[^0-9]", 1, "abc"},
      {"]]x", "%[]]", 1, "]]"},
      {"a-b", "%[a-a]", 1, "a-"},  // no range: the first is not below
      {"abcdef", "%2[a-z]", 1, "ab"},
      {"123", "%[a-z]", 0, "keep"},
      {"", "%[a-z]", -1, "keep"},
      // clang-format on
  };
  for (const auto &c : cases) {
    char text[32] = "keep";
    EXPECT_EQ(V_Sscanf(c.input, c.format, text), c.result) << c.format;
    EXPECT_STREQ(text, c.text) << c.format << " on '" << c.input << "'";
  }
}

}  // namespace

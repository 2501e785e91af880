// The formatting engine: conversions, '*' expansion, %s buffer growth, %n,
// the sinks and the limits that keep a hostile format within bounds. (The
// engine's own renderings are matched against the C library in
// printf_library_match_test.cpp.)
#include <gtest/gtest.h>

#include <cfloat>
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/vok.h"

namespace {

std::string Format(const char *format, ...) {
  char buffer[4096];
  std::memset(buffer, 'Z', sizeof buffer);
  va_list args;
  va_start(args, format);
  int32_t n = VokVSnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  EXPECT_EQ(n, static_cast<int32_t>(std::strlen(buffer)));
  return buffer;
}

TEST(Printf, Conversions) {
  // Length modifiers are dropped for the C library, but for 'h' and 'hh'.
  EXPECT_EQ(Format("%ld|%lu|%lx|%hhd|%5hd", -7, 7u, 255, 0x1FF, 0x18000),
            "-7|7|ff|-1|-32768");
  EXPECT_EQ(Format("[%c]", 0), "[]");
  EXPECT_EQ(Format("[%C] [%3C]", "A", "A"), "[] [   ]");
  EXPECT_EQ(Format("%-*d|", 6, 42), "42    |");
  EXPECT_EQ(Format("%*.*s|", 5, 2, "abcdef"), "   ab|");
  // A negative '*' precision counts as none; a lone '%' at the end stays.
  EXPECT_EQ(Format("%.*f", -2, 1.0), "1.000000");
  EXPECT_EQ(Format("ab%"), "ab%");
  EXPECT_EQ(Format(nullptr), "");
  // Unknown modifiers or positional arguments are written as text.
  EXPECT_EQ(Format("%1$d|%Fd|%d", 1, 2, 3), "%1$d|%Fd|3");
}

TEST(Printf, StringAndCountConversions) {
  EXPECT_EQ(Format("[%5s|%s]", static_cast<char *>(nullptr),
                   static_cast<char *>(nullptr)),
            "[     |]");
  EXPECT_EQ(Format("[%10.3s]", "abcdef"), "[       abc]");
  // A precision bounds the read: the text need not be terminated.
  const char unterminated[3] = {'x', 'y', 'z'};
  EXPECT_EQ(Format("%.3s", unterminated), "xyz");
  // Long texts grow the buffer; later conversions still use it.
  std::string big(1000, 'q');
  std::string big2(3000, 'r');
  EXPECT_EQ(Format("<%s|%d|%s>", big.c_str(), 7, big2.c_str()),
            "<" + big + "|7|" + big2 + ">");
  // %n stores the count so far: %hn 16 bits only, %ln 32.
  int32_t full = -1;
  int16_t halves[2] = {-1, -1};
  EXPECT_EQ(Format("abcd%hnx%s%ln!", &halves[0], "12345", &full),
            "abcdx12345!");
  EXPECT_EQ(halves[0], 4);
  EXPECT_EQ(halves[1], -1);
  EXPECT_EQ(full, 10);
}

TEST(Printf, OversizedConversionsAreCutNotOverrun) {
  // A single non-%s conversion keeps at most 255 bytes.
  EXPECT_EQ(Format("%300d|", 1), std::string(255, ' ') + "|");
  EXPECT_EQ(Format("%-*d|", 1000000, 1), "1" + std::string(254, ' ') + "|");
  EXPECT_EQ(Format("%.999999999d", 3).size(), 255u);
  EXPECT_EQ(Format("%.3f", DBL_MAX).size(), 255u);
  // A specifier longer than 63 characters still takes its arguments
  // (every '*' and the conversion's own), so later conversions line up.
  std::string longConversion = "%" + std::string(70, '0') + "*d|%s";
  EXPECT_EQ(Format(longConversion.c_str(), 3, 9, "tail"), "9|tail");
  const int wide = 1000000000;  // eight of these expand beyond 63 bytes
  std::string expanded = Format("%********d|%s", wide, wide, wide, wide, wide,
                                wide, wide, wide, 5, "end");
  EXPECT_EQ(expanded, std::string(255, ' ') + "|end");
}

TEST(Printf, Sinks) {
  char buffer[8] = "ZZZZZZZ";
  EXPECT_EQ(V_Snprintf(buffer, 5, "%s-%d", "abc", 12345), 4);
  EXPECT_STREQ(buffer, "abc-");
  EXPECT_EQ(buffer[5], 'Z');
  EXPECT_EQ(V_Snprintf(buffer + 6, 0, "xyz"), 0);  // no room: untouched
  EXPECT_EQ(buffer[6], 'Z');
  EXPECT_EQ(V_Snprintf(nullptr, 10, "xyz"), 0);
  EXPECT_EQ(V_Sprintf(buffer, "text"), 4);
  EXPECT_STREQ(buffer, "text");
  // A null channel writes to standard error, long literal runs in pieces.
  std::string run(600, 'w');
  testing::internal::CaptureStderr();
  EXPECT_EQ(V_Printf(nullptr, "x=%d\n", 5), 4);
  EXPECT_EQ(V_Printf(nullptr, (run + "%s").c_str(), "!"), 601);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "x=5\n" + run + "!");
}

}  // namespace

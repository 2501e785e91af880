// The formatting engine: conversions, '*' expansion, %s buffer growth, %n,
// the sinks and the limits that keep a hostile format within bounds.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/vok.h"
#include "support/channels.h"

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

TEST(Printf, ConversionsAndEscapes) {
  EXPECT_EQ(Format("=QuireImage\n&%%v\n"), "=QuireImage\n&%v\n");
  EXPECT_EQ(Format("\t<GroupID %hd>\n", -1), "\t<GroupID -1>\n");
  EXPECT_EQ(Format("%hd", 0x18000), "-32768");
  EXPECT_EQ(Format("%ld|%lu|%lx", -7, 7u, 255), "-7|7|ff");
  EXPECT_EQ(Format("%.3f %.2f %f", 1.5, 2.0, 0.25), "1.500 2.00 0.250000");
  EXPECT_EQ(Format("%02x%02x", 10, 255), "0aff");
  EXPECT_EQ(Format("[%c]", 0), "[]");
  EXPECT_EQ(Format("[%C] [%3C]", "A", "A"), "[] [   ]");
  EXPECT_EQ(Format("%-*d|", 6, 42), "42    |");
  EXPECT_EQ(Format("%.*f", 2, 3.14159), "3.14");
  EXPECT_EQ(Format("%*.*s|", 5, 2, "abcdef"), "   ab|");
  // A negative '*' precision counts as none; a lone '%' at the end stays.
  EXPECT_EQ(Format("%.*f", -2, 1.0), "1.000000");
  EXPECT_EQ(Format("ab%"), "ab%");
  EXPECT_EQ(Format(nullptr), "");
}

TEST(Printf, StringConversions) {
  EXPECT_EQ(Format("[%5s]", static_cast<char *>(nullptr)), "[     ]");
  EXPECT_EQ(Format("[%s]", static_cast<char *>(nullptr)), "[]");
  EXPECT_EQ(Format("[%.3s]", "abcdef"), "[abc]");
  EXPECT_EQ(Format("[%10.3s]", "abcdef"), "[       abc]");
  EXPECT_EQ(Format("[%-4s]", "ab"), "[ab  ]");
  // A precision bounds the read: the text need not be terminated.
  const char unterminated[3] = {'x', 'y', 'z'};
  EXPECT_EQ(Format("%.3s", unterminated), "xyz");
  // Long texts grow the buffer; later conversions still use it.
  std::string big(1000, 'q');
  std::string big2(3000, 'r');
  EXPECT_EQ(Format("<%s|%d|%s>", big.c_str(), 7, big2.c_str()),
            "<" + big + "|7|" + big2 + ">");
}

TEST(Printf, CountConversion) {
  int32_t full = -1;
  int16_t halves[2] = {-1, -1};
  EXPECT_EQ(Format("ab%nc", &full), "abc");
  EXPECT_EQ(full, 2);
  EXPECT_EQ(Format("abcd%hnx", &halves[0]), "abcdx");
  EXPECT_EQ(halves[0], 4);
  EXPECT_EQ(halves[1], -1);  // only 16 bits stored
  EXPECT_EQ(Format("%s%ln!", "12345", &full), "12345!");
  EXPECT_EQ(full, 5);
}

TEST(Printf, OversizedConversionsAreCutNotOverrun) {
  // A single non-%s conversion keeps at most 255 bytes.
  EXPECT_EQ(Format("%300d|", 1), std::string(255, ' ') + "|");
  EXPECT_EQ(Format("%-*d|", 1000000, 1), "1" + std::string(254, ' ') + "|");
  EXPECT_EQ(Format("%.999999999d", 3).size(), 255u);
  // A specifier longer than 63 characters still takes its arguments
  // (every '*' and the conversion's own), so later conversions line up.
  std::string longConversion = "%" + std::string(70, '0') + "*d|%s";
  EXPECT_EQ(Format(longConversion.c_str(), 3, 9, "tail"), "9|tail");
  const int wide = 1000000000;  // eight of these expand beyond 63 bytes
  std::string expanded = Format("%********d|%s", wide, wide, wide, wide, wide,
                                wide, wide, wide, 5, "end");
  EXPECT_EQ(expanded, std::string(255, ' ') + "|end");
  // Unknown modifiers or positional arguments are written as text.
  EXPECT_EQ(Format("%1$d|%Fd|%d", 1, 2, 3), "%1$d|%Fd|3");
}

TEST(Printf, StringSinkRoomAndTermination) {
  char buffer[8] = "ZZZZZZZ";
  EXPECT_EQ(V_Snprintf(buffer, 5, "%s-%d", "abc", 12345), 4);
  EXPECT_STREQ(buffer, "abc-");
  EXPECT_EQ(buffer[5], 'Z');
  EXPECT_EQ(V_Snprintf(buffer + 6, 0, "xyz"), 0);  // no room: untouched
  EXPECT_EQ(buffer[6], 'Z');
  EXPECT_EQ(V_Snprintf(nullptr, 10, "xyz"), 0);
  EXPECT_EQ(V_Sprintf(buffer, "text"), 4);
  EXPECT_STREQ(buffer, "text");
}

TEST(Printf, ChannelSinks) {
  testchannels::Channels channels("");
  EXPECT_EQ(V_Printf(outputFP, "\t<BRect %.3f %.3f>\n", 1.0, 2.5), 21);
  EXPECT_EQ(channels.Output(), "\t<BRect 1.000 2.500>\n");
  // A null channel writes to standard error, long literal runs in pieces.
  std::string run(600, 'w');
  testing::internal::CaptureStderr();
  EXPECT_EQ(V_Printf(nullptr, "x=%d\n", 5), 4);
  EXPECT_EQ(V_Printf(nullptr, (run + "%s").c_str(), "!"), 601);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "x=5\n" + run + "!");
}

}  // namespace

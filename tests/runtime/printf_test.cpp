// The formatting engine and its bounds on hostile formats; what it renders
// itself (%d %hd %02x %f %.2f %.3f, points, planned statements) must match
// the C library byte for byte, in strings and in place on a channel.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/statement.h"
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
  EXPECT_EQ(Format("[%C] [%3C]", "A", "A"), "[] [   ]");
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
  EXPECT_EQ(Format("%-*d|", 1000000, 1), "1" + std::string(254, ' ') + "|");
  EXPECT_EQ(Format("%.999999999d", 3).size(), 255u);
  EXPECT_EQ(Format("%.3f", DBL_MAX).size(), 255u);
  // A specifier over 63 characters still takes its arguments ('*' too).
  std::string longConversion = "%" + std::string(70, '0') + "*d|%s";
  EXPECT_EQ(Format(longConversion.c_str(), 3, 9, "tail"), "9|tail");
  const int wide = 1000000000;  // eight of these expand beyond 63 bytes
  std::string expanded = Format("%********d|%s", wide, wide, wide, wide, wide,
                                wide, wide, wide, 5, "end");
  EXPECT_EQ(expanded, std::string(255, ' ') + "|end");
}

TEST(Printf, StringSinkRoomAndTermination) {
  char buffer[8] = "ZZZZZZZ";
  EXPECT_EQ(V_Snprintf(buffer, 5, "%s-%d", "abc", 12345), 4);
  EXPECT_STREQ(buffer, "abc-");
  EXPECT_EQ(buffer[5], 'Z');
  EXPECT_EQ(V_Snprintf(buffer + 6, 0, "xyz"), 0);  // no room: untouched
  EXPECT_EQ(buffer[6], 'Z');
  EXPECT_EQ(V_Snprintf(nullptr, 10, "xyz"), 0);
}

int differences = 0;

// Statements to a channel over a memory stream beside the C library's text,
// compared in batches (so the channel's blocks are met too).
class ChannelText {
 public:
  ChannelText() { open(); }
  ~ChannelText() {
    Check();
    close();
  }

  // The engine's text to the channel; `library` is the C library's.
  template <typename... T>
  void Printf(const char *library, const char *format, T... values) {
    V_Printf(&channel_, format, values...);
    expect(library);
  }
  void Point(double x, double y, bool comment) {
    (comment ? V_WriteCommentPoint : V_WritePoint)(&channel_, x, y);
    char library[512];
    std::snprintf(library, sizeof library,
                  comment ? kVokCommentPointFormat : kVokPointFormat, x, y);
    expect(library);
  }
  // A planned statement, beside the C library's text of its format.
  template <const StatementPlan &Plan, typename... T>
  void Statement(T... values) {
    V_WriteStatement<Plan>(&channel_, values...);
    char library[1024];
    std::snprintf(library, sizeof library, Plan.format, values...);
    expect(library);
  }
  // Fails the test at the first line that differs.
  void Check() {
    V_ChannelFlush(&channel_);
    const std::string got(bytes_, size_);
    if (got != expected_ && ++differences <= 20) {
      size_t at = 0;
      while (at < got.size() && got[at] == expected_[at]) ++at;
      const size_t line = expected_.rfind('\n', at) + 1;
      ADD_FAILURE() << "channel \"" << got.substr(line, 40) << "\", library \""
                    << expected_.substr(line, 40) << "\"";
    }
    close();
    open();
  }

 private:
  void expect(const char *library) {
    expected_ += library;
    if (expected_.size() > 200000) Check();
  }
  void open() {
    stream_ = open_memstream(&bytes_, &size_);
    V_ChannelAttach(&channel_, stream_);
    expected_.clear();
  }
  void close() {
    V_ChannelAttach(&channel_, nullptr);
    std::fclose(stream_);
    std::free(bytes_);
  }

  char *bytes_ = nullptr;
  size_t size_ = 0;
  FILE *stream_ = nullptr;
  Channel channel_;
  std::string expected_;
};
ChannelText *channelText = nullptr;

// The engine (string and channel) against the C library; 20 differences shown.
template <typename... T>
void Compare(const char *format, T... values) {
  char ours[512], library[512];
  V_Snprintf(ours, sizeof ours, format, values...);
  std::snprintf(library, sizeof library, format, values...);
  if (std::strcmp(ours, library) != 0 && ++differences <= 20)
    ADD_FAILURE() << format << ": engine \"" << ours << "\", library \""
                  << library << "\"";
  if (channelText != nullptr) channelText->Printf(library, format, values...);
}

constexpr StatementPlan kFixedStatement =
    PlanStatement("\t<Fixed %.3f %.2f %f>\n");
constexpr StatementPlan kIntegerStatement = PlanStatement("<%d|%hd>");
constexpr StatementPlan kTextStatement = PlanStatement("<%s `%s'>\n");

// Both signs in %.2f and %.3f (micros: %f beside a long mantissa); as a point.
void CompareFixed(double value, bool micros = false) {
  for (double v : {value, -value}) {
    channelText->Statement<kFixedStatement>(v, v, micros ? v : v / 3);
    if (micros) {
      Compare("<%f %f>", v, v / 3);
      channelText->Point(v, value, true);
    } else {
      Compare("%.3f", v);
      Compare("%.2f", v);
      channelText->Point(v, value, false);
    }
  }
}

double FloatFromBits(uint32_t bits) {
  float value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Floats sampled up to beyond the renderer's limit (2^40; %f 2^44), exact ties
// (odd 1/16, 1/8; 1/128 for %f: to even), neighbours of decimal ties, runs
// after 0.5 and 1000, and what the C library renders (huge, inf, nan).
TEST(PrintfLibraryMatch, Fixed) {
  ChannelText channel;
  channelText = &channel;
  for (uint32_t bits = 1; bits < 0x53800000u; bits += 1021)
    CompareFixed(FloatFromBits(bits));
  for (uint32_t bits = 1; bits < 0x55800000u; bits += 4099)
    CompareFixed(FloatFromBits(bits), true);
  for (int64_t odd = 1; odd < (int64_t{1} << 20); odd += 2) {
    CompareFixed(odd / 16.0);
    CompareFixed(odd / 8.0);
    if (odd < (1 << 16)) CompareFixed(odd / 128.0, true);
  }
  for (int k = 0; k < 100000; ++k) {
    double tie = (k + 0.5) / 1000.0;
    CompareFixed(std::nextafter(tie, 0.0));
    CompareFixed(std::nextafter(tie, 1e9));
  }
  for (float start : {0.5f, 1000.0f})
    for (int i = 0; i < 100000; ++i, start = std::nextafter(start, FLT_MAX))
      CompareFixed(start, true);
  for (double value :
       {0.0, DBL_MIN, DBL_TRUE_MIN, 1e-7, 5e-7, 4.9999999e-7, 0.0005, 0.005,
        0.015, 0.1, 1.0 / 3, 999999999999.0, 999999999999.9995, 1e12, 1e15,
        1e200, HUGE_VAL, std::nan("")}) {
    CompareFixed(value);
    CompareFixed(value, true);
  }
  channelText = nullptr;
}

// 16- and 32-bit edges and a random sample; mixed statements join in order.
TEST(PrintfLibraryMatch, IntegersHexBytesAndStatements) {
  ChannelText channel;
  channelText = &channel;
  const int edges[] = {0,     1,     -1,      9,       10,      -10,
                       32767, 32768, -32768,  -32769,  65535,   65536,
                       255,   256,   INT_MAX, INT_MIN, 0x18000, 1 << 28};
  uint32_t state = 12345;
  for (int i = 0; i < 300000 + static_cast<int>(std::size(edges)); ++i) {
    state = state * 1103515245u + 12345u;
    int value = i < static_cast<int>(std::size(edges))
                    ? edges[i]
                    : static_cast<int>(state);
    Compare("%d", value);
    Compare("%hd", value);
    Compare("%02x", value);
    channelText->Statement<kIntegerStatement>(value, value);
  }
  Compare("\t<BRect %.3f %.3f %.3f %.3f>\n", 1.5, -0.0004, 1e13, 72.0625);
  Compare("<%s|%5d|%hd|%.2f|%e|%02x%02x>", "Times", 42, -1, 0.125, 3.5, 7, 255);
  // Long statements, and texts of every length, don't fit in place.
  const std::string text(300, 'x');
  for (size_t length = 0; length <= text.size(); length += 7) {
    Compare("<%s|%d>", text.substr(0, length).c_str(),
            static_cast<int>(length));
    channel.Statement<kTextStatement>(text.substr(0, length).c_str(), "x");
  }
  Compare(("%d" + text + "%.3f").c_str(), 5, 1.0);
  EXPECT_THROW(PlanStatement("<%02x>"), std::logic_error);
  channelText = nullptr;
}

}  // namespace

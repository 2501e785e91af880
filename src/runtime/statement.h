// Statements of a fixed shape, written straight into a channel's buffer.
// A statement's format is planned once, at compile time: its plain runs and
// its conversions (%d, %hd, %.2f, %.3f, %f, %s). Writing it copies the runs
// and renders the values with the printf engine's own renderers, so the
// bytes are those V_Printf writes with the same format and arguments; where
// the buffer has no room in place, or for a value the C library renders,
// V_Printf writes the statement.
//
//   constexpr StatementPlan kPen = PlanStatement("\t<Pen %d>\n");
//   V_WriteStatement<kPen>(outputFP, fill);
#ifndef PICTTOTOV_RUNTIME_STATEMENT_H
#define PICTTOTOV_RUNTIME_STATEMENT_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "runtime/vok.h"

// The renderers of the printf engine: they write forward from `out` and
// return where the text ends. VokRenderFixed renders precision 2, 3 or 6
// and returns null for a value only the C library renders.
char *VokRenderDecimal(int value, char *out);
char *VokRenderFixed(double value, int32_t precision, char *out);
// The most bytes one rendered number takes.
constexpr size_t kVokLongestRendering = 21;

// The conversions the printf engine renders itself, byte for byte as the C
// library does; any other specifier is Other.
enum class Conversion : uint8_t {
  Int,     // %d
  Short,   // %hd
  Fixed2,  // %.2f
  Fixed3,  // %.3f
  Fixed6,  // %f
  String,  // %s
  Hex2,    // %02x
  Other
};

struct ConversionSpec {
  Conversion kind = Conversion::Other;
  size_t length = 0;  // of the specifier behind its '%'
};

// The conversion whose specifier starts at `at`, behind a '%'.
constexpr ConversionSpec ParseConversion(const char *at) {
  const char a = at[0];
  const char b = a == '\0' ? '\0' : at[1];
  const char c = b == '\0' ? '\0' : at[2];
  if (a == 'd') return {Conversion::Int, 1};
  if (a == 'h' && b == 'd') return {Conversion::Short, 2};
  if (a == 'f') return {Conversion::Fixed6, 1};
  if (a == 's') return {Conversion::String, 1};
  if (a == '.' && b == '2' && c == 'f') return {Conversion::Fixed2, 3};
  if (a == '.' && b == '3' && c == 'f') return {Conversion::Fixed3, 3};
  if (a == '0' && b == '2' && c == 'x') return {Conversion::Hex2, 3};
  return {};
}

// The decimals of a fixed-point conversion.
constexpr int32_t FixedPrecision(Conversion kind) {
  return kind == Conversion::Fixed2 ? 2 : kind == Conversion::Fixed3 ? 3 : 6;
}

constexpr size_t kMostConversions = 6;
// The most bytes of a %s written in place; a longer string goes through
// V_Printf.
constexpr size_t kStatementStringRoom = 256;

struct StatementPlan {
  const char *format = nullptr;
  size_t count = 0;  // conversions
  // Run i is format[runAt[i], runAt[i] + runLength[i]): the plain text
  // before conversion i, the last one behind the last conversion.
  std::array<size_t, kMostConversions + 1> runAt{};
  std::array<size_t, kMostConversions + 1> runLength{};
  std::array<Conversion, kMostConversions> conversions{};
  size_t room = 0;  // the most bytes the statement takes in place
};

// Plans a format; any other conversion, or too many, stops compilation
// where the plan is a constant.
constexpr StatementPlan PlanStatement(const char *format) {
  StatementPlan plan;
  plan.format = format;
  size_t at = 0, runStart = 0;
  while (format[at] != '\0') {
    if (format[at] != '%') {
      ++at;
      continue;
    }
    const ConversionSpec spec = ParseConversion(format + at + 1);
    if (spec.kind == Conversion::Other || spec.kind == Conversion::Hex2)
      throw std::logic_error("a conversion V_WriteStatement does not render");
    if (plan.count == kMostConversions)
      throw std::logic_error("too many conversions");
    plan.runAt[plan.count] = runStart;
    plan.runLength[plan.count] = at - runStart;
    plan.room += at - runStart;
    plan.room += spec.kind == Conversion::String ? kStatementStringRoom
                                                 : kVokLongestRendering;
    plan.conversions[plan.count++] = spec.kind;
    at += 1 + spec.length;
    runStart = at;
  }
  plan.runAt[plan.count] = runStart;
  plan.runLength[plan.count] = at - runStart;
  plan.room += at - runStart;
  return plan;
}

namespace statement_detail {

template <const StatementPlan &Plan, size_t I>
char *putRun(char *to) {
  std::memcpy(to, Plan.format + Plan.runAt[I], Plan.runLength[I]);
  return to + Plan.runLength[I];
}

template <const StatementPlan &Plan, size_t I>
char *render(char *to, int value) {
  constexpr Conversion kind = Plan.conversions[I];
  static_assert(kind == Conversion::Int || kind == Conversion::Short,
                "%d and %hd take an int");
  to = putRun<Plan, I>(to);
  return VokRenderDecimal(
      kind == Conversion::Short ? static_cast<short>(value) : value, to);
}

template <const StatementPlan &Plan, size_t I>
char *render(char *to, double value) {
  constexpr Conversion kind = Plan.conversions[I];
  static_assert(kind == Conversion::Fixed2 || kind == Conversion::Fixed3 ||
                    kind == Conversion::Fixed6,
                "%.2f, %.3f and %f take a double");
  to = putRun<Plan, I>(to);
  return VokRenderFixed(value, FixedPrecision(kind), to);
}

template <const StatementPlan &Plan, size_t I>
char *render(char *to, const char *value) {
  static_assert(Plan.conversions[I] == Conversion::String, "%s takes a text");
  to = putRun<Plan, I>(to);
  if (value == nullptr) value = "";
  const size_t length = strnlen(value, kStatementStringRoom + 1);
  if (length > kStatementStringRoom) return nullptr;
  std::memcpy(to, value, length);
  return to + length;
}

template <const StatementPlan &Plan, typename... Args, size_t... I>
char *renderAll(char *to, std::index_sequence<I...>, Args... args) {
  ((to = to == nullptr ? nullptr : render<Plan, I>(to, args)), ...);
  return to;
}

}  // namespace statement_detail

template <const StatementPlan &Plan, typename... Args>
void V_WriteStatement(Channel *channel, Args... args) {
  static_assert(sizeof...(Args) == Plan.count,
                "one argument for each conversion");
  if (char *const start = V_ChannelRoom(channel, Plan.room)) {
    char *to = statement_detail::renderAll<Plan>(
        start, std::index_sequence_for<Args...>{}, args...);
    if (to != nullptr) {
      to = statement_detail::putRun<Plan, Plan.count>(to);
      V_ChannelCommit(channel, static_cast<size_t>(to - start));
      return;
    }
  }
  V_Printf(channel, Plan.format, args...);
}

#endif  // PICTTOTOV_RUNTIME_STATEMENT_H

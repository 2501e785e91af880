// The runtime's printf engine. It walks the format itself, renders each
// single conversion with the C library's snprintf and hands the pieces to a
// sink: a channel (V_Printf) or a character buffer (V_Sprintf). The
// conversions of the filter's own statements (%d, %hd, %s, %f, %.2f, %.3f,
// %02x) are rendered here, byte for byte as the C library writes them; a
// statement made of nothing else goes straight into the channel's buffer,
// and so do the point statements, which have a writer of their own.
#include <cstdio>
#include <cstring>
#include <string_view>

#include "runtime/buffer.h"
#include "runtime/statement.h"
#include "runtime/vok.h"

namespace {

// Every byte that ends a conversion specifier.
constexpr std::string_view kConversions = "dioxXucsfeEgGp%nC";
// One specifier holds at most 63 characters and its NUL.
constexpr int32_t kSpecSize = 64;
// Scratch for the '*' expansion.
constexpr int32_t kWildScratchSize = 1024;
// First output buffer; only %s enlarges it.
constexpr int32_t kOutputSize = 256;
// The longest plain statement a call writes in one piece (the size the
// engine gathers a channel's pieces in).
constexpr size_t kPlainStatement = 1024;
constexpr int32_t kUnlimited = 0x7fffffff;
// Widths and precisions above this are rendered as this: nothing but %s
// keeps more than 255 bytes of a conversion, and a %s field this wide is
// already far beyond any text the filter writes. It keeps both the C
// library's work buffers and the %s buffer bounded.
constexpr int32_t kMaxFieldNumber = 4096;
// Longest piece the warning sink copies at once.
constexpr int32_t kWarningPiece = 255;

bool isConversion(char c) {
  return c != '\0' && kConversions.find(c) != std::string_view::npos;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads decimal digits at text[*at], saturating at kUnlimited.
int32_t readNumber(const char *text, int32_t *at) {
  int64_t value = 0;
  while (isDigit(text[*at])) {
    value = value * 10 + (text[*at] - '0');
    if (value > kUnlimited) value = kUnlimited;
    ++*at;
  }
  return static_cast<int32_t>(value);
}

// The parts of a specifier the C library is given.
struct SpecParts {
  std::string_view flags;
  int32_t width = -1;      // -1: none
  int32_t precision = -1;  // -1: none (also for a negative '*' precision)
  int32_t shortCount = 0;  // number of 'h' modifiers
  bool wellFormed = false;
};

// Splits "%[flags][width][.precision][modifiers]conversion". Anything else
// between the '%' and the conversion byte makes the specifier
// malformed; it is then written as plain text.
SpecParts parseSpec(const char *spec, int32_t length) {
  SpecParts parts;
  int32_t at = 1;
  while (spec[at] != '\0' &&
         std::string_view("-+ #0'").find(spec[at]) != std::string_view::npos)
    ++at;
  parts.flags = std::string_view(spec + 1, at - 1);
  if (isDigit(spec[at])) parts.width = readNumber(spec, &at);
  if (spec[at] == '.') {
    ++at;
    bool negative = spec[at] == '-';
    if (negative) ++at;
    parts.precision = readNumber(spec, &at);
    if (negative) parts.precision = -1;
  }
  while (spec[at] != '\0' &&
         std::string_view("hlLqjzt").find(spec[at]) != std::string_view::npos) {
    if (spec[at] == 'h') ++parts.shortCount;
    ++at;
  }
  parts.wellFormed = at == length - 1 && isConversion(spec[at]);
  return parts;
}

// Builds the specifier handed to snprintf: the argument widths then
// match the values taken (an int, a double or a pointer), whatever length
// modifiers the format carried; only 'h' of integer conversions stays.
void buildLibrarySpec(char *out, const SpecParts &parts, char conversion,
                      int32_t maxPrecision) {
  int32_t n = 0;
  out[n++] = '%';
  for (char flag : parts.flags) out[n++] = flag;
  if (parts.width >= 0)
    n += std::snprintf(
        out + n, 16, "%d",
        parts.width < kMaxFieldNumber ? parts.width : kMaxFieldNumber);
  if (parts.precision >= 0)
    n += std::snprintf(
        out + n, 16, ".%d",
        parts.precision < maxPrecision ? parts.precision : maxPrecision);
  if (std::string_view("dioxXu").find(conversion) != std::string_view::npos)
    for (int32_t i = 0; i < parts.shortCount && i < 2; ++i) out[n++] = 'h';
  out[n++] = conversion;
  out[n] = '\0';
}

// Copies one specifier, from the '%' under position up to and
// including the first conversion byte (or up to the format's end), into
// spec and returns the position after it. A specifier longer than 63
// characters keeps its first 62 and its conversion byte; the '*' of the
// dropped middle are counted so that their arguments are still taken.
const char *copyformat(char *spec, const char *position,
                       int32_t *droppedStars) {
  int32_t n = 0;
  *droppedStars = 0;
  spec[n++] = *position++;
  while (*position != '\0') {
    char c = *position++;
    bool last = isConversion(c);
    if (last || n < kSpecSize - 2)
      spec[n++] = c;
    else if (c == '*')
      ++*droppedStars;
    if (last) break;
  }
  spec[n] = '\0';
  return position;
}

// Replaces every '*' of the specifier by the decimal text of the next int
// argument. A result longer than 63 characters keeps its first 62 and its last
// byte.
void VokProcessWildFieldWidth(char *spec, va_list *args) {
  char scratch[kWildScratchSize];
  int32_t n = 0;
  for (const char *p = spec; *p != '\0'; ++p) {
    if (*p != '*') {
      if (n < kWildScratchSize - 1) scratch[n++] = *p;
      continue;
    }
    char digits[24];
    std::snprintf(digits, sizeof digits, "%ld",
                  static_cast<long>(va_arg(*args, int)));
    for (const char *d = digits; *d != '\0'; ++d)
      if (n < kWildScratchSize - 1) scratch[n++] = *d;
  }
  scratch[n] = '\0';
  if (n < kSpecSize) {
    std::memcpy(spec, scratch, n + 1);
    return;
  }
  std::memcpy(spec, scratch, kSpecSize - 2);
  spec[kSpecSize - 2] = scratch[n - 1];
  spec[kSpecSize - 1] = '\0';
}

int32_t xstrnlen(const char *text, int32_t maximum) {
  if (text == nullptr || maximum < 1) return 0;
  int32_t n = 0;
  while (n < maximum && text[n] != '\0') ++n;
  return n;
}

// The room a %s conversion needs, from the next argument (not consumed):
// max(width, min(string length, precision)).
int32_t getStringSize(const char *spec, va_list *args) {
  if (spec[0] != '%') return 0;
  int32_t at = 1;
  while (spec[at] != '\0' &&
         std::string_view("0-+ ").find(spec[at]) != std::string_view::npos)
    ++at;
  int32_t width = readNumber(spec, &at);
  if (width > kMaxFieldNumber) width = kMaxFieldNumber;
  int32_t precision = kUnlimited;
  if (spec[at] == '.' && isDigit(spec[at + 1])) {
    ++at;
    precision = readNumber(spec, &at);
  }
  va_list peek;
  va_copy(peek, *args);
  const char *text = va_arg(peek, const char *);
  va_end(peek);
  // Capped so that the size plus its NUL stays an allocatable block.
  int32_t cap = static_cast<int32_t>(kVokMaxAlloc) - 1;
  int32_t length = xstrnlen(text, precision < cap ? precision : cap);
  return width > length ? width : length;
}

// The value a conversion takes, chosen by its conversion byte alone.
union Argument {
  int integer;
  double real;
  const void *pointer;
};

Argument takeArgument(char conversion, va_list *args) {
  Argument argument{};
  if (std::string_view("dioxXuc").find(conversion) != std::string_view::npos)
    argument.integer = va_arg(*args, int);
  else if (std::string_view("eEfgG").find(conversion) != std::string_view::npos)
    argument.real = va_arg(*args, double);
  else if (conversion != '%')
    argument.pointer = va_arg(*args, const void *);
  return argument;
}

// Renders one specifier into output (outputSize bytes with the NUL),
// consuming its argument. Cuts what does not fit. Returns the count the
// C library reported, or the string length for s, C and plain text.
int32_t VokPrintToStream(char *output, int32_t outputSize, const char *spec,
                         int32_t length, va_list *args) {
  char conversion = length > 0 ? spec[length - 1] : '\0';
  if (!isConversion(conversion))  // format ended inside the specifier
    return V_StrCpyNEnc(output, spec, outputSize, vokDialogEncodingId);
  Argument argument = takeArgument(conversion, args);
  SpecParts parts = parseSpec(spec, length);
  if (!parts.wellFormed || conversion == 'n')
    return V_StrCpyNEnc(output, conversion == 'n' ? "" : spec, outputSize,
                        vokDialogEncodingId);
  if (conversion == '%')
    return V_StrCpyNEnc(output, "%", outputSize, vokDialogEncodingId);

  char librarySpec[kSpecSize + 48];
  int32_t count = 0;
  output[0] = '\0';
  switch (conversion) {
    case 's':
    case 'C': {
      // %C prints an empty string in the field: only the width's blanks.
      const char *text = static_cast<const char *>(argument.pointer);
      if (conversion == 'C' || text == nullptr) text = "";
      buildLibrarySpec(librarySpec, parts, 's', kUnlimited);
      std::snprintf(output, outputSize, librarySpec, text);
      return xstrnlen(output, outputSize);
    }
    case 'e':
    case 'E':
    case 'f':
    case 'g':
    case 'G':
      buildLibrarySpec(librarySpec, parts, conversion, kMaxFieldNumber);
      count = std::snprintf(output, outputSize, librarySpec, argument.real);
      break;
    case 'p':
      buildLibrarySpec(librarySpec, parts, conversion, kMaxFieldNumber);
      count = std::snprintf(output, outputSize, librarySpec, argument.pointer);
      break;
    default:
      buildLibrarySpec(librarySpec, parts, conversion, kMaxFieldNumber);
      count = std::snprintf(output, outputSize, librarySpec, argument.integer);
      break;
  }
  if (count < 0) output[0] = '\0';
  return count;
}

// Stores the running total through the pointer argument of %n (%hn: 16
// bits, otherwise 32 bits).
void storeCount(const char *spec, int32_t length, uint32_t total,
                va_list *args) {
  void *target = va_arg(*args, void *);
  if (target == nullptr) return;
  if (length >= 2 && spec[length - 2] == 'h')
    *static_cast<int16_t *>(target) =
        static_cast<int16_t>(static_cast<uint16_t>(total));
  else
    *static_cast<int32_t *>(target) = static_cast<int32_t>(total);
}

// Channel sink. A null channel sends the piece to standard error; a piece
// that is not NUL-terminated within its length (a literal run of the
// format) goes out in copies of at most 255 bytes.
int32_t outchan(void *sinkArgument, const char *text, int32_t length) {
  Channel *channel = static_cast<Channel *>(sinkArgument);
  if (channel != nullptr) {
    if (length < 1) return 0;
    return static_cast<int32_t>(V_ChannelWrite(text, 1, length, channel));
  }
  if (length < kUnlimited && xstrnlen(text, length + 1) <= length) {
    V_Warning(text);
    return xstrnlen(text, length);
  }
  if (length < 1) return length;
  char piece[kWarningPiece + 1];
  int32_t remaining = length;
  while (remaining > 0) {
    int32_t take = remaining < kWarningPiece ? remaining : kWarningPiece;
    int32_t copied = V_StrCpyNEnc(piece, text, take + 1, vokDialogEncodingId);
    if (copied < 1) break;
    V_Warning(piece);
    text += copied;
    remaining -= copied;
  }
  return length;
}

// String sink state: where the next piece goes and the room left for it.
struct StringSink {
  char *position;
  int32_t room;
};

int32_t outs(void *sinkArgument, const char *text, int32_t length) {
  StringSink *sink = static_cast<StringSink *>(sinkArgument);
  int32_t take = length < sink->room ? length : sink->room;
  if (take < 0) take = 0;
  int32_t copied =
      V_StrCpyNEnc(sink->position, text, take + 1, vokDialogEncodingId);
  if (sink->position != nullptr) sink->position += copied;
  sink->room -= copied;
  return copied;
}

// The conversion buffer of one call: 256 bytes on the stack at first; only
// %s enlarges it, and the enlarged buffer serves the rest of the call.
class ConversionBuffer {
 public:
  ConversionBuffer() = default;
  ConversionBuffer(const ConversionBuffer &) = delete;
  ConversionBuffer &operator=(const ConversionBuffer &) = delete;

  char *data() { return data_; }
  int32_t size() const { return size_; }
  // Makes room for need bytes; false if the memory could not be had.
  bool Reserve(int32_t need) {
    if (need <= size_) return true;
    if (!heap_.Reserve(static_cast<uint32_t>(need))) return false;
    data_ = heap_.data();
    size_ = need;
    return true;
  }

 private:
  char local_[kOutputSize];
  GrowableBuffer<char> heap_;
  char *data_ = local_;
  int32_t size_ = kOutputSize;
};

// Bytes of the text before its first '%' or its end.
size_t plainLength(const char *text) {
#if defined(__GLIBC__)
  return static_cast<size_t>(strchrnul(text, '%') - text);
#else
  return std::strcspn(text, "%");
#endif
}

// Hands the pieces of one call to the sink and adds up its results. For a
// channel the pieces are gathered, up to kGatherSize bytes, and handed over
// in one piece at the end (or when the room runs out): written in place in
// the channel's own buffer where it has the room, else gathered here and
// written with one V_ChannelWrite. Either way the channel gets the same
// bytes as from one write per piece. Other sinks get every piece as it
// comes.
class Pieces {
 public:
  Pieces(VokSink sink, void *sinkArgument)
      : sink_(sink),
        sinkArgument_(sinkArgument),
        channel_(sink == outchan ? static_cast<Channel *>(sinkArgument)
                                 : nullptr) {
    if (channel_ != nullptr) startGathering();
  }
  Pieces(const Pieces &) = delete;
  Pieces &operator=(const Pieces &) = delete;

  void Put(const char *text, int32_t length) {
    if (channel_ == nullptr) {
      total_ += static_cast<uint32_t>(sink_(sinkArgument_, text, length));
      return;
    }
    if (length > limit_ - to_) {
      handOver();
      if (length > kGatherSize) {
        total_ += static_cast<uint32_t>(sink_(sinkArgument_, text, length));
        startGathering();
        return;
      }
      startGathering();
    }
    std::memcpy(to_, text, static_cast<size_t>(length));
    to_ += length;
  }
  // Puts the plain text at position, up to the format's end or the next
  // '%', and returns where it stops.
  const char *PutRun(const char *position) {
    const size_t length = plainLength(position);
    PutRun(position, length);
    return position + length;
  }
  void PutRun(const char *run, size_t length) {
    if (length > static_cast<size_t>(kUnlimited)) {  // in pieces a sink takes
      PutRun(run, length / 2);
      PutRun(run + length / 2, length - length / 2);
      return;
    }
    if (length > 0 || channel_ == nullptr)
      Put(run, static_cast<int32_t>(length));
  }
  // Room for `need` (at most kGatherSize) bytes at the end of the gathered
  // text, for a conversion to be rendered there; null for a sink that
  // takes every piece as it comes. Advance then takes what was rendered.
  char *Room(int32_t need) {
    if (channel_ == nullptr) return nullptr;
    if (limit_ - to_ < need) {
      handOver();
      startGathering();
    }
    return to_;
  }
  void Advance(char *end) { to_ = end; }
  // Hands over what is gathered; the sum of the sink's results for
  // everything put so far.
  uint32_t Total() {
    if (channel_ != nullptr) {
      handOver();
      limit_ = to_;  // no room: gathering starts anew with the next piece
    }
    return total_;
  }

 private:
  static constexpr int32_t kGatherSize = static_cast<int32_t>(kPlainStatement);

  void startGathering() {
    char *room = V_ChannelRoom(channel_, kGatherSize);
    inPlace_ = room != nullptr;
    first_ = to_ = inPlace_ ? room : gathered_;
    limit_ = first_ + kGatherSize;
  }
  void handOver() {
    const auto used = static_cast<int32_t>(to_ - first_);
    if (used == 0) return;
    if (inPlace_) {
      V_ChannelCommit(channel_, static_cast<size_t>(used));
      total_ += static_cast<uint32_t>(used);
    } else {
      total_ += static_cast<uint32_t>(sink_(sinkArgument_, first_, used));
    }
    to_ = first_;
  }

  VokSink sink_;
  void *sinkArgument_;
  Channel *channel_;  // null: every piece goes to the sink as it comes
  uint32_t total_ = 0;
  bool inPlace_ = false;
  char *first_ = nullptr;  // gathered text: [first_, to_), room up to limit_
  char *to_ = nullptr;
  char *limit_ = nullptr;
  char gathered_[kGatherSize];
};

// "00" to "99": two digits at a time.
struct DigitPairs {
  char digits[100][2];
};
constexpr DigitPairs makeDigitPairs() {
  DigitPairs pairs{};
  for (int value = 0; value < 100; ++value) {
    pairs.digits[value][0] = static_cast<char>('0' + value / 10);
    pairs.digits[value][1] = static_cast<char>('0' + value % 10);
  }
  return pairs;
}
constexpr DigitPairs kDigitPairs = makeDigitPairs();

// ".000" to ".999": a decimal point and three decimals at a time.
struct DecimalTriples {
  char text[1000][4];
};
constexpr DecimalTriples makeDecimalTriples() {
  DecimalTriples triples{};
  for (int value = 0; value < 1000; ++value) {
    triples.text[value][0] = '.';
    triples.text[value][1] = static_cast<char>('0' + value / 100);
    triples.text[value][2] = static_cast<char>('0' + value / 10 % 10);
    triples.text[value][3] = static_cast<char>('0' + value % 10);
  }
  return triples;
}
constexpr DecimalTriples kDecimalTriples = makeDecimalTriples();

// The renderers below write their text forward from `out`, straight where
// it goes, and return where it ends.

// The most bytes a rendering takes: a %f of a magnitude below kFixedLimit,
// which may round up to 13 digits before the point.
constexpr int32_t kLongestRendering = kVokLongestRendering;

// The decimal digits of value (no sign). Below 10000, the common case, the
// digits come from at most two pairs in 32 bits; beyond, two at a time
// from the end.
char *putDigits(uint64_t value, char *out) {
  if (value < 100) {
    if (value < 10) {
      *out = static_cast<char>('0' + value);
      return out + 1;
    }
    std::memcpy(out, kDigitPairs.digits[value], 2);
    return out + 2;
  }
  if (value < 10000) {
    const auto small = static_cast<uint32_t>(value);
    const uint32_t high = small / 100;
    if (high < 10) {
      *out++ = static_cast<char>('0' + high);
    } else {
      std::memcpy(out, kDigitPairs.digits[high], 2);
      out += 2;
    }
    std::memcpy(out, kDigitPairs.digits[small - high * 100], 2);
    return out + 2;
  }
  int32_t count = 5;
  for (uint64_t top = value / 10000; top >= 10; top /= 10) ++count;
  char *const end = out + count;
  char *at = end;
  for (; value >= 100; value /= 100) {
    at -= 2;
    std::memcpy(at, kDigitPairs.digits[value % 100], 2);
  }
  if (value >= 10)
    std::memcpy(at - 2, kDigitPairs.digits[value], 2);
  else
    at[-1] = static_cast<char>('0' + value);
  return end;
}

// "%d" of value (at most 11 bytes).
char *renderDecimal(int value, char *out) {
  uint32_t magnitude = static_cast<uint32_t>(value);
  if (value < 0) {
    magnitude = 0u - magnitude;
    *out++ = '-';
  }
  return putDigits(magnitude, out);
}

// "%02x" of value (at most 8 bytes).
char *renderHex2(int value, char *out) {
  static constexpr char kHexDigits[] = "0123456789abcdef";
  uint32_t bits = static_cast<uint32_t>(value);
  int32_t count = 2;
  while (count < 8 && bits >> (4 * count) != 0) ++count;
  for (int32_t i = count - 1; i >= 0; --i, bits >>= 4)
    out[i] = kHexDigits[bits & 0xF];
  return out + count;
}

// Magnitudes below this take the exact path of renderFixed: their digits
// times 10^6 fit 64 bits and its buffer.
constexpr double kFixedLimit = 1e12;

// The digits of whole / 10^precision with `precision` decimals. The
// divisors are constants (a multiplication each, not a division); the
// decimals come from a table, the units two at a time.
template <int32_t precision>
char *fixedDigits(uint64_t whole, char *out) {
  constexpr uint64_t scale = precision == 6   ? 1000000
                             : precision == 3 ? 1000
                                              : 100;
  const uint64_t units = whole / scale;
  const auto decimals = static_cast<uint32_t>(whole - units * scale);
  out = putDigits(units, out);
  if constexpr (precision == 2) {
    *out = '.';
    std::memcpy(out + 1, kDigitPairs.digits[decimals], 2);
    return out + 3;
  } else {
    std::memcpy(out, kDecimalTriples.text[decimals / (scale / 1000)], 4);
    if constexpr (precision == 6) {
      std::memcpy(out + 4, kDecimalTriples.text[decimals % 1000] + 1, 3);
      return out + 7;
    }
    return out + 4;
  }
}

// Whole numbers below this are rendered from their 32-bit value.
constexpr double kWholeLimit = 4294967296.0;

// Mantissas (without their trailing zero bits) up to this many bits times
// 10^6 stay below 2^63, as any mantissa of 53 bits times 10^3 does.
constexpr int kMantissaBitsForMicros = 43;

// "%.2f", "%.3f" or "%f" (precision 6) of a value, as the C library writes
// it. A finite double is exactly m * 2^e (m an integer of at most 53 bits;
// for precision 6 without its trailing zero bits), so value * 10^p is
// exactly (m * 10^p) * 2^e: its whole part and remainder come from integer
// shifts, and rounding by the remainder is exact, an exact tie to the even
// neighbour as the C library does. At most 21 bytes; null
// for a value that is not finite or too large, or for precision 6 a
// mantissa of more than 43 bits (a single-precision value has 24): the C
// library then renders it.
template <int32_t precision>
char *renderFixed(double value, char *out) {
  static_assert(precision == 2 || precision == 3 || precision == 6);
  if (!(value < kFixedLimit && value > -kFixedLimit)) return nullptr;
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  bool negative = (bits >> 63) != 0;
  // A whole number (most coordinates are) takes no rounding: its digits
  // and zero decimals.
  const double magnitude = negative ? -value : value;
  if (magnitude < kWholeLimit) {
    const auto units = static_cast<uint32_t>(magnitude);
    if (static_cast<double>(units) == magnitude) {
      if (negative) *out++ = '-';
      out = putDigits(units, out);
      std::memcpy(out, ".000000", precision + 1);
      return out + precision + 1;
    }
  }
  int32_t exponentField = static_cast<int32_t>(bits >> 52 & 0x7FF);
  uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);
  int32_t exponent = -1074;  // subnormal numbers and zero
  if (exponentField != 0) {
    mantissa |= uint64_t{1} << 52;
    exponent = exponentField - 1075;
  }
  if constexpr (precision == 6) {  // 53 bits times 10^6 would not fit
    if (mantissa != 0) {
      int zeros = __builtin_ctzll(mantissa);
      mantissa >>= zeros;
      exponent += zeros;
    }
    if (mantissa >> kMantissaBitsForMicros != 0) return nullptr;
  }
  constexpr uint64_t scale = precision == 6   ? 1000000
                             : precision == 3 ? 1000
                                              : 100;
  const uint64_t scaled = mantissa * scale;  // below 2^63
  uint64_t whole = 0;
  if (exponent >= 0) {
    whole = scaled << exponent;  // below 10^18: the value is below 10^12
  } else if (exponent > -64) {
    // scaled / 2^shift rounded to the nearest, a tie to the even one: half
    // a unit less one is added, and one more when the quotient is odd.
    const int32_t shift = -exponent;
    const uint64_t half = uint64_t{1} << (shift - 1);
    whole = (scaled + (half - 1) + (scaled >> shift & 1u)) >> shift;
  }  // else: below half a unit of the last decimal, rounds to 0

  if (negative) *out++ = '-';
  return fixedDigits<precision>(whole, out);
}

char *renderFixed(double value, int32_t precision, char *out) {
  return precision == 6   ? renderFixed<6>(value, out)
         : precision == 3 ? renderFixed<3>(value, out)
                          : renderFixed<2>(value, out);
}

// A conversion rendered by `render` (which writes forward from where it
// is given and returns the end): in the gathered text where there is
// room, else into a text of its own, ended by a NUL (a sink that writes to
// standard error takes pieces as strings) and put as a piece.
template <typename Render>
void putRendered(Pieces *pieces, Render render) {
  if (char *to = pieces->Room(kLongestRendering)) {
    pieces->Advance(render(to));
    return;
  }
  char text[kLongestRendering + 1];
  char *end = render(text);
  *end = '\0';
  pieces->Put(text, static_cast<int32_t>(end - text));
}

// A fixed-point conversion of precision 2, 3 or 6, rendered by renderFixed
// where it can (as putRendered puts it), else by the C library.
void putFixed(double value, int32_t precision, Pieces *pieces,
              ConversionBuffer *buffer) {
  char *to = pieces->Room(kLongestRendering);
  char text[kLongestRendering + 1];
  if (char *end = renderFixed(value, precision, to != nullptr ? to : text)) {
    if (to != nullptr) {
      pieces->Advance(end);
    } else {
      *end = '\0';
      pieces->Put(text, static_cast<int32_t>(end - text));
    }
    return;
  }
  static constexpr const char *kFormats[] = {"%.2f", "%.3f", "%f"};
  std::snprintf(buffer->data(), buffer->size(),
                kFormats[precision == 2   ? 0
                         : precision == 3 ? 1
                                          : 2],
                value);
  pieces->Put(buffer->data(), xstrnlen(buffer->data(), buffer->size()));
}

// The conversions of the filter's own formats: %d, %hd, %s, %f, %.2f, %.3f
// and %02x with nothing else in the specifier. `at` points behind the '%'.
// Renders the conversion, taking its argument, exactly as the C library
// path would, and returns the position behind it; returns null, taking
// nothing, for any other specifier. Sets *stop when the %s buffer could
// not be enlarged (formatting then stops).
const char *renderCommon(const char *at, va_list *args, Pieces *pieces,
                         ConversionBuffer *buffer, bool *stop) {
  const ConversionSpec spec = ParseConversion(at);
  switch (spec.kind) {
    case Conversion::Int:
    case Conversion::Short: {
      int value = va_arg(*args, int);
      if (spec.kind == Conversion::Short) value = static_cast<short>(value);
      putRendered(pieces,
                  [value](char *to) { return renderDecimal(value, to); });
      break;
    }
    case Conversion::String: {
      const char *string = va_arg(*args, const char *);
      if (string == nullptr) string = "";
      size_t length = std::strlen(string);
      // The room the C library path would have needed; its buffer serves
      // the conversions that follow.
      int32_t cap = static_cast<int32_t>(kVokMaxAlloc) - 1;
      int32_t kept = length < static_cast<size_t>(cap)
                         ? static_cast<int32_t>(length)
                         : cap;
      if (!buffer->Reserve(kept + 1)) {
        *stop = true;
        break;
      }
      pieces->Put(string, kept);
      break;
    }
    case Conversion::Fixed2:
    case Conversion::Fixed3:
    case Conversion::Fixed6:
      putFixed(va_arg(*args, double), FixedPrecision(spec.kind), pieces,
               buffer);
      break;
    case Conversion::Hex2: {
      const int value = va_arg(*args, int);
      putRendered(pieces, [value](char *to) { return renderHex2(value, to); });
      break;
    }
    case Conversion::Other:
      return nullptr;
  }
  return at + spec.length;
}

// The engine: the format's first `plain` bytes are plain text.
int32_t formatPieces(VokSink sink, void *sinkArgument, const char *format,
                     size_t plain, va_list args) {
  ConversionBuffer buffer;
  Pieces pieces(sink, sinkArgument);
  // The argument list is copied only behind the leading plain text: right
  // at the entry the copy would wait for the caller's va_start to be
  // stored, a pause that shows in every statement.
  pieces.PutRun(format, plain);
  const char *position = format + plain;
  va_list ap;
  va_copy(ap, args);
  for (;; position = pieces.PutRun(position)) {
    if (*position == '\0') break;

    bool stop = false;
    const char *after =
        renderCommon(position + 1, &ap, &pieces, &buffer, &stop);
    if (stop) break;
    if (after != nullptr) {
      position = after;
      continue;
    }

    char spec[kSpecSize];
    int32_t droppedStars = 0;
    position = copyformat(spec, position, &droppedStars);
    int32_t length = static_cast<int32_t>(std::strlen(spec));
    char conversion = spec[length - 1];
    if (isConversion(conversion)) {  // else: no argument belongs to it
      VokProcessWildFieldWidth(spec, &ap);
      for (; droppedStars > 0; --droppedStars) (void)va_arg(ap, int);
      length = static_cast<int32_t>(std::strlen(spec));
    }
    if (conversion == 'n') {
      storeCount(spec, length, pieces.Total(), &ap);
      continue;
    }
    if (conversion == 's' && !buffer.Reserve(getStringSize(spec, &ap) + 1))
      break;
    VokPrintToStream(buffer.data(), buffer.size(), spec, length, &ap);
    pieces.Put(buffer.data(), xstrnlen(buffer.data(), buffer.size()));
  }
  va_end(ap);
  return static_cast<int32_t>(pieces.Total());
}

// The room a statement written in place may take.
constexpr int32_t kInPlaceRoom = 256;

// Renders the statement from `at` on, its plain text and the conversions
// renderCommon renders, into [to, limit + kLongestRendering), exactly as
// the engine renders them. Returns where the text ends, or null when the
// statement needs the engine: another specifier, a value the C library
// renders, or more text than the room holds.
char *renderInPlace(const char *at, char *to, char *const limit,
                    va_list *args) {
  for (;;) {
    if (*at != '%') {
      if (*at == '\0') return to;
      if (to == limit) return nullptr;
      *to++ = *at++;
      continue;
    }
    if (to > limit) return nullptr;
    const ConversionSpec spec = ParseConversion(at + 1);
    switch (spec.kind) {
      case Conversion::Int:
        to = renderDecimal(va_arg(*args, int), to);
        break;
      case Conversion::Short:
        to = renderDecimal(static_cast<short>(va_arg(*args, int)), to);
        break;
      case Conversion::Fixed2:
        to = renderFixed<2>(va_arg(*args, double), to);
        break;
      case Conversion::Fixed3:
        to = renderFixed<3>(va_arg(*args, double), to);
        break;
      case Conversion::Fixed6:
        to = renderFixed<6>(va_arg(*args, double), to);
        break;
      case Conversion::Hex2:
        to = renderHex2(va_arg(*args, int), to);
        break;
      case Conversion::String: {
        const char *string = va_arg(*args, const char *);
        if (string == nullptr) string = "";
        const size_t room = static_cast<size_t>(limit - to);
        const size_t length = strnlen(string, room + 1);
        if (length > room) return nullptr;
        std::memcpy(to, string, length);
        to += length;
        break;
      }
      case Conversion::Other:
        return nullptr;
    }
    if (to == nullptr) return nullptr;  // a value the C library renders
    at += 1 + spec.length;
  }
}

// A statement to a channel written straight into its buffer, in one piece,
// where it has the room and the engine would render it all itself: the
// same bytes and count as the engine, without gathering them. The
// format's first `plain` bytes are plain text; the arguments are taken
// from *args as they are. -1, with nothing written (arguments may have
// been taken), when the statement needs the engine.
int32_t formatInPlace(Channel *channel, const char *format, size_t plain,
                      va_list *args) {
  constexpr size_t kPlainRoom = kInPlaceRoom - kLongestRendering;
  char *const start = V_ChannelRoom(channel, kInPlaceRoom);
  if (start == nullptr || plain > kPlainRoom) return -1;
  char *const limit = start + kPlainRoom;
  std::memcpy(start, format, plain);
  char *end = start + plain;
  if (format[plain] != '\0') {
    end = renderInPlace(format + plain, end, limit, args);
    if (end == nullptr) return -1;
  }
  V_ChannelCommit(channel, static_cast<size_t>(end - start));
  return static_cast<int32_t>(end - start);
}

// V_Printf to a channel where it needs no gathering: a statement without
// conversions as it is, in the one write the engine would gather it into,
// or one written in place. -1 (arguments may have been taken from *args)
// when the engine must write it.
inline int32_t printAtOnce(Channel *channel, const char *format,
                           va_list *args) {
  if (channel == nullptr || format == nullptr) return -1;
  const size_t plain = plainLength(format);
  if (format[plain] == '\0' && plain <= kPlainStatement)
    return plain == 0 ? 0
                      : static_cast<int32_t>(
                            V_ChannelWrite(format, 1, plain, channel));
  return formatInPlace(channel, format, plain, args);
}

}  // namespace

char *VokRenderDecimal(int value, char *out) {
  return renderDecimal(value, out);
}

char *VokRenderFixed(double value, int32_t precision, char *out) {
  return renderFixed(value, precision, out);
}

int32_t Vok_doprnt(VokSink sink, void *sinkArgument, const char *format,
                   va_list args) {
  if (format == nullptr) format = "";
  return formatPieces(sink, sinkArgument, format, plainLength(format), args);
}

int32_t VokVPrintf(Channel *channel, const char *format, va_list args) {
  va_list ap;
  va_copy(ap, args);
  const int32_t written = printAtOnce(channel, format, &ap);
  va_end(ap);
  return written >= 0 ? written : Vok_doprnt(outchan, channel, format, args);
}

int32_t VokVSnprintf(char *buffer, int32_t size, const char *format,
                     va_list args) {
  // A buffer without room even for the NUL is left untouched.
  StringSink sink{size > 0 ? buffer : nullptr, buffer ? size - 1 : -1};
  int32_t total = Vok_doprnt(outs, &sink, format, args);
  if (sink.position != nullptr) *sink.position = '\0';
  return total;
}

// The arguments are taken straight from the list va_start made: a copy of
// it just made waits for the list to be stored, a pause that shows in
// every statement. The engine, when it must write the statement, starts
// on the list anew.
int32_t V_Printf(Channel *channel, const char *format, ...) {
  va_list args;
  va_start(args, format);
  int32_t n = printAtOnce(channel, format, &args);
  va_end(args);
  if (n >= 0) return n;
  va_start(args, format);
  n = Vok_doprnt(outchan, channel, format, args);
  va_end(args);
  return n;
}

int32_t V_Sprintf(char *buffer, const char *format, ...) {
  va_list args;
  va_start(args, format);
  int32_t n = VokVSnprintf(buffer, 0x7fffffff, format, args);
  va_end(args);
  return n;
}

int32_t V_Snprintf(char *buffer, int32_t size, const char *format, ...) {
  va_list args;
  va_start(args, format);
  int32_t n = VokVSnprintf(buffer, size, format, args);
  va_end(args);
  return n;
}

namespace {

constexpr StatementPlan kPointStatement = PlanStatement(kVokPointFormat);
constexpr StatementPlan kCommentPointStatement =
    PlanStatement(kVokCommentPointFormat);

}  // namespace

void V_WritePoint(Channel *channel, double x, double y) {
  V_WriteStatement<kPointStatement>(channel, x, y);
}

void V_WriteCommentPoint(Channel *channel, double x, double y) {
  V_WriteStatement<kCommentPointStatement>(channel, x, y);
}

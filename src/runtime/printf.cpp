// The runtime's printf engine. It walks the format itself, renders each
// single conversion with the C library's snprintf and hands the pieces to a
// sink: a channel (V_Printf) or a character buffer (V_Sprintf).
#include <cstdio>
#include <cstring>
#include <string_view>

#include "runtime/vok.h"

namespace {

// Every byte that ends a conversion specification.
constexpr std::string_view kConversions = "dioxXucsfeEgGp%nC";
// One specification holds at most 63 characters and its NUL.
constexpr int32_t kSpecSize = 64;
// Scratch for the '*' expansion.
constexpr int32_t kWildScratchSize = 1024;
// First output buffer; only %s enlarges it.
constexpr int32_t kOutputSize = 256;
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

// The parts of a specification the C library is given.
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

// Copies one specification, from the '%' under position up to and
// including the first conversion byte (or up to the format's end), into
// spec and returns the position after it. A specification longer than 63
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

// Renders one specification into output (outputSize bytes with the NUL),
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

}  // namespace

int32_t Vok_doprnt(VokSink sink, void *sinkArgument, const char *format,
                   va_list args) {
  if (format == nullptr) format = "";
  va_list ap;
  va_copy(ap, args);
  char localOutput[kOutputSize];
  char *output = localOutput;
  int32_t outputSize = kOutputSize;
  uint32_t total = 0;
  const char *position = format;
  for (;;) {
    const char *run = position;
    while (*position != '\0' && *position != '%') ++position;
    total += static_cast<uint32_t>(
        sink(sinkArgument, run, static_cast<int32_t>(position - run)));
    if (*position == '\0') break;

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
      storeCount(spec, length, total, &ap);
      continue;
    }
    if (conversion == 's') {
      int32_t need = getStringSize(spec, &ap) + 1;
      if (need > outputSize) {
        void *grown = output == localOutput ? V_Alloc(need, 0)
                                            : V_Realloc(output, need, 0);
        if (grown == nullptr) break;
        output = static_cast<char *>(grown);
        outputSize = need;
      }
    }
    VokPrintToStream(output, outputSize, spec, length, &ap);
    total += static_cast<uint32_t>(
        sink(sinkArgument, output, xstrnlen(output, outputSize)));
  }
  if (output != localOutput) V_Free(output);
  va_end(ap);
  return static_cast<int32_t>(total);
}

int32_t VokVPrintf(Channel *channel, const char *format, va_list args) {
  return Vok_doprnt(outchan, channel, format, args);
}

int32_t VokVSnprintf(char *buffer, int32_t size, const char *format,
                     va_list args) {
  // A buffer without room even for the NUL is left untouched.
  StringSink sink{size > 0 ? buffer : nullptr, buffer ? size - 1 : -1};
  int32_t total = Vok_doprnt(outs, &sink, format, args);
  if (sink.position != nullptr) *sink.position = '\0';
  return total;
}

int32_t V_Printf(Channel *channel, const char *format, ...) {
  va_list args;
  va_start(args, format);
  int32_t n = VokVPrintf(channel, format, args);
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

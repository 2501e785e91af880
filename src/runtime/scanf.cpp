// Formatted input from a string: the runtime's own scanf-style reader.
// Integer results are computed in 32 bits (overflow wraps) and stored as
// 16 bits with an h modifier, else as 32 bits; floating results as a double
// with l, else as a float.
#include <cstdint>
#include <cstdlib>

#include "runtime/vok.h"

namespace {

// The reader's position in its input text.
struct ScanInput {
  const char *text;
  uint32_t position;

  char Peek() const { return text[position]; }
  bool AtEnd() const { return text[position] == '\0'; }
};

// One conversion directive of the format.
struct ScanDirective {
  bool suppress = false;  // '*': read but do not assign
  uint32_t width = 0;     // 0: no limit
  char modifier = '\0';   // 'h', 'l' or none
  char conversion = '\0';
  const char *set = nullptr;  // scan set: its characters, after any '^'
  uint32_t setLength = 0;
  bool negated = false;  // scan set opened with "[^"
};

bool isScanSpace(char c) { return c == ' ' || c == '\t' || c == '\n'; }

void skipSpace(ScanInput &in) {
  while (isScanSpace(in.Peek())) ++in.position;
}

bool isConversion(char c) {
  for (const char *p = "dioxXucsfegn[%"; *p != '\0'; ++p)
    if (*p == c) return true;
  return false;
}

// The value of c as a digit of base, or -1.
int digitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

// Scan set: the characters between "[" (or "[^") and the closing "]"; a "]"
// first in the set belongs to it. Returns the length of the set.
uint32_t VokScanExtractRanges(const char *start, ScanDirective &directive) {
  const char *p = start;
  if (*p == '^') {
    directive.negated = true;
    ++p;
  }
  directive.set = p;
  if (*p == ']') ++p;
  while (*p != '\0' && *p != ']') ++p;
  directive.setLength = static_cast<uint32_t>(p - directive.set);
  if (*p == ']') ++p;
  return static_cast<uint32_t>(p - start);
}

// Reads the star, width and modifier of the directive that begins at
// `format` (on its "%") into `directive`; returns the position of its
// conversion character.
const char *VokScanFormatParam(const char *format, ScanDirective &directive) {
  const char *p = format + 1;
  if (*p == '*') {
    directive.suppress = true;
    ++p;
  }
  for (; *p >= '0' && *p <= '9'; ++p)
    directive.width = directive.width * 10u + static_cast<uint32_t>(*p - '0');
  if (*p == 'h' || *p == 'l') directive.modifier = *p++;
  directive.conversion = *p;
  return p;
}

// Takes the whole directive that begins at `format` into `directive`, a scan
// set included, and returns its length.
uint32_t VokScanExtractFormat(const char *format, ScanDirective &directive) {
  const char *p = VokScanFormatParam(format, directive);
  if (*p != '\0') ++p;
  if (directive.conversion == '[') p += VokScanExtractRanges(p, directive);
  return static_cast<uint32_t>(p - format);
}

// True when c is in the scan set; two characters joined by "-" form a range
// when the first is below the second.
bool VokScanMatchChar(const ScanDirective &directive, char c) {
  const unsigned char *set =
      reinterpret_cast<const unsigned char *>(directive.set);
  const auto u = static_cast<unsigned char>(c);
  bool found = false;
  for (uint32_t i = 0; i < directive.setLength && !found; ++i) {
    if (i + 2 < directive.setLength && set[i + 1] == '-' &&
        set[i] < set[i + 2]) {
      found = u >= set[i] && u <= set[i + 2];
      i += 2;
    } else {
      found = u == set[i];
    }
  }
  return found != directive.negated;
}

// Stores a signed integer result: 16 bits with h, else 32 bits.
void VokScanSetValue(void *target, char modifier, uint32_t value) {
  if (target == nullptr) return;
  if (modifier == 'h') {
    *static_cast<int16_t *>(target) = static_cast<int16_t>(value & 0xFFFFu);
  } else {
    *static_cast<int32_t *>(target) = static_cast<int32_t>(value);
  }
}

// %n: the number of input characters read so far.
void ScanNumber(void *target, char modifier, uint32_t count) {
  VokScanSetValue(target, modifier, count);
}

// Room left for one more character within the width.
bool roomFor(const ScanDirective &directive, uint32_t used, uint32_t more = 1) {
  return directive.width == 0 || used + more <= directive.width;
}

// The digits of an integer conversion in `base`, after its sign and prefix.
// `used` counts what the width has given to them; `negative` and `read`
// describe what came before the digits.
int scanDigits(ScanInput &in, const ScanDirective &directive, void *target,
               int base, uint32_t used, bool negative) {
  uint32_t value = 0;
  uint32_t start = used;
  for (; roomFor(directive, used) && digitValue(in.Peek(), base) >= 0; ++used) {
    value = value * static_cast<uint32_t>(base) +
            static_cast<uint32_t>(digitValue(in.Peek(), base));
    ++in.position;
  }
  // Nothing read, or only a minus sign, is no number.
  if (used == 0 || (negative && used == start && start == 1)) return 0;
  VokScanSetValue(target, directive.modifier, negative ? 0u - value : value);
  return 1;
}

// An optional sign; returns false when the width leaves no room beyond it.
bool scanSign(ScanInput &in, const ScanDirective &directive, uint32_t &used,
              bool &negative) {
  char c = in.Peek();
  if (c != '-' && c != '+') return true;
  if (directive.width == 1) return false;
  negative = c == '-';
  ++in.position;
  ++used;
  return true;
}

// A zero followed by an x in either case, where the width leaves room.
bool scanHexPrefix(ScanInput &in, const ScanDirective &directive,
                   uint32_t &used) {
  const char *p = in.text + in.position;
  if (p[0] != '0' || (p[1] != 'x' && p[1] != 'X') ||
      !roomFor(directive, used, 2))
    return false;
  in.position += 2;
  used += 2;
  return true;
}

// Integer conversions in a fixed base (8, 10 or 16) or, with base 0, in the
// base its prefix names.
int scanInteger(ScanInput &in, const ScanDirective &directive, void *target,
                int base) {
  if (in.AtEnd()) return -1;
  uint32_t used = 0;
  bool negative = false;
  if (!scanSign(in, directive, used, negative)) return 0;
  if (base == 16 || base == 0) {
    if (scanHexPrefix(in, directive, used)) {
      base = 16;
    } else if (base == 0) {
      base = in.Peek() == '0' ? 8 : 10;
    }
  }
  return scanDigits(in, directive, target, base, used, negative);
}

int Decimal(ScanInput &in, const ScanDirective &directive, void *target) {
  return scanInteger(in, directive, target, 10);
}

int Hexadecimal(ScanInput &in, const ScanDirective &directive, void *target) {
  return scanInteger(in, directive, target, 16);
}

int Octal(ScanInput &in, const ScanDirective &directive, void *target) {
  return scanInteger(in, directive, target, 8);
}

int Integer(ScanInput &in, const ScanDirective &directive, void *target) {
  return scanInteger(in, directive, target, 0);
}

// Characters while `accept` holds and the width allows, then a NUL.
template <typename Accept>
int scanCharacters(ScanInput &in, const ScanDirective &directive, void *target,
                   Accept accept) {
  if (in.AtEnd()) return -1;
  char *out = static_cast<char *>(target);
  uint32_t count = 0;
  for (; roomFor(directive, count) && !in.AtEnd() && accept(in.Peek());
       ++count) {
    if (out != nullptr) out[count] = in.Peek();
    ++in.position;
  }
  if (count == 0) return 0;
  if (out != nullptr) out[count] = '\0';
  return 1;
}

int String(ScanInput &in, const ScanDirective &directive, void *target) {
  return scanCharacters(in, directive, target,
                        [](char c) { return !isScanSpace(c); });
}

int ScanBracket(ScanInput &in, const ScanDirective &directive, void *target) {
  return scanCharacters(in, directive, target, [&directive](char c) {
    return VokScanMatchChar(directive, c);
  });
}

int Character(ScanInput &in, void *target) {
  if (in.AtEnd()) return -1;
  if (target != nullptr) *static_cast<char *>(target) = in.Peek();
  ++in.position;
  return 1;
}

int Float(ScanInput &in, const ScanDirective &directive, void *target) {
  if (in.AtEnd()) return -1;
  const char *start = in.text + in.position;
  char *end = nullptr;
  double value = std::strtod(start, &end);
  if (end == start) return 0;
  in.position += static_cast<uint32_t>(end - start);
  if (target == nullptr) return 1;
  if (directive.modifier == 'l') {
    *static_cast<double *>(target) = value;
  } else {
    *static_cast<float *>(target) = static_cast<float>(value);
  }
  return 1;
}

// One conversion: 1 when it matched, 0 when it did not, -1 when the input
// was exhausted.
int ScanField(ScanInput &in, const ScanDirective &directive, void *target) {
  char conversion = directive.conversion;
  if (conversion != 'c' && conversion != '[') skipSpace(in);
  switch (conversion) {
    case 'd':
    case 'u':
      return Decimal(in, directive, target);
    case 'x':
    case 'X':
      return Hexadecimal(in, directive, target);
    case 'o':
      return Octal(in, directive, target);
    case 'i':
      return Integer(in, directive, target);
    case 's':
      return String(in, directive, target);
    case 'c':
      return Character(in, target);
    case '[':
      return ScanBracket(in, directive, target);
    case 'e':
    case 'f':
    case 'g':
      return Float(in, directive, target);
    case '%':
      if (in.AtEnd()) return -1;
      if (in.Peek() != '%') return 0;
      ++in.position;
      return 1;
    default:
      return 0;
  }
}

}  // namespace

int V_Sscanf(const char *input, const char *format, ...) {
  if (input == nullptr || *input == '\0') return -1;
  if (format == nullptr) return 0;
  ScanInput in{input, 0};
  int assigned = 0;
  va_list args;
  va_start(args, format);
  const char *f = format;
  int result = -2;  // -2: still reading
  while (*f != '\0' && result == -2) {
    if (isScanSpace(*f)) {
      while (isScanSpace(*f)) ++f;
      skipSpace(in);
      continue;
    }
    if (*f != '%') {
      if (in.Peek() == *f) {
        ++in.position;
        ++f;
      } else {
        result = in.AtEnd() && assigned == 0 ? -1 : assigned;
      }
      continue;
    }
    ScanDirective directive;
    f += VokScanExtractFormat(f, directive);
    // An unknown conversion fails before any target is taken.
    if (!isConversion(directive.conversion)) {
      result = assigned;
      continue;
    }
    void *target = nullptr;
    if (!directive.suppress && directive.conversion != '%')
      target = va_arg(args, void *);
    if (directive.conversion == 'n') {
      ScanNumber(target, directive.modifier, in.position);
      continue;
    }
    int field = ScanField(in, directive, target);
    if (field == 1 && target != nullptr) ++assigned;
    if (field == 0) result = assigned;
    if (field == -1) result = assigned > 0 ? assigned : -1;
  }
  va_end(args);
  return result == -2 ? assigned : result;
}

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

// One conversion specification of the format.
struct ScanSpec {
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
uint32_t VokScanExtractRanges(const char *start, ScanSpec &spec) {
  const char *p = start;
  if (*p == '^') {
    spec.negated = true;
    ++p;
  }
  spec.set = p;
  if (*p == ']') ++p;
  while (*p != '\0' && *p != ']') ++p;
  spec.setLength = static_cast<uint32_t>(p - spec.set);
  if (*p == ']') ++p;
  return static_cast<uint32_t>(p - start);
}

// Fills `spec` from the specification that begins at `format` (on its "%")
// and returns the specification's length.
uint32_t VokScanExtractFormat(const char *format, ScanSpec &spec) {
  const char *p = format + 1;
  if (*p == '*') {
    spec.suppress = true;
    ++p;
  }
  for (; *p >= '0' && *p <= '9'; ++p)
    spec.width = spec.width * 10u + static_cast<uint32_t>(*p - '0');
  if (*p == 'h' || *p == 'l') spec.modifier = *p++;
  spec.conversion = *p;
  if (*p != '\0') ++p;
  if (spec.conversion == '[') p += VokScanExtractRanges(p, spec);
  return static_cast<uint32_t>(p - format);
}

// True when c is in the scan set; two characters joined by "-" form a range
// when the first is below the second.
bool VokScanMatchChar(const ScanSpec &spec, char c) {
  const unsigned char *set = reinterpret_cast<const unsigned char *>(spec.set);
  const auto u = static_cast<unsigned char>(c);
  bool found = false;
  for (uint32_t i = 0; i < spec.setLength && !found; ++i) {
    if (i + 2 < spec.setLength && set[i + 1] == '-' && set[i] < set[i + 2]) {
      found = u >= set[i] && u <= set[i + 2];
      i += 2;
    } else {
      found = u == set[i];
    }
  }
  return found != spec.negated;
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
bool roomFor(const ScanSpec &spec, uint32_t used, uint32_t more = 1) {
  return spec.width == 0 || used + more <= spec.width;
}

// The digits of an integer conversion in `base`, after its sign and prefix.
// `used` counts what the width has given to them; `negative` and `read`
// describe what came before the digits.
int scanDigits(ScanInput &in, const ScanSpec &spec, void *target, int base,
               uint32_t used, bool negative) {
  uint32_t value = 0;
  uint32_t start = used;
  for (; roomFor(spec, used) && digitValue(in.Peek(), base) >= 0; ++used) {
    value = value * static_cast<uint32_t>(base) +
            static_cast<uint32_t>(digitValue(in.Peek(), base));
    ++in.position;
  }
  // Nothing read, or only a minus sign, is no number.
  if (used == 0 || (negative && used == start && start == 1)) return 0;
  VokScanSetValue(target, spec.modifier, negative ? 0u - value : value);
  return 1;
}

// An optional sign; returns false when the width leaves no room beyond it.
bool scanSign(ScanInput &in, const ScanSpec &spec, uint32_t &used,
              bool &negative) {
  char c = in.Peek();
  if (c != '-' && c != '+') return true;
  if (spec.width == 1) return false;
  negative = c == '-';
  ++in.position;
  ++used;
  return true;
}

// A zero followed by an x in either case, where the width leaves room.
bool scanHexPrefix(ScanInput &in, const ScanSpec &spec, uint32_t &used) {
  const char *p = in.text + in.position;
  if (p[0] != '0' || (p[1] != 'x' && p[1] != 'X') || !roomFor(spec, used, 2))
    return false;
  in.position += 2;
  used += 2;
  return true;
}

// Integer conversions in a fixed base (8, 10 or 16) or, with base 0, in the
// base its prefix names.
int scanInteger(ScanInput &in, const ScanSpec &spec, void *target, int base) {
  if (in.AtEnd()) return -1;
  uint32_t used = 0;
  bool negative = false;
  if (!scanSign(in, spec, used, negative)) return 0;
  if (base == 16 || base == 0) {
    if (scanHexPrefix(in, spec, used)) {
      base = 16;
    } else if (base == 0) {
      base = in.Peek() == '0' ? 8 : 10;
    }
  }
  return scanDigits(in, spec, target, base, used, negative);
}

int Decimal(ScanInput &in, const ScanSpec &spec, void *target) {
  return scanInteger(in, spec, target, 10);
}

int Hexadecimal(ScanInput &in, const ScanSpec &spec, void *target) {
  return scanInteger(in, spec, target, 16);
}

int Octal(ScanInput &in, const ScanSpec &spec, void *target) {
  return scanInteger(in, spec, target, 8);
}

int Integer(ScanInput &in, const ScanSpec &spec, void *target) {
  return scanInteger(in, spec, target, 0);
}

// Characters while `accept` holds and the width allows, then a NUL.
template <typename Accept>
int scanCharacters(ScanInput &in, const ScanSpec &spec, void *target,
                   Accept accept) {
  if (in.AtEnd()) return -1;
  char *out = static_cast<char *>(target);
  uint32_t count = 0;
  for (; roomFor(spec, count) && !in.AtEnd() && accept(in.Peek()); ++count) {
    if (out != nullptr) out[count] = in.Peek();
    ++in.position;
  }
  if (count == 0) return 0;
  if (out != nullptr) out[count] = '\0';
  return 1;
}

int String(ScanInput &in, const ScanSpec &spec, void *target) {
  return scanCharacters(in, spec, target,
                        [](char c) { return !isScanSpace(c); });
}

int ScanBracket(ScanInput &in, const ScanSpec &spec, void *target) {
  return scanCharacters(in, spec, target,
                        [&spec](char c) { return VokScanMatchChar(spec, c); });
}

int Character(ScanInput &in, void *target) {
  if (in.AtEnd()) return -1;
  if (target != nullptr) *static_cast<char *>(target) = in.Peek();
  ++in.position;
  return 1;
}

int Float(ScanInput &in, const ScanSpec &spec, void *target) {
  if (in.AtEnd()) return -1;
  const char *start = in.text + in.position;
  char *end = nullptr;
  double value = std::strtod(start, &end);
  if (end == start) return 0;
  in.position += static_cast<uint32_t>(end - start);
  if (target == nullptr) return 1;
  if (spec.modifier == 'l') {
    *static_cast<double *>(target) = value;
  } else {
    *static_cast<float *>(target) = static_cast<float>(value);
  }
  return 1;
}

// One conversion: 1 when it matched, 0 when it did not, -1 when the input
// was exhausted.
int ScanField(ScanInput &in, const ScanSpec &spec, void *target) {
  char conversion = spec.conversion;
  if (conversion != 'c' && conversion != '[') skipSpace(in);
  switch (conversion) {
    case 'd':
    case 'u':
      return Decimal(in, spec, target);
    case 'x':
    case 'X':
      return Hexadecimal(in, spec, target);
    case 'o':
      return Octal(in, spec, target);
    case 'i':
      return Integer(in, spec, target);
    case 's':
      return String(in, spec, target);
    case 'c':
      return Character(in, target);
    case '[':
      return ScanBracket(in, spec, target);
    case 'e':
    case 'f':
    case 'g':
      return Float(in, spec, target);
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
    ScanSpec spec;
    f += VokScanExtractFormat(f, spec);
    // An unknown conversion fails before any target is taken.
    if (!isConversion(spec.conversion)) {
      result = assigned;
      continue;
    }
    void *target = nullptr;
    if (!spec.suppress && spec.conversion != '%') target = va_arg(args, void *);
    if (spec.conversion == 'n') {
      ScanNumber(target, spec.modifier, in.position);
      continue;
    }
    int field = ScanField(in, spec, target);
    if (field == 1 && target != nullptr) ++assigned;
    if (field == 0) result = assigned;
    if (field == -1) result = assigned > 0 ? assigned : -1;
  }
  va_end(args);
  return result == -2 ? assigned : result;
}

#include "preview/svg.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>

namespace tovpreview {
namespace {

// The eight reference colours, one per separation number.
constexpr std::array<std::array<uint8_t, 3>, 8> kSeparationRgb = {{
    {0, 0, 0},
    {255, 255, 255},
    {255, 0, 0},
    {0, 255, 0},
    {0, 0, 255},
    {0, 255, 255},
    {255, 0, 255},
    {255, 255, 0},
}};

// Ink density of fill numbers 0 (solid) to 7 (no ink).
constexpr std::array<double, 8> kTintDensity = {1.0, 0.9, 0.7,  0.5,
                                                0.3, 0.1, 0.03, 0.0};

// The patterns of fill numbers 8 to 14: one byte per row, leftmost pixel in
// the most significant bit.
constexpr std::array<std::array<uint8_t, 8>, 7> kPatterns = {{
    {0x0F, 0x1E, 0x3C, 0x78, 0xF0, 0xE1, 0xC3, 0x87},
    {0x0F, 0x87, 0xC3, 0xE1, 0xF0, 0x78, 0x3C, 0x1E},
    {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC},
    {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00},
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},
    {0x03, 0x06, 0x0C, 0x18, 0x30, 0x60, 0xC0, 0x81},
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},
}};

// Unicode of the Macintosh character codes 0x80 to 0xFF.
// clang-format off
constexpr std::array<uint16_t, 128> kMacRoman = {
/* 0x80 */ 0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,
           0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,
/* 0x90 */ 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
           0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,
/* 0xA0 */ 0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,
           0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
/* 0xB0 */ 0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,
           0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,
/* 0xC0 */ 0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
           0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,
/* 0xD0 */ 0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,
           0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
/* 0xE0 */ 0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
           0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,
/* 0xF0 */ 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
           0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};
// clang-format on

void appendUtf8(std::string &out, uint32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

bool appendSpecial(std::string &out, char c) {
  switch (c) {
    case '&':
      out += "&amp;";
      return true;
    case '<':
      out += "&lt;";
      return true;
    case '>':
      out += "&gt;";
      return true;
    case '"':
      out += "&quot;";
      return true;
    default:
      return false;
  }
}

}  // namespace

void AppendNumber(std::string &out, double value) {
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, value,
                              std::chars_format::fixed, 3);
  char *end = result.ptr;
  if (result.ec != std::errc()) {
    end = text + std::snprintf(text, sizeof text, "%.6g", value);
  } else {
    while (end[-1] == '0') --end;
    if (end[-1] == '.') --end;
  }
  if (end - text == 2 && text[0] == '-' && text[1] == '0') {
    out.push_back('0');
    return;
  }
  out.append(text, end);
}

// All 64 colours, made once.
std::string TintColour(int separation, int ink) {
  static const auto kColours = [] {
    std::array<std::array<std::string, 8>, 8> colours;
    for (int s = 0; s < 8; ++s) {
      for (int i = 0; i < 8; ++i) {
        char text[8];
        int channel[3];
        for (int c = 0; c < 3; ++c) {
          int rgb = kSeparationRgb[s][c];
          channel[c] =
              static_cast<int>(255 - (255 - rgb) * kTintDensity[i] + 0.5);
        }
        std::snprintf(text, sizeof text, "#%02x%02x%02x", channel[0],
                      channel[1], channel[2]);
        colours[s][i] = text;
      }
    }
    return colours;
  }();
  return kColours[separation][ink];
}

std::string PatternId(int ink, int separation) {
  return "pattern" + std::to_string(ink) + "-" + std::to_string(separation);
}

std::string PatternDefinition(int ink, int separation) {
  std::string out =
      "<defs><pattern id=\"" + PatternId(ink, separation) +
      "\" width=\"8\" height=\"8\" patternUnits=\"userSpaceOnUse\">"
      "<rect width=\"8\" height=\"8\" fill=\"white\"/><path d=\"";
  const auto &rows = kPatterns[ink - 8];
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      if (rows[y] & (0x80 >> x)) {
        out += "M" + std::to_string(x) + " " + std::to_string(y) + "h1v1h-1z";
      }
    }
  }
  out += "\" fill=\"" + TintColour(separation, 0) + "\"/></pattern></defs>\n";
  return out;
}

void AppendText(std::string &out, const std::string &codes) {
  for (char c : codes) {
    auto code = static_cast<unsigned char>(c);
    if (code == '\t') {
      out.push_back(' ');
    } else if (code >= 0x80) {
      appendUtf8(out, kMacRoman[code - 0x80]);
    } else if (code >= 0x20 && code != 0x7F && !appendSpecial(out, c)) {
      out.push_back(c);
    }
  }
}

// Greek letters of the Symbol font at the codes of "A" to "Z" and "a" to "z".
constexpr char16_t kSymbolUpper[] =
    u"\u0391\u0392\u03A7\u0394\u0395\u03A6\u0393\u0397\u0399\u03D1\u039A"
    u"\u039B\u039C\u039D\u039F\u03A0\u0398\u03A1\u03A3\u03A4\u03A5\u03C2"
    u"\u03A9\u039E\u03A8\u0396";
constexpr char16_t kSymbolLower[] =
    u"\u03B1\u03B2\u03C7\u03B4\u03B5\u03C6\u03B3\u03B7\u03B9\u03D5\u03BA"
    u"\u03BB\u03BC\u03BD\u03BF\u03C0\u03B8\u03C1\u03C3\u03C4\u03C5\u03D6"
    u"\u03C9\u03BE\u03C8\u03B6";

void AppendSymbolText(std::string &out, const std::string &codes) {
  for (char c : codes) {
    if (c >= 'A' && c <= 'Z') {
      appendUtf8(out, kSymbolUpper[c - 'A']);
    } else if (c >= 'a' && c <= 'z') {
      appendUtf8(out, kSymbolLower[c - 'a']);
    } else {
      AppendText(out, std::string(1, c));
    }
  }
}

void AppendEscaped(std::string &out, const std::string &text) {
  for (char c : text) {
    auto code = static_cast<unsigned char>(c);
    if (code < 0x20 || code >= 0x7F) continue;  // keeps the UTF-8 valid
    if (!appendSpecial(out, c)) out.push_back(c);
  }
}

}  // namespace tovpreview

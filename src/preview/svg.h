// Small pieces of SVG text: numbers, colours, fills and escaped text.
#ifndef PICTTOTOV_PREVIEW_SVG_H
#define PICTTOTOV_PREVIEW_SVG_H

#include <string>
#include <string_view>

namespace tovpreview {

// Appends a number with at most three decimals and no trailing zeros.
void AppendNumber(std::string &out, double value);

// The colour of separation 0 to 7 mixed with white at the density of tint
// `ink` 0 to 7 (0 solid, 1 to 6 lighter and lighter, 7 white), as "#rrggbb".
std::string TintColour(int separation, int ink);

// The id of the SVG pattern for fill number 8 to 14 in a separation.
std::string PatternId(int ink, int separation);

// A <defs> element with that pattern: its set bits in the separation's
// colour on white, one bit per point, repeating every 8 points.
std::string PatternDefinition(int ink, int separation);

// The character sets of picture text: the Macintosh character set, and the
// encodings of the Symbol and Zapf Dingbats fonts.
enum class Encoding { kMacRoman, kSymbol, kDingbats };

// The encoding of a font family's text: Symbol and Zapf Dingbats have their
// own, every other family the Macintosh character set.
Encoding FamilyEncoding(std::string_view family);

// Appends picture text (8-bit character codes in `encoding`) as UTF-8 with
// the XML specials escaped; control codes and codes without a character are
// dropped and a tab becomes a blank.
void AppendText(std::string &out, std::string_view codes,
                Encoding encoding = Encoding::kMacRoman);

// Appends an attribute value with the XML specials escaped.
void AppendEscaped(std::string &out, const std::string &text);

}  // namespace tovpreview

#endif  // PICTTOTOV_PREVIEW_SVG_H

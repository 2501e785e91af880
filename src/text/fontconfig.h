// The font-mapping file "pictfonts.cfg": finding it, its scanner and parser,
// and the entries they hand to the font table. Private to the text subsystem
// (and its tests); the rest of the filter asks GetFontandCode in text.h.
#ifndef PICTTOTOV_TEXT_FONTCONFIG_H
#define PICTTOTOV_TEXT_FONTCONFIG_H

#include <cstdint>

#include "runtime/vok.h"

// Picture font numbers the table has slots for: 0 to kFontSlots - 1.
constexpr int kFontSlots = 40;
// Size of the parser's family-name buffer `torvafont`, with its NUL.
constexpr int kParserNameSize = 120;

// Entry kinds of the file.
constexpr int32_t kFontEntry = 0;       // number, string
constexpr int32_t kCharacterEntry = 1;  // code, [string,] code
constexpr int32_t kSameAsEntry = 2;     // SameAs, number

// One entry of the file as the parser read it.
struct FontFileEntry {
  int32_t type;    // kFontEntry, kCharacterEntry or kSameAsEntry
  int32_t number;  // font number, source character code, or other font
  char name[kParserNameSize];  // family name; empty for none
  int32_t code;                // target character code (character entry)
};

// Token kinds returned by yylex; 0 is the end of the input.
enum FontToken : int {
  kTokenEnd = 0,
  kTokenNumber = 257,    // decimal digits
  kTokenCharCode = 258,  // \x and two hexadecimal digits
  kTokenSameAs = 259,    // the word SameAs
  kTokenString = 260,    // a quoted name of letters, digits, _ and space
};

// The value of the token yylex returned last: `number` for a number or a
// character code; `text` (valid until the next yylex) for a string.
struct FontTokenValue {
  int32_t number;
  const char *text;
};
extern FontTokenValue yylval;

// Set once the file has no further entries (or the parser gave up).
extern int FileGone;

// A zero-filled block of count * size bytes; out of memory is fatal.
void *FontConfigAlloc(uint32_t count, uint32_t size);

// Opens "pictfonts.cfg" from the current directory, then $HOME, then the
// installation's filter directory; message 1026 and null when none opens.
Channel *GetFontFile();
// Makes `channel` the scanner's input and allocates the parser's name buffer.
void InitParser(Channel *channel);
// Reads the next entry; 0 when one was read, -1 when there are no more.
int GetFontFileEntry(FontFileEntry *entry);
// Parses one entry: 0 when it (or the end) was accepted, 1 when abandoned.
int yyparse();
// The next token kind; 0 at the end of the input (and at a NUL byte).
int yylex();
// Reports a parser message on standard error.
void yyerror(const char *text);

// What GetFontandCode does without the copy: the family it would leave in
// its name buffer (null: the buffer stays as it was) and the code to write.
// Family texts stay in place for the whole run.
const char *FontFamilyAndCode(uint16_t font, unsigned char code,
                              unsigned char *codeOut);

#endif  // PICTTOTOV_TEXT_FONTCONFIG_H

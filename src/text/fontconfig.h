// The font-mapping file "pictfonts.cfg": finding it, its scanner and parser,
// and the entries they hand to the font table. Private to the text subsystem
// (and its tests).
#ifndef PICTTOTOV_TEXT_FONTCONFIG_H
#define PICTTOTOV_TEXT_FONTCONFIG_H

#include <cstdint>

#include "runtime/vok.h"

// Size of a family-name buffer of the text writer and the font table: 63
// bytes and a NUL.
constexpr int kFamilySize = 64;
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

// A zero-filled block of count * size bytes; out of memory is fatal.
void *FontConfigAlloc(uint32_t count, uint32_t size);

// Opens "pictfonts.cfg" from the current directory, then $HOME, then the
// installation's filter directory; message 1026 and null when none opens.
Channel *GetFontFile();
// Makes `channel` the scanner's input and allocates the parser's name buffer.
void InitParser(Channel *channel);
// Reads the next entry; 0 when one was read, -1 when there are no more.
// Entries the parser abandons are dropped, with a message on standard error.
int GetFontFileEntry(FontFileEntry *entry);

// What GetFontandCode does without the copy: the family it would leave in
// its name buffer (null: the buffer stays as it was) and the code to write.
// Family texts stay in place for the process.
const char *FontFamilyAndCode(uint16_t font, unsigned char code,
                              unsigned char *codeOut);

// The font mapping: the family (into `name`, a 64-byte buffer, left as it
// was when the font has none) and the code to write for character `code` of
// picture font `font`. Code 0 asks for the family only; *codeOut is then not
// written. The configuration file is read on the first call.
void GetFontandCode(uint16_t font, unsigned char code, char *name,
                    unsigned char *codeOut);

#endif  // PICTTOTOV_TEXT_FONTCONFIG_H

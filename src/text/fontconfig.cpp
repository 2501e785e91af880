// The font table: which family name stands for which picture font number,
// and which character codes of a font are written as other codes, perhaps
// in another family. Built from "pictfonts.cfg" on the first lookup.
#include "text/fontconfig.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "base/home.h"
#include "base/messages.h"

namespace {

// Picture font numbers the table has slots for: 0 to kFontSlots - 1.
constexpr int kFontSlots = 40;

constexpr int kCharacterCodes = 256;

// The file's name, and the room the places it is looked for are built in.
constexpr char kFontFileName[] = "pictfonts.cfg";
constexpr uint32_t kPathSize = 256;

struct CharMapEntry {
  char name[kFamilySize];  // another family for this code; empty: keep it
  int32_t code;            // the code written instead; 0: no mapping
};

struct FontTableEntry {
  char *name;             // family of this picture font, or null
  CharMapEntry *charmap;  // 256 entries, possibly shared with other slots
};

// The table and its builder's state. The table is built on the first lookup
// and kept for the process: every picture it converts has the same file.
struct FontTableState {
  // One slot per picture font number 0 to 39, each allocated on its own.
  FontTableEntry **FontTable = nullptr;
  // The slot that character and SameAs entries apply to; -1 before any font
  // entry, and possibly out of range after one.
  int32_t currentfont = -1;
  // Set until the table is built.
  int firsttime = 1;
};

FontTableState fonts;

bool isFontSlot(int32_t number) { return number >= 0 && number < kFontSlots; }

char *copyText(const char *text, uint32_t limit) {
  uint32_t length = static_cast<uint32_t>(std::strlen(text));
  if (length > limit) length = limit;
  auto *copy = static_cast<char *>(FontConfigAlloc(1, length + 1));
  std::memcpy(copy, text, length);
  return copy;
}

// Writes directory, then the file name, into `path`; false (and nothing
// tried) when the whole does not fit.
bool buildPath(char *path, const char *directory) {
  size_t length = std::strlen(directory);
  if (length + sizeof kFontFileName > kPathSize) return false;
  std::memcpy(path, directory, length);
  std::memcpy(path + length, kFontFileName, sizeof kFontFileName);
  return true;
}

// Opens `candidate`, remembering it as the last path tried.
FILE *tryPath(const char *candidate, char *lastTried) {
  std::strcpy(lastTried, candidate);
  return std::fopen(candidate, "r");
}

// ---------------------------------------------------------------------------
// Applying the entries of the file
// ---------------------------------------------------------------------------

void applyFontEntry(const FontFileEntry &entry) {
  fonts.currentfont = entry.number;
  if (!isFontSlot(fonts.currentfont)) return;
  FontTableEntry *slot = fonts.FontTable[fonts.currentfont];
  if (slot->name != nullptr) V_Free(slot->name);
  slot->name = copyText(entry.name, kFamilySize - 1);
}

void applyCharacterEntry(const FontFileEntry &entry) {
  if (!isFontSlot(fonts.currentfont)) return;
  if (entry.number < 0 || entry.number >= kCharacterCodes) return;
  FontTableEntry *slot = fonts.FontTable[fonts.currentfont];
  if (slot->charmap == nullptr)
    slot->charmap = static_cast<CharMapEntry *>(
        FontConfigAlloc(kCharacterCodes, sizeof(CharMapEntry)));
  CharMapEntry &mapped = slot->charmap[entry.number];
  V_StrCpyN(mapped.name, entry.name, kFamilySize);
  mapped.code = entry.code;
}

// True when a slot other than `except` points to `map`.
bool mapShared(const CharMapEntry *map, int32_t except) {
  for (int32_t i = 0; i < kFontSlots; ++i)
    if (i != except && fonts.FontTable[i]->charmap == map) return true;
  return false;
}

// The current slot takes the character map of another; a map that only it
// held is freed.
void applySameAsEntry(const FontFileEntry &entry) {
  if (!isFontSlot(fonts.currentfont) || !isFontSlot(entry.number)) return;
  CharMapEntry *shared = fonts.FontTable[entry.number]->charmap;
  FontTableEntry *slot = fonts.FontTable[fonts.currentfont];
  if (shared == nullptr || slot->charmap == shared) return;
  if (slot->charmap != nullptr && !mapShared(slot->charmap, fonts.currentfont))
    V_Free(slot->charmap);
  slot->charmap = shared;
}

// Builds the table; without a configuration file it stays empty.
void initFontTable() {
  fonts.FontTable = static_cast<FontTableEntry **>(
      FontConfigAlloc(kFontSlots, sizeof(FontTableEntry *)));
  for (int i = 0; i < kFontSlots; ++i)
    fonts.FontTable[i] = static_cast<FontTableEntry *>(
        FontConfigAlloc(1, sizeof(FontTableEntry)));
  // The file stays open for the rest of the process.
  Channel *file = GetFontFile();
  if (file == nullptr) return;
  InitParser(file);
  FontFileEntry entry;
  while (GetFontFileEntry(&entry) == 0) {
    switch (entry.type) {
      case kFontEntry:
        applyFontEntry(entry);
        break;
      case kCharacterEntry:
        applyCharacterEntry(entry);
        break;
      case kSameAsEntry:
        applySameAsEntry(entry);
        break;
      default:
        break;
    }
  }
}

}  // namespace

void *FontConfigAlloc(uint32_t count, uint32_t size) {
  void *block = V_Calloc(count, size, 0);
  if (block == nullptr) Fatal(kMsgNoMemory);
  return block;
}

// The file is looked for in the current directory, then in $HOME, then in
// the installation's filter directory; a place whose path does not fit the
// 256-byte buffer is not tried.
Channel *GetFontFile() {
  char lastTried[kPathSize];
  char candidate[kPathSize];
  FILE *stream = tryPath(kFontFileName, lastTried);
  const char *home = std::getenv("HOME");
  if (stream == nullptr && home != nullptr) {
    char directory[kPathSize];
    if (std::strlen(home) + 1 < kPathSize) {
      std::strcpy(directory, home);
      std::strcat(directory, "/");
      if (buildPath(candidate, directory))
        stream = tryPath(candidate, lastTried);
    }
  }
  if (stream == nullptr) {
    char directory[kPathSize];
    if (GetQzInitDir(directory, kPathSize) == 0 &&
        buildPath(candidate, directory))
      stream = tryPath(candidate, lastTried);
  }
  if (stream == nullptr) {
    NonFatal(kMsgNoFontConfig, lastTried);
    return nullptr;
  }
  auto *channel = new (FontConfigAlloc(1, sizeof(Channel))) Channel();
  channel->path = copyText(lastTried, kPathSize);
  channel->stream = stream;
  return channel;
}

// The family GetFontandCode leaves in its name buffer for picture font
// `font` (slot 0 for numbers beyond the table) and character `code` (0:
// the family only), or null when it leaves the buffer as it was; the code
// to write goes to *codeOut (not for code 0). The configuration file is
// read on the first call.
const char *FontFamilyAndCode(uint16_t font, unsigned char code,
                              unsigned char *codeOut) {
  if (fonts.firsttime != 0) {
    initFontTable();
    fonts.firsttime = 0;
  }
  const FontTableEntry *slot = fonts.FontTable[font < kFontSlots ? font : 0];
  if (code == 0) return slot->name;
  const CharMapEntry *mapped =
      slot->charmap != nullptr ? &slot->charmap[code] : nullptr;
  if (mapped == nullptr || mapped->code == 0) {
    *codeOut = code;
    return slot->name;
  }
  *codeOut = static_cast<unsigned char>(mapped->code & 0xFF);
  return mapped->name[0] != '\0' ? mapped->name : slot->name;
}

// The family for picture font `font` (slot 0 for numbers beyond the table)
// and the code to write for character `code`.
void GetFontandCode(uint16_t font, unsigned char code, char *name,
                    unsigned char *codeOut) {
  const char *family = FontFamilyAndCode(font, code, codeOut);
  if (family != nullptr) V_StrCpyN(name, family, kFamilySize);
}

// Numbered string resources: finding and loading the ".sre" file of the
// installation, looking texts up by number and expanding their %0..%9, %u
// inserts.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "runtime/vok.h"

namespace {

constexpr int32_t kNameSize = 1024;
constexpr int32_t kHeaderWords = 6;
constexpr int32_t kPoolStep = 8192;
constexpr int32_t kLineSize = 1024;
constexpr int32_t kSlotCount = 10;
constexpr int32_t kNumberScratch = 48;
constexpr const char *kUnknown = "???";

// Interface language names; a name's number is its position plus one.
constexpr std::array<std::string_view, 38> kLanguageNames = {
    "usenglish",
    "ukenglish",
    "deutsch",
    "swissgerman",
    "francais",
    "canadianfrench",
    "espanol",
    "catalan",
    "italiano",
    "portuguese",
    "brasil",
    "danish",
    "dutch",
    "norwegian",
    "nynorsk",
    "finnish",
    "svenska",
    "japanese",
    "traditionalchinese",
    "simplifiedchinese",
    "korean",
    "newgerman",
    "newswissgerman",
    "newdutch",
    "greek",
    "russian",
    "czech",
    "polish",
    "hungarian",
    "turkish",
    "slovak",
    "slovenian",
    "bulgarian",
    "croatian",
    "estonian",
    "latvian",
    "lithuanian",
    "romanian"};

// ---------------------------------------------------------------------------
// Reading the file
// ---------------------------------------------------------------------------

// The resource file read through a window of its bytes: the header, the
// index and the texts it points to are read one byte at a time, and moving
// to a text inside the window costs no system call. A file that can't seek
// (a pipe) reads its header and index, and every text in it is empty.
class ResourceFile {
 public:
  explicit ResourceFile(std::FILE *file) : file_(file) {
    // The window does the buffering: every read fills it straight from the
    // file.
    std::setvbuf(file_, nullptr, _IONBF, 0);
  }

  // The next byte, or EOF at the end of the file or on an error.
  int Get() {
    if (position_ >= start_ && position_ - start_ < length_)
      return window_[position_++ - start_];
    if (!fill()) return EOF;
    return window_[position_++ - start_];
  }
  // Moves to `offset` from the start of the file; false when the file
  // can't seek.
  bool Seek(long offset) {
    if (seekable_ < 0) seekable_ = std::fseek(file_, 0, SEEK_CUR) == 0 ? 1 : 0;
    if (seekable_ == 0) return false;
    position_ = offset;
    return true;
  }

 private:
  // Reads the window anew from the position; false when no byte is there.
  bool fill() {
    if (ended_ && position_ >= start_ + length_) return false;
    if (position_ != start_ + length_ &&
        std::fseek(file_, position_, SEEK_SET) != 0)
      return false;
    start_ = position_;
    length_ = static_cast<long>(std::fread(window_, 1, sizeof window_, file_));
    ended_ = length_ < static_cast<long>(sizeof window_);
    return length_ > 0;
  }

  std::FILE *file_;
  long start_ = 0;      // the file offset of window_[0]
  long length_ = 0;     // bytes in the window
  long position_ = 0;   // of the next byte
  bool ended_ = false;  // the file ends behind the window
  int seekable_ = -1;   // -1 until the first seek asks
  unsigned char window_[4096];
};

// Header and index fields are big-endian; bytes past the end read as 0xFF.
uint32_t readBigEndian(ResourceFile *file, int32_t bytes) {
  uint32_t value = 0;
  for (int32_t i = 0; i < bytes; ++i) {
    int c = file->Get();
    value = (value << 8) | static_cast<uint32_t>(c == EOF ? 0xFF : c);
  }
  return value;
}

// The header: six 32-bit words, the last one the string count.
void readHeader(ResourceFile *file, uint32_t *header) {
  for (int32_t i = 0; i < kHeaderWords; ++i) header[i] = readBigEndian(file, 4);
}

// One index entry: a signed 16-bit string number and a 32-bit file offset.
void readIndexEntry(ResourceFile *file, VokStringIndexEntry *entry) {
  entry->number =
      static_cast<int16_t>(static_cast<uint16_t>(readBigEndian(file, 2)));
  entry->offset = static_cast<int32_t>(readBigEndian(file, 4));
}

int hexValue(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Line under construction: at most kLineSize - 1 bytes are kept.
struct LineBuffer {
  char *text;
  int32_t length;
  void store(int byte) {
    if (length < kLineSize - 1) text[length++] = static_cast<char>(byte);
  }
  bool full() const { return length >= kLineSize - 1; }
};

// Reads one text from the current file position into line (kLineSize
// bytes): leading blanks skipped, ended by LF, CR or the end of the file,
// with the escapes \n, \xH, \xHH and backslash + LF/CR; a backslash before
// anything else stays. Characters beyond the limit would be dropped, so
// reading stops there. Returns the text's length.
int32_t readTextLine(ResourceFile *file, char *line) {
  LineBuffer out{line, 0};
  int c = file->Get();
  while (c == ' ') c = file->Get();
  while (c != EOF && c != '\n' && c != '\r' && !out.full()) {
    if (c != '\\') {
      out.store(c);
      c = file->Get();
      continue;
    }
    int next = file->Get();
    if (next == EOF) {
      out.store('\\');
      break;
    }
    if (next == 'x' || next == 'X') {
      int high = hexValue(file->Get());
      if (high < 0) break;  // \x without a digit ends the text
      c = file->Get();
      int low = hexValue(c);
      if (low >= 0) c = file->Get();  // else c is read normally
      out.store(low >= 0 ? high * 16 + low : high);
      continue;
    }
    if (next == 'n') {
      out.store('\n');
    } else if (next == '\n' || next == '\r') {
      out.store(next);
    } else {
      out.store('\\');
      out.store(next);
    }
    c = file->Get();
  }
  line[out.length] = '\0';
  return static_cast<int32_t>(std::strlen(line));  // \x00 ends the text
}

void releaseTable(VokStringIndexEntry *&index, char *&pool) {
  if (index != nullptr) V_Free(index);
  if (pool != nullptr) V_Free(pool);
}

// Loads the whole file into the instance record's string table. The entry
// count is the low 16 bits of the header count as a signed number, so a
// damaged file can ask for at most 32767 entries of at most 1023 bytes.
int sread(ResourceFile *file, int32_t /*encoding: stored unconverted*/) {
  uint32_t header[kHeaderWords];
  readHeader(file, header);
  int32_t count = static_cast<int16_t>(
      static_cast<uint16_t>(header[kHeaderWords - 1] & 0xFFFFu));
  if (count < 0) count = 0;
  auto *index = static_cast<VokStringIndexEntry *>(
      V_Calloc(count > 0 ? count : 1, sizeof(VokStringIndexEntry), 0));
  auto *pool = static_cast<char *>(V_Alloc(kPoolStep, 0));
  if (index == nullptr || pool == nullptr) {
    releaseTable(index, pool);
    return -1;
  }
  int32_t poolSize = kPoolStep;
  pool[0] = '\0';
  int32_t used = 1;
  for (int32_t i = 0; i < count; ++i) readIndexEntry(file, &index[i]);

  char line[kLineSize];
  for (int32_t i = 0; i < count; ++i) {
    uint32_t offset = static_cast<uint32_t>(index[i].offset);
    int32_t length = 0;
    line[0] = '\0';
    if (file->Seek(static_cast<long>(offset)))
      length = readTextLine(file, line);
    if (used + length + 1 > poolSize) {
      void *grown = V_Realloc(pool, poolSize + kPoolStep, 0);
      if (grown == nullptr) {
        releaseTable(index, pool);
        return -1;
      }
      pool = static_cast<char *>(grown);
      poolSize += kPoolStep;
    }
    std::memcpy(pool + used, line, length + 1);
    index[i].offset = used;
    used += length + 1;
  }
  void *exact = V_Realloc(pool, used, 0);
  if (exact == nullptr) {
    releaseTable(index, pool);
    return -1;
  }
  VokInstanceRecord *record = VokInstance;
  releaseTable(record->index, record->pool);
  record->index = index;
  record->count = count;
  record->pool = static_cast<char *>(exact);
  return 0;
}

// The text encoding of the resource strings of a language.
int32_t uiLanguageToTextEnc(const char *language) {
  int number = V_LanguageNumber(language);
  return number >= 18 && number <= 21 ? 6 : 0;
}

// ---------------------------------------------------------------------------
// Finding the file
// ---------------------------------------------------------------------------

// Opens the name just built, unless it did not fit the buffer.
std::FILE *openIfComplete(const char *name, int written) {
  if (written < 0 || written >= kNameSize) return nullptr;
  return std::fopen(name, "rb");
}

std::FILE *openInInstallation(char *name, const char *root,
                              const char *language, const char *program) {
  return openIfComplete(
      name,
      std::snprintf(name, kNameSize, "%s/qzinit/%s/APIArea/resources/%s.sre",
                    root, language, program));
}

// Tries, in order: the program path with ".sre"; under HOME with the whole
// path, then the base name; under QZHOME likewise.
std::FILE *openResourceFile(const char *path, const char *language) {
  char name[kNameSize];
  const char *slash = std::strrchr(path, '/');
  const char *base = slash != nullptr ? slash + 1 : nullptr;
  std::FILE *file =
      openIfComplete(name, std::snprintf(name, kNameSize, "%s.sre", path));
  if (file != nullptr) return file;
  if (const char *home = std::getenv("HOME")) {
    file = openInInstallation(name, home, language, path);
    if (file == nullptr && base != nullptr)
      file = openInInstallation(name, home, language, base);
    if (file != nullptr) return file;
  }
  const char *qzhome = std::getenv("QZHOME");
  if (qzhome == nullptr) return nullptr;
  file = openInInstallation(name, qzhome, language, path);
  if (file == nullptr && base != nullptr)
    file = openInInstallation(name, qzhome, language, base);
  return file;
}

// ---------------------------------------------------------------------------
// Lookup and expansion
// ---------------------------------------------------------------------------

// Text supplier asked before the table; none is installed in this filter.
int V_SrFetch(int /*number*/, char * /*buffer*/, int /*size*/) { return -1; }

// Binary search of the (ascending) index; -1 when not found.
int32_t findIndex(int number) {
  const VokStringIndexEntry *index = VokInstance->index;
  int32_t low = 0;
  int32_t high = VokInstance->count - 1;
  while (low <= high) {
    int32_t middle = (low + high) / 2;
    if (index[middle].number == number) return middle;
    if (number < index[middle].number)
      high = middle - 1;
    else
      low = middle + 1;
  }
  return -1;
}

// Copies text number into buffer (size bytes with the NUL) unexpanded;
// "???" and -1 when there is no such text.
int SrFetch(int number, char *buffer, int size) {
  if (V_SrFetch(number, buffer, size) == 0) return 0;
  int32_t found = VokInstance != nullptr && VokInstance->index != nullptr
                      ? findIndex(number)
                      : -1;
  if (found < 0) {
    V_StrCpyNEnc(buffer, kUnknown, size, vokDialogEncodingId);
    return -1;
  }
  V_StrCpyNEnc(buffer, VokInstance->pool + VokInstance->index[found].offset,
               size, vokDialogEncodingId);
  return 0;
}

// One typed argument of V_SrGetF, inserted by %0..%9.
struct ArgumentSlot {
  char type;
  union {
    int32_t integer;
    const char *pointer;
    double real;
  };
};

// Empties the buffer and fills the slots from the type letters.
void srFormat(char *buffer, ArgumentSlot *slots, const char *types,
              va_list *args) {
  buffer[0] = '\0';
  for (int32_t i = 0; i < kSlotCount; ++i) slots[i] = ArgumentSlot{};
  for (int32_t i = 0; types != nullptr && i < kSlotCount && types[i]; ++i) {
    char type = types[i];
    if (std::strchr("dxXr", type) != nullptr)
      slots[i].integer = va_arg(*args, int32_t);
    else if (type == 's' || type == 'p')
      slots[i].pointer = va_arg(*args, const char *);
    else if (type == 'f')
      slots[i].real = va_arg(*args, double);
    else
      break;
    slots[i].type = type;
  }
}

// Copies source into destination so that it fits room bytes with the NUL;
// a source too long loses its middle, replaced by "...". A room below 6
// (or negative, hence compared unsigned) copies the start only.
void StrMiddleTruncate(char *destination, const char *source, int32_t room) {
  uint32_t length = static_cast<uint32_t>(std::strlen(source));
  uint32_t unsignedRoom = static_cast<uint32_t>(room);
  if (length < unsignedRoom || unsignedRoom < 6) {
    V_StrCpyN(destination, source, room);
    return;
  }
  int32_t half = (room - 4) / 2 + 1;
  int32_t tail = room - half - 3;
  std::memcpy(destination, source, half - 1);
  std::memcpy(destination + half - 1, "...", 3);
  std::memcpy(destination + half + 2, source + length - tail, tail);
  destination[room - 1] = '\0';
}

// The text that %<digit> inserts for a slot (r is handled by the caller).
const char *slotText(const ArgumentSlot &slot, char *scratch) {
  switch (slot.type) {
    case 'd':
      std::snprintf(scratch, kNumberScratch, "%d", slot.integer);
      return scratch;
    case 'x':
      std::snprintf(scratch, kNumberScratch, "%x", slot.integer);
      return scratch;
    case 'X':
      std::snprintf(scratch, kNumberScratch, "%X", slot.integer);
      return scratch;
    case 'f':
      std::snprintf(scratch, kNumberScratch, "%.3f", slot.real);
      return scratch;
    case 's':
      return slot.pointer != nullptr ? slot.pointer : "";
    case 'p':
      return "";
    default:
      return kUnknown;
  }
}

// Expands source into destination (size bytes with the NUL): %0..%9 insert
// the slots, %u the language name, %{..} the same with braces, %% a single
// percent sign; %s, %d and other sequences pass through for a later
// V_Sprintf. An insert is shortened in the middle so that the rest of the
// text still fits.
void expandString(const char *source, char *destination, int32_t size,
                  const ArgumentSlot *slots) {
  char *out = destination;
  int32_t room = size;
  *out = '\0';
  const char *p = source;
  while (*p != '\0') {
    const char *run = p;
    while (*p != '\0' && *p != '%') ++p;
    int32_t runLength = static_cast<int32_t>(p - run);
    int32_t copied =
        V_StrCpyN(out, run, (runLength < room - 1 ? runLength : room - 1) + 1);
    out += copied;
    room -= copied;
    if (*p == '\0') break;

    ++p;  // the '%'
    bool brace = *p == '{';
    if (brace) ++p;
    char c = *p;
    char scratch[kNumberScratch];
    const char *insert = "%";
    bool fetchMessage = false;  // %<digit> of an r slot: message by number
    int32_t messageNumber = 0;
    if (c >= '0' && c <= '9') {
      const ArgumentSlot &slot = slots[c - '0'];
      fetchMessage = slot.type == 'r';
      if (fetchMessage)
        messageNumber = slot.integer;
      else
        insert = slotText(slot, scratch);
      ++p;
    } else if (c == 'u') {
      const char *language = VokInstance ? VokInstance->language : nullptr;
      insert = language != nullptr ? language : "";
      ++p;
    } else if (brace) {
      insert = c == '}' ? "" : kUnknown;
    } else if (c == '%') {
      ++p;
    }
    if (brace) {
      while (*p != '\0' && *p != '}') ++p;
      if (*p == '}') ++p;
    }
    if (fetchMessage)
      V_SrGetF(messageNumber, out, room, nullptr);
    else
      StrMiddleTruncate(out, insert,
                        room - static_cast<int32_t>(std::strlen(p)) - 1);
    int32_t inserted = static_cast<int32_t>(std::strlen(out));
    out += inserted;
    room -= inserted;
  }
}

}  // namespace

int V_SrInit(const char *programPath, const char *language) {
  if (programPath == nullptr) programPath = "";
  if (language == nullptr) language = "";
  std::FILE *file = openResourceFile(programPath, language);
  if (file == nullptr) return -1;
  VokInstanceInit();
  size_t length = std::strlen(language);
  auto *copy = static_cast<char *>(
      length < kVokMaxAlloc ? V_Alloc(static_cast<uint32_t>(length) + 1, 0)
                            : nullptr);
  if (copy == nullptr) {
    std::fclose(file);
    return -1;
  }
  std::memcpy(copy, language, length + 1);
  if (VokInstance->language != nullptr) V_Free(VokInstance->language);
  VokInstance->language = copy;
  int result = 0;
  {
    ResourceFile resources(file);
    result = sread(&resources, uiLanguageToTextEnc(language));
  }
  std::fclose(file);
  return result;
}

int V_SrGetF(int number, char *buffer, int size, const char *types, ...) {
  if (buffer == nullptr || size < 1) return -1;
  auto *scratch =
      static_cast<char *>(V_Calloc(1, static_cast<uint32_t>(size), 0));
  if (scratch == nullptr) return -1;
  int result = 0;
  if (SrFetch(number, scratch, size) != 0) {
    V_StrCpyNEnc(buffer, scratch, size, vokDialogEncodingId);
    result = -1;
  } else {
    ArgumentSlot slots[kSlotCount];
    va_list args;
    va_start(args, types);
    srFormat(buffer, slots, types, &args);
    va_end(args);
    expandString(scratch, buffer, size, slots);
  }
  V_Free(scratch);
  return result;
}

int V_SrGetN(int number, char *buffer, int size) {
  return V_SrGetF(number, buffer, size, nullptr);
}

int V_LanguageNumber(const char *name) {
  if (name == nullptr || name[0] == '\0') return 0;
  for (size_t i = 0; i < kLanguageNames.size(); ++i)
    if (kLanguageNames[i] == name) return static_cast<int>(i) + 1;
  return 0;
}

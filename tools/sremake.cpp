// sremake: compiles a message source into a string-resource file (.sre).
//
// Source format, one message per line:
//   # a comment (blank lines are ignored as well)
//   1004 Cannot open the input file "%s".
// The number (0 to 32767) is followed by blanks or tabs and the text, which
// runs to the end of the line. Escapes in the text: \\ backslash, \n line
// feed, \t tab, \xHH any byte but 0 (write \x20 for a leading blank).
//
// Output: a 24-byte header (five zero words, then the count), an index of
// 6-byte entries (number, text offset; big-endian, ascending by number) and
// each text on a line of its own, escaped so that the reader gives back
// exactly the source text.
#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kMaxNumber = 32767;
constexpr size_t kMaxEntries = 32767;
constexpr size_t kMaxTextLength = 1023;  // the reader keeps 1023 bytes
constexpr uint32_t kHeaderSize = 24;
constexpr uint32_t kEntrySize = 6;

struct Message {
  int number;
  long line;
  std::string text;
};

const char *sourceName = "";

[[noreturn]] void fail(long line, const char *format, ...) {
  std::fprintf(stderr, "sremake: %s:%ld: ", sourceName, line);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
  std::exit(1);
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Decodes the escapes of a source text.
std::string decodeText(const std::string &source, long line) {
  std::string text;
  for (size_t i = 0; i < source.size(); ++i) {
    if (source[i] != '\\') {
      text += source[i];
      continue;
    }
    char kind = i + 1 < source.size() ? source[++i] : '\0';
    if (kind == '\\') {
      text += '\\';
    } else if (kind == 'n') {
      text += '\n';
    } else if (kind == 't') {
      text += '\t';
    } else if (kind == 'x') {
      int high = i + 1 < source.size() ? hexDigit(source[i + 1]) : -1;
      int low = i + 2 < source.size() ? hexDigit(source[i + 2]) : -1;
      if (high < 0 || low < 0) fail(line, "\\x needs two hexadecimal digits");
      if (high == 0 && low == 0) fail(line, "\\x00 cannot be stored in a text");
      text += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      fail(line, "unknown escape \\%c (use \\\\ for a backslash)", kind);
    }
  }
  if (text.size() > kMaxTextLength)
    fail(line, "text of %zu bytes is longer than %zu", text.size(),
         kMaxTextLength);
  return text;
}

// Parses one source line into messages; comments and blank lines add none.
void parseLine(std::string line, long lineNumber,
               std::vector<Message> *messages) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.find('\0') != std::string::npos) fail(lineNumber, "NUL byte");
  size_t at = line.find_first_not_of(" \t");
  if (at == std::string::npos || line[at] == '#') return;
  if (at != 0) fail(lineNumber, "a message line must start with its number");
  long number = 0;
  while (at < line.size() && line[at] >= '0' && line[at] <= '9') {
    number = number * 10 + (line[at++] - '0');
    if (number > kMaxNumber)
      fail(lineNumber, "message number above %d", kMaxNumber);
  }
  if (at == 0) fail(lineNumber, "a message line must start with its number");
  if (at < line.size() && line[at] != ' ' && line[at] != '\t')
    fail(lineNumber, "blank or tab expected after the number");
  size_t textStart = line.find_first_not_of(" \t", at);
  std::string source =
      textStart == std::string::npos ? "" : line.substr(textStart);
  messages->push_back(
      {static_cast<int>(number), lineNumber, decodeText(source, lineNumber)});
}

std::vector<Message> readSource(std::FILE *file) {
  std::vector<Message> messages;
  std::string line;
  long lineNumber = 1;
  for (int c = std::getc(file);; c = std::getc(file)) {
    if (c == EOF || c == '\n') {
      if (c == '\n' || !line.empty()) parseLine(line, lineNumber, &messages);
      if (c == EOF) break;
      line.clear();
      ++lineNumber;
    } else {
      line += static_cast<char>(c);
    }
  }
  if (std::ferror(file)) fail(lineNumber, "read error");
  return messages;
}

// Sorts by number; a number given twice is an error.
void sortMessages(std::vector<Message> *messages) {
  std::stable_sort(
      messages->begin(), messages->end(),
      [](const Message &a, const Message &b) { return a.number < b.number; });
  for (size_t i = 1; i < messages->size(); ++i)
    if ((*messages)[i].number == (*messages)[i - 1].number)
      fail((*messages)[i].line, "message %d already given on line %ld",
           (*messages)[i].number, (*messages)[i - 1].line);
  if (messages->size() > kMaxEntries)
    fail(messages->back().line, "more than %zu messages", kMaxEntries);
}

// A text as one line the reader decodes back to it: backslashes, control
// bytes and a leading blank become \xHH.
std::string encodeText(const std::string &text) {
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\\' || c < 0x20 || c == 0x7F || (i == 0 && c == ' ')) {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02X", c);
      line += escape;
    } else {
      line += static_cast<char>(c);
    }
  }
  return line + '\n';
}

void appendBigEndian(std::string *out, uint32_t value, int bytes) {
  for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
    *out += static_cast<char>((value >> shift) & 0xFF);
}

std::string buildResourceFile(const std::vector<Message> &messages) {
  std::string header(20, '\0');
  appendBigEndian(&header, static_cast<uint32_t>(messages.size()), 4);
  std::string index;
  std::string texts;
  uint32_t offset =
      kHeaderSize + kEntrySize * static_cast<uint32_t>(messages.size());
  for (const Message &message : messages) {
    std::string line = encodeText(message.text);
    appendBigEndian(&index, static_cast<uint32_t>(message.number), 2);
    appendBigEndian(&index, offset + static_cast<uint32_t>(texts.size()), 4);
    texts += line;
  }
  return header + index + texts;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: sremake <source.msgs> <output.sre>\n");
    return 2;
  }
  sourceName = argv[1];
  std::FILE *source = std::fopen(argv[1], "rb");
  if (source == nullptr) {
    std::fprintf(stderr, "sremake: cannot open %s\n", argv[1]);
    return 1;
  }
  std::vector<Message> messages = readSource(source);
  std::fclose(source);
  sortMessages(&messages);
  std::string contents = buildResourceFile(messages);

  std::FILE *output = std::fopen(argv[2], "wb");
  if (output == nullptr) {
    std::fprintf(stderr, "sremake: cannot create %s\n", argv[2]);
    return 1;
  }
  bool written = std::fwrite(contents.data(), 1, contents.size(), output) ==
                 contents.size();
  if (std::fclose(output) != 0 || !written) {
    std::fprintf(stderr, "sremake: cannot write %s\n", argv[2]);
    std::remove(argv[2]);
    return 1;
  }
  return 0;
}

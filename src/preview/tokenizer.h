// The statements of a TOV document as a stream of tokens.
#ifndef PICTTOTOV_PREVIEW_TOKENIZER_H
#define PICTTOTOV_PREVIEW_TOKENIZER_H

#include <string>

#include "preview/preview.h"

namespace tovpreview {

// A document that cannot be read: the line and what is wrong there.
struct ReadError {
  int line;
  std::string text;
};

[[noreturn]] void Fail(int line, std::string text);

enum class TokenKind {
  kOpen,       // "<Name": text is the name
  kClose,      // ">"
  kWord,       // a bare value: a number or a word
  kString,     // a backquoted string, escapes decoded
  kFacetLine,  // a whole facet line beginning with "=" or "&", no newline
  kEnd,        // the end of the document
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;
  int line = 0;
};

// Cuts the document into tokens: statements open with "<" and a name and
// close with ">", values are bare words or strings from a backquote to a
// straight quote, "#" starts a comment up to the end of the line outside
// strings, and a line that begins with "=" or "&" is a facet line.
class Tokenizer {
 public:
  explicit Tokenizer(Source &source) : source_(source) {}
  Tokenizer(const Tokenizer &) = delete;
  Tokenizer &operator=(const Tokenizer &) = delete;
  // The next token; throws ReadError on a broken string or statement name.
  void Next(Token &token);
  int line() const { return line_; }

 private:
  // The next byte, or -1 at the end; Get also moves past it.
  int Peek() {
    if (position_ < length_) {
      return static_cast<unsigned char>(buffer_[position_]);
    }
    return Refill();
  }
  int Get();
  int Refill();
  void ReadString(Token &token);
  void ReadEscape(std::string &text);
  void ReadRestOfLine(std::string &text);

  Source &source_;
  char buffer_[1 << 16];
  size_t position_ = 0;
  size_t length_ = 0;
  bool ended_ = false;
  int line_ = 1;
  bool atLineStart_ = true;
};

}  // namespace tovpreview

#endif  // PICTTOTOV_PREVIEW_TOKENIZER_H

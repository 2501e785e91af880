#include "preview/tokenizer.h"

#include <utility>

namespace tovpreview {
namespace {

bool isBlank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool isNameChar(int c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         (c >= '0' && c <= '9') || c == '_';
}

// Characters that end a bare word.
bool endsWord(int c) {
  return c < 0 || isBlank(c) || c == '<' || c == '>' || c == '`' || c == '#';
}

int hexValue(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

void Fail(int line, std::string text) {
  throw ReadError{line, std::move(text)};
}

int Tokenizer::Refill() {
  if (ended_) return -1;
  length_ = source_.Read(buffer_, sizeof buffer_);
  position_ = 0;
  if (length_ == 0) {
    ended_ = true;
    return -1;
  }
  return static_cast<unsigned char>(buffer_[position_]);
}

int Tokenizer::Get() {
  int c = Peek();
  if (c < 0) return c;
  ++position_;
  atLineStart_ = c == '\n';
  if (atLineStart_) ++line_;
  return c;
}

void Tokenizer::ReadRestOfLine(std::string &text) {
  for (int c = Peek(); c >= 0 && c != '\n'; c = Peek()) {
    text.push_back(static_cast<char>(Get()));
  }
  if (!text.empty() && text.back() == '\r') text.pop_back();
  Get();  // the newline, if any
}

void Tokenizer::Next(Token &token) {
  token.text.clear();
  for (;;) {
    bool lineStart = atLineStart_;
    int c = Peek();
    token.line = line_;
    if (c < 0) {
      token.kind = TokenKind::kEnd;
      return;
    }
    if (lineStart && (c == '=' || c == '&')) {
      token.kind = TokenKind::kFacetLine;
      ReadRestOfLine(token.text);
      return;
    }
    if (isBlank(c)) {
      Get();
      continue;
    }
    if (c == '#') {
      while (Peek() >= 0 && Peek() != '\n') Get();
      continue;
    }
    Get();
    if (c == '<') {
      while (isNameChar(Peek())) token.text.push_back(static_cast<char>(Get()));
      if (token.text.empty()) Fail(token.line, "'<' without a statement name");
      token.kind = TokenKind::kOpen;
      return;
    }
    if (c == '>') {
      token.kind = TokenKind::kClose;
      return;
    }
    if (c == '`') {
      ReadString(token);
      return;
    }
    token.text.push_back(static_cast<char>(c));
    while (!endsWord(Peek())) token.text.push_back(static_cast<char>(Get()));
    token.kind = TokenKind::kWord;
    return;
  }
}

// A string runs from the backquote to the first straight quote that no
// backslash escapes.
void Tokenizer::ReadString(Token &token) {
  token.kind = TokenKind::kString;
  for (;;) {
    int c = Get();
    if (c < 0) Fail(token.line, "string not closed before the end");
    if (c == '\'') return;
    if (c == '\\') {
      ReadEscape(token.text);
    } else {
      token.text.push_back(static_cast<char>(c));
    }
  }
}

// After a backslash: "\xNN " is the byte NN (the blank is part of the
// escape); any other character stands for itself ("\'", "\>", "\\").
void Tokenizer::ReadEscape(std::string &text) {
  int line = line_;
  int c = Get();
  if (c < 0) Fail(line, "string not closed before the end");
  if (c != 'x') {
    text.push_back(static_cast<char>(c));
    return;
  }
  int high = hexValue(Get());
  int low = high < 0 ? -1 : hexValue(Get());
  if (low < 0) Fail(line, "'\\x' in a string without two hexadecimal digits");
  text.push_back(static_cast<char>(high * 16 + low));
  if (Peek() == ' ') Get();
}

}  // namespace tovpreview

// The scanner and parser of "pictfonts.cfg". The scanner is a table-driven
// automaton that takes the longest match at each point and reads back what
// lies beyond it; the parser is a table-driven LR parser that returns after
// every single entry.
#include <array>
#include <cstdint>
#include <cstdio>

#include "base/conversion.h"
#include "base/messages.h"
#include "runtime/buffer.h"
#include "text/fontconfig.h"

namespace {

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

// The scanner's and the parser's state. The configuration file is read once
// a process, so it is never reset.
struct ParserState {
  // Input: a push-back stack in front of the channel. Bytes read back, the
  // next one on top; a 0 stands for the end of the input (or a NUL byte)
  // read back.
  Channel *ScannerInput = nullptr;
  GrowableBuffer<unsigned char> PushBack{FatalNoMemory};
  uint32_t PushBackCount = 0;
  // Position in the input of the byte GetChar hands out next, counting
  // bytes read back as not yet read.
  int64_t InputPosition = 0;

  // The bytes of the match being tried, NUL-terminated once it is taken.
  GrowableBuffer<unsigned char> Token{FatalNoMemory};
  // A comment tried from DoomedFrom ran into the end of the input at
  // DoomedTo without a newline: no "#" in between can begin a comment
  // either, so it is passed on without trying again (which would take
  // quadratic time).
  int64_t DoomedFrom = 0;
  int64_t DoomedTo = 0;
  FontTokenValue yylval = {0, nullptr};

  // What the parser's actions leave for GetFontFileEntry.
  int32_t pictfontindex = 0;
  int32_t pictchar = 0;
  int32_t torvachar = 0;
  int32_t sameasnumber = 0;
  char *torvafont = nullptr;  // kParserNameSize bytes once the parser starts
  int32_t Type = 0;
  // Set once the file has no further entries (or the parser gave up).
  int FileGone = 0;
};

ParserState parser;

// ---------------------------------------------------------------------------
// Input
// ---------------------------------------------------------------------------

// The next byte, 0 at the end of the input or at a NUL byte.
int GetChar() {
  unsigned char byte = 0;
  if (parser.PushBackCount > 0) {
    byte = parser.PushBack.data()[--parser.PushBackCount];
  } else if (V_ChannelRead(&byte, 1, 1, parser.ScannerInput) != 1) {
    byte = 0;
  }
  ++parser.InputPosition;
  return static_cast<signed char>(byte);
}

// Reads back `count` bytes, so that GetChar hands out bytes[0] first. Out of
// memory is fatal.
void unread(const unsigned char *bytes, uint32_t count) {
  parser.PushBack.Reserve(parser.PushBackCount + count);
  unsigned char *pushBack = parser.PushBack.data();
  for (uint32_t i = count; i > 0; --i)
    pushBack[parser.PushBackCount++] = bytes[i - 1];
  parser.InputPosition -= count;
}

// A byte that begins no token goes to standard output, or to standard error
// while the document itself is being written to standard output.
void PutChar(int c) {
  Channel errorChannel;
  auto byte = static_cast<unsigned char>(c);
  Channel *destination = nullptr;  // standard output
  if (outputFP != nullptr && outputFP->stream == stdout) {
    errorChannel.stream = stderr;
    destination = &errorChannel;
  }
  V_ChannelWrite(&byte, 1, 1, destination);
}

// ---------------------------------------------------------------------------
// Scanner automaton
// ---------------------------------------------------------------------------

enum class Kind : uint8_t {
  kNone,
  kBlanks,
  kComment,
  kNumber,
  kCode,
  kSameAs,
  kString
};

enum State : uint8_t {
  kStart,
  kBlanks,     // blanks
  kHash,       // "#" and the comment's bytes so far
  kComment,    // comment with its newline (the newline is read back)
  kNumber,     // digits
  kBackslash,  // "\"
  kCodeX,      // "\x"
  kCodeDigit,  // "\x" and one hexadecimal digit
  kCode,       // a complete character code
  kS,          // "S", "Sa", ... "SameAs"
  kSa,
  kSam,
  kSame,
  kSameA,
  kSameAs,
  kQuote,   // opening quote
  kQuoted,  // opening quote and name characters
  kString,  // closing quote
  kStates,
  kDead = kStates,  // no transition
};

using Transitions = std::array<std::array<uint8_t, 256>, kStates>;

constexpr bool isDigit(int c) { return c >= '0' && c <= '9'; }
constexpr bool isHexDigit(int c) {
  return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
constexpr bool isNameCharacter(int c) {
  return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         c == '_' || c == ' ';
}

constexpr Transitions buildTransitions() {
  Transitions next{};
  for (auto &row : next)
    for (auto &cell : row) cell = kDead;
  for (int c = 1; c < 256; ++c) {
    if (c == ' ' || c == '\t' || c == '\n') next[kStart][c] = kBlanks;
    if (c == ' ' || c == '\t' || c == '\n') next[kBlanks][c] = kBlanks;
    next[kHash][c] = c == '\n' ? kComment : kHash;
    if (isDigit(c)) next[kStart][c] = next[kNumber][c] = kNumber;
    if (isHexDigit(c)) next[kCodeX][c] = kCodeDigit;
    if (isHexDigit(c)) next[kCodeDigit][c] = kCode;
    if (isNameCharacter(c)) next[kQuote][c] = next[kQuoted][c] = kQuoted;
  }
  next[kStart]['#'] = kHash;
  next[kStart]['\\'] = kBackslash;
  next[kBackslash]['x'] = kCodeX;
  next[kStart]['S'] = kS;
  next[kS]['a'] = kSa;
  next[kSa]['m'] = kSam;
  next[kSam]['e'] = kSame;
  next[kSame]['A'] = kSameA;
  next[kSameA]['s'] = kSameAs;
  next[kStart]['"'] = kQuote;
  next[kQuoted]['"'] = kString;
  return next;
}

constexpr Transitions kNext = buildTransitions();

constexpr std::array<Kind, kStates> buildAccepting() {
  std::array<Kind, kStates> kind{};
  kind[kBlanks] = Kind::kBlanks;
  kind[kComment] = Kind::kComment;
  kind[kNumber] = Kind::kNumber;
  kind[kCode] = Kind::kCode;
  kind[kSameAs] = Kind::kSameAs;
  kind[kString] = Kind::kString;
  return kind;
}

constexpr std::array<Kind, kStates> kAccepting = buildAccepting();

// The longest token at the input position: its kind and length. Every byte
// read beyond it is read back; kNone leaves the first byte taken.
Kind longestMatch(uint32_t &length) {
  int64_t start = parser.InputPosition;
  uint32_t read = 0;
  Kind kind = Kind::kNone;
  length = 1;
  uint8_t state = kStart;
  for (;;) {
    auto c = static_cast<unsigned char>(GetChar());
    parser.Token.Reserve(read + 2);
    parser.Token.data()[read++] = c;
    bool doomed = state == kStart && c == '#' && start >= parser.DoomedFrom &&
                  start < parser.DoomedTo;
    state = doomed ? uint8_t{kDead} : kNext[state][c];
    if (state == kDead) break;
    if (kAccepting[state] != Kind::kNone) {
      kind = kAccepting[state];
      length = read;
    }
  }
  unsigned char *token = parser.Token.data();
  if (kind == Kind::kNone && token[0] == '#' && token[read - 1] == 0) {
    parser.DoomedFrom = start;
    parser.DoomedTo = parser.InputPosition - 1;
  }
  // A comment's newline belongs to the blanks after it.
  if (kind == Kind::kComment) --length;
  unread(token + length, read - length);
  token[length] = '\0';
  return kind;
}

// The next token kind; 0 at the end of the input (and at a NUL byte).
int yylex() {
  for (;;) {
    uint32_t length = 0;
    Kind kind = longestMatch(length);
    unsigned char *token = parser.Token.data();
    const char *text = reinterpret_cast<const char *>(token);
    switch (kind) {
      case Kind::kNone:
        if (token[0] == 0) return kTokenEnd;
        PutChar(token[0]);
        break;
      case Kind::kBlanks:
      case Kind::kComment:
        break;
      case Kind::kNumber:
        V_Sscanf(text, "%ld", &parser.yylval.number);
        return kTokenNumber;
      case Kind::kCode:
        V_Sscanf(text + 2, "%lx", &parser.yylval.number);
        return kTokenCharCode;
      case Kind::kSameAs:
        return kTokenSameAs;
      case Kind::kString:
        token[length - 1] = '\0';
        parser.yylval.text = text + 1;
        return kTokenString;
    }
  }
}

// ---------------------------------------------------------------------------
// Parser
// ---------------------------------------------------------------------------

void clearName() {
  if (parser.torvafont != nullptr) parser.torvafont[0] = '\0';
}

// Grammar symbols: the terminals, then "other" for a token no entry takes.
enum Symbol : uint8_t {
  kEnd,
  kNumberSym,
  kCodeSym,
  kSameAsSym,
  kStringSym,
  kOther,
  kSymbols
};

Symbol symbolOf(int token) {
  switch (token) {
    case kTokenEnd:
      return kEnd;
    case kTokenNumber:
      return kNumberSym;
    case kTokenCharCode:
      return kCodeSym;
    case kTokenSameAs:
      return kSameAsSym;
    case kTokenString:
      return kStringSym;
    default:
      return kOther;
  }
}

// Rules of the grammar, all reducing to `entry`:
//   1 entry: NUMBER STRING                 font entry
//   2 entry: CHARCODE STRING CHARCODE      character entry
//   3 entry: CHARCODE CHARCODE             character entry without a name
//   4 entry: SAMEAS NUMBER                 SameAs entry
//   5 entry: STRING                        no further entries
//   6 entry: $end                          no further entries
enum Rule : uint8_t {
  kNoRule,
  kFontRule,
  kNamedCharRule,
  kCharRule,
  kSameAsRule,
  kStringRule,
  kEndRule
};
constexpr std::array<uint8_t, 7> kRuleLength = {0, 2, 3, 2, 2, 1, 1};

// Parser states. Positive table cells shift to that state; 0 is an error.
constexpr uint8_t kAcceptState = 11;
constexpr int kParserStates = 12;

// clang-format off
constexpr std::array<std::array<uint8_t, kSymbols>, kParserStates> kShift = {{
  //  $end NUMBER CODE SAMEAS STRING other
  {{  6,   1,     2,   3,     5,     0 }},  // 0: where an entry begins
  {{  0,   0,     0,   0,     7,     0 }},  // 1: NUMBER .
  {{  0,   0,     8,   0,     4,     0 }},  // 2: CHARCODE .
  {{  0,   9,     0,   0,     0,     0 }},  // 3: SAMEAS .
  {{  0,   0,    10,   0,     0,     0 }},  // 4: CHARCODE STRING .
}};
// The rule a state reduces by without looking at the next token.
constexpr std::array<uint8_t, kParserStates> kDefaultReduction = {
  kNoRule, kNoRule, kNoRule, kNoRule, kNoRule,
  kStringRule,     // 5: STRING .
  kEndRule,        // 6: $end .
  kFontRule,       // 7: NUMBER STRING .
  kCharRule,       // 8: CHARCODE CHARCODE .
  kSameAsRule,     // 9: SAMEAS NUMBER .
  kNamedCharRule,  // 10: CHARCODE STRING CHARCODE .
  kNoRule,         // 11: entry . (accept)
};
// clang-format on

// The state after `entry` is reduced; only the start state has one.
constexpr uint8_t kEntryGoto = kAcceptState;

// Depth of the parse stack: the longest rule and the start state.
constexpr uint32_t kStackDepth = 4;

// The actions of a rule; `value` holds the values of its symbols.
void reduceAction(Rule rule, const int32_t *value) {
  switch (rule) {
    case kFontRule:
      parser.pictfontindex = value[0];
      parser.Type = kFontEntry;
      break;
    case kNamedCharRule:
      parser.pictchar = value[0];
      parser.torvachar = value[2];
      parser.Type = kCharacterEntry;
      break;
    case kCharRule:
      parser.pictchar = value[0];
      parser.torvachar = value[1];
      parser.Type = kCharacterEntry;
      clearName();
      break;
    case kSameAsRule:
      parser.sameasnumber = value[1];
      parser.Type = kSameAsEntry;
      clearName();
      break;
    case kStringRule:
    case kEndRule:
      parser.FileGone = 1;
      break;
    case kNoRule:
      break;
  }
}

// The parse stack: states and the values of the symbols shifted.
struct ParseStack {
  uint8_t state[kStackDepth];
  int32_t value[kStackDepth];
  uint32_t depth;
};

// Reports a parser message on standard error.
void yyerror(const char *text) {
  char message[256];
  V_Snprintf(message, static_cast<int32_t>(sizeof message), "%s!!!!!\n", text);
  V_Warning(message);
}

// Parses one entry from an empty stack and no look-ahead: 0 when it (or the
// end) was accepted, 1 when abandoned. A token no entry can take is consumed
// with the entry it stands in, which is dropped.
int yyparse() {
  auto *stack = static_cast<ParseStack *>(V_Alloc(sizeof(ParseStack), 0));
  if (stack == nullptr) {
    yyerror("out of memory");
    parser.FileGone = 1;  // the next call would fail the same way
    return 1;
  }
  stack->depth = 1;
  stack->state[0] = 0;
  int result = 0;
  for (;;) {
    uint8_t state = stack->state[stack->depth - 1];
    if (state == kAcceptState) break;
    auto rule = static_cast<Rule>(kDefaultReduction[state]);
    if (rule != kNoRule) {
      stack->depth -= kRuleLength[rule];
      reduceAction(rule, stack->value + stack->depth);
      stack->state[stack->depth++] = kEntryGoto;
      continue;
    }
    Symbol symbol = symbolOf(yylex());
    uint8_t next = kShift[state][symbol];
    if (next == 0) {
      yyerror("syntax error");
      result = 1;
      break;
    }
    if (symbol == kStringSym)
      V_StrCpyN(parser.torvafont, parser.yylval.text, kParserNameSize);
    stack->value[stack->depth] = parser.yylval.number;
    stack->state[stack->depth++] = next;
  }
  V_Free(stack);
  return result;
}

}  // namespace

// Starts the scanner on `channel` with nothing read back.
void InitParser(Channel *channel) {
  parser.ScannerInput = channel;
  parser.PushBackCount = 0;
  parser.FileGone = 0;
  if (parser.torvafont == nullptr)
    parser.torvafont = static_cast<char *>(FontConfigAlloc(1, kParserNameSize));
  clearName();
}

// Entries the parser abandons are dropped; the next one is read instead.
int GetFontFileEntry(FontFileEntry *entry) {
  while (parser.FileGone == 0 && yyparse() != 0) {
  }
  if (parser.FileGone != 0) return -1;
  entry->type = parser.Type;
  switch (parser.Type) {
    case kFontEntry:
      entry->number = parser.pictfontindex;
      V_StrCpyN(entry->name, parser.torvafont, kParserNameSize);
      break;
    case kCharacterEntry:
      entry->number = parser.pictchar;
      V_StrCpyN(entry->name, parser.torvafont, kParserNameSize);
      entry->code = parser.torvachar;
      break;
    case kSameAsEntry:
      entry->number = parser.sameasnumber;
      break;
  }
  return 0;
}

// The numbered messages: texts come from the string resources, arguments are
// texts, the result goes to standard error.
#include "base/messages.h"

#include <cstring>

#include "runtime/vok.h"

const char *Argv0 = nullptr;

namespace {

// Room for a message text as the resources give it (the terminator
// included); one more byte holds the newline appended to every message.
constexpr int kMessageTextSize = 256;

// Arguments a message text may consume.
constexpr int kMaxArguments = 3;

// True when every conversion in `text` is a plain %s (at most three of them)
// or %%, so that formatting it with three text arguments is safe.
bool takesTextArguments(const char *text) {
  int strings = 0;
  for (const char *p = text; *p != '\0'; ++p) {
    if (*p != '%') continue;
    ++p;
    if (*p == 's') {
      ++strings;
    } else if (*p != '%') {
      return false;
    }
  }
  return strings <= kMaxArguments;
}

size_t textLength(const char *text) {
  return text == nullptr ? 0 : std::strlen(text);
}

}  // namespace

// Fetches message `number`, appends a newline, fills in the text arguments
// and writes the result to standard error. The result buffer is sized from
// the text and its arguments, so no file name is ever cut or overruns it.
void NonFatal(int number, const char *a, const char *b, const char *c) {
  char message[kMessageTextSize + 1];
  V_SrGetN(number, message, kMessageTextSize);
  V_StrCat(message, "\n");
  if (!takesTextArguments(message)) {
    V_Warning(message);
    return;
  }
  // A missing argument prints as nothing.
  a = a ? a : "";
  b = b ? b : "";
  c = c ? c : "";
  size_t size =
      std::strlen(message) + textLength(a) + textLength(b) + textLength(c) + 1;
  if (size > kVokMaxAlloc) {
    V_Warning(message);
    return;
  }
  char *output = static_cast<char *>(V_Alloc(static_cast<uint32_t>(size), 0));
  if (output == nullptr) {
    V_Warning(message);
    return;
  }
  V_Snprintf(output, static_cast<int32_t>(size), message, a, b, c);
  V_Warning(output);
  V_Free(output);
}

void Fatal(int number, const char *a) {
  NonFatal(number, a, nullptr, nullptr);
  V_Exit(1);
}

void FatalNoMemory() { Fatal(kMsgNoMemory); }

// The usage text: the first line names the program, nine more follow.
void do_help(const char *programName) {
  NonFatal(kMsgUsageFirst, programName, nullptr, nullptr);
  for (int number = kMsgUsageFirst + 1; number <= kMsgUsageLast; ++number)
    NonFatal(number, nullptr, nullptr, nullptr);
}

// Byte-level reading of the picture: every byte passes ReadByte, which ends
// the run at the end of the input. Multi-byte values are big-endian.
#include <cstdio>
#include <cstdlib>

#include "base/conversion.h"
#include "base/messages.h"
#include "pict/pict.h"

namespace {

// What the reading functions keep between calls.
struct ReaderState {
  // Input bytes consumed by the reading functions (alignment bytes
  // excluded); only the parity of differences matters to the callers.
  uint32_t ByteCount = 0;
  // An opcode read ahead by PeekNextOpcode; 0 when none is held.
  uint16_t SavedOpcode = 0;
  // Set until the first byte has been read: an empty input is told apart
  // from one that ends in the middle.
  bool firstbyte = true;
  // Every byte taken from the input, alignment bytes included: the
  // position in the input when it can't tell it (a pipe).
  long bytesTaken = 0;
};
ReaderState reader;

// The end of the input, or a read error, ends the run.
[[noreturn]] void endOfInput() {
  if (V_ChannelEof(inputFP))
    Fatal(reader.firstbyte ? kMsgEmptyInput : kMsgShortInput);
  Fatal(kMsgShortInput);
}

// Reads one byte. A byte that was read leaves the end-of-file indicator
// clear, so the indicator is looked at only when no byte came.
unsigned char takeByte() {
  unsigned char byte = 0;
  if (V_ChannelRead(&byte, 1, 1, inputFP) != 1) endOfInput();
  reader.firstbyte = false;
  ++reader.bytesTaken;
  return byte;
}

// Reads a run of n >= 1 bytes in one channel read. The end of the input
// inside the run ends the process as it does for ReadByte: message 1007
// only when nothing at all could be read.
void takeBytes(unsigned char *buffer, int32_t n) {
  size_t got = V_ChannelRead(buffer, 1, static_cast<size_t>(n), inputFP);
  if (got > 0) reader.firstbyte = false;
  reader.bytesTaken += static_cast<long>(got);
  if (got != static_cast<size_t>(n)) endOfInput();
}

// Counts `bytes` (at least one) taken from the channel's buffer in place.
void countTakenInPlace(size_t bytes) {
  reader.ByteCount += static_cast<uint32_t>(bytes);
  reader.firstbyte = false;
  reader.bytesTaken += static_cast<long>(bytes);
}

// Runs of bytes that are dropped are read in pieces of this size.
constexpr int32_t kSkipPiece = 4096;

}  // namespace

void ReadByte(unsigned char *byte) {
  ++reader.ByteCount;
  *byte = takeByte();
}

// Reads n bytes into buffer; returns the position behind the last one.
// The bytes count and end as ReadByte's, read as one run.
unsigned char *ReadString(unsigned char *buffer, int32_t n) {
  if (n < 1) return buffer;
  reader.ByteCount += static_cast<uint32_t>(n);
  takeBytes(buffer, n);
  return buffer + n;
}

void ReadUShort(uint16_t *word) {
  unsigned char high = 0, low = 0;
  if (const unsigned char *both = V_ChannelTake(inputFP, 2)) {  // buffered
    countTakenInPlace(2);
    high = both[0];
    low = both[1];
  } else {
    ReadByte(&high);
    ReadByte(&low);
  }
  *word = static_cast<uint16_t>(high << 8 | low);
}

void ReadShort(int16_t *word) {
  uint16_t value = 0;
  ReadUShort(&value);
  *word = static_cast<int16_t>(value);
}

void ReadShorts(int16_t *words, int32_t count) {
  const auto bytes = static_cast<size_t>(count) * 2;
  if (const unsigned char *run = V_ChannelTake(inputFP, bytes)) {
    countTakenInPlace(bytes);
    for (int32_t i = 0; i < count; ++i)
      words[i] = static_cast<int16_t>(run[2 * i] << 8 | run[2 * i + 1]);
    return;
  }
  for (int32_t i = 0; i < count; ++i) ReadShort(&words[i]);
}

void ReadLong(int32_t *value) {
  uint16_t high = 0, low = 0;
  ReadUShort(&high);
  ReadUShort(&low);
  *value = static_cast<int32_t>(static_cast<uint32_t>(high) << 16 | low);
}

namespace {

// A rectangle of the picture from its top, left, bottom and right, in that
// order in the file, normalised: corners given in reverse order give the
// same rectangle.
Rect normalRect(int16_t top, int16_t left, int16_t bottom, int16_t right) {
  Rect rect;
  rect.x = left < right ? left : right;
  rect.y = top < bottom ? top : bottom;
  rect.width = std::abs(int32_t{right} - left);
  rect.height = std::abs(int32_t{bottom} - top);
  return rect;
}

}  // namespace

void ReadRect(Rect *rect) {
  int16_t edges[4] = {};  // top, left, bottom, right
  ReadShorts(edges, 4);
  *rect = normalRect(edges[0], edges[1], edges[2], edges[3]);
}

// Reads and drops n bytes, checked for the end of the input as ReadByte's;
// they are read in runs, never skipped by seeking.
void PictSkip(int32_t n) {
  unsigned char piece[kSkipPiece];
  while (n > 0) {
    int32_t take = n < kSkipPiece ? n : kSkipPiece;
    reader.ByteCount += static_cast<uint32_t>(take);
    takeBytes(piece, take);
    n -= take;
  }
}

int32_t GetByteCount() { return static_cast<int32_t>(reader.ByteCount); }

// The process-start state, for a process that reads more than one picture.
void ResetPictReader() { reader = ReaderState{}; }

// Moves the input to an even position counted from the start of the file
// by reading the byte in between and dropping it: the byte is normally in
// the channel's buffer already, so this costs no system call. The byte
// doesn't count in ByteCount. On an input that can tell its position (a
// file) it is stepped over as a seek would: it doesn't count as read, so an
// input that ends just behind it is as empty as one that held nothing. An
// input that can't (a pipe) is counted here, and the byte is taken as any
// other.
void InputAlignWord() {
  long position = V_ChannelTell(inputFP);
  if (position < 0) {
    if (reader.bytesTaken % 2 != 0) takeByte();
    return;
  }
  if (position % 2 == 0) return;
  unsigned char byte = 0;
  if (V_ChannelRead(&byte, 1, 1, inputFP) != 1) endOfInput();
  ++reader.bytesTaken;
}

// The next opcode: one byte in version 1, a word at an even position in
// version 2; an opcode held back by PeekNextOpcode comes first.
void getopcode(uint16_t *opcode) {
  if (reader.SavedOpcode != 0) {
    *opcode = reader.SavedOpcode;
    reader.SavedOpcode = 0;
    return;
  }
  if (Version == 1) {
    unsigned char byte = 0;
    ReadByte(&byte);
    *opcode = byte;
    return;
  }
  InputAlignWord();
  ReadUShort(opcode);
}

// Looks at the next opcode without taking it from the opcode loop. A NOP is
// not held back: it has no operands, so nothing is lost.
void PeekNextOpcode(uint16_t *opcode) {
  getopcode(opcode);
  reader.SavedOpcode = *opcode;
}

int16_t GetShort(const unsigned char *pointer) {
  return static_cast<int16_t>(
      static_cast<uint16_t>(pointer[0] << 8 | pointer[1]));
}

Rect GetRect(const unsigned char *pointer) {
  return normalRect(GetShort(pointer), GetShort(pointer + 2),
                    GetShort(pointer + 4), GetShort(pointer + 6));
}

// A 16.16 fixed-point number, converted in single precision.
double GetFixed(const unsigned char *pointer) {
  uint32_t bits = static_cast<uint32_t>(pointer[0]) << 24 |
                  static_cast<uint32_t>(pointer[1]) << 16 |
                  static_cast<uint32_t>(pointer[2]) << 8 | pointer[3];
  float value = static_cast<float>(static_cast<int32_t>(bits));
  return value * (1.0f / 65536.0f);
}

// Writes n bytes to the channel; a short write ends the run.
void WriteBytes(Channel *channel, const void *bytes, int32_t n) {
  if (n < 1) return;
  size_t count = static_cast<size_t>(n);
  if (V_ChannelWrite(bytes, 1, count, channel) < count) Fatal(kMsgWriteFailed);
}

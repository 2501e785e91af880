// Image facets: an image inside an ImportObject, carried inline as text
// lines between "=QuireImage" and "=EndInset". The bytes are a raster file
// (header, colour map, run-length encoded rows) put through a text encoding
// that writes text bytes as they are and other bytes as hexadecimal
// stretches opened and closed by \x. Every data line starts with '&'.
#include <algorithm>
#include <cstring>

#include "image/blocks.h"
#include "image/facet_encoder.h"

namespace {

constexpr uint32_t kRasterMagic = 0x59A66A95;
constexpr uint32_t kRasterRunLengthType = 2;
constexpr uint32_t kMapNone = 0;
constexpr uint32_t kMapRgb = 2;
constexpr int32_t kColorCount = 256;
constexpr int kWindowSize = 8;
// A line is ended before the next unit once it holds more characters.
constexpr int16_t kLineLimit = 79;
// The escape byte of the run-length encoding; it never starts a run.
constexpr unsigned char kRunEscape = 0x80;
constexpr int32_t kLongestRun = 255;
constexpr int32_t kShortestEncodedRun = 4;

// A digit's character in the hexadecimal pairs: uppercase.
constexpr char HexDtoA[] = "0123456789ABCDEF";

using blocks::IsTextByte;

// 1 for the bytes that are not text.
struct NonTextBits {
  uint8_t bit[256];
};
constexpr NonTextBits makeNonTextBits() {
  NonTextBits bits{};
  for (int byte = 0; byte < 256; ++byte)
    bits.bit[byte] = IsTextByte(static_cast<unsigned char>(byte)) ? 0 : 1;
  return bits;
}
constexpr NonTextBits kNonTextBits = makeNonTextBits();

uint8_t nonTextBit(unsigned char byte) { return kNonTextBits.bit[byte]; }

// The most characters one byte can take: a line end, '&', a closing \x,
// another line end and '&', and the byte's own three.
constexpr int32_t kLongestUnit = 16;

// Stores one character for the channel.
inline void put(LookaheadBuffer *encoder, unsigned char byte) {
  encoder->pending[encoder->pendingLength++] = byte;
}

// Stores the \x marker that opens or closes a hexadecimal stretch.
inline void putMarker(LookaheadBuffer *encoder) {
  put(encoder, '\\');
  put(encoder, 'x');
}

// Makes room for one byte's characters; false once a write has failed.
inline bool roomForUnit(LookaheadBuffer *encoder) {
  if (encoder->pendingLength > kPendingSize - kLongestUnit)
    return ChannelWritePending(encoder);
  return !(encoder->flags & kWriteFailed);
}

// Writes the byte at the window's position in the text encoding, one unit
// after the other until the byte itself is written.
void writeEncoded(LookaheadBuffer *encoder, unsigned char byte) {
  for (;;) {
    if (encoder->column > kLineLimit) {
      put(encoder, '\n');
      encoder->column = 0;
    }
    if (encoder->column == 0) put(encoder, '&');
    if (encoder->flags & kHexMode) {
      if (encoder->mask != 0) {
        put(encoder, static_cast<unsigned char>(HexDtoA[byte >> 4]));
        put(encoder, static_cast<unsigned char>(HexDtoA[byte & 0x0F]));
        encoder->column += 2;
        break;
      }
      putMarker(encoder);
      encoder->flags &= static_cast<uint16_t>(~kHexMode);
      encoder->column += 2;
      continue;
    }
    if (IsTextByte(byte)) {
      if (byte == '\\') put(encoder, '\\');
      put(encoder, byte);
      encoder->column += byte == '\\' ? 2 : 1;
      break;
    }
    if (IsEndOfLine(byte)) {
      put(encoder, '\\');
      put(encoder, 'n');
      put(encoder, '\n');
      encoder->column = 0;
      encoder->flags |= kAtLineStart;
      return;
    }
    putMarker(encoder);
    encoder->flags |= kHexMode;
    encoder->column += 2;
  }
  encoder->flags &= static_cast<uint16_t>(~kAtLineStart);
}

// Writes the oldest byte of the window, after making room for it.
inline void popOldest(LookaheadBuffer *encoder) {
  if (roomForUnit(encoder))
    writeEncoded(encoder, encoder->window[encoder->position]);
}

// Feeds one byte: the window keeps the last 8, so the oldest is written
// only when 7 later bytes are known. After a failed write nothing more is
// taken.
inline void pushByte(unsigned char byte, LookaheadBuffer *encoder) {
  if (encoder->flags & kWriteFailed) return;
  if (encoder->fill < kWindowSize) {
    ChannelFillLookaheadBuff(byte, encoder);
    return;
  }
  popOldest(encoder);
  if (encoder->flags & kWriteFailed) return;
  encoder->window[encoder->position] = byte;
  encoder->mask = static_cast<uint8_t>(encoder->mask << 1 | nonTextBit(byte));
  encoder->position =
      static_cast<int16_t>((encoder->position + 1) % kWindowSize);
}

// Run-length encoding of the rows, one byte sequence across row ends: runs
// of equal bytes end at a different byte, at 255 bytes, or at once for the
// escape byte. The encoded bytes are gathered and fed to the text encoder
// in blocks.
constexpr int32_t kRunBlock = 4096;
// The most bytes one finished run adds.
constexpr int32_t kLongestRunCode = 3;

struct RunEncoder {
  unsigned char value = 0;
  int32_t length = 0;
  int32_t gathered = 0;  // encoded bytes waiting in `bytes`
  unsigned char bytes[kRunBlock];
};

void feedRuns(RunEncoder *run, LookaheadBuffer *encoder) {
  pushBytes(run->bytes, run->gathered, encoder);
  run->gathered = 0;
}

// Writes the code of a run of `length` bytes of `value` at out; returns
// the bytes written.
inline int32_t putRun(unsigned char value, int32_t length, unsigned char *out) {
  if (value == kRunEscape) {
    out[0] = kRunEscape;
    out[1] = 0;
    return 2;
  }
  if (length < kShortestEncodedRun) {
    for (int32_t i = 0; i < length; ++i) out[i] = value;
    return length;
  }
  out[0] = kRunEscape;
  out[1] = static_cast<unsigned char>(length - 1);
  out[2] = value;
  return 3;
}

void finishRun(RunEncoder *run, LookaheadBuffer *encoder) {
  if (run->length == 0) return;
  if (run->gathered > kRunBlock - kLongestRunCode) feedRuns(run, encoder);
  run->gathered += putRun(run->value, run->length, run->bytes + run->gathered);
  run->length = 0;
}

// The position of the first of row[at, end) that differs from value.
int32_t runEnd(const unsigned char *row, int32_t at, int32_t end,
               unsigned char value) {
  return at + blocks::FirstOther(row + at, end - at, value);
}

// The position of the first byte of row[at, last) that equals the byte
// behind it or is the escape byte (else last).
int32_t literalEnd(const unsigned char *row, int32_t at, int32_t last) {
  return at + blocks::FirstRepeatOr(row + at, last - at, kRunEscape);
}

// Encodes one row; the run still open at its end goes on in the next row.
// The run is kept in locals while the row is scanned. A byte that differs
// from the next one in the row (and is not the escape byte) is a run of
// one, written as it is: such stretches are copied without a run opened.
void encodeRunRow(const unsigned char *row, int32_t rowLength, RunEncoder *run,
                  LookaheadBuffer *encoder) {
  unsigned char value = run->value;
  int32_t length = run->length;
  int32_t gathered = run->gathered;
  unsigned char *const bytes = run->bytes;
  int32_t i = 0;
  while (i < rowLength) {
    if (length > 0) {
      if (row[i] == value && value != kRunEscape && length < kLongestRun) {
        const int32_t room = kLongestRun - length;
        const int32_t end = rowLength - i < room ? rowLength : i + room;
        const int32_t start = i;
        i = runEnd(row, i + 1, end, value);
        length += i - start;
        continue;
      }
      if (gathered > kRunBlock - kLongestRunCode) {
        run->gathered = gathered;
        feedRuns(run, encoder);
        gathered = 0;
      }
      gathered += putRun(value, length, bytes + gathered);
      length = 0;
    }
    const int32_t room = kRunBlock - gathered;
    const int32_t last = rowLength - 1 - i < room ? rowLength - 1 : i + room;
    const int32_t first = i;
    i = literalEnd(row, i, last);
    std::memcpy(bytes + gathered, row + first, static_cast<size_t>(i - first));
    gathered += i - first;
    value = row[i];
    length = 1;
    ++i;
  }
  run->value = value;
  run->length = length;
  run->gathered = gathered;
}

// The facet's row buffer, released however the call ends: also when the
// end of the picture inside a row ends the run.
struct RowBuffer {
  unsigned char *bytes = nullptr;
  ~RowBuffer() { V_Free(bytes); }
};

// Bytes of a facet row: pixels padded to a multiple of 16 bits.
int32_t facetRowLength(int32_t width, int32_t depth) {
  return (width * depth + 15) / 16 * 2;
}

// A row of no bytes needs no buffer. False without memory.
bool allocateRow(RowBuffer *buffer, int32_t length) {
  if (length <= 0) return true;
  buffer->bytes =
      static_cast<unsigned char *>(V_Alloc(static_cast<uint32_t>(length), 0));
  return buffer->bytes != nullptr;
}

// The window's columns of a row of rowLength bytes, padded with zero bits:
// a byte per pixel at depth 8; at depth 1 a bit per pixel, eight at a time,
// each byte from the two of the row that its bits straddle.
void cutRow(const unsigned char *row, int32_t rowLength, int32_t depth,
            const FacetWindow &window, unsigned char *cut, int32_t cutLength) {
  std::memset(cut, 0, static_cast<size_t>(cutLength));
  if (depth == 8) {
    std::memcpy(cut, row + window.firstColumn,
                static_cast<size_t>(window.columns));
    return;
  }
  const unsigned char *const from = row + (window.firstColumn >> 3);
  const int32_t bytes = (window.columns + 7) / 8;
  const int shift = window.firstColumn & 7;
  if (shift == 0) {
    std::memcpy(cut, from, static_cast<size_t>(bytes));
  } else {
    // Every byte but maybe the last has a byte of the row behind it.
    const int32_t paired =
        std::min(bytes, rowLength - (window.firstColumn >> 3) - 1);
    for (int32_t k = 0; k < paired; ++k)
      cut[k] = static_cast<unsigned char>(from[k] << shift |
                                          from[k + 1] >> (8 - shift));
    if (paired < bytes)
      cut[paired] = static_cast<unsigned char>(from[paired] << shift);
  }
  if (window.columns % 8 != 0)
    cut[bytes - 1] = static_cast<unsigned char>(cut[bytes - 1] &
                                                0xFF00u >> window.columns % 8);
}

}  // namespace

int ChannelPUTC(unsigned char byte, Channel *channel) {
  return V_ChannelWrite(&byte, 1, 1, channel) == 1 ? byte : -1;
}

int IsEndOfLine(unsigned char byte) { return byte == '\n' ? 1 : 0; }

// The words of the raster header are always written big-endian.
int SwappingIsNecessary() { return 0; }

void ChannelInitLookaheadBuffer(LookaheadBuffer *encoder, Channel *channel,
                                uint16_t flags) {
  encoder->position = 0;
  encoder->fill = 0;
  encoder->mask = 0;
  encoder->column = 0;
  encoder->flags = flags;
  encoder->channel = channel;
  encoder->pendingLength = 0;
}

void ChannelFillLookaheadBuff(unsigned char byte, LookaheadBuffer *encoder) {
  if (encoder->fill >= kWindowSize) return;
  encoder->window[(encoder->position + encoder->fill) % kWindowSize] = byte;
  encoder->mask = static_cast<uint8_t>(encoder->mask << 1 | nonTextBit(byte));
  ++encoder->fill;
}

// Writes the oldest byte of the window. Lines are broken before a unit once
// they hold more than 79 characters. A hexadecimal stretch goes on while
// this byte or one of the 7 after it is not text.
void ChannelPopLookaheadChar(LookaheadBuffer *encoder) { popOldest(encoder); }

bool ChannelWritePending(LookaheadBuffer *encoder) {
  const int32_t length = encoder->pendingLength;
  encoder->pendingLength = 0;
  if (encoder->flags & kWriteFailed) return false;
  if (length > 0 &&
      V_ChannelWrite(encoder->pending, 1, static_cast<size_t>(length),
                     encoder->channel) != static_cast<size_t>(length))
    encoder->flags |= kWriteFailed;
  return !(encoder->flags & kWriteFailed);
}

// The encoder's state in locals while a stretch of plain units is stored.
struct PlainUnits {
  unsigned char window[kWindowSize];
  unsigned position;
  unsigned mask;
  int column;
  unsigned char *out;

  explicit PlainUnits(LookaheadBuffer *encoder)
      : position(static_cast<unsigned>(encoder->position)),
        mask(encoder->mask),
        column(encoder->column),
        out(encoder->pending + encoder->pendingLength) {
    std::memcpy(window, encoder->window, sizeof window);
  }
  void StoreInto(LookaheadBuffer *encoder) const {
    std::memcpy(encoder->window, window, sizeof window);
    encoder->position = static_cast<int16_t>(position);
    encoder->mask = static_cast<uint8_t>(mask);
    encoder->column = static_cast<int16_t>(column);
    encoder->pendingLength = static_cast<int32_t>(out - encoder->pending);
  }
  // Ends a full line and starts the next one before a unit.
  void StartUnit() {
    if (column > kLineLimit) {
      *out++ = '\n';
      column = 0;
    }
    if (column == 0) *out++ = '&';
  }
  // Puts the next byte into the window in place of the one written.
  void Take(unsigned char byte) {
    window[position] = byte;
    mask = mask << 1 | nonTextBit(byte);
    position = (position + 1) % kWindowSize;
  }
};

// The most characters a plain unit takes: a line end, '&' and a pair.
constexpr int32_t kLongestPlainUnit = 4;
// The most plain units one call stores.
constexpr int32_t kMostPlainUnits = kPendingSize / kLongestPlainUnit;

// The pairs a hexadecimal stretch writes of stream[0, count) before it
// closes. The stretch goes on while the byte to write or one of the 7 after
// it is not text, so it closes at the first 8 text bytes in a row: the
// bytes are tested a block at a time, as they are noise as often as not.
// stream holds 31 bytes past count, the 7 that decide the last pair and
// slack that only decides starts at count or later.
int32_t hexStretchLength(const unsigned char *stream, int32_t count) {
  uint32_t low = blocks::TextBits(stream);
  for (int32_t t = 0; t < count; t += blocks::kBlock) {
    const uint32_t high = blocks::TextBits(stream + t + blocks::kBlock);
    // Bit j: stream[t + j, t + j + 8) are all text.
    uint32_t starts = low | high << blocks::kBlock;
    starts &= starts >> 1;
    starts &= starts >> 2;
    starts &= starts >> 4;
    starts &= 0xFFFF;
    if (starts != 0) return std::min(count, t + __builtin_ctz(starts));
    low = high;
  }
  return count;
}

// Bytes past the stream's end that hexStretchLength reads.
constexpr int32_t kStreamSlack = 2 * blocks::kBlock;

// The units of a hexadecimal stretch that the window and bytes[*i, stop)
// decide, as pairs. The bytes to write are the window's, oldest first,
// then bytes[*i, stop): one run, `stream`. A line is ended and begun only
// for a pair that follows.
void storeHexUnits(const unsigned char *bytes, int32_t *i, int32_t stop,
                   LookaheadBuffer *encoder) {
  const int32_t count = stop - *i;
  unsigned char stream[kWindowSize + kMostPlainUnits + kStreamSlack];
  for (int k = 0; k < kWindowSize; ++k)
    stream[k] = encoder->window[(encoder->position + k) % kWindowSize];
  std::memcpy(stream + kWindowSize, bytes + *i, static_cast<size_t>(count));
  std::memset(stream + kWindowSize + count, 0, kStreamSlack);
  const int32_t pairs = hexStretchLength(stream, count);

  unsigned char *out = encoder->pending + encoder->pendingLength;
  int column = encoder->column;
  for (int32_t t = 0; t < pairs;) {
    if (column > kLineLimit) {
      *out++ = '\n';
      column = 0;
    }
    if (column == 0) *out++ = '&';
    // The pairs that start on this line: up to column 79.
    const int32_t onLine = std::min(pairs - t, (kLineLimit - column) / 2 + 1);
    out = blocks::PutHexPairs(stream + t, onLine, out);
    column += 2 * onLine;
    t += onLine;
  }
  uint8_t mask = 0;
  for (int k = 0; k < kWindowSize; ++k) {
    encoder->window[k] = stream[pairs + k];
    mask = static_cast<uint8_t>(mask << 1 | nonTextBit(stream[pairs + k]));
  }
  encoder->position = 0;
  encoder->mask = mask;
  encoder->column = static_cast<int16_t>(column);
  encoder->pendingLength = static_cast<int32_t>(out - encoder->pending);
  if (pairs > 0) encoder->flags &= static_cast<uint16_t>(~kAtLineStart);
  *i += pairs;
}

// Stores, from bytes[*i] on, the units of the current mode that are plain:
// hexadecimal pairs while the window holds a byte that is not text, or text
// bytes other than the backslash. Stops before `stop` at the first byte
// that is not such a unit (a mode change, a backslash, a line feed) and
// leaves it to the general path.
void storePlainUnits(const unsigned char *bytes, int32_t *i, int32_t stop,
                     LookaheadBuffer *encoder) {
  if (encoder->flags & kHexMode) {
    storeHexUnits(bytes, i, stop, encoder);
    return;
  }
  PlainUnits units(encoder);
  int32_t at = *i;
  for (; at < stop; ++at) {
    const unsigned char byte = units.window[units.position];
    if (!IsTextByte(byte) || byte == '\\') break;
    units.StartUnit();
    *units.out++ = byte;
    ++units.column;
    units.Take(bytes[at]);
  }
  if (at != *i) encoder->flags &= static_cast<uint16_t>(~kAtLineStart);
  units.StoreInto(encoder);
  *i = at;
}

void pushBytes(const unsigned char *bytes, int32_t count,
               LookaheadBuffer *encoder) {
  int32_t i = 0;
  for (; i < count && encoder->fill < kWindowSize; ++i)
    pushByte(bytes[i], encoder);
  // The window is full: every byte now writes the oldest one first.
  while (i < count && roomForUnit(encoder)) {
    const int32_t room =
        (kPendingSize - kLongestUnit - encoder->pendingLength) /
        kLongestPlainUnit;
    const int32_t stop = count - i < room ? count : i + room;
    storePlainUnits(bytes, &i, stop, encoder);
    if (i < count) pushByte(bytes[i++], encoder);
  }
}

void pushInts(const uint32_t *words, int32_t count, LookaheadBuffer *encoder) {
  for (int32_t i = 0; i < count; ++i)
    for (int shift = 24; shift >= 0; shift -= 8)
      pushByte(static_cast<unsigned char>(words[i] >> shift), encoder);
}

// Writes what is left in the window, closes an open hexadecimal stretch
// (without a line check) and ends the last data line.
void ChannelFlushLookaheadBuffer(LookaheadBuffer *encoder) {
  while (encoder->fill > 0 && !(encoder->flags & kWriteFailed)) {
    ChannelPopLookaheadChar(encoder);
    encoder->mask = static_cast<uint8_t>(encoder->mask << 1);
    encoder->position =
        static_cast<int16_t>((encoder->position + 1) % kWindowSize);
    --encoder->fill;
  }
  encoder->fill = 0;
  if (!roomForUnit(encoder)) return;
  if (encoder->flags & kHexMode) {
    putMarker(encoder);
    encoder->flags &= static_cast<uint16_t>(~kHexMode);
  }
  if (!(encoder->flags & kAtLineStart)) put(encoder, '\n');
  ChannelWritePending(encoder);
}

int ChannelWriteQuireImageFacet(Channel *channel, int32_t width, int32_t height,
                                int32_t depth, const unsigned char *red,
                                const unsigned char *green,
                                const unsigned char *blue) {
  FacetWindow whole;
  whole.columns = width;
  whole.rows = height;
  return ChannelWriteQuireImageWindow(channel, width, height, depth, red, green,
                                      blue, whole);
}

int ChannelWriteQuireImageWindow(Channel *channel, int32_t width,
                                 int32_t height, int32_t depth,
                                 const unsigned char *red,
                                 const unsigned char *green,
                                 const unsigned char *blue,
                                 const FacetWindow &window) {
  const int32_t rowLength = facetRowLength(width, depth);
  const int32_t windowLength = facetRowLength(window.columns, depth);
  const bool cut = window.firstColumn != 0 || window.columns != width;
  RowBuffer rowBuffer, windowBuffer;
  unsigned char *&row = rowBuffer.bytes;
  if (!allocateRow(&rowBuffer, rowLength) ||
      (cut && !allocateRow(&windowBuffer, windowLength)))
    return -20;
  V_Printf(channel, "=QuireImage\n&%%v\n");
  LookaheadBuffer encoder;
  ChannelInitLookaheadBuffer(&encoder, channel, kInitialEncoderFlags);

  const bool colorMap = depth == 8;
  const uint32_t header[8] = {kRasterMagic,
                              static_cast<uint32_t>(window.columns),
                              static_cast<uint32_t>(window.rows),
                              static_cast<uint32_t>(depth),
                              0,
                              kRasterRunLengthType,
                              colorMap ? kMapRgb : kMapNone,
                              colorMap ? 3u * kColorCount : 0u};
  pushInts(header, 8, &encoder);
  if (colorMap) {
    pushBytes(red, kColorCount, &encoder);
    pushBytes(green, kColorCount, &encoder);
    pushBytes(blue, kColorCount, &encoder);
  }

  RunEncoder run;
  for (int32_t y = 0; y < height; ++y) {
    // What is written stays written if the input ends inside the row.
    feedRuns(&run, &encoder);
    ChannelWritePending(&encoder);
    int status = ReadScanLine(rowLength, row);
    if (status != 0) return status;
    if (y < window.firstRow || y - window.firstRow >= window.rows) continue;
    if (!cut) {
      encodeRunRow(row, rowLength, &run, &encoder);
      continue;
    }
    cutRow(row, rowLength, depth, window, windowBuffer.bytes, windowLength);
    encodeRunRow(windowBuffer.bytes, windowLength, &run, &encoder);
  }
  finishRun(&run, &encoder);
  feedRuns(&run, &encoder);
  V_Free(row);

  ChannelFlushLookaheadBuffer(&encoder);
  if (encoder.flags & kWriteFailed) return -13;
  V_Printf(channel, "=EndInset\n");
  return 0;
}

int DropImageRows(int32_t width, int32_t height, int32_t depth) {
  const int32_t rowLength = facetRowLength(width, depth);
  RowBuffer rowBuffer;
  if (!allocateRow(&rowBuffer, rowLength)) return -20;
  for (int32_t y = 0; y < height; ++y) {
    int status = ReadScanLine(rowLength, rowBuffer.bytes);
    if (status != 0) return status;
  }
  return 0;
}

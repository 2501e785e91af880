// Image facets: an image inside an ImportObject, carried inline as text
// lines between "=QuireImage" and "=EndInset". The bytes are a raster file
// (header, colour map, run-length encoded rows) put through a text encoding
// that writes text bytes as they are and other bytes as hexadecimal
// stretches opened and closed by \x. Every data line starts with '&'.
#include <cstring>

#include "image/facet_encoder.h"
#include "image/image.h"

char HexDtoA[16];

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

bool isTextByte(unsigned char byte) {
  return (byte >= 0x20 && byte <= 0x7E) || byte == '\t';
}

uint8_t nonTextBit(unsigned char byte) { return isTextByte(byte) ? 0 : 1; }

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
    if (isTextByte(byte)) {
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

// Writes the oldest byte of the window. The two common units, a
// hexadecimal pair inside a stretch and a plain text byte outside one, in
// the middle of a line, are stored at once.
inline void popOldest(LookaheadBuffer *encoder) {
  if (!roomForUnit(encoder)) return;
  const unsigned char byte = encoder->window[encoder->position];
  const bool midLine = encoder->column > 0 && encoder->column <= kLineLimit;
  if (midLine && (encoder->flags & kHexMode) && encoder->mask != 0) {
    unsigned char *out = encoder->pending + encoder->pendingLength;
    out[0] = static_cast<unsigned char>(HexDtoA[byte >> 4]);
    out[1] = static_cast<unsigned char>(HexDtoA[byte & 0x0F]);
    encoder->pendingLength += 2;
    encoder->column += 2;
    encoder->flags &= static_cast<uint16_t>(~kAtLineStart);
    return;
  }
  if (midLine && !(encoder->flags & kHexMode) && isTextByte(byte) &&
      byte != '\\') {
    put(encoder, byte);
    ++encoder->column;
    encoder->flags &= static_cast<uint16_t>(~kAtLineStart);
    return;
  }
  writeEncoded(encoder, byte);
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

void finishRun(RunEncoder *run, LookaheadBuffer *encoder) {
  if (run->length == 0) return;
  if (run->gathered > kRunBlock - kLongestRunCode) feedRuns(run, encoder);
  unsigned char *out = run->bytes + run->gathered;
  if (run->value == kRunEscape) {
    out[0] = kRunEscape;
    out[1] = 0;
    run->gathered += 2;
  } else if (run->length < kShortestEncodedRun) {
    for (int32_t i = 0; i < run->length; ++i) out[i] = run->value;
    run->gathered += run->length;
  } else {
    out[0] = kRunEscape;
    out[1] = static_cast<unsigned char>(run->length - 1);
    out[2] = run->value;
    run->gathered += 3;
  }
  run->length = 0;
}

// Encodes one row; the run still open at its end goes on in the next row.
void encodeRunRow(const unsigned char *row, int32_t length, RunEncoder *run,
                  LookaheadBuffer *encoder) {
  int32_t i = 0;
  while (i < length) {
    const unsigned char byte = row[i];
    if (run->length > 0 && byte == run->value && byte != kRunEscape &&
        run->length < kLongestRun) {
      int32_t end = i + 1;
      const int32_t room = kLongestRun - run->length;
      const int32_t limit = length - i < room ? length : i + room;
      while (end < limit && row[end] == byte) ++end;
      run->length += end - i;
      i = end;
      if (run->length < kLongestRun) continue;
      if (i >= length) break;
    }
    finishRun(run, encoder);
    run->value = row[i];
    run->length = 1;
    ++i;
  }
}

void fillHexDigits() {
  for (int digit = 0; digit < 16; ++digit)
    HexDtoA[digit] =
        static_cast<char>(digit < 10 ? '0' + digit : 'A' + digit - 10);
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

void pushBytes(const unsigned char *bytes, int32_t count,
               LookaheadBuffer *encoder) {
  int32_t i = 0;
  for (; i < count && encoder->fill < kWindowSize; ++i)
    pushByte(bytes[i], encoder);
  // The window is full: every byte now writes the oldest one first. The
  // encoder's state is kept in locals while the common units are stored.
  while (i < count && !(encoder->flags & kWriteFailed)) {
    if (!roomForUnit(encoder)) return;
    unsigned char *out = encoder->pending + encoder->pendingLength;
    const unsigned char *outLimit =
        encoder->pending + kPendingSize - kLongestUnit;
    int position = encoder->position;
    unsigned mask = encoder->mask;
    int column = encoder->column;
    const bool hex = (encoder->flags & kHexMode) != 0;
    unsigned char window[kWindowSize];
    std::memcpy(window, encoder->window, sizeof window);
    // Stops at the first byte that needs more than one unit, changes the
    // mode, or ends a line, and leaves it to the general path.
    for (; i < count && out <= outLimit; ++i) {
      const unsigned char byte = window[position];
      if (column <= 0 || column > kLineLimit) break;
      if (hex) {
        if ((mask & 0xFF) == 0) break;
        out[0] = static_cast<unsigned char>(HexDtoA[byte >> 4]);
        out[1] = static_cast<unsigned char>(HexDtoA[byte & 0x0F]);
        out += 2;
        column += 2;
      } else {
        if (!isTextByte(byte) || byte == '\\') break;
        *out++ = byte;
        ++column;
      }
      window[position] = bytes[i];
      mask = mask << 1 | nonTextBit(bytes[i]);
      position = (position + 1) % kWindowSize;
    }
    const bool wrote = out != encoder->pending + encoder->pendingLength;
    encoder->pendingLength = static_cast<int32_t>(out - encoder->pending);
    std::memcpy(encoder->window, window, sizeof window);
    encoder->position = static_cast<int16_t>(position);
    encoder->mask = static_cast<uint8_t>(mask);
    encoder->column = static_cast<int16_t>(column);
    if (wrote) encoder->flags &= static_cast<uint16_t>(~kAtLineStart);
    if (i < count && out <= outLimit) pushByte(bytes[i++], encoder);
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
  const int32_t rowLength = (width * depth + 15) / 16 * 2;
  unsigned char *row = nullptr;
  if (rowLength > 0) {
    row = static_cast<unsigned char *>(
        V_Alloc(static_cast<uint32_t>(rowLength), 0));
    if (row == nullptr) return -20;
  }
  V_Printf(channel, "=QuireImage\n&%%v\n");
  fillHexDigits();
  LookaheadBuffer encoder;
  ChannelInitLookaheadBuffer(&encoder, channel, kInitialEncoderFlags);

  const bool colorMap = depth == 8;
  const uint32_t header[8] = {kRasterMagic,
                              static_cast<uint32_t>(width),
                              static_cast<uint32_t>(height),
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
    if (status != 0) {
      V_Free(row);
      return status;
    }
    encodeRunRow(row, rowLength, &run, &encoder);
  }
  finishRun(&run, &encoder);
  feedRuns(&run, &encoder);
  V_Free(row);

  ChannelFlushLookaheadBuffer(&encoder);
  if (encoder.flags & kWriteFailed) return -13;
  V_Printf(channel, "=EndInset\n");
  return 0;
}

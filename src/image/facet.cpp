// Image facets: an image inside an ImportObject, carried inline as text
// lines between "=QuireImage" and "=EndInset". The bytes are a raster file
// (header, colour map, run-length encoded rows) put through a text encoding
// that writes text bytes as they are and other bytes as hexadecimal
// stretches opened and closed by \x. Every data line starts with '&'.
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

// Writes one character; a failed write sets the failure flag.
bool put(LookaheadBuffer *encoder, unsigned char byte) {
  if (ChannelPUTC(byte, encoder->channel) != -1) return true;
  encoder->flags |= kWriteFailed;
  return false;
}

// Writes the \x marker that opens or closes a hexadecimal stretch.
bool putMarker(LookaheadBuffer *encoder) {
  if (V_Printf(encoder->channel, "\\x") == 2) return true;
  encoder->flags |= kWriteFailed;
  return false;
}

// Feeds one byte: the window keeps the last 8, so the oldest is written
// only when 7 later bytes are known. After a failed write nothing more is
// taken.
void pushByte(unsigned char byte, LookaheadBuffer *encoder) {
  if (encoder->flags & kWriteFailed) return;
  if (encoder->fill < kWindowSize) {
    ChannelFillLookaheadBuff(byte, encoder);
    return;
  }
  ChannelPopLookaheadChar(encoder);
  if (encoder->flags & kWriteFailed) return;
  encoder->window[encoder->position] = byte;
  encoder->mask = static_cast<uint8_t>(encoder->mask << 1 | nonTextBit(byte));
  encoder->position =
      static_cast<int16_t>((encoder->position + 1) % kWindowSize);
}

// Run-length encoding of the rows, one byte sequence across row ends: runs
// of equal bytes end at a different byte, at 255 bytes, or at once for the
// escape byte.
struct RunEncoder {
  unsigned char value = 0;
  int32_t length = 0;
};

void finishRun(RunEncoder *run, LookaheadBuffer *encoder) {
  if (run->length == 0) return;
  if (run->value == kRunEscape) {
    pushByte(kRunEscape, encoder);
    pushByte(0, encoder);
  } else if (run->length < kShortestEncodedRun) {
    for (int32_t i = 0; i < run->length; ++i) pushByte(run->value, encoder);
  } else {
    pushByte(kRunEscape, encoder);
    pushByte(static_cast<unsigned char>(run->length - 1), encoder);
    pushByte(run->value, encoder);
  }
  run->length = 0;
}

void encodeRunByte(unsigned char byte, RunEncoder *run,
                   LookaheadBuffer *encoder) {
  if (run->length > 0 && byte == run->value && byte != kRunEscape &&
      run->length < kLongestRun) {
    ++run->length;
    return;
  }
  finishRun(run, encoder);
  run->value = byte;
  run->length = 1;
}

void fillHexDigits() {
  for (int digit = 0; digit < 16; ++digit)
    HexDtoA[digit] =
        static_cast<char>(digit < 10 ? '0' + digit : 'A' + digit - 10);
}

// The facet's row buffer, released however the call ends: also when the
// end of the picture inside a row ends the run.
struct RowBuffer {
  unsigned char *bytes = nullptr;
  ~RowBuffer() { V_Free(bytes); }
};

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
void ChannelPopLookaheadChar(LookaheadBuffer *encoder) {
  const unsigned char byte = encoder->window[encoder->position];
  for (;;) {
    if (encoder->column > kLineLimit) {
      if (!put(encoder, '\n')) return;
      encoder->column = 0;
    }
    if (encoder->column == 0 && !put(encoder, '&')) return;
    if (encoder->flags & kHexMode) {
      if (encoder->mask != 0) {
        if (!put(encoder, HexDtoA[byte >> 4]) ||
            !put(encoder, HexDtoA[byte & 0x0F]))
          return;
        encoder->column += 2;
        break;
      }
      if (!putMarker(encoder)) return;
      encoder->flags &= static_cast<uint16_t>(~kHexMode);
      encoder->column += 2;
      continue;
    }
    if (isTextByte(byte)) {
      if (byte == '\\' && !put(encoder, '\\')) return;
      if (!put(encoder, byte)) return;
      encoder->column += byte == '\\' ? 2 : 1;
      break;
    }
    if (IsEndOfLine(byte)) {
      if (!put(encoder, '\\') || !put(encoder, 'n') || !put(encoder, '\n'))
        return;
      encoder->column = 0;
      encoder->flags |= kAtLineStart;
      return;
    }
    if (!putMarker(encoder)) return;
    encoder->flags |= kHexMode;
    encoder->column += 2;
  }
  encoder->flags &= static_cast<uint16_t>(~kAtLineStart);
}

void pushBytes(const unsigned char *bytes, int32_t count,
               LookaheadBuffer *encoder) {
  for (int32_t i = 0; i < count; ++i) pushByte(bytes[i], encoder);
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
  if (encoder->flags & kWriteFailed) return;
  if (encoder->flags & kHexMode) {
    if (!putMarker(encoder)) return;
    encoder->flags &= static_cast<uint16_t>(~kHexMode);
  }
  if (!(encoder->flags & kAtLineStart)) put(encoder, '\n');
}

int ChannelWriteQuireImageFacet(Channel *channel, int32_t width, int32_t height,
                                int32_t depth, const unsigned char *red,
                                const unsigned char *green,
                                const unsigned char *blue) {
  const int32_t rowLength = (width * depth + 15) / 16 * 2;
  RowBuffer rowBuffer;
  unsigned char *&row = rowBuffer.bytes;
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
    int status = ReadScanLine(rowLength, row);
    if (status != 0) return status;
    for (int32_t i = 0; i < rowLength; ++i)
      encodeRunByte(row[i], &run, &encoder);
  }
  finishRun(&run, &encoder);
  V_Free(row);

  ChannelFlushLookaheadBuffer(&encoder);
  if (encoder.flags & kWriteFailed) return -13;
  V_Printf(channel, "=EndInset\n");
  return 0;
}

// The image subsystem's internals: PackBits unpacking and the text encoder
// of facets with its 8-byte look-ahead window.
#ifndef PICTTOTOV_IMAGE_FACET_ENCODER_H
#define PICTTOTOV_IMAGE_FACET_ENCODER_H

#include <cstdint>

#include "runtime/vok.h"

// Unpacks PackBits data from *source (up to sourceEnd) into *destination
// until count bytes are produced. A run that would pass the count is cut
// there; data that ends early leaves the rest unwritten. Both positions
// advance past what was read and written. Returns the bytes still owed.
int32_t UnpackBits(const unsigned char **source, const unsigned char *sourceEnd,
                   unsigned char **destination, int32_t count);

// Encoder flags.
constexpr uint16_t kAtLineStart = 1;
constexpr uint16_t kHexMode = 4;
constexpr uint16_t kWriteFailed = 8;
// Initial flags: at the start of a line, plus a bit nothing tests.
constexpr uint16_t kInitialEncoderFlags = 3;

// Characters the encoder holds before handing them to the channel in one
// write; they are handed over when the store is nearly full, before every
// row is read and at the flush.
constexpr int32_t kPendingSize = 4096;

// The text encoder of one facet. Bytes wait in a ring of 8 so that a
// hexadecimal stretch closes only when the next 8 bytes are all text.
struct LookaheadBuffer {
  unsigned char window[8];
  int16_t position;  // oldest byte
  int16_t fill;      // bytes held, 0 to 8
  uint8_t mask;      // 1 bits: bytes that are not text, newest in bit 0
  int16_t column;    // characters on the line after its '&'
  uint16_t flags;
  Channel *channel;
  int32_t pendingLength;  // characters waiting in `pending`
  unsigned char pending[kPendingSize];
};

// Hands the waiting characters to the channel; a failed write sets the
// failure flag. False once a write has failed.
bool ChannelWritePending(LookaheadBuffer *encoder);

extern char HexDtoA[16];

void ChannelInitLookaheadBuffer(LookaheadBuffer *encoder, Channel *channel,
                                uint16_t flags);
void ChannelFillLookaheadBuff(unsigned char byte, LookaheadBuffer *encoder);
void ChannelPopLookaheadChar(LookaheadBuffer *encoder);
void pushBytes(const unsigned char *bytes, int32_t count,
               LookaheadBuffer *encoder);
void pushInts(const uint32_t *words, int32_t count, LookaheadBuffer *encoder);
void ChannelFlushLookaheadBuffer(LookaheadBuffer *encoder);
int ChannelPUTC(unsigned char byte, Channel *channel);
int IsEndOfLine(unsigned char byte);
int SwappingIsNecessary();

#endif  // PICTTOTOV_IMAGE_FACET_ENCODER_H

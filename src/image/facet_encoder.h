// The image subsystem's internals: the facet writer and its text encoder
// with the 8-byte look-ahead window.
#ifndef PICTTOTOV_IMAGE_FACET_ENCODER_H
#define PICTTOTOV_IMAGE_FACET_ENCODER_H

#include <cstdint>

#include "runtime/vok.h"

// Writes the facet of an image of width x height pixels at depth 1 or 8,
// fetching its rows with ReadScanLine; red, green and blue are 256-entry
// colour tables, written for depth 8 only. 0 on success, -20 without
// memory, -13 when a write to the channel failed.
int ChannelWriteQuireImageFacet(Channel *channel, int32_t width, int32_t height,
                                int32_t depth, const unsigned char *red,
                                const unsigned char *green,
                                const unsigned char *blue);

// The rows and columns of an image that its facet carries: under a clip
// (-full), those that reach into the clip's bounding box.
struct FacetWindow {
  int32_t firstColumn = 0;
  int32_t columns = 0;
  int32_t firstRow = 0;
  int32_t rows = 0;
};
// Writes the facet of the window of an image of width x height pixels:
// every row is read, those of the window are cut to its columns and
// written. Returns as ChannelWriteQuireImageFacet does.
int ChannelWriteQuireImageWindow(Channel *channel, int32_t width,
                                 int32_t height, int32_t depth,
                                 const unsigned char *red,
                                 const unsigned char *green,
                                 const unsigned char *blue,
                                 const FacetWindow &window);
// Reads the rows of an image of width x height pixels at depth 1 or 8 and
// writes nothing: 0 on success, -20 when a row buffer can't be had.
int DropImageRows(int32_t width, int32_t height, int32_t depth);

// Reads the next row of the image being written into `row` in facet form:
// the picture's bit rows as they are, 2- and 4-bit pixels one to a byte,
// direct colours as indexes of the fixed colour map. 0 on success, -20 when
// a row buffer can't be had. rowLength, the facet row's length, is used
// only by direct-colour maps (-full).
int ReadScanLine(int32_t rowLength, unsigned char *row);

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

// The decoding of QuickTime images, private to the image subsystem: the
// opcode's reader (quicktime.cpp) hands over the compressed data and the
// image description's fields, and takes the decoded frame's rows. The
// decoder is FFmpeg's libavcodec, loaded at the first image
// (codec_loader.cpp, codec_decoder.cpp); a build without it has a decoder
// that always answers kNoSupport (codec_absent.cpp).
#ifndef PICTTOTOV_IMAGE_CODEC_H
#define PICTTOTOV_IMAGE_CODEC_H

#include <cstdint>

// Zero bytes the compressed data must have behind it: the decoders read
// ahead in whole words (FFmpeg's input padding).
constexpr uint32_t kCodecPadding = 64;

// The palette of an indexed image: 256 entries of 0xAARRGGBB.
constexpr int kPaletteSize = 256;

struct CodecInput {
  const char *decoder = nullptr;  // the decoder's name in the library
  uint32_t codecTag = 0;          // the four characters, first in bits 0-7
  const unsigned char *data = nullptr;  // kCodecPadding zero bytes behind
  uint32_t size = 0;
  const unsigned char *extradata = nullptr;  // null when none
  uint32_t extradataSize = 0;
  int32_t width = 0;  // as the image description says
  int32_t height = 0;
  int32_t depth = 0;  // bits per pixel (grey depths 33 to 40 as 1 to 8)
  const uint32_t *palette = nullptr;  // kPaletteSize entries, or null
  int64_t maxPixels = 0;              // a frame of more pixels is not decoded
  int32_t maxSide = 0;                // nor one wider or higher than this
};

enum class CodecStatus {
  kDecoded,
  kNoSupport,  // the build has no decoder
  kNoLibrary,  // a library can't be loaded
  kNoDecoder,  // the library has no decoder of that name
  kBadData,    // the data does not decode
  kNoMemory,
};

// What a decoded frame is: its size, and for an indexed one its colour map.
struct CodecFrame {
  int32_t width = 0;
  int32_t height = 0;
  bool indexed = false;
  unsigned char red[kPaletteSize] = {};
  unsigned char green[kPaletteSize] = {};
  unsigned char blue[kPaletteSize] = {};
};

// Decodes one image. On kDecoded the frame is held, and its size and map
// are in *frame, until ReleaseCodecFrame; on kNoLibrary *library names
// the library that can't be loaded.
CodecStatus DecodeCodecFrame(const CodecInput &input, CodecFrame *frame,
                             const char **library);
// Row y of the held frame, rows asked from top to bottom: width palette
// indexes for an indexed frame, else width red, then green, then blue
// bytes. Null when the conversion's memory can't be had.
const unsigned char *CodecFrameRow(int32_t y);
// Frees the held frame, if any.
void ReleaseCodecFrame();

#endif  // PICTTOTOV_IMAGE_CODEC_H

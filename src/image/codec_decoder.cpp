// Decodes a QuickTime image with libavcodec and brings its rows to RGB
// with libswscale, both loaded at the first image (codec_loader.cpp). The
// decoded frame is held whole, as a codec decodes whole frames; its rows
// are converted to RGB a band of 16 at a time, as the facet takes them.
// Every setting that could make the result depend on the machine is
// fixed: one thread, bit-exact decoding and conversion, the simple IDCT.
#include <cstring>

#include "image/codec.h"
#include "image/codec_loader.h"
#include "runtime/buffer.h"

static_assert(kCodecPadding >= AV_INPUT_BUFFER_PADDING_SIZE,
              "the compressed data's padding is FFmpeg's at least");
static_assert(kPaletteSize * 4 == AVPALETTE_SIZE,
              "a palette is FFmpeg's 256 words");

namespace {

// Rows converted to RGB at a time: a multiple of every chroma subsampling.
constexpr int32_t kBandRows = 16;
constexpr int kScalerFlags = SWS_BICUBIC | SWS_ACCURATE_RND | SWS_BITEXACT |
                             SWS_FULL_CHR_H_INT | SWS_FULL_CHR_H_INP;

// The frame held between DecodeCodecFrame and ReleaseCodecFrame, and its
// conversion. The buffers have no failure handler: a row that can't be
// had ends the image as incomplete.
struct DecoderState {
  const CodecLibrary *library = nullptr;
  AVFrame *frame = nullptr;
  SwsContext *scaler = nullptr;
  int32_t bandTop = -1;  // first row of the band in `band`; -1: none
  GrowableBuffer<unsigned char> band{};    // kBandRows rows of RGB24
  GrowableBuffer<unsigned char> planes{};  // one row as three planes
};
DecoderState decoder;

// The decoder's context and packet, freed however decoding ends.
struct ContextHolder {
  const CodecLibrary &library;
  AVCodecContext *context;
  ~ContextHolder() {
    if (context != nullptr) library.freeContext(&context);
  }
};
struct PacketHolder {
  const CodecLibrary &library;
  AVPacket *packet;
  ~PacketHolder() {
    if (packet != nullptr) library.packetFree(&packet);
  }
};

CodecStatus configure(const CodecLibrary &library, const CodecInput &input,
                      AVCodecContext *context) {
  context->width = input.width;
  context->height = input.height;
  context->codec_tag = input.codecTag;
  context->bits_per_coded_sample = input.depth;
  context->max_pixels = input.maxPixels;
  context->thread_count = 1;
  context->flags |= AV_CODEC_FLAG_BITEXACT;
  context->idct_algo = FF_IDCT_SIMPLE;
  context->err_recognition =
      AV_EF_CRCCHECK | AV_EF_BITSTREAM | AV_EF_BUFFER | AV_EF_EXPLODE;
  if (input.extradata != nullptr && input.extradataSize > 0) {
    // The context frees it.
    auto *extradata = static_cast<uint8_t *>(
        library.mallocz(input.extradataSize + AV_INPUT_BUFFER_PADDING_SIZE));
    if (extradata == nullptr) return CodecStatus::kNoMemory;
    std::memcpy(extradata, input.extradata, input.extradataSize);
    context->extradata = extradata;
    context->extradata_size = static_cast<int>(input.extradataSize);
  }
  return CodecStatus::kDecoded;
}

// Decodes the one packet of the image into decoder.frame.
CodecStatus decode(const CodecLibrary &library, const CodecInput &input) {
  const AVCodec *codec = library.findDecoder(input.decoder);
  if (codec == nullptr) return CodecStatus::kNoDecoder;
  ContextHolder context{library, library.allocContext(codec)};
  if (context.context == nullptr) return CodecStatus::kNoMemory;
  CodecStatus status = configure(library, input, context.context);
  if (status != CodecStatus::kDecoded) return status;
  if (library.open(context.context, codec, nullptr) < 0)
    return CodecStatus::kBadData;
  PacketHolder packet{library, library.packetAlloc()};
  decoder.frame = library.frameAlloc();
  if (packet.packet == nullptr || decoder.frame == nullptr)
    return CodecStatus::kNoMemory;
  // The data stays the caller's: the decoder copies what it keeps.
  packet.packet->data = const_cast<uint8_t *>(input.data);
  packet.packet->size = static_cast<int>(input.size);
  packet.packet->flags = AV_PKT_FLAG_KEY;
  if (input.palette != nullptr) {
    uint8_t *palette = library.packetNewSideData(
        packet.packet, AV_PKT_DATA_PALETTE, AVPALETTE_SIZE);
    if (palette == nullptr) return CodecStatus::kNoMemory;
    std::memcpy(palette, input.palette, AVPALETTE_SIZE);
  }
  if (library.sendPacket(context.context, packet.packet) < 0)
    return CodecStatus::kBadData;
  // The end of the stream: a decoder that holds frames back gives them.
  library.sendPacket(context.context, nullptr);
  if (library.receiveFrame(context.context, decoder.frame) < 0)
    return CodecStatus::kBadData;
  const AVFrame &frame = *decoder.frame;
  if (frame.decode_error_flags != 0 || (frame.flags & AV_FRAME_FLAG_CORRUPT) ||
      frame.width < 1 || frame.height < 1 || frame.width > input.maxSide ||
      frame.height > input.maxSide ||
      library.pixelFormatDescription(
          static_cast<AVPixelFormat>(frame.format)) == nullptr)
    return CodecStatus::kBadData;
  return CodecStatus::kDecoded;
}

// The colour map of an indexed frame, from its palette of 0xAARRGGBB.
void readPalette(const AVFrame &frame, CodecFrame *out) {
  for (int i = 0; i < kPaletteSize; ++i) {
    uint32_t entry = 0;
    std::memcpy(&entry, frame.data[1] + 4 * i, 4);
    out->red[i] = static_cast<unsigned char>(entry >> 16);
    out->green[i] = static_cast<unsigned char>(entry >> 8);
    out->blue[i] = static_cast<unsigned char>(entry);
  }
}

// Planes of a pixel format: one more than the highest plane a component
// lies in.
int planeCount(const AVPixFmtDescriptor &format) {
  int planes = 0;
  for (int c = 0; c < format.nb_components; ++c)
    if (format.comp[c].plane >= planes) planes = format.comp[c].plane + 1;
  return planes;
}

// Converts the rows from `top` on (kBandRows of them, fewer at the bottom)
// to RGB24 in `band`. The band is converted as an image of its own whose
// planes start at its first row; the chroma planes of a subsampled format
// start at the row that many times smaller.
bool convertBand(int32_t top) {
  const CodecLibrary &library = *decoder.library;
  const AVFrame &frame = *decoder.frame;
  const int32_t rows =
      frame.height - top < kBandRows ? frame.height - top : kBandRows;
  const AVPixelFormat format = static_cast<AVPixelFormat>(frame.format);
  decoder.scaler = library.scalerContext(
      decoder.scaler, frame.width, rows, format, frame.width, rows,
      AV_PIX_FMT_RGB24, kScalerFlags, nullptr, nullptr, nullptr);
  const uint32_t rowBytes = 3 * static_cast<uint32_t>(frame.width);
  if (decoder.scaler == nullptr || !decoder.band.Reserve(rowBytes * kBandRows))
    return false;
  const AVPixFmtDescriptor &description =
      *library.pixelFormatDescription(format);
  const uint8_t *source[4] = {};
  int sourceStride[4] = {};
  const int planes = planeCount(description);
  for (int p = 0; p < 4 && frame.data[p] != nullptr; ++p) {
    source[p] = frame.data[p];
    sourceStride[p] = frame.linesize[p];
    bool palette = p == 1 && (description.flags & AV_PIX_FMT_FLAG_PAL);
    if (p >= planes || palette) continue;
    int shift = p == 1 || p == 2 ? description.log2_chroma_h : 0;
    source[p] += static_cast<ptrdiff_t>(top >> shift) * frame.linesize[p];
  }
  uint8_t *destination[4] = {decoder.band.data(), nullptr, nullptr, nullptr};
  int destinationStride[4] = {static_cast<int>(rowBytes), 0, 0, 0};
  if (library.scale(decoder.scaler, source, sourceStride, 0, rows, destination,
                    destinationStride) != rows)
    return false;
  decoder.bandTop = top;
  return true;
}

}  // namespace

CodecStatus DecodeCodecFrame(const CodecInput &input, CodecFrame *frame,
                             const char **library) {
  ReleaseCodecFrame();
  decoder.library = LoadCodecLibrary(library);
  if (decoder.library == nullptr) return CodecStatus::kNoLibrary;
  CodecStatus status = decode(*decoder.library, input);
  if (status != CodecStatus::kDecoded) {
    ReleaseCodecFrame();
    return status;
  }
  const AVFrame &decoded = *decoder.frame;
  frame->width = decoded.width;
  frame->height = decoded.height;
  frame->indexed = decoded.format == AV_PIX_FMT_PAL8;
  if (frame->indexed) readPalette(decoded, frame);
  return status;
}

const unsigned char *CodecFrameRow(int32_t y) {
  const AVFrame &frame = *decoder.frame;
  if (frame.format == AV_PIX_FMT_PAL8)
    return frame.data[0] + static_cast<ptrdiff_t>(y) * frame.linesize[0];
  if (decoder.bandTop < 0 || y < decoder.bandTop ||
      y >= decoder.bandTop + kBandRows) {
    if (!convertBand(y - y % kBandRows)) return nullptr;
  }
  const uint32_t width = static_cast<uint32_t>(frame.width);
  if (!decoder.planes.Reserve(3 * width)) return nullptr;
  const unsigned char *rgb =
      decoder.band.data() +
      3 * width * static_cast<uint32_t>(y - decoder.bandTop);
  unsigned char *planes = decoder.planes.data();
  for (uint32_t x = 0; x < width; ++x) {
    planes[x] = rgb[3 * x];
    planes[width + x] = rgb[3 * x + 1];
    planes[2 * width + x] = rgb[3 * x + 2];
  }
  return planes;
}

void ReleaseCodecFrame() {
  if (decoder.library != nullptr) {
    if (decoder.frame != nullptr) decoder.library->frameFree(&decoder.frame);
    if (decoder.scaler != nullptr) decoder.library->freeScaler(decoder.scaler);
  }
  decoder = DecoderState{};
}

// FFmpeg used directly by the tests, on a path of its own beside the
// filter's: images encoded by libavcodec's encoders from known pixels, and
// the corpus's QuickTime images decoded for comparison.
#ifndef PICTTOTOV_TESTS_QUICKTIME_CODEC_HELPERS_H
#define PICTTOTOV_TESTS_QUICKTIME_CODEC_HELPERS_H

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

namespace codechelpers {

// An image as RGB24 rows without padding.
struct Rgb {
  int width = 0, height = 0;
  std::string pixels;
  int At(int x, int y, int c) const {
    return static_cast<unsigned char>(pixels[(y * width + x) * 3 + c]);
  }
};

// Converts `frame` to RGB24 with libswscale's defaults.
inline Rgb ToRgb(const AVFrame &frame) {
  Rgb rgb;
  rgb.width = frame.width;
  rgb.height = frame.height;
  rgb.pixels.assign(size_t{3} * frame.width * frame.height, '\0');
  SwsContext *sws = sws_getContext(frame.width, frame.height,
                                   static_cast<AVPixelFormat>(frame.format),
                                   frame.width, frame.height, AV_PIX_FMT_RGB24,
                                   SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (sws == nullptr) throw std::runtime_error("no conversion to RGB");
  uint8_t *dst[4] = {reinterpret_cast<uint8_t *>(rgb.pixels.data())};
  int dstStride[4] = {3 * frame.width};
  sws_scale(sws, frame.data, frame.linesize, 0, frame.height, dst, dstStride);
  sws_freeContext(sws);
  return rgb;
}

// Encodes the pixels with the encoder `name`, which takes `format`: RGB
// pixels are converted to it; a PAL8 image is given as `indexes` and its
// palette of 0xAARRGGBB. Returns the one packet's bytes.
inline std::string Encode(const char *name, AVPixelFormat format,
                          const Rgb &image, const std::string &indexes = "",
                          const uint32_t *palette = nullptr) {
  const AVCodec *codec = avcodec_find_encoder_by_name(name);
  if (codec == nullptr) throw std::runtime_error(std::string("no ") + name);
  AVCodecContext *context = avcodec_alloc_context3(codec);
  context->width = image.width;
  context->height = image.height;
  context->pix_fmt = format;
  context->time_base = AVRational{1, 25};
  context->flags |= AV_CODEC_FLAG_QSCALE;
  context->global_quality = FF_QP2LAMBDA * 2;
  if (avcodec_open2(context, codec, nullptr) < 0)
    throw std::runtime_error(std::string("cannot open ") + name);
  AVFrame *frame = av_frame_alloc();
  frame->format = format;
  frame->width = image.width;
  frame->height = image.height;
  frame->quality = context->global_quality;
  if (av_frame_get_buffer(frame, 0) < 0) throw std::runtime_error("no frame");
  if (format == AV_PIX_FMT_PAL8) {
    for (int y = 0; y < image.height; ++y)
      std::memcpy(frame->data[0] + y * frame->linesize[0],
                  indexes.data() + y * image.width, image.width);
    std::memcpy(frame->data[1], palette, 1024);
  } else {
    SwsContext *sws = sws_getContext(
        image.width, image.height, AV_PIX_FMT_RGB24, image.width, image.height,
        format, SWS_BICUBIC, nullptr, nullptr, nullptr);
    const uint8_t *src[4] = {
        reinterpret_cast<const uint8_t *>(image.pixels.data())};
    int srcStride[4] = {3 * image.width};
    sws_scale(sws, src, srcStride, 0, image.height, frame->data,
              frame->linesize);
    sws_freeContext(sws);
  }
  std::string bytes;
  AVPacket *packet = av_packet_alloc();
  avcodec_send_frame(context, frame);
  avcodec_send_frame(context, nullptr);
  if (avcodec_receive_packet(context, packet) == 0)
    bytes.assign(reinterpret_cast<const char *>(packet->data), packet->size);
  av_packet_free(&packet);
  av_frame_free(&frame);
  avcodec_free_context(&context);
  if (bytes.empty())
    throw std::runtime_error(std::string("no packet: ") + name);
  return bytes;
}

// Decodes one image's data as QuickTime describes it, the way a movie
// reader sets up the decoder: the codec's tag and depth, nothing more.
inline Rgb Decode(const char *name, const std::string &fourcc, int width,
                  int height, int depth, const std::string &data) {
  const AVCodec *codec = avcodec_find_decoder_by_name(name);
  AVCodecContext *context = avcodec_alloc_context3(codec);
  context->width = width;
  context->height = height;
  context->bits_per_coded_sample = depth;
  context->codec_tag = MKTAG(fourcc[0], fourcc[1], fourcc[2], fourcc[3]);
  if (avcodec_open2(context, codec, nullptr) < 0)
    throw std::runtime_error("cannot open the decoder");
  std::string padded = data + std::string(AV_INPUT_BUFFER_PADDING_SIZE, '\0');
  AVPacket *packet = av_packet_alloc();
  packet->data = reinterpret_cast<uint8_t *>(padded.data());
  packet->size = static_cast<int>(data.size());
  AVFrame *frame = av_frame_alloc();
  avcodec_send_packet(context, packet);
  avcodec_send_packet(context, nullptr);
  if (avcodec_receive_frame(context, frame) < 0)
    throw std::runtime_error("no frame decoded");
  Rgb rgb = ToRgb(*frame);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&context);
  return rgb;
}

}  // namespace codechelpers

#endif  // PICTTOTOV_TESTS_QUICKTIME_CODEC_HELPERS_H

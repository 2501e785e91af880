// FFmpeg's libraries, loaded with dlopen at the first QuickTime image of a
// run and kept for the process: the functions the decoder calls, each
// resolved by name. Their headers give the prototypes only.
#ifndef PICTTOTOV_IMAGE_CODEC_LOADER_H
#define PICTTOTOV_IMAGE_CODEC_LOADER_H

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

// The run-time names of the libraries the build was made against, in the
// order they are loaded (each needs the ones before it).
constexpr int kCodecLibraryCount = 3;
extern const char *const kCodecLibraryNames[kCodecLibraryCount];

struct CodecLibrary {
  // libavutil
  decltype(&av_log_set_level) logSetLevel;
  decltype(&av_mallocz) mallocz;
  decltype(&av_frame_alloc) frameAlloc;
  decltype(&av_frame_free) frameFree;
  decltype(&av_get_pix_fmt) getPixelFormat;
  decltype(&av_pix_fmt_desc_get) pixelFormatDescription;
  // libavcodec
  decltype(&avcodec_find_decoder_by_name) findDecoder;
  decltype(&avcodec_alloc_context3) allocContext;
  decltype(&avcodec_free_context) freeContext;
  decltype(&avcodec_open2) open;
  decltype(&avcodec_send_packet) sendPacket;
  decltype(&avcodec_receive_frame) receiveFrame;
  decltype(&av_packet_alloc) packetAlloc;
  decltype(&av_packet_free) packetFree;
  decltype(&av_packet_new_side_data) packetNewSideData;
  // libswscale
  decltype(&sws_getCachedContext) scalerContext;
  decltype(&sws_scale) scale;
  decltype(&sws_freeContext) freeScaler;
};

// The loaded libraries. The first call loads them; null when one of them
// can't be loaded or lacks a function, with *missing naming it (the answer
// is kept: a library that was missing is not looked for again).
const CodecLibrary *LoadCodecLibrary(const char **missing);

// For tests: the libraries are looked for in `folder` (null: where the
// dynamic linker looks), and a failed load is forgotten.
void SetCodecLibraryFolder(const char *folder);

#endif  // PICTTOTOV_IMAGE_CODEC_LOADER_H

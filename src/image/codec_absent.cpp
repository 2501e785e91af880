// The decoder of a build without FFmpeg's development files: no QuickTime
// image is decoded, each is reported and left out.
#include "image/codec.h"

CodecStatus DecodeCodecFrame(const CodecInput &, CodecFrame *, const char **) {
  return CodecStatus::kNoSupport;
}

const unsigned char *CodecFrameRow(int32_t) { return nullptr; }

void ReleaseCodecFrame() {}

// Facets as the filter encodes them, for the facet and previewer tests.
#ifndef PICTTOTOV_TESTS_IMAGE_IMAGE_BYTES_H
#define PICTTOTOV_TESTS_IMAGE_IMAGE_BYTES_H

#include <cstdint>
#include <string>

#include "driver/driver.h"
#include "image/facet_encoder.h"
#include "pict_bytes.h"
#include "support/channels.h"

namespace imagebytes {

using pictbytes::U32;

// A facet's raster header: type 2, colour map of 3 x 256 bytes at depth 8.
inline std::string RasterHeader(uint32_t width, uint32_t height,
                                uint32_t depth) {
  bool map = depth == 8;
  return U32(0x59A66A95) + U32(width) + U32(height) + U32(depth) + U32(0) +
         U32(2) + U32(map ? 2 : 0) + U32(map ? 768 : 0);
}

// The encoding of `bytes` fed in pieces of `piece` bytes, flushed as a facet.
inline std::string Encode(const std::string &bytes,
                          size_t piece = std::string::npos) {
  testchannels::Channels channels("");
  LookaheadBuffer encoder;
  ChannelInitLookaheadBuffer(&encoder, outputFP, kInitialEncoderFlags);
  for (size_t at = 0; at < bytes.size(); at += piece) {
    const std::string part = bytes.substr(at, piece);
    pushBytes(reinterpret_cast<const unsigned char *>(part.data()),
              static_cast<int32_t>(part.size()), &encoder);
  }
  ChannelFlushLookaheadBuffer(&encoder);
  EXPECT_EQ(encoder.flags & kWriteFailed, 0);
  return channels.Output();
}

}  // namespace imagebytes

#endif  // PICTTOTOV_TESTS_IMAGE_IMAGE_BYTES_H

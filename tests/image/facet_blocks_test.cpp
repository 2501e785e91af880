// The facet encoder stores plain stretches in bulk and gathers its
// characters in blocks: fed in one piece or byte by byte, long mixed data
// must give the same text, and that text must follow the encoding's rules.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "driver/driver.h"
#include "image/facet_encoder.h"
#include "support/channels.h"

namespace {

using testchannels::Channels;

// The encoding of `bytes`, fed in pieces of `piece` bytes.
std::string EncodeInPieces(const std::string &bytes, size_t piece) {
  Channels channels("");
  LookaheadBuffer encoder;
  ChannelInitLookaheadBuffer(&encoder, outputFP, kInitialEncoderFlags);
  for (int digit = 0; digit < 16; ++digit)
    HexDtoA[digit] = "0123456789ABCDEF"[digit];
  const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
  for (size_t at = 0; at < bytes.size(); at += piece) {
    size_t count = bytes.size() - at < piece ? bytes.size() - at : piece;
    pushBytes(data + at, static_cast<int32_t>(count), &encoder);
  }
  ChannelFlushLookaheadBuffer(&encoder);
  EXPECT_EQ(encoder.flags & kWriteFailed, 0);
  return channels.Output();
}

// Stretches of text, of noise, of backslashes and line feeds, long enough
// to fill many blocks.
std::string MixedBytes() {
  std::string bytes;
  uint32_t state = 7;
  for (int stretch = 0; stretch < 400; ++stretch) {
    state = state * 1664525u + 1013904223u;
    int length = static_cast<int>(state >> 24) + 1;
    for (int i = 0; i < length; ++i) {
      state = state * 1664525u + 1013904223u;
      unsigned char noise = static_cast<unsigned char>(state >> 24);
      switch (stretch % 4) {
        case 0:
          bytes += static_cast<char>('a' + noise % 26);
          break;
        case 1:
          bytes += static_cast<char>(noise);
          break;
        case 2:
          bytes += noise % 3 == 0 ? '\\' : 'q';
          break;
        default:
          bytes += noise % 5 == 0 ? '\n' : static_cast<char>(' ' + noise % 90);
      }
    }
  }
  return bytes;
}

TEST(FacetBlocks, BulkAndSingleBytesAgree) {
  const std::string bytes = MixedBytes();
  ASSERT_GT(bytes.size(), 3u * kPendingSize);
  const std::string whole = EncodeInPieces(bytes, bytes.size());
  EXPECT_EQ(EncodeInPieces(bytes, 1), whole);
  EXPECT_EQ(EncodeInPieces(bytes, 13), whole);
  // Every line starts with '&' and holds at most 81 characters after it
  // (a line ended by an encoded line feed ends in "\n").
  size_t lines = 0;
  for (size_t at = 0; at < whole.size(); ++lines) {
    size_t end = whole.find('\n', at);
    ASSERT_NE(end, std::string::npos);
    ASSERT_EQ(whole[at], '&') << "line " << lines;
    EXPECT_LE(end - at - 1, 81u) << "line " << lines;
    at = end + 1;
  }
  EXPECT_GT(lines, 500u);
}

}  // namespace

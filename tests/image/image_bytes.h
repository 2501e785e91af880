// Image operands as the picture stores them, the facet text encoding of the
// filter, and its reverse, for the image and previewer tests.
#ifndef PICTTOTOV_TESTS_IMAGE_IMAGE_BYTES_H
#define PICTTOTOV_TESTS_IMAGE_IMAGE_BYTES_H

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "image/facet_encoder.h"
#include "support/channels.h"
#include "support/pict_bytes.h"

namespace imagebytes {

using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U32;

struct Rgb {
  int red, green, blue;  // 16-bit components
};

// A bitmap's row bytes and bounds (top 0, left 0).
inline std::string BitMap(int rowBytes, int height, int width) {
  return U16(rowBytes) + RectBytes(0, 0, height, width);
}

// A pixel map up to its colour table, and the table.
inline std::string PixMap(int rowBytes, int height, int width, int pixelSize,
                          const std::vector<Rgb> &colors, int cmpCount = 1) {
  std::string bytes = U16(rowBytes | 0x8000) + RectBytes(0, 0, height, width);
  bytes += U16(0) + U16(0) + U32(0) + U32(0x480000) + U32(0x480000) + U16(0);
  bytes += U16(pixelSize) + U16(cmpCount);
  bytes += U16(pixelSize) + U32(0) + U32(0) + U32(0);
  bytes += U32(0) + U16(0) + U16(static_cast<int>(colors.size()) - 1);
  for (size_t i = 0; i < colors.size(); ++i)
    bytes += U16(static_cast<int>(i)) + U16(colors[i].red) +
             U16(colors[i].green) + U16(colors[i].blue);
  return bytes;
}

// Source rectangle (not used), destination rectangle and transfer mode.
inline std::string Placement(int top, int left, int bottom, int right) {
  return RectBytes(0, 0, 1, 1) + RectBytes(top, left, bottom, right) + U16(0);
}

// A mask region: its size word and a bounding box.
inline std::string MaskRegion() { return U16(10) + RectBytes(0, 0, 1, 1); }

// The lines around a facet in an ImportObject.
inline const std::string kImportHead =
    "<ImportObject\n\t<ImportObFile `2.0 internal inset'>\n"
    "\t<Separation 0>\n\t<Fill 15>\n\t<Pen 15>\n";
inline std::string ImportTail(const std::string &box) {
  return "\t<BRect " + box + ">\n\t<Angle 0>\n\t<FlipLR No>\n>\n";
}

// The 32-byte raster header of a facet.
inline std::string RasterHeader(uint32_t width, uint32_t height,
                                uint32_t depth) {
  bool map = depth == 8;
  return U32(0x59A66A95) + U32(width) + U32(height) + U32(depth) + U32(0) +
         U32(2) + U32(map ? 2 : 0) + U32(map ? 768 : 0);
}

// The bytes carried by the first facet in `text`: each data line starts
// with '&'; \x opens and closes hexadecimal stretches, \\ is a backslash
// and \n a line feed byte (its line ends there). Lines longer than 84
// characters are a mistake of the encoder.
inline std::string FacetBytes(const std::string &text) {
  size_t at = text.find("=QuireImage\n&%v\n");
  size_t end = text.find("=EndInset\n", at);
  if (at == std::string::npos || end == std::string::npos)
    throw std::runtime_error("no complete facet");
  std::string bytes;
  bool hex = false;
  size_t line = at + 16;
  while (line < end) {
    size_t next = text.find('\n', line);
    if (text[line] != '&' || next - line > 84)
      throw std::runtime_error("bad data line: " +
                               text.substr(line, next - line));
    for (size_t i = line + 1; i < next;) {
      if (text[i] == '\\') {
        char escaped = text.at(i + 1);
        if (escaped == 'x')
          hex = !hex;
        else if (escaped == '\\')
          bytes += '\\';
        else if (escaped == 'n')
          bytes += '\n';
        else
          throw std::runtime_error("bad escape");
        i += 2;
      } else if (hex) {
        bytes += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
        i += 2;
      } else {
        bytes += text[i++];
      }
    }
    line = next + 1;
  }
  if (hex) throw std::runtime_error("hexadecimal stretch left open");
  return bytes;
}

// The text encoding of `bytes`, fed and flushed as a facet does.
inline std::string Encode(const std::string &bytes) {
  testchannels::Channels channels("");
  LookaheadBuffer encoder;
  ChannelInitLookaheadBuffer(&encoder, outputFP, kInitialEncoderFlags);
  for (int digit = 0; digit < 16; ++digit)
    HexDtoA[digit] = "0123456789ABCDEF"[digit];
  pushBytes(reinterpret_cast<const unsigned char *>(bytes.data()),
            static_cast<int32_t>(bytes.size()), &encoder);
  ChannelFlushLookaheadBuffer(&encoder);
  EXPECT_EQ(encoder.flags & kWriteFailed, 0);
  return channels.Output();
}

}  // namespace imagebytes

#endif  // PICTTOTOV_TESTS_IMAGE_IMAGE_BYTES_H

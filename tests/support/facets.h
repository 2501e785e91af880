// Reads the image facets of a TOV document back to pixels, independently
// of the filter's encoder and of the previewer: the text encoding (plain
// bytes, \\ for a backslash, \n for a line feed, hexadecimal stretches
// between \x markers, line breaks that carry nothing), the raster header,
// the colour map and the run-length encoded rows.
#ifndef PICTTOTOV_TESTS_SUPPORT_FACETS_H
#define PICTTOTOV_TESTS_SUPPORT_FACETS_H

#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace facets {

struct Image {
  uint32_t width = 0, height = 0, depth = 0;
  std::string map;      // 768 bytes of red, green and blue planes (depth 8)
  std::string indexes;  // one byte a pixel, rows of `width`
  std::string brect;    // the ImportObject's "BRect x y w h" numbers
  // The pixel's colour as red, green, blue (ink black for depth 1).
  void Rgb(uint32_t x, uint32_t y, int rgb[3]) const {
    unsigned char index = static_cast<unsigned char>(indexes[y * width + x]);
    for (int c = 0; c < 3; ++c)
      rgb[c] = depth == 1 ? (index ? 0 : 255)
                          : static_cast<unsigned char>(map[c * 256 + index]);
  }
};

inline uint32_t Word(const std::string &bytes, size_t at) {
  return uint32_t{static_cast<unsigned char>(bytes[at])} << 24 |
         uint32_t{static_cast<unsigned char>(bytes[at + 1])} << 16 |
         uint32_t{static_cast<unsigned char>(bytes[at + 2])} << 8 |
         static_cast<unsigned char>(bytes[at + 3]);
}

// The bytes the '&' lines of one facet carry.
inline std::string DecodeText(const std::vector<std::string> &lines) {
  std::string bytes;
  bool hex = false;
  for (const std::string &line : lines) {
    for (size_t i = 1; i < line.size();) {
      if (line.compare(i, 2, "\\x") == 0) {
        hex = !hex;
        i += 2;
      } else if (hex) {
        bytes += static_cast<char>(std::stoi(line.substr(i, 2), nullptr, 16));
        i += 2;
      } else if (line.compare(i, 2, "\\n") == 0) {
        bytes += '\n';
        i += 2;
      } else if (line.compare(i, 2, "\\\\") == 0) {
        bytes += '\\';
        i += 2;
      } else {
        bytes += line[i++];
      }
    }
  }
  return bytes;
}

inline Image DecodeRaster(const std::string &bytes) {
  if (bytes.size() < 32 || Word(bytes, 0) != 0x59A66A95)
    throw std::runtime_error("not a raster");
  Image image;
  image.width = Word(bytes, 4);
  image.height = Word(bytes, 8);
  image.depth = Word(bytes, 12);
  size_t at = 32 + Word(bytes, 28);
  image.map = bytes.substr(32, at - 32);
  std::string rows;
  while (at < bytes.size()) {
    unsigned char b = static_cast<unsigned char>(bytes[at++]);
    if (b != 0x80) {
      rows += static_cast<char>(b);
    } else if (bytes.at(at) == 0) {
      rows += '\x80';
      ++at;
    } else {
      rows.append(static_cast<unsigned char>(bytes[at]) + 1u, bytes.at(at + 1));
      at += 2;
    }
  }
  const uint32_t rowBytes = (image.width * image.depth + 15) / 16 * 2;
  if (rows.size() != size_t{rowBytes} * image.height)
    throw std::runtime_error("rows of the wrong size");
  for (uint32_t y = 0; y < image.height; ++y)
    for (uint32_t x = 0; x < image.width; ++x) {
      const char *row = rows.data() + size_t{y} * rowBytes;
      image.indexes += image.depth == 8
                           ? row[x]
                           : static_cast<char>(row[x / 8] >> (7 - x % 8) & 1);
    }
  return image;
}

// Every image facet of `tov`, in order, with its placement.
inline std::vector<Image> Decode(const std::string &tov) {
  std::vector<Image> images;
  std::istringstream in(tov);
  std::string line;
  std::vector<std::string> data;
  bool inFacet = false;
  while (std::getline(in, line)) {
    if (line == "=QuireImage") {
      inFacet = true;
      data.clear();
    } else if (line == "=EndInset") {
      inFacet = false;
      images.push_back(DecodeRaster(DecodeText(data)));
    } else if (inFacet && line != "&%v") {
      data.push_back(line);
    } else if (line.rfind("\t<BRect ", 0) == 0 && !images.empty() &&
               images.back().brect.empty()) {
      images.back().brect = line.substr(8, line.size() - 9);
    }
  }
  return images;
}

}  // namespace facets

#endif  // PICTTOTOV_TESTS_SUPPORT_FACETS_H

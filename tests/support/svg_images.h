// An SVG's images read back by base64 and libpng (strict on digits and
// chunks): RGB rows and placement.
#ifndef PICTTOTOV_TESTS_SUPPORT_SVG_IMAGES_H
#define PICTTOTOV_TESTS_SUPPORT_SVG_IMAGES_H

#include <png.h>

#include <string>
#include <vector>

#include "support/run_filter.h"

namespace svgimages {

struct Image {
  int width = 0, height = 0;
  std::string pixels;  // RGB rows, or "unreadable PNG"
  std::string place;   // the element's x, y, width and height attributes
  int At(int x, int y, int c) const {
    return static_cast<unsigned char>(pixels[(y * width + x) * 3 + c]);
  }
};

inline std::vector<Image> Decode(const std::string &svg) {
  static const std::string kPrefix = "data:image/png;base64,";
  std::vector<Image> images;
  for (size_t at = svg.find(kPrefix); at != std::string::npos;
       at = svg.find(kPrefix, at + 1)) {
    const size_t begin = at + kPrefix.size(), end = svg.find('"', begin);
    runfilter::Options base64;
    base64.binary = "/usr/bin/base64";
    base64.input = runfilter::Options::Input::kStdin;
    runfilter::Result decoded =
        runfilter::Run(svg.substr(begin, end - begin), {"-d"}, base64);
    std::string png = decoded.status == 0 ? decoded.out : "";
    // Bytes after the end chunk are a fault of the base64, not of the PNG.
    if (png.size() < 8 || png.substr(png.size() - 8) != "IEND\xAE\x42\x60\x82")
      png.clear();
    Image image;
    image.place = svg.substr(end + 2, svg.find("/>", end) - end - 2);
    image.pixels = "unreadable PNG";
    png_image read{};
    read.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&read, png.data(), png.size())) {
      read.format = PNG_FORMAT_RGB;
      std::string pixels(PNG_IMAGE_SIZE(read), '\0');
      if (png_image_finish_read(&read, nullptr, pixels.data(), 0, nullptr)) {
        image.width = static_cast<int>(read.width);
        image.height = static_cast<int>(read.height);
        image.pixels = pixels;
      }
    }
    images.push_back(image);
  }
  return images;
}

}  // namespace svgimages

#endif  // PICTTOTOV_TESTS_SUPPORT_SVG_IMAGES_H

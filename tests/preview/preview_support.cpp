#include "preview_support.h"

#include <png.h>

#include <algorithm>

#include "image/image_bytes.h"
#include "preview/preview.h"

namespace previewtest {
namespace {

class PieceSource : public tovpreview::Source {
 public:
  explicit PieceSource(const std::string &text) : text_(text) {}
  size_t Read(char *into, size_t size) override {
    size_t n = std::min({size, text_.size() - at_, piece_});
    text_.copy(into, n, at_);
    at_ += n;
    piece_ = piece_ % 7 + 3;  // pieces of 3 to 9 bytes
    return n;
  }

 private:
  const std::string &text_;
  size_t at_ = 0;
  size_t piece_ = 1;
};

class StringSink : public tovpreview::Sink {
 public:
  void Write(const char *data, size_t size) override {
    text.append(data, size);
  }
  std::string text;
};

// Strict base64: padding '=' only at the end, nothing outside the alphabet.
std::string fromBase64(const std::string &text) {
  static const std::string kDigits =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  if (text.size() % 4 != 0) return "bad length";
  size_t end = text.find_last_not_of('=') + 1;
  std::string out;
  uint32_t bits = 0;
  int held = 0;
  for (size_t i = 0; i < end; ++i) {
    size_t value = kDigits.find(text[i]);
    if (value == std::string::npos) return "bad base64 digit";
    bits = bits << 6 | static_cast<uint32_t>(value);
    held += 6;
    if (held >= 8) {
      held -= 8;
      out.push_back(static_cast<char>((bits >> held) & 0xFF));
    }
  }
  return out;
}

}  // namespace

Outcome Preview(const std::string &tov) {
  PieceSource source(tov);
  StringSink sink;
  Outcome outcome;
  outcome.status = tovpreview::Preview(source, sink, outcome.message);
  outcome.svg = sink.text;
  return outcome;
}

std::string Facet(const std::string &bytes) {
  return "=QuireImage\n&%v\n" + imagebytes::Encode(bytes) + "=EndInset\n";
}

std::string Imported(const std::string &facet, const std::string &brect) {
  return "<Units Upt >\n" + imagebytes::kImportHead + facet +
         imagebytes::ImportTail(brect);
}

std::vector<std::string> ImagePixels(const std::string &svg) {
  static const std::string kPrefix = "data:image/png;base64,";
  std::vector<std::string> images;
  for (size_t at = svg.find(kPrefix); at != std::string::npos;
       at = svg.find(kPrefix, at + 1)) {
    size_t begin = at + kPrefix.size();
    std::string png =
        fromBase64(svg.substr(begin, svg.find('"', begin) - begin));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::string pixels = "unreadable PNG";
    if (png_image_begin_read_from_memory(&image, png.data(), png.size())) {
      image.format = PNG_FORMAT_RGB;
      pixels.assign(PNG_IMAGE_SIZE(image), '\0');
      if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
        pixels = "unreadable PNG";
    }
    images.push_back(pixels);
  }
  return images;
}

}  // namespace previewtest

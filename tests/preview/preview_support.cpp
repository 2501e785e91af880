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

void appendWord(std::string &out, uint32_t word) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.push_back(static_cast<char>((word >> shift) & 0xFF));
  }
}

std::string fromBase64(const std::string &text) {
  std::string out;
  uint32_t bits = 0;
  int held = 0;
  for (char c : text) {
    int value = c >= 'A' && c <= 'Z'   ? c - 'A'
                : c >= 'a' && c <= 'z' ? c - 'a' + 26
                : c >= '0' && c <= '9' ? c - '0' + 52
                : c == '+'             ? 62
                : c == '/'             ? 63
                                       : -1;
    if (value < 0) continue;
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

std::string Objects(const std::string &objects) {
  return "<Units Upt >\n" + objects;
}

std::string RunLengthEncode(const std::string &rows) {
  std::string out;
  for (size_t i = 0; i < rows.size();) {
    auto byte = static_cast<uint8_t>(rows[i]);
    size_t n = 1;
    while (byte != 0x80 && n < 255 && i + n < rows.size() &&
           static_cast<uint8_t>(rows[i + n]) == byte) {
      ++n;
    }
    if (byte == 0x80) {
      out += std::string("\x80\x00", 2);
    } else if (n < 4) {
      out.append(n, static_cast<char>(byte));
    } else {
      out += '\x80';
      out += static_cast<char>(n - 1);
      out += static_cast<char>(byte);
    }
    i += n;
  }
  return out;
}

// The filter's own encoder, whose output the image tests pin.
std::string EncodeFacetBytes(const std::string &bytes) {
  return imagebytes::Encode(bytes) + "=EndInset\n";
}

std::string Facet(uint32_t width, uint32_t height, uint32_t depth,
                  const std::string &rows, const std::string &map) {
  std::string bytes;
  for (uint32_t word :
       {0x59A66A95u, width, height, depth, 0u, 2u, map.empty() ? 0u : 2u,
        static_cast<uint32_t>(map.size())}) {
    appendWord(bytes, word);
  }
  bytes += map + RunLengthEncode(rows);
  return "=QuireImage\n&%v\n" + EncodeFacetBytes(bytes);
}

std::string ImportObject(const std::string &facet, const std::string &brect) {
  return imagebytes::kImportHead + facet + imagebytes::ImportTail(brect);
}

std::vector<std::string> ImagePixels(const std::string &svg,
                                     std::vector<uint32_t> *widths) {
  static const std::string kPrefix = "data:image/png;base64,";
  std::vector<std::string> images;
  for (size_t at = svg.find(kPrefix); at != std::string::npos;
       at = svg.find(kPrefix, at + 1)) {
    size_t begin = at + kPrefix.size();
    std::string png =
        fromBase64(svg.substr(begin, svg.find('"', begin) - begin));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) {
      images.push_back("unreadable PNG");
      continue;
    }
    image.format = PNG_FORMAT_RGB;
    std::string pixels(PNG_IMAGE_SIZE(image), '\0');
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
      pixels = "unreadable PNG";
    }
    if (widths) widths->push_back(image.width);
    images.push_back(pixels);
  }
  return images;
}

}  // namespace previewtest

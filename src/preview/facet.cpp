#include "preview/facet.h"

#include <png.h>

#include <array>
#include <csetjmp>
#include <cstring>

#include "preview/tokenizer.h"

namespace tovpreview {
namespace {

constexpr uint32_t kRasterMagic = 0x59A66A95;
constexpr uint32_t kRunLengthType = 2;
constexpr char kImageStart[] =
    "<image preserveAspectRatio=\"none\" image-rendering=\"optimizeSpeed\" "
    "style=\"image-rendering:pixelated\" "
    "xlink:href=\"data:image/png;base64,";

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

uint32_t bigEndian(const uint8_t *bytes) {
  return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 |
         uint32_t{bytes[2]} << 8 | bytes[3];
}

// Base64 of a byte stream, written to a sink in blocks.
class Base64Writer {
 public:
  explicit Base64Writer(Sink &out) : out_(out) {}
  void Add(const uint8_t *data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
      group_[grouped_++] = data[i];
      if (grouped_ == 3) EmitGroup();
    }
  }
  // Writes the last partial group with its padding, then everything held.
  void Finish() {
    if (grouped_ > 0) {
      size_t used = grouped_;
      while (grouped_ < 3) group_[grouped_++] = 0;
      EmitGroup();
      for (size_t i = used + 1; i < 4; ++i) text_[filled_ - 4 + i] = '=';
    }
    Flush();
  }

 private:
  void EmitGroup() {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    uint32_t bits =
        uint32_t{group_[0]} << 16 | uint32_t{group_[1]} << 8 | group_[2];
    for (int shift = 18; shift >= 0; shift -= 6) {
      text_[filled_++] = kDigits[(bits >> shift) & 63];
    }
    grouped_ = 0;
    if (filled_ + 4 > sizeof text_) Flush();
  }
  void Flush() {
    out_.Write(text_, filled_);
    filled_ = 0;
  }

  Sink &out_;
  uint8_t group_[3] = {};
  size_t grouped_ = 0;
  char text_[4096] = {};
  size_t filled_ = 0;
};

}  // namespace

// A PNG written row by row through libpng, its bytes going out as base64.
// libpng reports errors by a long jump, so every call into it sets the jump
// target in a function that holds no object with a destructor.
class PngStream {
 public:
  explicit PngStream(Sink &out) : base64_(out) {
    png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError,
                                   OnWarning);
    if (png_) info_ = png_create_info_struct(png_);
  }
  ~PngStream() { png_destroy_write_struct(&png_, &info_); }
  PngStream(const PngStream &) = delete;
  PngStream &operator=(const PngStream &) = delete;

  // An indexed image of bit depth 1 or 8 with `palette` as 3-byte entries.
  bool Start(uint32_t width, uint32_t height, int depth,
             const png_color *palette, int entries) {
    if (!png_ || !info_) return false;
    if (setjmp(png_jmpbuf(png_))) return false;
    png_set_write_fn(png_, this, OnWrite, OnFlush);
    png_set_IHDR(png_, info_, width, height, depth, PNG_COLOR_TYPE_PALETTE,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png_, info_, palette, entries);
    png_set_compression_level(png_, 3);
    png_write_info(png_, info_);
    return true;
  }
  bool Row(const uint8_t *row) {
    if (setjmp(png_jmpbuf(png_))) return false;
    png_write_row(png_, row);
    return true;
  }
  bool Finish() {
    if (setjmp(png_jmpbuf(png_))) return false;
    png_write_end(png_, nullptr);
    base64_.Finish();
    return true;
  }

 private:
  static void OnWrite(png_structp png, png_bytep data, size_t size) {
    static_cast<PngStream *>(png_get_io_ptr(png))->base64_.Add(data, size);
  }
  static void OnFlush(png_structp) {}
  static void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
  static void OnWarning(png_structp, png_const_charp) {}

  Base64Writer base64_;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

FacetDecoder::FacetDecoder(Sink &out, const std::string &header, int line)
    : out_(out),
      firstLine_(line),
      state_(header == "=QuireImage" ? State::kVersion : State::kSkipping) {}

FacetDecoder::~FacetDecoder() = default;

void FacetDecoder::Line(const std::string &text, int line) {
  switch (state_) {
    case State::kVersion:
      if (text != "&%v") Fail(line, "image facet without its '&%v' line");
      state_ = State::kData;
      return;
    case State::kData:
      if (text == "=EndInset") {
        Finish(line);
        state_ = State::kEnded;
      } else if (text.empty() || text[0] != '&') {
        Fail(line,
             "image facet line begins neither with '&' nor is "
             "'=EndInset'");
      } else {
        DataLine(text, line);
      }
      return;
    case State::kSkipping:
      if (text == "=EndInset") state_ = State::kEnded;
      return;
    case State::kEnded:
      Fail(line, "facet line after '=EndInset'");
  }
}

// Undoes the text encoding of one data line: plain characters stand for
// themselves, "\\" for a backslash, "\n" for a line feed (which ends the
// line), and "\x" switches to and from pairs of hexadecimal digits.
void FacetDecoder::DataLine(const std::string &text, int line) {
  size_t i = 1;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\\') {
      if (i + 1 == text.size()) Fail(line, "image facet line ends in '\\'");
      char next = text[i + 1];
      i += 2;
      if (next == 'x') {
        hexMode_ = !hexMode_;
      } else if (hexMode_) {
        Fail(line, "image facet: '\\' inside hexadecimal digits");
      } else if (next == '\\') {
        Byte('\\', line);
      } else if (next == 'n') {
        Byte('\n', line);
      } else {
        Fail(line, std::string("image facet: unknown escape '\\") + next + "'");
      }
    } else if (hexMode_) {
      int high = hexValue(c);
      int low = i + 1 < text.size() ? hexValue(text[i + 1]) : -1;
      if (high < 0 || low < 0) {
        Fail(line, "image facet: broken hexadecimal digits");
      }
      Byte(static_cast<uint8_t>(high * 16 + low), line);
      i += 2;
    } else {
      Byte(static_cast<uint8_t>(c), line);
      ++i;
    }
  }
}

void FacetDecoder::Byte(uint8_t byte, int line) {
  if (headerBytes_ < sizeof header_ || mapBytes_ < mapLength_) {
    HeaderByte(byte, line);
    return;
  }
  // Runs: 0x80 0x00 is one 0x80; 0x80 n b is n + 1 bytes b.
  switch (runState_) {
    case 0:
      if (byte == 0x80) {
        runState_ = 1;
      } else {
        PixelByte(byte, line);
      }
      return;
    case 1:
      if (byte == 0) {
        runState_ = 0;
        PixelByte(0x80, line);
      } else {
        runCount_ = byte + 1u;
        runState_ = 2;
      }
      return;
    default:
      runState_ = 0;
      for (uint32_t n = 0; n < runCount_; ++n) PixelByte(byte, line);
  }
}

void FacetDecoder::HeaderByte(uint8_t byte, int line) {
  if (headerBytes_ < sizeof header_) {
    header_[headerBytes_++] = byte;
    if (headerBytes_ < sizeof header_) return;
    if (bigEndian(header_) != kRasterMagic) {
      Fail(line, "image facet without the raster magic number 59A66A95");
    }
    width_ = bigEndian(header_ + 4);
    height_ = bigEndian(header_ + 8);
    depth_ = bigEndian(header_ + 12);
    uint32_t type = bigEndian(header_ + 20);
    uint32_t mapType = bigEndian(header_ + 24);
    mapLength_ = bigEndian(header_ + 28);
    if (depth_ != 1 && depth_ != 8) {
      Fail(line, "image facet of depth " + std::to_string(depth_) +
                     " (1 or 8 expected)");
    }
    if (type != kRunLengthType) {
      Fail(line, "image facet of type " + std::to_string(type) +
                     " (2, run-length encoded, expected)");
    }
    if (width_ > kMaxSide || height_ > kMaxSide) {
      Fail(line, "image facet of " + std::to_string(width_) + " by " +
                     std::to_string(height_) + " pixels is too large");
    }
    uint32_t maxMap = 3u << depth_;
    if ((mapType == 0) != (mapLength_ == 0) || mapLength_ % 3 != 0 ||
        mapLength_ > maxMap) {
      Fail(line, "image facet with a colour map of " +
                     std::to_string(mapLength_) + " bytes");
    }
  } else {
    map_[mapBytes_++] = byte;
  }
  if (headerBytes_ == sizeof header_ && mapBytes_ == mapLength_) {
    StartImage(line);
  }
}

// The palette: the colour map's reds, greens and blues; without a map a
// depth-1 image is white on 0 and black on 1, a depth-8 one a grey ramp.
void FacetDecoder::StartImage(int line) {
  // Rows are padded to 16 bits.
  row_.assign((width_ * depth_ + 15) / 16 * 2, '\0');
  if (width_ == 0 || height_ == 0) return;
  std::array<png_color, 256> palette{};
  uint32_t entries = 1u << depth_;
  uint32_t mapEntries = mapLength_ / 3;
  for (uint32_t i = 0; i < entries; ++i) {
    if (i < mapEntries) {
      palette[i] = {map_[i], map_[mapEntries + i], map_[2 * mapEntries + i]};
    } else if (mapEntries == 0) {
      uint8_t grey = depth_ == 1 ? (i ? 0 : 255) : static_cast<uint8_t>(i);
      palette[i] = {grey, grey, grey};
    }
  }
  out_.Write(kImageStart, sizeof kImageStart - 1);
  png_ = std::make_unique<PngStream>(out_);
  if (!png_->Start(width_, height_, static_cast<int>(depth_), palette.data(),
                   static_cast<int>(entries))) {
    Fail(line, "image facet: the PNG encoder failed");
  }
}

void FacetDecoder::PixelByte(uint8_t byte, int line) {
  if (rows_ == height_ || row_.empty()) {
    Fail(line, "image facet holds more data than its " +
                   std::to_string(width_) + " by " + std::to_string(height_) +
                   " pixels");
  }
  row_[rowFill_++] = static_cast<char>(byte);
  if (rowFill_ < row_.size()) return;
  rowFill_ = 0;
  ++rows_;
  if (!png_->Row(reinterpret_cast<const uint8_t *>(row_.data()))) {
    Fail(line, "image facet: the PNG encoder failed");
  }
}

void FacetDecoder::Finish(int line) {
  if (hexMode_) Fail(line, "image facet ends inside hexadecimal digits");
  if (headerBytes_ < sizeof header_ || mapBytes_ < mapLength_) {
    Fail(line, "image facet ends inside its raster header");
  }
  if (runState_ != 0 || rowFill_ != 0 || (rows_ < height_ && !row_.empty())) {
    Fail(line, "image facet ends after " + std::to_string(rows_) + " of " +
                   std::to_string(height_) + " rows");
  }
  if (png_) {
    if (!png_->Finish()) Fail(line, "image facet: the PNG encoder failed");
    out_.Write("\"", 1);
  }
}

}  // namespace tovpreview

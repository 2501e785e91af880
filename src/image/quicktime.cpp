// Under -full: images compressed by QuickTime (opcode 0x8200), decoded by
// the codec library and written as depth-8 facets placed like the other
// images. The opcode's data is a 32-bit length L and L bytes: a head of 68
// bytes (version, the 3 x 3 matrix, matte size and rectangle, transfer
// mode, source rectangle, accuracy, mask size), the matte and the mask
// region (skipped), the image description and the compressed data. Nothing
// is read beyond the L bytes, whatever their fields say; an image that
// can't be converted is reported, its bytes are skipped and the conversion
// goes on.
#include <cmath>
#include <cstring>
#include <string_view>

#include "base/messages.h"
#include "graphics/graphics.h"
#include "image/codec.h"
#include "image/image.h"
#include "image/pixels.h"
#include "pict/layout.h"
#include "pict/pict.h"
#include "runtime/buffer.h"
#include "text/text.h"

namespace {

// The opcode's head.
constexpr uint32_t kMatrixOffset = 2;
constexpr int kMatrixSize = 9;
constexpr uint32_t kMatteSizeOffset = 38;
constexpr uint32_t kSourceRectOffset = 52;
constexpr uint32_t kMaskSizeOffset = 64;
constexpr uint32_t kHeadSize = 68;

// The image description: its fields up to the colour table id, then
// extensions up to its size (its first field).
constexpr uint32_t kDescriptionHeadSize = 86;
constexpr uint32_t kCodecTypeOffset = 4;
constexpr uint32_t kWidthOffset = 32;
constexpr uint32_t kHeightOffset = 34;
constexpr uint32_t kDataSizeOffset = 44;
constexpr uint32_t kDepthOffset = 82;
constexpr uint32_t kColorTableIdOffset = 84;

// What is converted: compressed data of at most 64 MB, descriptions of at
// most 1 MB, images of at most 16384 pixels across and down, and no more
// pixels than the data could describe: 16384 pixels a byte for a codec
// (more than deflate's densest 1032 to 1 on bytes of 8 one-bit pixels),
// the exact bits of an uncompressed one.
constexpr uint32_t kMostDataBytes = 64u << 20;
constexpr uint32_t kMostDescriptionBytes = 1u << 20;
constexpr int32_t kMostSide = 16384;
constexpr int64_t kMostPixelsPerByte = 16384;

// Bytes read into a buffer at a time, so that memory grows only with the
// bytes that are there.
constexpr uint32_t kReadPiece = 1u << 20;

// A codec: its four characters, the library's decoder, and what its data
// takes: bits per pixel for uncompressed data (-1: the description's
// depth; 0: compressed), and the extension the decoder takes as extra data
// (none when empty, "*" for all of them).
struct CodecEntry {
  std::string_view type;
  const char *decoder;
  int bitsPerPixel;
  std::string_view extradata;
};

constexpr CodecEntry kCodecs[] = {
    {"raw ", "rawvideo", -1, ""}, {"jpeg", "mjpeg", 0, ""},
    {"mjpa", "mjpeg", 0, ""},     {"mjpb", "mjpegb", 0, ""},
    {"png ", "png", 0, ""},       {"rpza", "rpza", 0, ""},
    {"cvid", "cinepak", 0, ""},   {"SVQ1", "svq1", 0, ""},
    {"SVQ3", "svq3", 0, "*"},     {"rle ", "qtrle", 0, ""},
    {"smc ", "smc", 0, ""},       {"8BPS", "8bps", 0, ""},
    {"yuv2", "rawvideo", 16, ""}, {"2vuy", "rawvideo", 16, ""},
    {"yuvs", "rawvideo", 16, ""}, {"v210", "v210", 21, ""},
    {"qdrw", "qdraw", 0, ""},     {"tga ", "targa", 0, ""},
    {"tiff", "tiff", 0, ""},      {"gif ", "gif", 0, ""},
    {"h263", "h263", 0, ""},      {"mp4v", "mpeg4", 0, ""},
    {"avc1", "h264", 0, "avcC"},  {"hvc1", "hevc", 0, "hvcC"},
    {"hev1", "hevc", 0, "hvcC"},  {"apcn", "prores", 0, ""},
    {"apch", "prores", 0, ""},    {"apcs", "prores", 0, ""},
    {"apco", "prores", 0, ""},    {"ap4h", "prores", 0, ""},
    {"dvc ", "dvvideo", 0, ""},   {"dvcp", "dvvideo", 0, ""},
    {"icod", "aic", 0, ""},
};

// The system's standard colour tables, for a description whose colour
// table id is -1: 2 colours (white, black), 4 greys, the 16 colours and
// the 256 (a 6 x 6 x 6 cube from white, ramps of red, green, blue and grey
// without the cube's levels, and black).
constexpr uint32_t kStandard2[] = {0xFFFFFF, 0x000000};
constexpr uint32_t kStandard4[] = {0xFFFFFF, 0xACACAC, 0x555555, 0x000000};
constexpr uint32_t kStandard16[] = {0xFFFFFF, 0xFCF305, 0xFF6402, 0xDD0806,
                                    0xF20884, 0x4600A5, 0x0000D4, 0x02ABEA,
                                    0x1FB714, 0x006411, 0x562C05, 0x90713A,
                                    0xC0C0C0, 0x808080, 0x404040, 0x000000};
constexpr uint32_t kRampLevels[] = {0xEE, 0xDD, 0xBB, 0xAA, 0x88,
                                    0x77, 0x55, 0x44, 0x22, 0x11};

uint32_t standard256(int i) {
  constexpr int kCube = 215;
  if (i < kCube) {
    uint32_t r = 0xFF - 0x33u * static_cast<uint32_t>(i / 36);
    uint32_t g = 0xFF - 0x33u * static_cast<uint32_t>(i / 6 % 6);
    uint32_t b = 0xFF - 0x33u * static_cast<uint32_t>(i % 6);
    return r << 16 | g << 8 | b;
  }
  if (i == 255) return 0;
  const uint32_t level = kRampLevels[(i - kCube) % 10];
  switch ((i - kCube) / 10) {
    case 0:
      return level << 16;
    case 1:
      return level << 8;
    case 2:
      return level;
    default:
      return level << 16 | level << 8 | level;
  }
}

// The state of the image being converted, freed after each image.
struct QuickTimeState {
  GrowableBuffer<unsigned char> extensions{};  // behind the description head
  GrowableBuffer<unsigned char> data{};        // compressed, padded
  CodecFrame frame;
  Rect crop;  // the part of the frame the facet holds
  int32_t rowNumber = 0;
};
QuickTimeState quickTime;

uint32_t getLong(const unsigned char *p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 |
         p[3];
}

uint16_t getWord(const unsigned char *p) {
  return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

// The opcode's L bytes, read and skipped without passing their end.
class Block {
 public:
  explicit Block(uint32_t length) : left_(length) {}
  uint32_t left() const { return left_; }
  bool Read(unsigned char *into, uint32_t n) {
    if (n > left_) return false;
    ReadString(into, static_cast<int32_t>(n));
    left_ -= n;
    return true;
  }
  // Reads n bytes into `buffer`, padded with `padding` zero bytes; false
  // (the bytes left unread) when they are not there or memory can't be had
  // (*noMemory set).
  bool ReadInto(GrowableBuffer<unsigned char> &buffer, uint32_t n,
                uint32_t padding, bool *noMemory) {
    if (n > left_) return false;
    for (uint32_t have = 0; have < n;) {
      uint32_t piece = n - have < kReadPiece ? n - have : kReadPiece;
      if (!buffer.Reserve(have + piece + padding)) {
        *noMemory = true;
        return false;
      }
      Read(buffer.data() + have, piece);
      have += piece;
    }
    if (!buffer.Reserve(n + padding)) {
      *noMemory = true;
      return false;
    }
    std::memset(buffer.data() + n, 0, padding);
    return true;
  }
  bool Skip(uint32_t n) {
    if (n > left_) return false;
    SkipRest(n);
    return true;
  }
  void SkipRest() { SkipRest(left_); }

 private:
  void SkipRest(uint32_t n) {
    left_ -= n;
    while (n > 0) {
      uint32_t piece = n > 0x40000000u ? 0x40000000u : n;
      PictSkip(static_cast<int32_t>(piece));
      n -= piece;
    }
  }
  uint32_t left_;
};

// The codec's four characters as the messages show them: a byte that is
// not printable as \xHH.
struct CodecName {
  char text[17] = "?";
  explicit CodecName(const unsigned char *type = nullptr) {
    if (type == nullptr) return;
    char *out = text;
    for (int i = 0; i < 4; ++i) {
      unsigned char c = type[i];
      if (c >= 0x20 && c < 0x7F)
        *out++ = static_cast<char>(c);
      else
        out += V_Snprintf(out, 5, "\\x%02x", static_cast<unsigned>(c));
    }
    *out = '\0';
  }
};

const CodecEntry *findCodec(const unsigned char *type) {
  const std::string_view wanted(reinterpret_cast<const char *>(type), 4);
  for (const CodecEntry &entry : kCodecs)
    if (entry.type == wanted) return &entry;
  return nullptr;
}

// Bits a pixel of the depth takes; depths 33 to 40 are 1 to 8-bit greys.
int depthBits(int32_t depth) { return depth > 32 ? depth - 32 : depth; }

// The extra data of a codec, from the extensions (input->extradataSize
// bytes of them on entry): all of them, or the contents of the one named (an
// extension is a 32-bit size counting its 8-byte head, four characters, and its
// contents).
void findExtradata(const CodecEntry &codec, CodecInput *input) {
  const unsigned char *at = quickTime.extensions.data();
  const uint32_t whole = input->extradataSize;  // all of the extensions
  uint32_t left = whole;
  input->extradataSize = 0;
  if (codec.extradata.empty() || left == 0) return;
  if (codec.extradata == "*") {
    input->extradata = at;
    input->extradataSize = whole;
    return;
  }
  while (left >= 8) {
    uint32_t size = getLong(at);
    if (size < 8 || size > left) return;
    if (std::string_view(reinterpret_cast<const char *>(at + 4), 4) ==
        codec.extradata) {
      input->extradata = at + 8;
      input->extradataSize = size - 8;
      return;
    }
    at += size;
    left -= size;
  }
}

// The palette of an indexed depth (1, 2, 4 or 8 bits, or their greys): the
// colour table stored behind the description's fields (id 0: seed, flags,
// the last entry's index, then entries of value, red, green and blue; the
// entries the description holds are read), else a grey ramp from white for
// the greys, else the system's standard table. False for other depths.
bool makePalette(int32_t depth, int16_t tableId, uint32_t extensionSize,
                 uint32_t palette[kPaletteSize]) {
  const int bits = depthBits(depth);
  if (depth < 1 || depth > 40 ||
      (bits != 1 && bits != 2 && bits != 4 && bits != 8))
    return false;
  const int count = 1 << bits;
  for (int i = 0; i < kPaletteSize; ++i) palette[i] = 0xFF000000u;
  if (tableId == 0) {
    constexpr uint32_t kTableHead = 8, kEntry = 8;
    const unsigned char *table = quickTime.extensions.data();
    if (extensionSize < kTableHead) return true;
    uint32_t last = getWord(table + 6);
    for (uint32_t i = 0; i <= last && i < kPaletteSize &&
                         kTableHead + (i + 1) * kEntry <= extensionSize;
         ++i) {
      const unsigned char *entry = table + kTableHead + i * kEntry;
      palette[i] |=
          uint32_t{entry[2]} << 16 | uint32_t{entry[4]} << 8 | entry[6];
    }
    return true;
  }
  for (int i = 0; i < count; ++i) {
    uint32_t rgb = 0;
    if (depth > 32) {
      uint32_t level =
          static_cast<uint32_t>(255 * (count - 1 - i) / (count - 1));
      rgb = level << 16 | level << 8 | level;
    } else if (bits == 1) {
      rgb = kStandard2[i];
    } else if (bits == 2) {
      rgb = kStandard4[i];
    } else if (bits == 4) {
      rgb = kStandard16[i];
    } else {
      rgb = standard256(i);
    }
    palette[i] |= rgb;
  }
  return true;
}

// The destination of the image's `source` rectangle mapped by the matrix
// (a, b, u, c, d, v, tx, ty, w; a point (x, y) goes to (a x + c y + tx,
// b x + d y + ty), the perspective terms u, v and w are not used): the
// bounding box of the four mapped corners, rounded to picture units.
Rect mapRect(const unsigned char *matrix, const Rect &source) {
  double m[kMatrixSize];
  for (int i = 0; i < kMatrixSize; ++i)
    m[i] = static_cast<int32_t>(getLong(matrix + 4 * i)) / 65536.0;
  const double xs[2] = {static_cast<double>(source.x),
                        static_cast<double>(source.x + source.width)};
  const double ys[2] = {static_cast<double>(source.y),
                        static_cast<double>(source.y + source.height)};
  double left = 0, top = 0, right = 0, bottom = 0;
  for (int i = 0; i < 4; ++i) {
    double x = m[0] * xs[i % 2] + m[3] * ys[i / 2] + m[6];
    double y = m[1] * xs[i % 2] + m[4] * ys[i / 2] + m[7];
    if (i == 0 || x < left) left = x;
    if (i == 0 || x > right) right = x;
    if (i == 0 || y < top) top = y;
    if (i == 0 || y > bottom) bottom = y;
  }
  // Kept well inside 32 bits for the placement's sums.
  auto unit = [](double v) {
    constexpr double kFar = 1 << 24;
    v = std::floor(v + 0.5);
    return static_cast<int32_t>(v < -kFar ? -kFar : v > kFar ? kFar : v);
  };
  Rect destination;
  destination.x = unit(left);
  destination.y = unit(top);
  destination.width = unit(right) - destination.x;
  destination.height = unit(bottom) - destination.y;
  return destination;
}

// The part of the frame the source rectangle selects; the whole frame when
// the rectangle is empty or lies outside it.
Rect cropOf(const Rect &source, const CodecFrame &frame) {
  Rect crop;
  int32_t left = source.x > 0 ? source.x : 0;
  int32_t top = source.y > 0 ? source.y : 0;
  int32_t right = source.x + source.width;
  int32_t bottom = source.y + source.height;
  if (right > frame.width) right = frame.width;
  if (bottom > frame.height) bottom = frame.height;
  if (source.width == 0 || source.height == 0 || right <= left ||
      bottom <= top) {
    crop.width = frame.width;
    crop.height = frame.height;
    return crop;
  }
  crop.x = left;
  crop.y = top;
  crop.width = right - left;
  crop.height = bottom - top;
  return crop;
}

void reportTooLarge(const CodecName &name, const char *format, uint32_t a,
                    uint32_t b = 0, uint32_t c = 0) {
  char size[64];
  V_Snprintf(size, sizeof size, format, a, b, c);
  NonFatal(kMsgCodecTooLarge, name.text, size);
}

// Decodes the image and writes its facet, after the opcode's bytes up to
// the compressed data's end have been read into quickTime. True when the
// image was written.
bool decodeAndWrite(const unsigned char *head, const unsigned char *description,
                    const CodecEntry &codec, const CodecName &name,
                    uint32_t extensionSize, uint32_t dataSize) {
  CodecInput input;
  input.decoder = codec.decoder;
  for (int i = 3; i >= 0; --i)
    input.codecTag = input.codecTag << 8 | description[kCodecTypeOffset + i];
  input.data = quickTime.data.data();
  input.size = dataSize;
  input.extradataSize = extensionSize;
  findExtradata(codec, &input);
  input.width = getWord(description + kWidthOffset);
  input.height = getWord(description + kHeightOffset);
  const int32_t depth =
      static_cast<int16_t>(getWord(description + kDepthOffset));
  uint32_t palette[kPaletteSize];
  const int16_t tableId =
      static_cast<int16_t>(getWord(description + kColorTableIdOffset));
  if (makePalette(depth, tableId, extensionSize, palette))
    input.palette = palette;
  // Depths 33 to 40 are 1 to 8 bits of grey: the decoders take the bits,
  // and the grey levels come with the palette.
  input.depth = depthBits(depth);
  input.maxSide = kMostSide;
  input.maxPixels = int64_t{kMostSide} * kMostSide;
  if (codec.bitsPerPixel == 0 &&
      int64_t{dataSize} * kMostPixelsPerByte < input.maxPixels)
    input.maxPixels = int64_t{dataSize} * kMostPixelsPerByte;
#ifdef PICTTOTOV_FUZZ_BUILD
  // Decoding costs about as much as diffusing the rows.
  ChargeFuzzBudget(int64_t{input.width} * input.height * 8);
#endif
  CodecFrame &frame = quickTime.frame;
  const char *library = nullptr;
  switch (DecodeCodecFrame(input, &frame, &library)) {
    case CodecStatus::kDecoded:
      break;
    case CodecStatus::kNoSupport:
      NonFatal(kMsgCodecNoSupport, name.text);
      return false;
    case CodecStatus::kNoLibrary:
      NonFatal(kMsgCodecLibrary, name.text, library);
      return false;
    case CodecStatus::kNoDecoder:
      NonFatal(kMsgCodecUnknown, name.text);
      return false;
    case CodecStatus::kBadData:
      NonFatal(kMsgCodecBadData, name.text);
      return false;
    case CodecStatus::kNoMemory:
      NonFatal(kMsgNoMemory);
      return false;
  }
  // The compressed data is no longer needed.
  quickTime.data.Release();
  quickTime.crop = cropOf(GetRect(head + kSourceRectOffset), frame);
  quickTime.rowNumber = 0;
  const Rect destination = mapRect(head + kMatrixOffset, quickTime.crop);
  Rect bounds;
  bounds.width = quickTime.crop.width;
  bounds.height = quickTime.crop.height;
  const ColorMap &fixed = FixedColorMap();
  if (frame.indexed)
    WriteImageObject(bounds, destination, 8, frame.red, frame.green, frame.blue,
                     RowSource::kQuickTime);
  else
    WriteImageObject(bounds, destination, 8, fixed.red, fixed.green, fixed.blue,
                     RowSource::kQuickTime);
  return true;
}

// Reads the opcode's fields within the block and converts the image, or
// reports why it is left out; true when it was converted. The bytes of the
// block not read here are skipped by the caller.
bool convert(Block &block) {
  unsigned char head[kHeadSize];
  unsigned char description[kDescriptionHeadSize];
  if (!block.Read(head, kHeadSize) ||
      !block.Skip(getLong(head + kMatteSizeOffset)) ||
      !block.Skip(getLong(head + kMaskSizeOffset)) ||
      !block.Read(description, kDescriptionHeadSize)) {
    NonFatal(kMsgCodecBadData, CodecName().text);
    return false;
  }
  const CodecName name(description + kCodecTypeOffset);
  const uint32_t descriptionSize = getLong(description);
  const int32_t width = getWord(description + kWidthOffset);
  const int32_t height = getWord(description + kHeightOffset);
  if (descriptionSize < kDescriptionHeadSize ||
      descriptionSize - kDescriptionHeadSize > block.left() || width == 0 ||
      height == 0) {
    NonFatal(kMsgCodecBadData, name.text);
    return false;
  }
  const uint32_t extensionSize = descriptionSize - kDescriptionHeadSize;
  const uint32_t afterDescription = block.left() - extensionSize;
  uint32_t dataSize = getLong(description + kDataSizeOffset);
  if (dataSize == 0) dataSize = afterDescription;
  if (dataSize > afterDescription) {
    NonFatal(kMsgCodecBadData, name.text);
    return false;
  }
  const CodecEntry *codec = findCodec(description + kCodecTypeOffset);
  if (codec == nullptr) {
    NonFatal(kMsgCodecUnknown, name.text);
    return false;
  }
  if (descriptionSize > kMostDescriptionBytes) {
    reportTooLarge(name, "a description of %u bytes", descriptionSize);
    return false;
  }
  if (dataSize > kMostDataBytes) {
    reportTooLarge(name, "%u bytes of data", dataSize);
    return false;
  }
  if (width > kMostSide || height > kMostSide) {
    reportTooLarge(name, "%u x %u pixels", width, height);
    return false;
  }
  const int64_t pixels = int64_t{width} * height;
  const int depth = static_cast<int16_t>(getWord(description + kDepthOffset));
  const int bits =
      codec->bitsPerPixel < 0 ? depthBits(depth) : codec->bitsPerPixel;
  if (bits == 0 ? pixels > int64_t{dataSize} * kMostPixelsPerByte
                : pixels * bits > int64_t{dataSize} * 8) {
    reportTooLarge(name, "%u x %u pixels in %u bytes", width, height, dataSize);
    return false;
  }
  bool noMemory = false;
  if (!block.ReadInto(quickTime.extensions, extensionSize, 0, &noMemory) ||
      !block.ReadInto(quickTime.data, dataSize, kCodecPadding, &noMemory)) {
    NonFatal(noMemory ? kMsgNoMemory : kMsgCodecBadData, name.text);
    return false;
  }
  return decodeAndWrite(head, description, *codec, name, extensionSize,
                        dataSize);
}

// Frees what the image held: its frame and buffers.
struct ImageRelease {
  ~ImageRelease() { ResetQuickTime(); }
};

// Opcodes of the stand-in.
enum StandInOpcode : uint16_t {
  kTxFont = 0x03,
  kTxFace = 0x04,
  kTxMode = 0x05,
  kPnSize = 0x07,
  kTxSize = 0x0D,
  kTxRatio = 0x10,
  kLongText = 0x28,
  kDHText = 0x29,
  kDVText = 0x2A,
  kDHDVText = 0x2B,
  kBitsRect = 0x90,
  kBitsRgn = 0x91,
  kPackBitsRect = 0x98,
  kPackBitsRgn = 0x99,
  kDirectBitsRect = 0x9A,
  kDirectBitsRgn = 0x9B,
};

// Skips a text's count byte and characters.
void skipText() {
  unsigned char count = 0;
  ReadByte(&count);
  PictSkip(count);
}

// Skips a direct-colour copy (0x9A, 0x9B): base address, pixel map without
// colour table, rectangles and mode, the mask region of 0x9B, the rows.
void skipDirectCopy(bool withMask) {
  constexpr int32_t kBaseAddress = 4;
  PictSkip(kBaseAddress);
  uint16_t rowBytes = 0;
  Rect bounds;
  skippixmap(&rowBytes, &bounds);
  PictSkip(kCopyRectsAndMode);
  if (withMask) skip(SkipKind::kRegion);
  skipimage(rowBytes, &bounds);
}

// Reads one opcode of the stand-in; false, leaving it to the opcode loop,
// for any other.
bool skipStandInOpcode(uint16_t opcode) {
  switch (opcode) {
    case kTxFont:
      op_TxFont();
      break;
    case kTxFace:
      op_TxFace();
      break;
    case kTxSize:
      op_TxSize();
      break;
    case kPnSize:
      op_PnSize();
      break;
    case kTxMode:
      PictSkip(2);
      break;
    case kTxRatio:
      PictSkip(8);
      break;
    case kLongText:
      PictSkip(4);
      skipText();
      break;
    case kDHText:
    case kDVText:
      PictSkip(1);
      skipText();
      break;
    case kDHDVText:
      PictSkip(2);
      skipText();
      break;
    case kBitsRect:
    case kPackBitsRect:
      skip(SkipKind::kBitsCopy);
      break;
    case kBitsRgn:
    case kPackBitsRgn:
      skip(SkipKind::kBitsCopyWithMask);
      break;
    case kDirectBitsRect:
    case kDirectBitsRgn:
      skipDirectCopy(opcode == kDirectBitsRgn);
      break;
    default:
      return false;
  }
  return true;
}

// QuickTime writes, behind a compressed image, a stand-in for readers
// without it: the image again as a bit or pixel map copy, or a message
// ("QuickTime and a ... decompressor are needed to see this picture") in
// text lines. Once the image is converted its stand-in would only cover
// it, so the run of image copies and text lines that directly follows it
// is read and not drawn; the pen and text settings among them still take
// effect.
void skipStandIn() {
  for (;;) {
    uint16_t opcode = 0;
    PeekNextOpcode(&opcode);
    if (opcode == 0) return;  // a no-op: taken, nothing to hold back
    if (!skipStandInOpcode(opcode)) return;
    getopcode(&opcode);  // drops the opcode held back
  }
}

}  // namespace

int ReadQuickTimeScanLine(int32_t rowLength, unsigned char *row) {
  const Rect &crop = quickTime.crop;
  const int32_t frameWidth = quickTime.frame.width;
  if (!quickTime.frame.indexed && !HoldDiffusionRows(crop.width)) return -20;
  const unsigned char *source = CodecFrameRow(crop.y + quickTime.rowNumber);
  if (source == nullptr) return -20;
  source += crop.x;
  if (quickTime.frame.indexed) {
    std::memcpy(row, source, static_cast<size_t>(crop.width));
    if (rowLength > crop.width)
      std::memset(row + crop.width, 0,
                  static_cast<size_t>(rowLength - crop.width));
  } else {
    DiffuseOntoFixedMap(source, source + frameWidth, source + 2 * frameWidth,
                        crop.width, quickTime.rowNumber, rowLength, row);
  }
  ++quickTime.rowNumber;
  return 0;
}

void ResetQuickTime() {
  ReleaseCodecFrame();
  quickTime = QuickTimeState{};
}

void ConvertCompressedQuickTime() {
  int32_t length = 0;
  ReadLong(&length);
  Block block(static_cast<uint32_t>(length));
  bool converted = false;
  {
    ImageRelease release;
    if (!InRotatedText) converted = convert(block);
  }
  block.SkipRest();
  if (converted) skipStandIn();
}

// QuickTime images (0x8200) under -full, read back through the previewer;
// bad images and missing libraries give a message each and the conversion
// goes on. The tests that decode need a build with QuickTime support.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "pict_bytes.h"
#include "support/channels.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"
#include "support/svg_images.h"

#ifdef PICTTOTOV_QUICKTIME
extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

#include "image/codec_loader.h"
constexpr bool kDecodes = true;
#else
constexpr bool kDecodes = false;
#endif

namespace {

using pictbytes::Hex;
using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U32;
using runfilter::Result;
using svgimages::Image;
using testchannels::Count;

// The matrix taking (x, y) to (a x + c y + tx, b x + d y + ty), 16.16.
std::string Matrix(double a, double b, double c, double d, double tx,
                   double ty) {
  std::string bytes;
  for (double v : {a, b, 0.0, c, d, 0.0, tx, ty})
    bytes += U32(std::lround(v * 65536));
  return bytes + U32(0x40000000);
}

struct QuickTime {
  QuickTime(std::string type, int width, int height, int depth,
            std::string data)
      : type(type), width(width), height(height), depth(depth), data(data) {}
  std::string type;
  int width, height, depth;
  std::string data;
  int colorTableId = -1;
  std::string extensions;  // the colour table of id 0
  std::string matrix = Matrix(1, 0, 0, 1, 0, 0);
  std::string source;  // empty: the whole image
  // The sizes the opcode states; -1: the true ones (no matte is there).
  int64_t length = -1, matteSize = 0, descriptionSize = -1, dataSize = -1;
};

// The opcode: length, head, 86-byte description, extensions, data, pad.
std::string Opcode(const QuickTime &q) {
  auto size = [](int64_t stated, size_t actual) {
    return U32(stated < 0 ? int64_t(actual) : stated);
  };
  const std::string body =
      U16(0) + q.matrix + U32(q.matteSize) + RectBytes(0, 0, 0, 0) + U16(64) +
      (q.source.empty() ? RectBytes(0, 0, q.height, q.width) : q.source) +
      U32(0x300) + U32(0) + size(q.descriptionSize, 86 + q.extensions.size()) +
      q.type + std::string(12, '\0') + "appl" + U32(0) + U32(512) +
      U16(q.width) + U16(q.height) + U32(72 << 16) + U32(72 << 16) +
      size(q.dataSize, q.data.size()) + U16(1) + std::string(32, '\0') +
      U16(q.depth) + U16(q.colorTableId) + q.extensions + q.data;
  const int64_t length = q.length < 0 ? int64_t(body.size()) : q.length;
  const std::string bytes = U16(0x8200) + U32(length) + body.substr(0, length);
  return bytes.size() % 2 ? bytes + '\0' : bytes;
}

// Drawn after the image: the conversion went on from the opcode's end.
const std::string kAfter = U16(0x31) + RectBytes(5, 5, 15, 25);

// Converts a version 2 picture without file header, with test messages.
Result Convert(const std::string &opcodes,
               std::vector<std::string> args = {"-full"}) {
  args.insert(args.begin(), "-aframe");
  runfilter::TempDir dir;
  return runfilter::Run(
      pictbytes::PictV2(opcodes, {}, /*header=*/false), args,
      srefixture::WithMessages(dir, runfilter::Options::Input::kFile));
}

// Known pixels: red across, green down, blue falling along the diagonal.
Image Pixels(int width, int height) {
  Image image;
  image.width = width;
  image.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.pixels +=
          {char(x * 255 / (width - 1)), char(y * 255 / (height - 1)),
           char(255 - (x + y) * 255 / (width + height - 2))};
  return image;
}

QuickTime Raw(int width, int height) {
  return {"raw ", width, height, 24, Pixels(width, height).pixels};
}

// The JPEG data of the corpus's tm-qt_mire, 64 x 64 pixels.
QuickTime Jpeg() {
  const std::string picture = runfilter::ReadFile(
      PICTTOTOV_SOURCE_DIR "/tests/data/corpus/tm-qt_mire.pict");
  const size_t at = picture.find("\xFF\xD8\xFF");
  return {"jpeg", 64, 64, 24,
          picture.substr(at, picture.find("\xFF\xD9", at) + 2 - at)};
}

// Each bad or oversized image: its message, status 0, no image, the
// rectangle drawn. Without QuickTime support, decodable ones say so.
TEST(QuickTime, BadImagesAreReportedAndTheConversionGoesOn) {
  const std::string undecodable =
      kDecodes ? "MSG 1029 jpeg\n" : "MSG 1031 jpeg\n";
  const struct {
    const char *what;
    void (*change)(QuickTime &);
    std::string err;
  } cases[] = {
      {"length within the head", [](QuickTime &q) { q.length = 60; },
       "MSG 1029 ?\n"},
      {"matte beyond the length", [](QuickTime &q) { q.matteSize = 1 << 20; },
       "MSG 1029 ?\n"},
      {"description beyond the length",
       [](QuickTime &q) { q.descriptionSize = 1 << 20; }, "MSG 1029 jpeg\n"},
      {"description shorter than its fields",
       [](QuickTime &q) { q.descriptionSize = 85; }, "MSG 1029 jpeg\n"},
      {"data size beyond the length",
       [](QuickTime &q) { q.dataSize = int64_t(q.data.size()) + 1; },
       "MSG 1029 jpeg\n"},
      {"no width", [](QuickTime &q) { q.width = 0; }, "MSG 1029 jpeg\n"},
      {"no height", [](QuickTime &q) { q.height = 0; }, "MSG 1029 jpeg\n"},
      {"unknown codec", [](QuickTime &q) { q.type = "zzz\x01"; },
       "MSG 1028 zzz\\x01\n"},
      {"wider than 16384", [](QuickTime &q) { q.width = 20000, q.height = 10; },
       "MSG 1030 jpeg 20000 x 10 pixels\n"},
      {"more pixels than raw data holds",
       [](QuickTime &q) { q = Raw(10, 10), q.data.resize(299); },
       "MSG 1030 raw  10 x 10 pixels in 299 bytes\n"},
      // A codec's data describes at most 16384 pixels a byte.
      {"more pixels than data describes",
       [](QuickTime &q) { q.width = q.height = 16384, q.data.resize(16383); },
       "MSG 1030 jpeg 16384 x 16384 pixels in 16383 bytes\n"},
      {"as many pixels as data describes",
       [](QuickTime &q) { q.width = q.height = 16384, q.data.resize(16384); },
       undecodable},
      {"data cut short", [](QuickTime &q) { q.data.resize(q.data.size() / 2); },
       undecodable},
      {"data damaged",
       [](QuickTime &q) {
         for (size_t i = 200; i < q.data.size() - 2; ++i)
           q.data[i] = char(i * 7919 % 251);
       },
       undecodable},
  };
  for (const auto &c : cases) {
    QuickTime q = Jpeg();
    c.change(q);
    Result r = Convert(Opcode(q) + kAfter);
    EXPECT_EQ(r.status, 0) << c.what;
    EXPECT_EQ(r.err, c.err) << c.what;
    EXPECT_EQ(Count(r.out, "<ImportObject"), 0) << c.what;
    EXPECT_EQ(Count(r.out, "<Rectangle"), 1) << c.what;
  }
}

// A 2 GB length is refused before anything is held; the input then ends
// among the bytes skipped.
TEST(QuickTime, HugeLengthIsRefusedBeforeItsBytesAreRead) {
  QuickTime q = Jpeg();
  q.length = 0x7FFFFFF0;
  q.dataSize = 0;
  Result r = Convert(Opcode(q) + kAfter);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "MSG 1030 jpeg " + std::to_string(q.length - 68 - 86) +
                       " bytes of data\nMSG 1008\n");
}

#ifdef PICTTOTOV_QUICKTIME

// The images of a conversion, as the previewer draws them.
std::vector<Image> Images(const Result &converted) {
  runfilter::Options preview;
  preview.binary = TOVPREVIEW_BINARY;
  preview.input = runfilter::Options::Input::kStdin;
  return svgimages::Decode(runfilter::Run(converted.out, {}, preview).out);
}

// The largest difference of a channel's mean over side x side blocks from
// (dx, dy) on: error diffusion onto the fixed colour map keeps local means.
double Distance(const Image &image, const Image &want, int side, int dx = 0,
                int dy = 0) {
  double worst = 0;
  for (int by = 0; by < image.height; by += side)
    for (int bx = 0; bx < image.width; bx += side)
      for (int c = 0; c < 3; ++c) {
        double sum = 0, n = 0;
        for (int y = by; y < by + side && y < image.height; ++y)
          for (int x = bx; x < bx + side && x < image.width; ++x, ++n)
            sum += image.At(x, y, c) - want.At(x + dx, y + dy, c);
        worst = std::fmax(worst, std::fabs(sum) / n);
      }
  return worst;
}

// One packet of `image` (for PAL8 `indexes` and `palette`) from encoder `name`.
std::string Encode(const char *name, AVPixelFormat format, const Image &image,
                   const std::string &indexes = "",
                   const uint32_t *palette = nullptr) {
  const AVCodec *codec = avcodec_find_encoder_by_name(name);
  AVCodecContext *context = avcodec_alloc_context3(codec);
  context->width = image.width;
  context->height = image.height;
  context->pix_fmt = format;
  context->time_base = AVRational{1, 25};
  context->flags |= AV_CODEC_FLAG_QSCALE;
  context->global_quality = FF_QP2LAMBDA * 2;
  AVFrame *frame = av_frame_alloc();
  frame->format = format;
  frame->width = image.width;
  frame->height = image.height;
  frame->quality = context->global_quality;
  if (avcodec_open2(context, codec, nullptr) < 0 ||
      av_frame_get_buffer(frame, 0) < 0)
    throw std::runtime_error(std::string("no encoder ") + name);
  if (format == AV_PIX_FMT_PAL8) {
    for (int y = 0; y < image.height; ++y)
      indexes.copy(
          reinterpret_cast<char *>(frame->data[0]) + y * frame->linesize[0],
          image.width, y * image.width);
    std::memcpy(frame->data[1], palette, 1024);
  } else {
    SwsContext *sws = sws_getContext(
        image.width, image.height, AV_PIX_FMT_RGB24, image.width, image.height,
        format, SWS_BICUBIC, nullptr, nullptr, nullptr);
    const uint8_t *rows[4] = {
        reinterpret_cast<const uint8_t *>(image.pixels.data())};
    const int stride[4] = {3 * image.width};
    sws_scale(sws, rows, stride, 0, image.height, frame->data, frame->linesize);
    sws_freeContext(sws);
  }
  std::string bytes;
  AVPacket *packet = av_packet_alloc();
  avcodec_send_frame(context, frame);
  avcodec_send_frame(context, nullptr);
  if (avcodec_receive_packet(context, packet) == 0)
    bytes.assign(reinterpret_cast<const char *>(packet->data), packet->size);
  av_packet_free(&packet);
  av_frame_free(&frame);
  avcodec_free_context(&context);
  return bytes;
}

// Each encoder for a QuickTime codec: block means within the codec's loss;
// indexed images keep their colours exactly from the stored table (id 0),
// the standard one (id -1) or the greys (depths 33 to 40, from white down).
TEST(QuickTimeCodecs, EachEncoderRoundTripsWithinItsLoss) {
  const Image pixels = Pixels(48, 32);
  // Some of the standard 256 colours, by index.
  constexpr uint32_t kStandard[][2] = {
      {0, 0xFFFFFF},   {5, 0xFFFF00},   {35, 0xFF0000},  {144, 0x33FFFF},
      {215, 0xEE0000}, {225, 0x00EE00}, {235, 0x0000EE}, {245, 0xEEEEEE},
      {254, 0x111111}, {255, 0x000000}};
  // The stored table's entry i is (i, 255 - i, 37 i).
  uint32_t stored[256], standard[256] = {}, grey[256];
  std::string table = U32(0) + U16(0) + U16(255);
  for (int i = 0; i < 256; ++i) {
    const int red = i, green = 255 - i, blue = i * 37 % 256;
    stored[i] = 0xFF000000u | red << 16 | green << 8 | blue;
    grey[i] = 0xFF000000u | (255 - i) * 0x010101u;
    table += U16(i) + U16(red << 8) + U16(green << 8) + U16(blue << 8);
  }
  for (const auto &[index, colour] : kStandard)
    standard[index] = 0xFF000000u | colour;
  std::string indexes;
  for (int i = 0; i < pixels.width * pixels.height; ++i)
    indexes += char(kStandard[i / 7 % 10][0]);
  const struct {
    const char *type, *encoder;
    AVPixelFormat format;
    int depth;
    double loss;  // of a block's mean, or of a pixel for an indexed image
    int tableId = -1;
  } codecs[] = {
      {"jpeg", "mjpeg", AV_PIX_FMT_YUVJ420P, 24, 5},
      {"png ", "png", AV_PIX_FMT_RGB24, 24, 3},
      {"rpza", "rpza", AV_PIX_FMT_RGB555LE, 16, 8},
      {"cvid", "cinepak", AV_PIX_FMT_RGB24, 24, 7},
      {"SVQ1", "svq1", AV_PIX_FMT_YUV410P, 24, 22},
      {"rle ", "qtrle", AV_PIX_FMT_RGB24, 24, 3},
      {"rle ", "qtrle", AV_PIX_FMT_RGB555BE, 16, 8},
      {"rle ", "qtrle", AV_PIX_FMT_ARGB, 32, 3},
      {"raw ", "rawvideo", AV_PIX_FMT_RGB555BE, 16, 8},
      {"raw ", "rawvideo", AV_PIX_FMT_ARGB, 32, 3},
      {"smc ", "smc", AV_PIX_FMT_PAL8, 8, 0, 0},
      {"smc ", "smc", AV_PIX_FMT_PAL8, 8, 0, -1},
      {"raw ", nullptr, AV_PIX_FMT_PAL8, 8, 0, 0},  // the indexes themselves
      {"raw ", nullptr, AV_PIX_FMT_PAL8, 40, 0},
  };
  for (const auto &codec : codecs) {
    SCOPED_TRACE(std::string(codec.type) + " of depth " +
                 std::to_string(codec.depth) + ", table " +
                 std::to_string(codec.tableId));
    const bool indexed = codec.format == AV_PIX_FMT_PAL8;
    const uint32_t *colours = codec.depth > 32     ? grey
                              : codec.tableId == 0 ? stored
                                                   : standard;
    Image want = pixels;
    if (indexed) want.pixels.clear();
    for (size_t i = 0; indexed && i < indexes.size(); ++i)
      for (int shift : {16, 8, 0})
        want.pixels += char(colours[uint8_t(indexes[i])] >> shift);
    QuickTime q(codec.type, want.width, want.height, codec.depth,
                codec.encoder ? Encode(codec.encoder, codec.format, pixels,
                                       indexes, colours)
                              : indexes);
    q.colorTableId = codec.tableId;
    if (indexed && codec.tableId == 0) q.extensions = table;
    Result r = Convert(Opcode(q));
    EXPECT_EQ(r.err, "");
    const std::vector<Image> images = Images(r);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].place, R"(x="0" y="0" width="48" height="32")");
    ASSERT_EQ(images[0].width, want.width);
    ASSERT_EQ(images[0].height, want.height);
    EXPECT_LE(Distance(images[0], want, indexed ? 1 : 8), codec.loss);
  }
}

// The source rectangle mapped by the matrix (bounding box, rounded), then
// scaled; a source inside the image crops it, one outside is the whole.
TEST(QuickTimeCodecs, MatrixAndSourceRectanglePlaceAndCrop) {
  const Image pixels = Pixels(16, 8);
  const struct {
    const char *what;
    std::string matrix, source, scale, place;
    int width, height, dx, dy;
  } cases[] = {
      {"scaled and moved", Matrix(2, 0, 0, 1.5, 10, 20.75), "", "1",
       R"(x="10" y="21" width="32" height="12")", 16, 8, 0, 0},
      {"turned a quarter", Matrix(0, 1, -1, 0, 30, 0), "", "1",
       R"(x="22" y="0" width="8" height="16")", 16, 8, 0, 0},
      {"then -s 2", Matrix(2, 0, 0, 2, 10, 20), "", "2",
       R"(x="20" y="40" width="64" height="32")", 16, 8, 0, 0},
      {"cropped", Matrix(1, 0, 0, 1, 5, 0), RectBytes(2, 3, 6, 11), "1",
       R"(x="8" y="2" width="8" height="4")", 8, 4, 3, 2},
      {"source outside", Matrix(1, 0, 0, 1, 0, 0), RectBytes(10, 20, 20, 30),
       "1", R"(x="0" y="0" width="16" height="8")", 16, 8, 0, 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    QuickTime q = Raw(16, 8);
    q.matrix = c.matrix;
    q.source = c.source;
    const std::vector<Image> images =
        Images(Convert(Opcode(q), {"-s", c.scale, "-full"}));
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].place, c.place);
    ASSERT_EQ(images[0].width, c.width);
    ASSERT_EQ(images[0].height, c.height);
    EXPECT_LE(Distance(images[0], pixels, 8, c.dx, c.dy), 8);
  }
}

// The stand-in behind a converted image (bitmap, text) is not drawn, its
// pen and text settings hold; behind an image left out, it is drawn.
TEST(QuickTimeCodecs, TheStandInOfAConvertedImageIsNotDrawn) {
  const std::string bitmap = U16(0x98) + U16(2) + RectBytes(0, 0, 2, 16) +
                             RectBytes(0, 0, 2, 16) + RectBytes(0, 0, 8, 64) +
                             U16(0) + Hex("FFFF 0000");
  const std::string text = Hex("0003 0014 000D 000C 0007 0002 0002") +
                           U16(0x28) + U16(20) + U16(10) + "\x05Need!" +
                           U16(0x29) + "\x08\x03QT!" + '\0';
  Result converted = Convert(Opcode(Raw(8, 4)) + bitmap + text + U16(0x30) +
                             RectBytes(5, 5, 15, 25));
  EXPECT_EQ(converted.err, "");
  EXPECT_EQ(Count(converted.out, "<ImportObject"), 1);
  EXPECT_EQ(Count(converted.out, "<TextLine"), 0);
  // The 2 x 2 pen set inside the stand-in frames the rectangle.
  EXPECT_NE(converted.out.find("<PenWidth 2.000>"), std::string::npos);
  QuickTime unknown = Raw(8, 4);
  unknown.type = "zzzz";
  Result leftOut = Convert(Opcode(unknown) + bitmap + text);
  EXPECT_EQ(leftOut.err, "MSG 1028 zzzz\nMSG 1026 pictfonts.cfg\n");
  EXPECT_EQ(Count(leftOut.out, "<ImportObject"), 1);
  EXPECT_EQ(Count(leftOut.out, "<TextLine"), 2);
}

// Missing libraries: each image names the first that can't be loaded;
// found again, they decode. Names carry the headers' major versions.
TEST(QuickTimeLibraries, MissingLibrariesAreReportedForEachImage) {
  const std::string names[] = {
      "libavutil.so." + std::to_string(LIBAVUTIL_VERSION_MAJOR),
      "libswscale.so." + std::to_string(LIBSWSCALE_VERSION_MAJOR),
      "libavcodec.so." + std::to_string(LIBAVCODEC_VERSION_MAJOR)};
  for (int i = 0; i < kCodecLibraryCount; ++i)
    EXPECT_EQ(kCodecLibraryNames[i], names[i]);
  ASSERT_TRUE(srefixture::Load());
  const std::string picture = pictbytes::PictV2(
      Opcode(Raw(8, 4)) + kAfter + Opcode(Jpeg()), {}, /*header=*/false);
  ::Options options;
  options.full = true;
  options.frameContents = true;
  for (const char *folder : {"/nonexistent/folder", (const char *)nullptr}) {
    SetCodecLibraryFolder(folder);
    ResetConversionRun();
    testchannels::Channels channels(picture);
    testing::internal::CaptureStderr();
    EXPECT_EQ(picttotov(inputFP, outputFP, options), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string out = channels.Output();
    EXPECT_EQ(Count(out, "<Rectangle"), 1);
    EXPECT_EQ(err, folder ? "MSG 1027 raw  " + names[0] + "\nMSG 1027 jpeg " +
                                names[0] + "\n"
                          : "");
    EXPECT_EQ(Count(out, "<ImportObject"), folder ? 0 : 2);
  }
}

#endif  // the tests that decode

}  // namespace

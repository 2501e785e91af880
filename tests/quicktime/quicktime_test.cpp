// QuickTime images under -full (opcode 0x8200): pictures built from known
// pixels with libavcodec's own encoders come out as facets within each
// codec's loss; the matrix and the source rectangle place and crop them;
// without -full nothing changes; the stand-in behind a converted image is
// not drawn; a bad, unknown, cut or oversized image, or missing libraries,
// give a message each and the conversion goes on, reading nothing beyond
// the opcode's length; the corpus's 10 images match an independent decode.
// Tests that decode skip in a build without QuickTime support.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "pict_bytes.h"
#include "support/channels.h"
#include "support/facets.h"
#include "support/quicktime_bytes.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"

#ifdef PICTTOTOV_QUICKTIME
#include "image/codec_loader.h"
#include "quicktime/codec_helpers.h"
#endif

namespace {

using pictbytes::Hex;
using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U32;
using runfilter::Options;
using runfilter::Result;

#ifdef PICTTOTOV_QUICKTIME
constexpr bool kDecodes = true;
#else
constexpr bool kDecodes = false;
#endif

#define SKIP_WITHOUT_QUICKTIME()                                   \
  if (!kDecodes)                                                   \
  GTEST_SKIP() << "the filter is built without QuickTime support " \
                  "(FFmpeg's development files were not found)"

// A rectangle painted after the image: its presence shows the conversion
// went on from where the opcode's length ends.
const std::string kAfter = U16(0x31) + RectBytes(5, 5, 15, 25);

size_t Count(const std::string &text, const std::string &what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + 1))
    ++n;
  return n;
}

// Converts a version 2 picture without file header holding `opcodes`, with
// the test messages.
Result Convert(const std::string &opcodes,
               std::vector<std::string> args = {"-full"}) {
  args.insert(args.begin(), "-aframe");
  runfilter::TempDir dir;
  return runfilter::Run(pictbytes::PictV2(opcodes, {}, /*header=*/false), args,
                        srefixture::WithMessages(dir, Options::Input::kFile));
}

// The JPEG data of tm-qt_mire, a 64 x 64 picture of colour bars.
std::string CorpusJpeg() {
  const std::string picture = runfilter::ReadFile(
      PICTTOTOV_SOURCE_DIR "/tests/data/corpus/tm-qt_mire.pict");
  const size_t at = picture.find("\xFF\xD8\xFF");
  const size_t end = picture.find("\xFF\xD9", at);
  return picture.substr(at, end + 2 - at);
}

qtbytes::Image JpegImage() {
  qtbytes::Image image;
  image.width = image.height = 64;
  image.data = CorpusJpeg();
  return image;
}

// An uncompressed image of width x height RGB pixels: red across, green
// down, blue in squares of 4.
qtbytes::Image RawImage(int width, int height) {
  qtbytes::Image image;
  image.type = "raw ";
  image.width = width;
  image.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.data += {static_cast<char>(x * 255 / (width - 1)),
                     static_cast<char>(y * 255 / (height - 1)),
                     static_cast<char>((x / 4 + y / 4) % 2 ? 200 : 40)};
  return image;
}

// A bad or oversized image, each followed by the rectangle: one message,
// status 0, no image, the rectangle drawn. Cases that decode say what a
// build without QuickTime support says instead.
TEST(QuickTime, BadImagesAreReportedAndTheConversionGoesOn) {
  const std::string noSupport = "MSG 1031 jpeg\n";
  qtbytes::Image shortData = JpegImage();
  shortData.dataSize = int64_t(shortData.data.size()) + 1;
  qtbytes::Image zeroWidth = JpegImage();
  zeroWidth.width = 0;
  qtbytes::Image unknown = JpegImage();
  unknown.type = "zzz\x01";
  qtbytes::Image cut = JpegImage();
  cut.data = cut.data.substr(0, cut.data.size() / 2);
  qtbytes::Image noise = JpegImage();
  for (size_t i = 200; i < noise.data.size() - 2; ++i)
    noise.data[i] = static_cast<char>(i * 7919 % 251);
  qtbytes::Image wide = JpegImage();
  wide.width = 20000;
  wide.height = 10;
  qtbytes::Image rawShort = RawImage(10, 10);
  rawShort.data.resize(299);  // one byte short of 10 x 10 x 3
  qtbytes::Image dense = JpegImage();
  dense.width = dense.height = 16384;  // 16384 pixels a byte at most
  dense.data.resize(16383);
  qtbytes::Image edge = dense;  // as many pixels as the data describes
  edge.data.resize(16384);
  qtbytes::Image matte = JpegImage();
  matte.matte = std::string(10, '\0');
  const std::string body = qtbytes::Body(JpegImage());
  const std::string matteBody = qtbytes::Body(matte);
  std::string matteTooLong = matteBody;
  matteTooLong.replace(38, 4, U32(int64_t(matteBody.size())));
  std::string descriptionTooLong = body;
  descriptionTooLong.replace(68, 4, U32(int64_t(body.size())));
  std::string descriptionTooShort = body;
  descriptionTooShort.replace(68, 4, U32(85));
  const struct {
    const char *what;
    std::string opcode;
    std::string err;
  } cases[] = {
      {"length shorter than the head", qtbytes::Opcode(body.substr(0, 60), 60),
       "MSG 1029 ?\n"},
      {"length ends in the description",
       qtbytes::Opcode(body.substr(0, 100), 100), "MSG 1029 ?\n"},
      {"matte beyond the length",
       qtbytes::Opcode(matteTooLong, int64_t(matteTooLong.size())),
       "MSG 1029 ?\n"},
      {"description beyond the length",
       qtbytes::Opcode(descriptionTooLong, int64_t(body.size())),
       "MSG 1029 jpeg\n"},
      {"description shorter than its fields",
       qtbytes::Opcode(descriptionTooShort, int64_t(body.size())),
       "MSG 1029 jpeg\n"},
      {"data size beyond the length", qtbytes::Opcode(shortData),
       "MSG 1029 jpeg\n"},
      {"no width", qtbytes::Opcode(zeroWidth), "MSG 1029 jpeg\n"},
      {"unknown codec", qtbytes::Opcode(unknown), "MSG 1028 zzz\\x01\n"},
      {"wider than 16384", qtbytes::Opcode(wide),
       "MSG 1030 jpeg 20000 x 10 pixels\n"},
      {"more pixels than raw data holds", qtbytes::Opcode(rawShort),
       "MSG 1030 raw  10 x 10 pixels in 299 bytes\n"},
      {"more pixels than data describes", qtbytes::Opcode(dense),
       "MSG 1030 jpeg 16384 x 16384 pixels in 16383 bytes\n"},
      {"as many pixels as the data describes", qtbytes::Opcode(edge),
       kDecodes ? "MSG 1029 jpeg\n" : noSupport},
      {"data cut short", qtbytes::Opcode(cut),
       kDecodes ? "MSG 1029 jpeg\n" : noSupport},
      {"data damaged", qtbytes::Opcode(noise),
       kDecodes ? "MSG 1029 jpeg\n" : noSupport},
  };
  for (const auto &c : cases) {
    Result r = Convert(c.opcode + kAfter);
    EXPECT_EQ(r.status, 0) << c.what;
    EXPECT_EQ(r.err, c.err) << c.what;
    EXPECT_EQ(Count(r.out, "<ImportObject"), 0u) << c.what;
    EXPECT_EQ(Count(r.out, "<Rectangle"), 1u) << c.what;
  }
}

// A length beyond what is converted is refused before anything is held
// (the data would be 2 GB); its bytes are then skipped, and here the input
// ends among them.
TEST(QuickTime, HugeLengthIsRefusedBeforeItsBytesAreRead) {
  qtbytes::Image image = JpegImage();
  image.dataSize = 0;  // up to the end of the length
  const std::string body = qtbytes::Body(image);
  const int64_t length = 0x7FFFFFF0;
  Result r = Convert(qtbytes::Opcode(body, length) + kAfter);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "MSG 1030 jpeg " + std::to_string(length - 68 - 86) +
                       " bytes of data\nMSG 1008\n");
}

// Without -full the opcode is skipped as before: the document is the one
// of the picture without it. With -full the image comes before the
// rectangle.
TEST(QuickTime, WithoutFullTheImageIsSkipped) {
  const std::string image = qtbytes::Opcode(RawImage(8, 4));
  for (const std::vector<std::string> &args :
       {std::vector<std::string>{}, {"-s", "1.5", "-l"}}) {
    Result with = Convert(image + kAfter, args);
    Result without = Convert(kAfter, args);
    EXPECT_EQ(with.status, 0);
    EXPECT_EQ(with.out, without.out);
    EXPECT_EQ(with.err, without.err);
  }
  if (!kDecodes) return;
  Result full = Convert(image + kAfter);
  EXPECT_EQ(full.err, "");
  EXPECT_LT(full.out.find("<ImportObject"), full.out.find("<Rectangle"));
}

// The stand-in QuickTime writes behind an image (a bitmap copy, the
// "decompressor needed" text in lines) is not drawn once the image is
// converted; the pen and text settings among it still hold. Behind an image
// that is left out, it is drawn.
TEST(QuickTime, TheStandInOfAConvertedImageIsNotDrawn) {
  SKIP_WITHOUT_QUICKTIME();
  const std::string bitmap = U16(0x98) + U16(2) + RectBytes(0, 0, 2, 16) +
                             RectBytes(0, 0, 2, 16) + RectBytes(0, 0, 8, 64) +
                             U16(0) + Hex("FFFF 0000");
  const std::string text = Hex("0003 0014 000D 000C 0007 0002 0002") +
                           U16(0x28) + U16(20) + U16(10) + "\x05Need!" +
                           U16(0x29) + "\x08\x03QT!" + '\0';
  const std::string standIn = bitmap + text;
  qtbytes::Image unknown = RawImage(8, 4);
  unknown.type = "zzzz";
  Result converted = Convert(qtbytes::Opcode(RawImage(8, 4)) + standIn +
                             U16(0x30) + RectBytes(5, 5, 15, 25));
  EXPECT_EQ(converted.err, "");
  EXPECT_EQ(Count(converted.out, "<ImportObject"), 1u);
  EXPECT_EQ(Count(converted.out, "<TextLine"), 0u);
  // The 2 x 2 pen set inside the stand-in frames the rectangle.
  EXPECT_NE(converted.out.find("<PenWidth 2.000>"), std::string::npos)
      << converted.out;
  Result leftOut = Convert(qtbytes::Opcode(unknown) + standIn);
  EXPECT_EQ(leftOut.err, "MSG 1028 zzzz\nMSG 1026 pictfonts.cfg\n");
  EXPECT_EQ(Count(leftOut.out, "<ImportObject"), 1u);
  EXPECT_EQ(Count(leftOut.out, "<TextLine"), 2u);
}

#ifdef PICTTOTOV_QUICKTIME

using codechelpers::Rgb;

// Known pixels: red across, green down, blue in squares of 8, and a white
// bar.
Rgb TestPixels(int width, int height) {
  Rgb rgb;
  rgb.width = width;
  rgb.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      bool bar = y >= height / 2 && y < height / 2 + 4;
      rgb.pixels += {static_cast<char>(bar ? 255 : x * 255 / (width - 1)),
                     static_cast<char>(bar ? 255 : y * 255 / (height - 1)),
                     static_cast<char>(bar                   ? 255
                                       : (x / 8 + y / 8) % 2 ? 220
                                                             : 30)};
    }
  return rgb;
}

// The largest difference of the mean of a channel over a block of 8 x 8
// pixels between the facet and the source: the fixed map's error diffusion
// keeps local means, but for the errors it drops where a component is
// clamped near 0 or 255.
double BlockDistance(const facets::Image &facet, const Rgb &source) {
  double worst = 0;
  for (int by = 0; by < source.height; by += 8)
    for (int bx = 0; bx < source.width; bx += 8) {
      double sum[3] = {}, want[3] = {};
      for (int y = by; y < by + 8 && y < source.height; ++y)
        for (int x = bx; x < bx + 8 && x < source.width; ++x) {
          int rgb[3];
          facet.Rgb(x, y, rgb);
          for (int c = 0; c < 3; ++c) {
            sum[c] += rgb[c];
            want[c] += source.At(x, y, c);
          }
        }
      for (int c = 0; c < 3; ++c)
        worst = std::fmax(worst, std::fabs(sum[c] - want[c]) / 64);
    }
  return worst;
}

// Mean absolute difference per pixel and channel.
double MeanDifference(const facets::Image &facet, const Rgb &source) {
  double sum = 0;
  for (int y = 0; y < source.height; ++y)
    for (int x = 0; x < source.width; ++x) {
      int rgb[3];
      facet.Rgb(x, y, rgb);
      for (int c = 0; c < 3; ++c) sum += std::abs(rgb[c] - source.At(x, y, c));
    }
  return sum / (3.0 * source.width * source.height);
}

// Every encoder libavcodec has for a QuickTime codec, from the same known
// pixels: one facet of the image's size at the image's place, whose blocks
// keep the means of the data decoded here directly (the fixed map's and
// the diffusion's loss), which itself is within the codec's loss of the
// pixels.
TEST(QuickTimeCodecs, EachEncoderRoundTripsWithinItsLoss) {
  constexpr int kWidth = 48, kHeight = 32;
  const Rgb pixels = TestPixels(kWidth, kHeight);
  const struct {
    const char *type;
    const char *encoder;
    const char *decoder;
    AVPixelFormat format;
    int depth;
    double codecLoss;  // mean difference of a pixel
    // Block means of the facet against the decode: the filter brings the
    // colours to RGB with bicubic chroma, the decode here with libswscale's
    // defaults; they differ most where the colour changes inside
    // Sorenson's 4 x 4 chroma cells.
    double blockLoss = 8;
  } codecs[] = {
      {"jpeg", "mjpeg", "mjpeg", AV_PIX_FMT_YUVJ420P, 24, 6},
      {"png ", "png", "png", AV_PIX_FMT_RGB24, 24, 0},
      {"rpza", "rpza", "rpza", AV_PIX_FMT_RGB555LE, 16, 8},
      {"cvid", "cinepak", "cinepak", AV_PIX_FMT_RGB24, 24, 12},
      {"SVQ1", "svq1", "svq1", AV_PIX_FMT_YUV410P, 24, 30, 12},
      {"rle ", "qtrle", "qtrle", AV_PIX_FMT_RGB24, 24, 0},
      {"rle ", "qtrle", "qtrle", AV_PIX_FMT_RGB555BE, 16, 4},
      {"rle ", "qtrle", "qtrle", AV_PIX_FMT_ARGB, 32, 0},
      {"raw ", "rawvideo", "rawvideo", AV_PIX_FMT_RGB24, 24, 0},
      {"raw ", "rawvideo", "rawvideo", AV_PIX_FMT_RGB555BE, 16, 4},
      {"raw ", "rawvideo", "rawvideo", AV_PIX_FMT_ARGB, 32, 0},
  };
  for (const auto &codec : codecs) {
    SCOPED_TRACE(std::string(codec.encoder) + " as '" + codec.type + "'");
    qtbytes::Image image;
    image.type = codec.type;
    image.width = kWidth;
    image.height = kHeight;
    image.depth = codec.depth;
    image.data = codechelpers::Encode(codec.encoder, codec.format, pixels);
    Result r = Convert(qtbytes::Opcode(image));
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    std::vector<facets::Image> facets = facets::Decode(r.out);
    ASSERT_EQ(facets.size(), 1u);
    EXPECT_EQ(facets[0].width, uint32_t{kWidth});
    EXPECT_EQ(facets[0].height, uint32_t{kHeight});
    EXPECT_EQ(facets[0].brect, "0.000 0.000 48.000 32.000");
    const Rgb decoded = codechelpers::Decode(codec.decoder, codec.type, kWidth,
                                             kHeight, codec.depth, image.data);
    double codecLoss = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        for (int c = 0; c < 3; ++c)
          codecLoss += std::abs(decoded.At(x, y, c) - pixels.At(x, y, c));
    codecLoss /= 3.0 * kWidth * kHeight;
    EXPECT_LE(codecLoss, codec.codecLoss);
    const double blocks = BlockDistance(facets[0], decoded);
    EXPECT_LE(blocks, codec.blockLoss);
    std::printf(
        "%-8s '%s' %2d bits: codec loss %4.1f; facet against the "
        "decode: block means within %4.1f, mean difference %4.1f\n",
        codec.encoder, codec.type, codec.depth, codecLoss, blocks,
        MeanDifference(facets[0], decoded));
  }
}

// The 256-colour Mac system table for an 8-bit image whose colour table id
// is -1, as far as the test uses it.
std::map<int, uint32_t> StandardColours() {
  return {{0, 0xFFFFFF},   {5, 0xFFFF00},   {35, 0xFF0000},  {144, 0x33FFFF},
          {215, 0xEE0000}, {225, 0x00EE00}, {235, 0x0000EE}, {245, 0xEEEEEE},
          {254, 0x111111}, {255, 0x000000}};
}

// Indexed images keep their colours exactly: a colour table stored in the
// description (id 0), or the system's standard table (id -1), becomes the
// facet's map and every pixel its index's colour.
TEST(QuickTimeCodecs, IndexedImagesKeepTheirColourTable) {
  constexpr int kWidth = 20, kHeight = 12;
  const std::map<int, uint32_t> standard = StandardColours();
  std::vector<int> used;
  for (const auto &[index, colour] : standard) used.push_back(index);
  std::string indexes;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      indexes += static_cast<char>(used[(x / 4 + y / 3) % used.size()]);
  uint32_t stored[256], system[256];
  std::string table = U32(0) + U16(0) + U16(255);
  for (int i = 0; i < 256; ++i) {
    stored[i] = 0xFF000000u | uint32_t(i) << 16 | uint32_t(255 - i) << 8 |
                uint32_t(i * 37 % 256);
    auto found = standard.find(i);
    system[i] = 0xFF000000u | (found == standard.end() ? 0 : found->second);
    table += U16(i) + U16(((stored[i] >> 16) & 255) * 257) +
             U16(((stored[i] >> 8) & 255) * 257) + U16((stored[i] & 255) * 257);
  }
  Rgb size;
  size.width = kWidth;
  size.height = kHeight;
  const struct {
    const char *type;
    const char *encoder;
    int tableId;
    const uint32_t *colours;
  } cases[] = {
      {"smc ", "smc", 0, stored},
      {"smc ", "smc", -1, system},
      {"raw ", "rawvideo", 0, stored},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.type) + " table " + std::to_string(c.tableId));
    qtbytes::Image image;
    image.type = c.type;
    image.width = kWidth;
    image.height = kHeight;
    image.depth = 8;
    image.colorTableId = c.tableId;
    if (c.tableId == 0) image.extensions = table;
    image.data = codechelpers::Encode(c.encoder, AV_PIX_FMT_PAL8, size, indexes,
                                      c.colours);
    // The raw encoder appends the palette; QuickTime's raw data is the
    // rows alone.
    if (std::string(c.encoder) == "rawvideo") image.data.resize(indexes.size());
    Result r = Convert(qtbytes::Opcode(image));
    EXPECT_EQ(r.err, "");
    std::vector<facets::Image> facets = facets::Decode(r.out);
    ASSERT_EQ(facets.size(), 1u);
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        int rgb[3];
        facets[0].Rgb(x, y, rgb);
        uint32_t want =
            c.colours[static_cast<unsigned char>(indexes[y * kWidth + x])];
        wrong += rgb[0] != int(want >> 16 & 255) ||
                 rgb[1] != int(want >> 8 & 255) || rgb[2] != int(want & 255);
      }
    EXPECT_EQ(wrong, 0);
  }
}

// The destination is the source rectangle mapped by the matrix (the
// bounding box under rotation), then the usual scale; a source rectangle
// inside the image crops it.
TEST(QuickTimeCodecs, MatrixAndSourceRectanglePlaceAndCrop) {
  const qtbytes::Image raw = RawImage(8, 4);
  const struct {
    const char *what;
    std::string matrix, source;
    std::vector<std::string> args;
    std::string brect;
    uint32_t width, height, firstColumn;
  } cases[] = {
      {"identity",
       qtbytes::Identity(),
       "",
       {},
       "0.000 0.000 8.000 4.000",
       8,
       4,
       0},
      {"scaled and moved",
       qtbytes::Matrix(2, 0, 0, 1.5, 10, 20.25),
       "",
       {},
       "10.000 20.000 16.000 6.000",
       8,
       4,
       0},
      {"turned a quarter",
       qtbytes::Matrix(0, 1, -1, 0, 30, 0),
       "",
       {},
       "26.000 0.000 4.000 8.000",
       8,
       4,
       0},
      {"then -s 2",
       qtbytes::Matrix(2, 0, 0, 2, 10, 20),
       "",
       {"-s", "2"},
       "20.000 40.000 32.000 16.000",
       8,
       4,
       0},
      {"cropped",
       qtbytes::Matrix(1, 0, 0, 1, 5, 0),
       RectBytes(1, 2, 3, 6),
       {},
       "7.000 1.000 4.000 2.000",
       4,
       2,
       2},
      {"source outside",
       qtbytes::Identity(),
       RectBytes(10, 10, 20, 20),
       {},
       "0.000 0.000 8.000 4.000",
       8,
       4,
       0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    qtbytes::Image image = raw;
    image.matrix = c.matrix;
    image.source = c.source;
    std::vector<std::string> args = c.args;
    args.push_back("-full");
    Result r = Convert(qtbytes::Opcode(image), args);
    EXPECT_EQ(r.err, "");
    std::vector<facets::Image> facets = facets::Decode(r.out);
    ASSERT_EQ(facets.size(), 1u);
    EXPECT_EQ(facets[0].brect, c.brect);
    ASSERT_EQ(facets[0].width, c.width);
    ASSERT_EQ(facets[0].height, c.height);
    // The first column's red is the source column's, within the map's step.
    int rgb[3];
    facets[0].Rgb(0, 0, rgb);
    EXPECT_NEAR(rgb[0], c.firstColumn * 255 / 7, 26);
  }
}

// The libraries missing: each image gets the message naming the first
// library that can't be loaded, and the conversion goes on; found again,
// they decode.
TEST(QuickTimeLibraries, MissingLibrariesAreReportedForEachImage) {
  ASSERT_TRUE(srefixture::Load());
  const std::string picture = pictbytes::PictV2(
      qtbytes::Opcode(RawImage(8, 4)) + kAfter + qtbytes::Opcode(JpegImage()),
      {}, /*header=*/false);
  ::Options options;
  options.full = true;
  options.frameContents = true;
  for (const char *folder :
       {"/nonexistent/folder", static_cast<const char *>(nullptr)}) {
    SetCodecLibraryFolder(folder);
    ResetConversionRun();
    testchannels::Channels channels(picture);
    testing::internal::CaptureStderr();
    EXPECT_EQ(picttotov(inputFP, outputFP, options), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string out = channels.Output();
    EXPECT_EQ(Count(out, "<Rectangle"), 1u);
    if (folder != nullptr) {
      EXPECT_EQ(err, "MSG 1027 raw  " + std::string(kCodecLibraryNames[0]) +
                         "\nMSG 1027 jpeg " + kCodecLibraryNames[0] + "\n");
      EXPECT_EQ(Count(out, "<ImportObject"), 0u);
    } else {
      EXPECT_EQ(err, "");
      EXPECT_EQ(Count(out, "<ImportObject"), 2u);
    }
  }
}

// The names the loader opens are the versions of the headers the build
// was made against.
TEST(QuickTimeLibraries, NamesAreTheHeadersMajorVersions) {
  const std::string expected[] = {
      "libavutil.so." + std::to_string(LIBAVUTIL_VERSION_MAJOR),
      "libswscale.so." + std::to_string(LIBSWSCALE_VERSION_MAJOR),
      "libavcodec.so." + std::to_string(LIBAVCODEC_VERSION_MAJOR)};
  for (int i = 0; i < kCodecLibraryCount; ++i)
    EXPECT_EQ(kCodecLibraryNames[i], expected[i]);
}

// The top left width x height pixels of an image.
Rgb TopLeft(const Rgb &image, int width, int height) {
  Rgb part;
  part.width = width;
  part.height = height;
  for (int y = 0; y < height; ++y)
    part.pixels +=
        image.pixels.substr(size_t{3} * y * image.width, size_t{3} * width);
  return part;
}

// The corpus's QuickTime images: every one converted, with its place, and
// each within a small colour distance of the same data decoded here on a
// path of its own (libavcodec called directly, libswscale's defaults).
// qdv-QuickTime_sorenson's clip, 40 wide and 263 high at the frame's
// corner, keeps that part of its image, the top left of the decode.
TEST(QuickTimeCorpus, TenImagesMatchAnIndependentDecode) {
  const std::map<std::string, const char *> decoders = {{"jpeg", "mjpeg"},
                                                        {"rpza", "rpza"},
                                                        {"SVQ1", "svq1"},
                                                        {"cvid", "cinepak"},
                                                        {"raw ", "rawvideo"}};
  const struct {
    const char *picture;
    std::vector<std::string> brects;
  } pictures[] = {
      {"tm-J19.pict",
       {"0.000 0.000 640.000 192.000", "0.000 192.000 640.000 192.000",
        "0.000 384.000 640.000 96.000"}},
      {"qdv-PhotoShop3Gradient.pict", {"0.000 0.000 128.000 128.000"}},
      {"tm-qt_mire.pict", {"0.000 0.000 64.000 64.000"}},
      {"generated/im-grad-jpeg.pict", {"0.000 0.000 96.000 64.000"}},
      {"qdv-MireRpza.pict", {"0.000 0.000 200.000 150.000"}},
      {"qdv-QuickTime_sorenson.pict", {"0.000 0.000 40.000 263.000"}},
      {"qdv-RegensBurgCinepak.pict", {"0.000 0.000 320.000 240.000"}},
      {"tm-u2.pict", {"0.000 0.000 160.000 159.000"}},
  };
  size_t images = 0;
  for (const auto &p : pictures) {
    SCOPED_TRACE(p.picture);
    const std::string path =
        PICTTOTOV_SOURCE_DIR "/tests/data/corpus/" + std::string(p.picture);
    Options options;
    options.input = Options::Input::kNone;
    Result r = runfilter::Run("", {"-full", path}, options);
    EXPECT_EQ(r.status, 0);
    std::vector<facets::Image> facets = facets::Decode(r.out);
    ASSERT_EQ(facets.size(), p.brects.size());
    // The opcodes, found by their place behind each other: L, the head,
    // no matte or mask in the corpus, the description, the data.
    const std::string bytes = runfilter::ReadFile(path);
    size_t at = 512, found = 0;
    while ((at = bytes.find(std::string("\x82\x00", 2), at)) !=
           std::string::npos) {
      if (at % 2 != 0 || at + 160 > bytes.size()) {
        ++at;
        continue;
      }
      const uint32_t length = facets::Word(bytes, at + 2);
      const std::string body = bytes.substr(at + 6, length);
      const std::string description = body.substr(68, 86);
      const auto decoder = decoders.find(description.substr(4, 4));
      if (decoder == decoders.end() || found >= facets.size()) {
        at += 2;
        continue;
      }
      const int width = static_cast<unsigned char>(description[32]) << 8 |
                        static_cast<unsigned char>(description[33]);
      const int height = static_cast<unsigned char>(description[34]) << 8 |
                         static_cast<unsigned char>(description[35]);
      const int depth = static_cast<unsigned char>(description[83]);
      const facets::Image &facet = facets[found];
      EXPECT_EQ(facet.brect, p.brects[found]);
      Rgb decoded = codechelpers::Decode(
          decoder->second, description.substr(4, 4), width, height, depth,
          body.substr(68 + 86, facets::Word(description, 44)));
      if (std::string(p.picture) == "qdv-QuickTime_sorenson.pict")
        decoded = TopLeft(decoded, 40, 263);
      ASSERT_EQ(facet.width, uint32_t(decoded.width));
      ASSERT_EQ(facet.height, uint32_t(decoded.height));
      const double mean = MeanDifference(facet, decoded);
      const double blocks = BlockDistance(facet, decoded);
      std::printf(
          "%-28s %s %4d x %3d: mean difference %4.1f, block means "
          "within %4.1f\n",
          p.picture, description.substr(4, 4).c_str(), width, height, mean,
          blocks);
      // Most of the difference is the fixed map's: tm-u2's raw pixels,
      // decoded alike, differ by 9.6 a pixel.
      EXPECT_LE(mean, 15.0);
      EXPECT_LE(blocks, 18.0);
      ++found;
      at += 6 + length;
    }
    EXPECT_EQ(found, facets.size());
    images += found;
  }
  EXPECT_EQ(images, 10u);
}

// The QuickTime example converts under -full to its checked document.
TEST(QuickTimeCorpus, ExampleConvertsToItsDocument) {
  const std::string examples = PICTTOTOV_SOURCE_DIR "/examples/";
  Options options;
  options.input = Options::Input::kNone;
  options.workdir = examples;
  Result r =
      runfilter::Run("", {"-full", examples + "quicktime.pict"}, options);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, runfilter::ReadFile(examples + "quicktime.tov"));
}

#else

TEST(QuickTimeCodecs, NeedTheLibraries) { SKIP_WITHOUT_QUICKTIME(); }

#endif

}  // namespace

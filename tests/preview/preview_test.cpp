// The previewer in-process: unreadable documents (message with the line),
// text encodings, and facets read back out of the SVG's PNG pixel for pixel.
#include "preview/preview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "image/image_bytes.h"
#include "pict_bytes.h"
#include "support/run_filter.h"
#include "support/svg_images.h"

namespace {

using imagebytes::RasterHeader;

// Feeds the document in pieces of 3 to 9 bytes; collects the picture.
class Pieces : public tovpreview::Source, public tovpreview::Sink {
 public:
  explicit Pieces(const std::string &text) : text_(text) {}
  size_t Read(char *into, size_t size) override {
    size_t n = std::min({size, text_.size() - at_, piece_});
    text_.copy(into, n, at_);
    at_ += n;
    piece_ = piece_ % 7 + 3;
    return n;
  }
  void Write(const char *data, size_t size) override { svg.append(data, size); }
  std::string svg;

 private:
  const std::string &text_;
  size_t at_ = 0, piece_ = 1;
};

struct Outcome {
  int status;
  std::string svg, message;
};

Outcome Preview(const std::string &tov) {
  Pieces pieces(tov);
  std::string message;
  int status = tovpreview::Preview(pieces, pieces, message);
  return {status, pieces.svg, message};
}

// An image facet carrying `bytes` (raster header, colour map, rows).
std::string Facet(const std::string &bytes) {
  return "=QuireImage\n&%v\n" + imagebytes::Encode(bytes) + "=EndInset\n";
}

// One ImportObject holding `facet` (from line 7) at 10 20 50 25.
std::string Imported(const std::string &facet) {
  return "<Units Upt >\n<ImportObject\n\t<ImportObFile `2.0 internal inset'>\n"
         "\t<Separation 0>\n\t<Fill 15>\n\t<Pen 15>\n" +
         facet +
         "\t<BRect 10.000 20.000 50.000 25.000>\n\t<Angle 0>\n\t<FlipLR "
         "No>\n>\n";
}

// The pixels of every image of `svg`, as RGB bytes, row after row.
std::vector<std::string> ImagePixels(const std::string &svg) {
  std::vector<std::string> pixels;
  for (const svgimages::Image &image : svgimages::Decode(svg))
    pixels.push_back(image.pixels);
  return pixels;
}

const std::string kUnits = "<Units Upt >\n";
const std::string kRect =
    kUnits + "<Rectangle\n\t<Fill 0>\n\t<BRect 0 0 1 1>\n>\n";

// A raster header of eight words.
std::string words(std::vector<uint32_t> values) {
  std::string bytes;
  for (uint32_t value : values) bytes += pictbytes::U32(value);
  return bytes;
}

TEST(PreviewErrors, MessageWithTheLineNumber) {
  const uint32_t kMagic = 0x59A66A95;
  // Documents and their whole messages.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "line 1: not a TOV document: it holds no statement"},
      {"# comments\n# only\n",
       "line 3: not a TOV document: it holds no statement"},
      {"<Document <DPageSize 1 1> >\n",
       "line 1: not a TOV document: it begins with <Document>, not <TOVFile> "
       "or <Units>"},
      {"<TOVFile 4.00> # Generated b",
       "line 1: document ends before its <TextFlow>"},
      {kUnits + "\n", "line 3: document ends before its first object"},
      {kRect + "<TextLine\n\t<String `abc>\n>\n",
       "line 7: string not closed before the end"},
      {kRect + "< Rectangle\n", "line 6: '<' without a statement name"},
      {kRect + ">\n", "line 6: '>' closes no statement"},
      {kRect + "<Ellipse\n\t<Fill 0>\n",
       "line 8: document ends inside <Ellipse> of line 6"},
      {kUnits + "<Rectangle\n\t<BRect 0 0 1x 1>\n>\n",
       "line 3: <BRect>: '1x' is not a number"},
      {kUnits + "<Rectangle\n\t<BRect 0 0 1>\n>\n",
       "line 3: <BRect> needs 4 values"},
      {kUnits + "<Rectangle\n\t<Fill 16>\n>\n",
       "line 3: <Fill> 16 is not a whole number from 0 to 15"},
      {kUnits + "\n\n<Ellipse\n\t<Separation 8>\n>\n",
       "line 5: <Separation> 8 is not a whole number from 0 to 7"},
      {kUnits +
           "<PolyLine\n\t<NumPoints 3>\n\t<Point 0 0 >\n\t<Point 1 1 >\n>\n",
       "line 2: <PolyLine> has 2 points but NumPoints 3"},
      {kUnits + "stray\n", "line 2: value 'stray' outside any statement"},
      {kRect + "&00\n", "line 6: facet line outside an <ImportObject>"},
      {Imported("=QuireImage\n&Y\n=EndInset\n"),
       "line 8: image facet without its '&%v' line"},
      {Imported("=QuireImage\n&%v\n&Y\\x00\\x\n"),
       "line 10: image facet begun on line 7 not ended with '=EndInset'"},
      {Imported(Facet(words({1, 2, 3, 4, 5, 6, 7, 8}))),
       "line 9: image facet without the raster magic number 59A66A95"},
      {Imported(Facet(RasterHeader(2, 2, 4))),
       "line 9: image facet of depth 4 (1 or 8 expected)"},
      {Imported(Facet(words({kMagic, 2, 2, 8, 0, 1, 0, 0}))),
       "line 9: image facet of type 1 (2, run-length encoded, expected)"},
      {Imported(Facet(RasterHeader(70000, 2, 1))),
       "line 9: image facet of 70000 by 2 pixels is too large"},
      {Imported(Facet(words({kMagic, 2, 2, 1, 0, 2, 2, 768}))),
       "line 9: image facet with a colour map of 768 bytes"},
      {Imported(Facet(RasterHeader(16, 3, 1) + "AAAA")),
       "line 10: image facet ends after 2 of 3 rows"},
      {Imported(Facet(RasterHeader(16, 1, 1) + "ABC")),
       "line 9: image facet holds more data than its 16 by 1 pixels"},
      {Imported("=QuireImage\n&%v\n&\\xA\n=EndInset\n"),
       "line 9: image facet: broken hexadecimal digits"},
      {Imported("=QuireImage\n&%v\n&\\q\n=EndInset\n"),
       "line 9: image facet: unknown escape '\\q'"},
  };
  for (const auto &[tov, message] : cases) {
    Outcome outcome = Preview(tov);
    EXPECT_EQ(outcome.status, 1) << tov;
    EXPECT_EQ(outcome.message, message);
  }
}

// Text in its family's encoding (Symbol, Dingbats, else Macintosh); a code
// without a character is dropped; the family's name escaped.
TEST(PreviewText, FamiliesReadInTheirEncodings) {
  const std::string cases[][3] = {
      {"Times", "\\xB7\\xA5", "∑•"},
      {"Symbol", "\\xB7aW\\xAE\\xF0", "•αΩ→"},
      {"Zapf Dingbats", "\\x48\\xA8\\x6C\\xD5", "★♣●→"},
  };
  for (const auto &[family, codes, text] : cases) {
    Outcome outcome = Preview(kUnits + "<TextLine <Font <FFamily `" + family +
                              "'> > <String `" + codes + "'> >\n");
    ASSERT_EQ(outcome.status, 0) << outcome.message;
    EXPECT_NE(outcome.svg.find(">" + text + "</tspan>"), std::string::npos)
        << outcome.svg;
  }
  // A family's name is escaped in its attribute.
  Outcome quoted =
      Preview(kUnits + "<TextLine <Font <FFamily `A\"B<&'> > <String `x'> >\n");
  EXPECT_NE(quoted.svg.find("font-family=\"A&quot;B&lt;&amp;, "),
            std::string::npos)
      << quoted.svg;
}

// Facets at their BRect: an 8-bit image of every colour in runs (256, 194
// across rows, of the escape 0x80); a bitmap (ink black, rows padded to 16
// bits); no pixels and another kind of facet draw nothing.
TEST(PreviewFacet, DecodedToTheirPixelsAtTheirPlace) {
  std::string map, pixels;  // colour i is (i, 255 - i, i)
  for (int plane = 0; plane < 3; ++plane)
    for (int i = 0; i < 256; ++i)
      map += static_cast<char>(plane == 1 ? 255 - i : i);
  for (int i = 0; i < 600; ++i)
    pixels += i < 450 ? "\x11\xEE\x11" : "\x80\x7F\x80";
  std::string bits;  // rows 10101 and 01010
  for (int i = 0; i < 10; ++i) bits.append(3, i % 2 ? '\xFF' : '\0');
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {Facet(RasterHeader(300, 2, 8) + map +
             "\x80\xFF\x11\x80\xC1\x11\x80\x95\x80"),
       {pixels}},
      {Facet(RasterHeader(5, 2, 1) + std::string("\xA8\x00\x57\xFF", 4)),
       {bits}},
      {Facet(RasterHeader(0, 5, 1)), {}},
      {Facet(RasterHeader(7, 0, 1)), {}},
      {"=OtherInset\n&whatever \\x00\n=EndInset\n", {}},
  };
  for (const auto &[facet, images] : cases) {
    Outcome outcome = Preview(Imported(facet));
    ASSERT_EQ(outcome.status, 0) << outcome.message;
    EXPECT_TRUE(ImagePixels(outcome.svg) == images) << facet;
    // The canvas is the image's place.
    for (const char *placed :
         {"\" x=\"10\" y=\"20\" width=\"50\" height=\"25\"/>",
          "viewBox=\"10 20 50 25\""})
      EXPECT_EQ(outcome.svg.find(placed) != std::string::npos, !images.empty());
  }
}

}  // namespace

// Documents the previewer cannot read: a message naming the line, status 1.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/image_bytes.h"
#include "preview_support.h"

namespace {

using imagebytes::RasterHeader;
using previewtest::Facet;
using previewtest::Imported;
using previewtest::Preview;

struct BadCase {
  std::string tov;
  std::string message;  // the whole message
};

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
  const std::vector<BadCase> cases = {
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
  for (const BadCase &c : cases) {
    previewtest::Outcome outcome = Preview(c.tov);
    EXPECT_EQ(outcome.status, 1) << c.tov;
    EXPECT_EQ(outcome.message, c.message);
  }
}

// Every prefix of a document with every kind of object either previews or
// fails with a message; none crashes.
TEST(PreviewErrors, EveryPrefixEndsCleanly) {
  const std::string tov =
      kRect +
      "<TextLine\n\t<TLOrigin 1 2>\n\t<Font \n\t\t<FFamily `T'>\n\t>\n"
      "\t<String `a\\'\\x41 '>\n>\n" +
      imagebytes::kImportHead +
      Facet(RasterHeader(16, 2, 1) + std::string("\0\0\xFF\xFF", 4)) +
      imagebytes::ImportTail("0 0 1 1");
  int failed = 0;
  for (size_t n = 0; n < tov.size(); ++n) {
    previewtest::Outcome outcome = Preview(tov.substr(0, n));
    ASSERT_TRUE(outcome.status == 0 || outcome.message.rfind("line ", 0) == 0)
        << n;
    failed += outcome.status;
  }
  EXPECT_GT(failed, 0);
  EXPECT_EQ(Preview(tov).status, 0);
}

}  // namespace

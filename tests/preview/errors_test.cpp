// Documents the previewer cannot read: a message naming the line, status 1.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "preview_support.h"

namespace {

using previewtest::Facet;
using previewtest::ImportObject;
using previewtest::Objects;
using previewtest::Preview;

struct BadCase {
  const char *what;
  std::string tov;      // a frame-contents document (after the units line)
  std::string message;  // the whole message
};

const std::string kRect = "<Rectangle\n\t<Fill 0>\n\t<BRect 0 0 1 1>\n>\n";

// A facet whose raster header is replaced by `header` (eight words).
std::string facetWithHeader(std::vector<uint32_t> header,
                            const std::string &data) {
  std::string bytes;
  for (uint32_t word : header) {
    for (int shift = 24; shift >= 0; shift -= 8) {
      bytes.push_back(static_cast<char>(word >> shift));
    }
  }
  return "=QuireImage\n&%v\n" + previewtest::EncodeFacetBytes(bytes + data);
}

TEST(PreviewErrors, MessageWithTheLineNumber) {
  const uint32_t kMagic = 0x59A66A95;
  const std::vector<BadCase> cases = {
      {"string not closed", kRect + "<TextLine\n\t<String `abc>\n>\n",
       "line 7: string not closed before the end"},
      {"a lone '<'", kRect + "< Rectangle\n",
       "line 6: '<' without a statement name"},
      {"'>' too many", kRect + ">\n", "line 6: '>' closes no statement"},
      {"document ends inside an object", kRect + "<Ellipse\n\t<Fill 0>\n",
       "line 8: document ends inside <Ellipse> of line 6"},
      {"not a number", "<Rectangle\n\t<BRect 0 0 1x 1>\n>\n",
       "line 3: <BRect>: '1x' is not a number"},
      {"too few values", "<Rectangle\n\t<BRect 0 0 1>\n>\n",
       "line 3: <BRect> needs 4 values"},
      {"fill out of range", "<Rectangle\n\t<Fill 16>\n>\n",
       "line 3: <Fill> 16 is not a whole number from 0 to 15"},
      {"separation out of range", "\n\n<Ellipse\n\t<Separation 8>\n>\n",
       "line 5: <Separation> 8 is not a whole number from 0 to 7"},
      {"points do not match their count",
       "<PolyLine\n\t<NumPoints 3>\n\t<Point 0 0 >\n\t<Point 1 1 >\n>\n",
       "line 2: <PolyLine> has 2 points but NumPoints 3"},
      {"value outside statements", "stray\n",
       "line 2: value 'stray' outside "
       "any statement"},
      {"a facet line outside an image", kRect + "&00\n",
       "line 6: facet line outside an <ImportObject>"},
      {"facet without its version line",
       ImportObject("=QuireImage\n&Y\n=EndInset\n", "0 0 1 1"),
       "line 8: image facet without its '&%v' line"},
      {"facet not ended",
       ImportObject("=QuireImage\n&%v\n&Y\\x00\\x\n", "0 0 1 1"),
       "line 10: image facet begun on line 7 not ended with '=EndInset'"},
      {"bad magic",
       ImportObject(facetWithHeader({1, 2, 3, 4, 5, 6, 7, 8}, ""), "0 0 1 1"),
       "line 9: image facet without the raster magic number 59A66A95"},
      {"depth 4",
       ImportObject(facetWithHeader({kMagic, 2, 2, 4, 0, 2, 0, 0}, ""),
                    "0 0 1 1"),
       "line 9: image facet of depth 4 (1 or 8 expected)"},
      {"not run-length encoded",
       ImportObject(facetWithHeader({kMagic, 2, 2, 8, 0, 1, 0, 0}, ""),
                    "0 0 1 1"),
       "line 9: image facet of type 1 (2, run-length encoded, expected)"},
      {"too large",
       ImportObject(facetWithHeader({kMagic, 70000, 2, 8, 0, 2, 0, 0}, ""),
                    "0 0 1 1"),
       "line 9: image facet of 70000 by 2 pixels is too large"},
      {"bad colour map",
       ImportObject(facetWithHeader({kMagic, 2, 2, 1, 0, 2, 2, 768}, ""),
                    "0 0 1 1"),
       "line 9: image facet with a colour map of 768 bytes"},
      {"rows missing",
       ImportObject(Facet(16, 3, 1, std::string(4, 'A')), "0 0 1 1"),
       "line 10: image facet ends after 2 of 3 rows"},
      {"data beyond the rows",
       ImportObject(facetWithHeader({kMagic, 16, 1, 1, 0, 2, 0, 0}, "ABC"),
                    "0 0 1 1"),
       "line 9: image facet holds more data than its 16 by 1 pixels"},
      {"broken hexadecimal",
       ImportObject("=QuireImage\n&%v\n&\\xA\n=EndInset\n", "0 0 1 1"),
       "line 9: image facet: broken hexadecimal digits"},
      {"unknown escape",
       ImportObject("=QuireImage\n&%v\n&\\q\n=EndInset\n", "0 0 1 1"),
       "line 9: image facet: unknown escape '\\q'"},
      {"statement inside a facet",
       ImportObject("=QuireImage\n&%v\n<BRect 0 0 1 1>\n=EndInset\n",
                    "0 0 1 1"),
       "line 9: image facet begun on line 7 not ended with '=EndInset'"},
  };
  for (const BadCase &c : cases) {
    previewtest::Outcome outcome = Preview(Objects(c.tov));
    EXPECT_EQ(outcome.status, 1) << c.what;
    EXPECT_EQ(outcome.message, c.message) << c.what;
  }
}

// Every prefix of a document with every kind of object either previews or
// fails with a message; none crashes.
TEST(PreviewErrors, EveryPrefixEndsCleanly) {
  const std::string tov = Objects(
      kRect +
      "<TextLine\n\t<TLOrigin 1 2>\n\t<Font \n\t\t<FFamily `T'>\n\t>\n"
      "\t<String `a\\'\\x41 '>\n>\n" +
      ImportObject(Facet(16, 2, 1, std::string("\0\0\xFF\xFF", 4)), "0 0 1 1"));
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

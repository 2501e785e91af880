// Every kind of object, with its attributes, to the SVG elements it draws.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "preview_support.h"

namespace {

using previewtest::Objects;
using previewtest::Preview;

struct ObjectCase {
  const char *what;
  std::string tov;                       // the objects
  std::vector<std::string> expected;     // pieces the SVG holds, in this order
  std::vector<std::string> absent = {};  // pieces it must not hold
};

// Each piece must follow the previous one.
void expectInOrder(const std::string &svg, const ObjectCase &c) {
  size_t at = 0;
  for (const std::string &piece : c.expected) {
    size_t found = svg.find(piece, at);
    ASSERT_NE(found, std::string::npos)
        << c.what << ": no '" << piece << "' after offset " << at << " in\n"
        << svg;
    at = found + piece.size();
  }
  for (const std::string &piece : c.absent) {
    EXPECT_EQ(svg.find(piece), std::string::npos) << c.what << ": " << piece;
  }
}

TEST(PreviewObjects, EachKindWithItsAttributes) {
  const std::vector<ObjectCase> cases = {
      {"framed rectangle",
       "<Rectangle\n\t<Fill 15>\n\t<PenWidth 2.000>\n\t<Separation 0>\n"
       "\t<Pen 0>\n\t<BRect 21.000 21.000 118.000 58.000>\n>\n",
       {"<rect x=\"21\" y=\"21\" width=\"118\" height=\"58\" fill=\"none\" "
        "stroke=\"#000000\" stroke-width=\"2\"/>"}},
      {"rectangle narrower than its pen is the same area",
       "<Rectangle\n\t<Separation 4>\n\t<Fill 0>\n\t<Pen 15>\n"
       "\t<BRect 10 20 -1 -2.5>\n>\n",
       {"<rect x=\"9\" y=\"17.5\" width=\"1\" height=\"2.5\" fill=\"#0000ff\" "
        "stroke=\"none\"/>"}},
      {"rounded rectangle: the radius is the corner's mean diameter",
       "<RoundRect\n\t<Fill 15>\n\t<PenWidth 1.000>\n\t<Separation 3>\n"
       "\t<Pen 0>\n\t<BRect 0.5 0.5 99 49>\n\t<Radius 20.000>\n>\n",
       {"<rect x=\"0.5\" y=\"0.5\" width=\"99\" height=\"49\" rx=\"10\" "
        "fill=\"none\" stroke=\"#00ff00\" stroke-width=\"1\"/>"}},
      {"painted oval in red",
       "<Ellipse\n\t<Separation 2>\n\t<Fill 0>\n\t<Pen 15>\n"
       "\t<PenWidth 0.015>\n\t<BRect 10 20 100 50>\n>\n",
       {"<ellipse cx=\"60\" cy=\"45\" rx=\"50\" ry=\"25\" fill=\"#ff0000\" "
        "stroke=\"none\"/>"}},
      {"tints lighten the separation's colour; 7 is white",
       "<Rectangle\n\t<Separation 4>\n\t<Fill 3>\n\t<PenWidth 1>\n"
       "\t<Pen 1>\n\t<BRect 0 0 1 1>\n>\n"
       "<Rectangle\n\t<Separation 0>\n\t<Fill 7>\n\t<PenWidth 1>\n"
       "\t<Pen 6>\n\t<BRect 0 0 1 1>\n>\n",
       {"fill=\"#8080ff\" stroke=\"#1a1aff\" stroke-width=\"1\"",
        "fill=\"#ffffff\" stroke=\"#f7f7f7\""}},
      {"patterns are defined once per separation and used by fill and pen",
       "<Rectangle\n\t<Separation 2>\n\t<Fill 8>\n\t<Pen 15>\n"
       "\t<BRect 0 0 8 8>\n>\n"
       "<Rectangle\n\t<Separation 2>\n\t<Fill 15>\n\t<PenWidth 4>\n"
       "\t<Pen 8>\n\t<BRect 0 0 8 8>\n>\n"
       "<Rectangle\n\t<Separation 0>\n\t<Fill 14>\n\t<Pen 15>\n"
       "\t<BRect 0 0 8 8>\n>\n",
       // Pattern 8's first row is 0F: bits 4 to 7 are set.
       {"<pattern id=\"pattern8-2\"", "<path d=\"M4 0h1v1h-1zM5 0h1v1h-1z",
        "fill=\"#ff0000\"/></pattern>", "fill=\"url(#pattern8-2)\"",
        "stroke=\"url(#pattern8-2)\"", "<pattern id=\"pattern14-0\"",
        "<path d=\"M0 0h1v1h-1zM1 1h1v1h-1zM2 2h1v1h-1z"}},
      {"framed arc: clockwise degrees from twelve o'clock",
       "<Arc\n\t<Fill 15>\n\t<PenWidth 2>\n\t<Separation 0>\n\t<Pen 0>\n"
       "\t<ArcRect 0 0 100 50>\n\t<ArcTheta 90>\n\t<ArcDTheta 90>\n"
       "\t<HeadCap Butt>\n\t<TailCap Butt>\n>\n",
       {"<path d=\"M100 25 A50 25 0 0 1 50 50\" fill=\"none\" "
        "stroke=\"#000000\" stroke-width=\"2\"/>"},
       {"Z\""}},
      {"filled wedge, counter-clockwise, then its outline",
       "<Arc\n\t<Separation 5>\n\t<Fill 0>\n\t<PenWidth 1>\n\t<Pen 0>\n"
       "\t<ArcRect 0 0 100 100>\n\t<ArcTheta 0>\n\t<ArcDTheta -90>\n>\n",
       {"<path d=\"M50 50 L50 0 A50 50 0 0 0 0 50 Z\" fill=\"#00ffff\" "
        "stroke=\"none\"/>",
        "<path d=\"M50 0 A50 50 0 0 0 0 50\" fill=\"none\" "
        "stroke=\"#00ffff\""}},
      {"a whole turn is drawn in two halves",
       "<Arc\n\t<Fill 15>\n\t<Pen 0>\n\t<ArcRect 0 0 20 20>\n"
       "\t<ArcTheta 0>\n\t<ArcDTheta 360>\n>\n",
       {"<path d=\"M10 0 A10 10 0 0 1 10 20 A10 10 0 0 1 10 0\""}},
      {"line",
       "<PolyLine\n\t<Fill 15>\n\t<PenWidth 1.000>\n\t<Separation 0>"
       "\n\t<Pen 0>\n\t<PenWidth 1.177>\n\t<NumPoints 2>\n"
       "\t<Point 0.588 0.608 >\n\t<Point 100.412 20.392 >\n>\n",
       {"<polyline points=\"0.588 0.608 100.412 20.392\" "
        "stroke-linejoin=\"round\" fill=\"none\" stroke=\"#000000\" "
        "stroke-width=\"1.177\"/>"}},
      {"filled polygon",
       "<Polygon\n\t<Separation 7>\n\t<Fill 0>\n\t<PenWidth 1>\n\t<Pen 0>\n"
       "\t<NumPoints 3>\n\t<Point 0 0 >\n\t<Point 10 0 >\n\t<Point 5 8 >\n>\n",
       {"<polygon points=\"0 0 10 0 5 8\" stroke-linejoin=\"round\" "
        "fill=\"#ffff00\" stroke=\"#ffff00\""}},
      {"smoothed closed polygon: curves through its 13 points, the point "
       "comments passed over",
       "<Polygon\n\t<Fill 15>\n\t<PenWidth 1>\n\t<Pen 0>\n\t<Smoothed Yes>\n"
       "<Comment polyline points\n\t<NumPoints 1>\n\t<Point 99 99>\n>\n"
       "\t<NumPoints 13>\n\t<Point 0 5 >\n\t<Point 0 0 >\n\t<Point 0 0 >\n"
       "\t<Point 5 0 >\n\t<Point 10 0 >\n\t<Point 10 0 >\n\t<Point 10 5 >\n"
       "\t<Point 10 10 >\n\t<Point 10 10 >\n\t<Point 5 10 >\n"
       "\t<Point 0 10 >\n\t<Point 0 10 >\n\t<Point 0 5 >\n>\n",
       {"<path d=\"M0 5 C0 0 0 0 5 0 C10 0 10 0 10 5 C10 10 10 10 5 10 "
        "C0 10 0 10 0 5 Z\""},
       {"99 99"}},
      {"smoothed open polyline of 7 points",
       "<PolyLine\n\t<Fill 15>\n\t<Pen 0>\n\t<Smoothed Yes>\n"
       "\t<NumPoints 7>\n\t<Point 0 0 >\n\t<Point 10 0 >\n\t<Point 10 0 >\n"
       "\t<Point 10 5 >\n\t<Point 10 10 >\n\t<Point 10 10 >\n"
       "\t<Point 20 10 >\n>\n",
       {"<path d=\"M0 0 C10 0 10 0 10 5 C10 10 10 10 20 10\" "}},
      {"smoothed path of two points stays a line",
       "<PolyLine\n\t<Pen 0>\n\t<Smoothed Yes>\n\t<NumPoints 2>\n"
       "\t<Point 0 0 >\n\t<Point 3 4 >\n>\n",
       {"<polyline points=\"0 0 3 4\""}},
      {"text line with its font",
       "<TextLine\n\t<TLAlignment Left>\n\t<Angle 0>\n"
       "\t<TLOrigin 10.000 20.000>\n\t<Font \n\t\t<FFamily `Helvetica'>\n"
       "\t\t<FSize 12.00>\n\t>\n\t<String `Hi'>\n"
       "> # end of non-rotated text line\n",
       {"<text x=\"10\" y=\"20\" text-anchor=\"start\" "
        "xml:space=\"preserve\"><tspan font-family=\"Helvetica, sans-serif\" "
        "font-size=\"12\" fill=\"#000000\">Hi</tspan></text>"}},
      {"escapes decoded, Macintosh characters in UTF-8",
       "<TextLine\n\t<TLOrigin 0 0>\n"
       "\t<String `a\\'b\\>c\\\\d\\x09 e\\xa5 f\\x8e &<'>\n>\n",
       {">a'b&gt;c\\d e\xE2\x80\xA2"
        "f\xC3\xA9&amp;&lt;</tspan>"}},
      {"font state carries over; faces, colour, and a mapped family mid-run",
       "<TextLine\n\t<TLOrigin 0 0>\n\t<Font \n\t\t<FFamily `Courier'>\n"
       "\t\t<FSize 9.00>\n\t\t<FBold Yes>\n\t\t<FItalic Yes>\n"
       "\t\t<FSeparation 2>\n\t>\n\t<String `x'>\n>\n"
       "<TextLine\n\t<TLAlignment Center>\n\t<Angle 0>\n\t<TLOrigin 5 6>\n"
       "\t<Font \n\t\t<FItalic No>\n\t\t<FUnderline Yes>\n\t>\n"
       "\t<String `a'>\n\t<Font \n\t\t<FFamily `Symbol'>\n\t>\n"
       "\t<String `bW.'>\n>\n",
       {"<tspan font-family=\"Courier, monospace\" font-size=\"9\" "
        "font-weight=\"bold\" font-style=\"italic\" fill=\"#ff0000\">x<",
        "text-anchor=\"middle\"",
        "<tspan font-family=\"Courier, monospace\" font-size=\"9\" "
        "font-weight=\"bold\" text-decoration=\"underline\" "
        "fill=\"#ff0000\">a</tspan><tspan font-family=\"Symbol, serif\" "
        "font-size=\"9\" font-weight=\"bold\" text-decoration=\"underline\" "
        // Symbol's b and W are the Greek beta and Omega.
        "fill=\"#ff0000\">\xCE\xB2\xCE\xA9.</tspan></text>"}},
      {"rotated text turns counter-clockwise about its origin; outline face",
       "<TextLine\n\t<TLAlignment Right>\n\t<Angle -90>\n"
       "\t<TLOrigin 30.5 40>\n\t<Font \n\t\t<FOutline Yes>\n\t>\n"
       "\t<String `up'>\n> # end of rotated textline\n",
       {"<text x=\"30.5\" y=\"40\" text-anchor=\"end\" "
        "transform=\"rotate(90 30.5 40)\"",
        "font-size=\"12\" fill=\"white\" stroke=\"#000000\" "
        "stroke-width=\"0.5\">up</tspan>"}},
      {"an empty string draws nothing",
       "<TextLine\n\t<TLOrigin 0 0>\n\t<String `'>\n>\n",
       {"</svg>"},
       {"<text"}},
      {"nested groups become nested <g> elements",
       "<Rectangle\n\t<GroupID 1>\n\t<Fill 0>\n\t<BRect 0 0 1 1>\n>\n"
       "<Rectangle\n\t<GroupID 2>\n\t<Fill 0>\n\t<BRect 2 0 1 1>\n>\n"
       "<Ellipse\n\t<GroupID 2>\n\t<Fill 0>\n\t<BRect 4 0 1 1>\n>\n"
       "<Group \n\t<ID 2>\n\t<GroupID 1>\n>\n<Group \n\t<ID 1>\n>\n"
       "<Rectangle\n\t<Fill 0>\n\t<BRect 6 0 1 1>\n>\n",
       {"<g class=\"group\">\n<rect x=\"0\"",
        "<g class=\"group\">\n<rect x=\"2\"", "<ellipse cx=\"4.5\"",
        "</g>\n</g>\n<rect x=\"6\""}},
      {"groups that follow one another at one level are separate <g>s",
       "<Rectangle\n\t<GroupID 1>\n\t<Fill 0>\n\t<BRect 0 0 1 1>\n>\n"
       "<Rectangle\n\t<GroupID 1>\n\t<Fill 0>\n\t<BRect 2 0 1 1>\n>\n"
       "<Group \n\t<ID 1>\n>\n"
       "<Rectangle\n\t<GroupID 1>\n\t<Fill 0>\n\t<BRect 4 0 1 1>\n>\n",
       {"<g class=\"group\">\n<rect x=\"0\"", "<rect x=\"2\"",
        "</g>\n<g class=\"group\">\n<rect x=\"4\"", "</g>\n</svg>"}},
      {"statements it does not know are passed over",
       "<Mystery 1 `two' <Nested 3>>\n<Rectangle\n\t<Unknown 5>\n"
       "\t<Fill 0>\n\t<BRect 0 0 1 1>\n>\n",
       {"<rect x=\"0\" y=\"0\" width=\"1\" height=\"1\" fill=\"#000000\""}},
  };
  for (const ObjectCase &c : cases) {
    previewtest::Outcome outcome = Preview(Objects(c.tov));
    ASSERT_EQ(outcome.status, 0) << c.what << ": " << outcome.message;
    expectInOrder(outcome.svg, c);
  }
}

// Frame contents are drawn in their own bounding box, strokes included.
TEST(PreviewDocument, FrameContentsInTheirBoundingBox) {
  previewtest::Outcome outcome = Preview(
      Objects("<Rectangle\n\t<Fill 15>\n\t<PenWidth 2>\n\t<Pen 0>\n"
              "\t<BRect -10 5 100 50>\n>\n<PolyLine\n\t<Pen 15>\n\t<Fill 0>\n"
              "\t<NumPoints 2>\n\t<Point 0 0 >\n\t<Point 20 80 >\n>\n"));
  ASSERT_EQ(outcome.status, 0) << outcome.message;
  EXPECT_EQ(outcome.svg.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<svg xmlns=\"http://www.w3.org/2000/svg\""),
            0u);
  EXPECT_NE(outcome.svg.find("width=\"102pt\" height=\"80pt\" "
                             "viewBox=\"-11 0 102 80\">"),
            std::string::npos)
      << outcome.svg;
  EXPECT_EQ(outcome.svg.substr(outcome.svg.size() - 7), "</svg>\n");
}

// A whole document is its page; the anchored frame is centred in the text
// column, and its objects are drawn inside it.
TEST(PreviewDocument, PageWithTheAnchoredFrame) {
  const std::string tov =
      "<TOVFile 4.00> # Generated by picttotov 5.1\n<Units Upt >\n"
      "<Document\n\t<DPageSize 700 800>\n>\n<Page\n <PageType BodyPage>\n"
      " <PageNum `1'>\n <PageSize 700 800>\n <TextRect\n\t<ID 1>\n"
      "\t<Pen 15>\n\t<Fill 15>\n\t<ShapeRect  18 18 576 720>\n >\n>\n"
      "<AFrames\n <Frame\n <ID\t100>\n <FrameType Below>\n"
      " <ShapeRect 0 0 200 100>\n <AnchorAlign Center>\n"
      "<Rectangle\n\t<Fill 0>\n\t<Pen 15>\n\t<BRect 1 2 3 4>\n>\n >\n>\n"
      "<TextFlow\n  <TFTag `A'>\n  <TextRectID 1>\n  <Para\n    <ParaLine\n"
      "      <AFrame 100>\n    >\n  >\n>\n";
  previewtest::Outcome outcome = Preview(tov);
  ASSERT_EQ(outcome.status, 0) << outcome.message;
  ObjectCase page{"page",
                  "",
                  {"width=\"700pt\" height=\"800pt\" viewBox=\"0 0 700 800\">",
                   "<rect x=\"18\" y=\"18\" width=\"576\" height=\"720\"",
                   "<g transform=\"translate(206 18)\">",
                   "<rect x=\"0\" y=\"0\" width=\"200\" height=\"100\"",
                   "<rect x=\"1\" y=\"2\" width=\"3\" height=\"4\" "
                   "fill=\"#000000\"",
                   "</g>\n</svg>\n"}};
  expectInOrder(outcome.svg, page);

  // A document without objects is still a page.
  previewtest::Outcome empty =
      Preview("<Units Upt >\n<Document\n\t<DPageSize 612 792>\n>\n");
  ASSERT_EQ(empty.status, 0) << empty.message;
  EXPECT_NE(empty.svg.find("viewBox=\"0 0 612 792\""), std::string::npos);
}

}  // namespace

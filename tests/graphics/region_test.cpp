// Regions under -full: paint, fill and erase as rectangles, one per band of
// equal rows; frame as closed outlines; the Same variants on the last
// region; bad region data drawn as far as it is sound and read only within
// its size. Without -full they stay skipped.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/convert.h"
#include "support/pict_bytes.h"
#include "support/tov_document.h"

namespace {

using pictbytes::Hex;
using pictbytes::Op2;
using pictbytes::PictV2;
using pictbytes::RectBytes;
using pictbytes::U16;
using tov::BRect;
using tov::Document;
using tov::Filled;
using tov::Framed;
using tov::Object;

using convert::Convert;

// Converts under -full.
runfilter::Result Convert(const std::string &picture) {
  return convert::ConvertFull(picture);
}

// A region: size word, box, then the rows as hex words.
std::string Region(int top, int left, int bottom, int right,
                   const std::string &rows = "") {
  std::string data = Hex(rows);
  return U16(static_cast<int>(10 + data.size())) +
         RectBytes(top, left, bottom, right) + data;
}

// An L: 20 wide for 10 rows, then 10 wide for 10 rows.
const std::string kL = Region(0, 0, 20, 20,
                              "0000 0000 0014 7FFF"
                              "000A 000A 0014 7FFF"
                              "0014 0000 000A 7FFF 7FFF");
// A 30 x 30 square with a 10 x 10 hole.
const std::string kRing = Region(0, 0, 30, 30,
                                 "0000 0000 001E 7FFF 0005 7FFF"
                                 "000A 000A 0014 7FFF"
                                 "0014 000A 0014 7FFF"
                                 "001E 0000 001E 7FFF 7FFF");

std::string Rectangle(const std::string &attributes, const std::string &box,
                      bool grouped) {
  return Object("Rectangle",
                (grouped ? "\t<GroupID 1>\n" : "") + attributes + BRect(box));
}
const std::string kGroup = "<Group \n\t<ID 1>\n>\n";

std::string Polygon(const std::string &points, bool grouped) {
  std::string lines = grouped ? "\t<GroupID 1>\n" : "";
  lines += Framed();
  std::string list;
  int count = 0;
  for (size_t at = 0; at < points.size();) {
    size_t end = points.find(';', at);
    if (end == std::string::npos) end = points.size();
    list += "\t<Point " + points.substr(at, end - at) + " >\n";
    ++count;
    at = end + 1;
  }
  return Object("Polygon",
                lines + "\t<NumPoints " + std::to_string(count) + ">\n" + list);
}

// The fill attributes of paint (pen ink), fill (fill ink) and erase
// (background), with the initial state.
struct Verb {
  int opcode;
  std::string attributes;
};
const Verb kVerbs[] = {{0x81, Filled(0, 0)},    // paint
                       {0x84, Filled(0, 0)},    // fill
                       {0x82, Filled(0, 15)}};  // erase

TEST(Region, RectangularRegionIsOneRectangle) {
  for (const Verb &verb : kVerbs) {
    SCOPED_TRACE(verb.opcode);
    runfilter::Result r =
        Convert(PictV2(Op2(verb.opcode) + Region(10, 20, 30, 60)));
    EXPECT_EQ(r.out, Document(Rectangle(verb.attributes,
                                        "20.000 10.000 40.000 20.000", false)));
  }
}

TEST(Region, ComplexRegionIsAGroupOfBands) {
  for (const Verb &verb : kVerbs) {
    SCOPED_TRACE(verb.opcode);
    runfilter::Result r = Convert(PictV2(Op2(verb.opcode) + kL));
    EXPECT_EQ(r.out, Document(Rectangle(verb.attributes,
                                        "0.000 0.000 20.000 10.000", true) +
                              Rectangle(verb.attributes,
                                        "0.000 10.000 10.000 10.000", true) +
                              kGroup));
  }
  // Rows that change nothing don't split a band; a band with two spans
  // gives two rectangles.
  runfilter::Result r = Convert(PictV2(Op2(0x81) + kRing));
  const std::string &a = kVerbs[0].attributes;
  EXPECT_EQ(r.out, Document(Rectangle(a, "0.000 0.000 30.000 10.000", true) +
                            Rectangle(a, "0.000 10.000 10.000 10.000", true) +
                            Rectangle(a, "20.000 10.000 10.000 10.000", true) +
                            Rectangle(a, "0.000 20.000 30.000 10.000", true) +
                            kGroup));
}

TEST(Region, FrameIsTheOutline) {
  runfilter::Result r = Convert(PictV2(Op2(0x80) + kL));
  EXPECT_EQ(r.out, Document(Polygon("0.000 0.000;20.000 0.000;20.000 10.000;"
                                    "10.000 10.000;10.000 20.000;0.000 20.000",
                                    false)));
  // A hole is an outline of its own; both are grouped.
  r = Convert(PictV2(Op2(0x80) + kRing));
  EXPECT_EQ(r.out, Document(Polygon("0.000 0.000;30.000 0.000;30.000 30.000;"
                                    "0.000 30.000",
                                    true) +
                            Polygon("10.000 10.000;20.000 10.000;"
                                    "20.000 20.000;10.000 20.000",
                                    true) +
                            kGroup));
}

// The Same variants draw the last region, also one only inverted (which
// draws nothing itself).
TEST(Region, SameVariantsDrawTheLastRegion) {
  runfilter::Result r = Convert(PictV2(Op2(0x83) + Region(10, 20, 30, 60) +
                                       Op2(0x89) + Op2(0x8A) + Op2(0x88)));
  EXPECT_EQ(
      r.out,
      Document(Rectangle(Filled(0, 0), "20.000 10.000 40.000 20.000", false) +
               Rectangle(Filled(0, 15), "20.000 10.000 40.000 20.000", false) +
               Polygon("20.000 10.000;60.000 10.000;60.000 30.000;"
                       "20.000 30.000",
                       false)));
  // Before any region they draw nothing.
  r = Convert(PictV2(Op2(0x89) + Op2(0x8C)));
  EXPECT_EQ(r.out, Document(""));
}

// Bad rows end the region where it was last sound: here after the band
// from 0 to 10. The rectangle behind the region shows that exactly the
// region's size was read.
TEST(Region, BadDataIsDrawnAsFarAsItIsSound) {
  const struct {
    const char *what;
    std::string rows;
  } cases[] = {
      {"positions out of order",
       "0000 0000 0014 7FFF 000A 000A 0005 7FFF 0014 0000 0005 000A 0014 7FFF"
       "7FFF"},
      {"positions not ended", "0000 0000 0014 7FFF 000A 0000 0014"},
      {"a row at the y of the one before",
       "0000 0000 0014 7FFF 000A 0000 0014 7FFF 000A 0000 0014 7FFF"
       "0014 0000 0014 7FFF 7FFF"},
      {"rows out of order",
       "0000 0000 0014 7FFF 000A 0000 0014 7FFF 0005 0000 0014 7FFF 7FFF"},
      {"row list not ended",
       "0000 0000 0014 7FFF 000A 0000 0014 7FFF 0014 0000"},
      {"odd number of positions",
       "0000 0000 0014 7FFF 000A 0005 7FFF 0014 0000 0005 0014 7FFF 7FFF"},
      {"spans left open at the end",
       "0000 0000 0014 7FFF 000A 0005 0006 7FFF 7FFF"},
  };
  const std::string next = Op2(0x30) + RectBytes(50, 50, 60, 60);
  const std::string frameRect =
      Object("Rectangle", Framed() + BRect("50.500 50.500 9.000 9.000"));
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    std::string region = Region(0, 0, 20, 20, c.rows);
    runfilter::Result r = Convert(PictV2(Op2(0x81) + region + next));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, Document(Rectangle(Filled(0, 0),
                                        "0.000 0.000 20.000 10.000", false) +
                              frameRect));
    r = Convert(PictV2(Op2(0x80) + region + next));
    EXPECT_EQ(r.out, Document(Polygon("0.000 0.000;20.000 0.000;"
                                      "20.000 10.000;0.000 10.000",
                                      false) +
                              frameRect));
  }
}

// Regions too short for their box, and empty boxes, draw nothing.
TEST(Region, EmptyRegionsDrawNothing) {
  for (const std::string &region :
       {U16(0), U16(6) + Hex("0000 0000"), Region(0, 0, 0, 0),
        Region(10, 10, 5, 20)}) {
    runfilter::Result r =
        Convert(PictV2(Op2(0x81) + region + Op2(0x80) + region));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, Document(""));
  }
}

TEST(Region, SkippedWithoutFull) {
  runfilter::Result r = Convert(PictV2(Op2(0x81) + kL + Op2(0x80) + kRing), {});
  EXPECT_EQ(r.out, Document(""));
}

}  // namespace

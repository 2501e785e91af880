// Whole pictures with images through the built filter: placement, group
// membership, unsupported pixel maps and the opcodes behind images.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/image_bytes.h"
#include "support/pict_bytes.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"
#include "support/tov_document.h"

namespace {

using imagebytes::BitMap;
using imagebytes::ImportTail;
using imagebytes::kImportHead;
using imagebytes::PixMap;
using imagebytes::Placement;
using pictbytes::Hex;
using pictbytes::Op2;
using pictbytes::PictV1;
using pictbytes::PictV2;
using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U8;
using tov::BRect;
using tov::Document;
using tov::Framed;
using tov::Object;

runfilter::Result Convert(const std::string &picture,
                          const std::vector<std::string> &args = {}) {
  runfilter::TempDir dir;
  return runfilter::Run(
      picture, args,
      srefixture::WithMessages(dir, runfilter::Options::Input::kFile));
}

// The worked facet: 16 x 2 pixels, rows 0x0000 and 0xFFFF.
const std::string kRows = Hex("0000 FFFF");
const std::string kFacet =
    "=QuireImage\n&%v\n"
    "&Y\\xA66A95000000100000000200000001000000000000000200000000000000000000"
    "FFFF\\x\n=EndInset\n";

// A version 1 BitsRect of the worked facet placed at the given rectangle.
std::string Image1(int top, int left, int bottom, int right) {
  return U8(0x90) + BitMap(2, 2, 16) + Placement(top, left, bottom, right) +
         kRows;
}
std::string ImageObject(const std::string &box) {
  return kImportHead + kFacet + ImportTail(box);
}

// Placement: the destination rectangle moved by the origin and scaled; the
// width and height are differences of scaled corners in single precision.
TEST(ImagesE2E, PlacementFollowsOriginAndScale) {
  const struct {
    std::string scale, picture, box;
  } cases[] = {
      // Origin (-10, -20), scale 0.5, left 30, top 40, width 100, height 50.
      {"0.5", U8(0x0C) + U16(-20) + U16(-10) + Image1(40, 30, 90, 130),
       "10.000 10.000 50.000 25.000"},
      // 30007 x 3.3 - 30000 x 3.3 in floats is 23.102, not 7 x 3.3.
      {"3.3", Image1(25000, 30000, 25013, 30007),
       "99000.000 82500.000 23.102 42.898"},
  };
  for (const auto &c : cases) {
    runfilter::Result result = Convert(PictV1(c.picture), {"-s", c.scale});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, Document(ImageObject(c.box)));
  }
}

// An image is a member of its group, though it names no group itself.
TEST(ImagesE2E, ImagesCountAsGroupMembers) {
  const std::string begin = U8(0xA0) + U16(140), end = U8(0xA0) + U16(141);
  const std::string image = Image1(0, 0, 2, 16);
  const std::string frame = U8(0x30) + RectBytes(10, 20, 30, 60);
  const std::string object = ImageObject("0.000 0.000 16.000 2.000");
  const std::string group = "<Group \n\t<ID 1>\n>\n";
  const std::string picture = begin + frame + image + end +  // written
                              begin + image + image + end +  // written
                              begin + image + end;           // one member
  const std::string objects =
      Object("Rectangle", "\t<GroupID 1>\n" + Framed() +
                              BRect("20.500 10.500 39.000 19.000")) +
      object + group + object + object + group + object;
  runfilter::Result result = Convert(PictV1(picture));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, Document(objects));
}

// Version 2: a 16-bit pixel map is reported and read past, an image with
// an odd amount of data is followed by its pad byte, and the opcodes behind
// both are read where they stand.
TEST(ImagesE2E, OpcodesBehindImagesOfVersion2) {
  const std::string direct = PixMap(8, 2, 4, 16, {{0, 0, 0}}) +
                             Placement(0, 0, 2, 4) + Hex("02 0102 03 01AABB") +
                             Hex("00");  // pad
  const std::string odd = BitMap(3, 1, 24) + Placement(0, 0, 1, 24) +
                          Hex("FFFFFF") + Hex("00");  // pad
  const std::string frame = Op2(0x30) + RectBytes(10, 20, 30, 60);
  const std::string picture =
      Op2(0x98) + direct + frame + Op2(0x90) + odd + frame;
  const std::string rect =
      Object("Rectangle", Framed() + BRect("20.500 10.500 39.000 19.000"));
  const std::string image =
      kImportHead +
      "=QuireImage\n&%v\n&Y\\xA66A95000000180000000100000001000000000000000200"
      "00000000000000FFFFFF00\\x\n=EndInset\n" +  // the tail byte is 0
      ImportTail("0.000 0.000 24.000 1.000");
  runfilter::Result result = Convert(PictV2(picture));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "MSG 1024 16\n");
  EXPECT_EQ(result.out, Document(rect + image + rect));
}

}  // namespace

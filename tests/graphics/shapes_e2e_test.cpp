// End-to-end tests of rectangles, rounded rectangles, ovals, arcs, groups
// and picture comments: whole pictures through the built filter, whole
// documents compared.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/pict_bytes.h"
#include "support/run_filter.h"
#include "support/tov_document.h"

namespace {

using pictbytes::Hex;
using pictbytes::Op2;
using pictbytes::PictV1;
using pictbytes::PictV2;
using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U32;
using pictbytes::U8;
using tov::BRect;
using tov::Document;
using tov::Filled;
using tov::FilledAndFramed;
using tov::Framed;
using tov::Object;

// top 10, left 20, bottom 30, right 60 under a pen of 1 at scale 1.
const std::string kBox = BRect("20.500 10.500 39.000 19.000");
const std::string kZeroBox = BRect("0.000 0.000 0.000 0.000");
const std::string kSmallBox = BRect("0.500 0.500 9.000 9.000");
const std::string kNoRadius = "\t<Radius 0.000>\n";

std::string Arc(const std::string &attributes, const std::string &box,
                int theta, int dtheta) {
  return Object("Arc", attributes + "\t<ArcRect " + box + ">\n\t<ArcTheta " +
                           std::to_string(theta) + ">\n\t<ArcDTheta " +
                           std::to_string(dtheta) +
                           ">\n\t<HeadCap Butt>\n\t<TailCap Butt>\n");
}

// Converts and expects a clean run.
std::string Convert(const std::string &picture,
                    const std::vector<std::string> &args = {}) {
  runfilter::Result result = runfilter::Run(picture, args);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  return result.out;
}

// Steps of one version 1 picture: their bytes, and the objects each writes.
using Steps = std::vector<std::pair<std::string, std::string>>;
void ExpectSteps(const Steps &steps) {
  std::string picture, objects;
  for (const auto &[bytes, written] : steps) {
    picture += bytes;
    objects += written;
  }
  EXPECT_EQ(Convert(PictV1(picture)), Document(objects));
}

// A version 1 shape opcode with its rectangle.
std::string Rect1(int op, int top, int left, int bottom, int right) {
  return U8(op) + RectBytes(top, left, bottom, right);
}
std::string Shape1(int op) { return Rect1(op, 10, 20, 30, 60); }

// Every verb of the three shape types and their Same variants, with pen,
// fill and background patterns and colours set.
TEST(ShapesE2E, EveryVerbOfEveryShape) {
  const std::string state =
      U8(0x09) + Hex("CC CC CC CC CC CC CC CC") +  // pen ink 10
      U8(0x0A) + Hex("0F 1E 3C 78 F0 E1 C3 87") +  // fill ink 8
      U8(0x02) + Hex("FF FF FF FF FF FF FF FF") +  // background ink 0
      U8(0x0E) + U32(205) +                        // pen, fill sep 2
      U8(0x0F) + U32(409) +                        // background sep 4
      U8(0x0B) + U16(16) + U16(24);                // corner size 20
  const std::string frame = Framed(2, 10), paint = Filled(2, 10),
                    erase = Filled(4, 0), fill = Filled(2, 8);
  struct Shape {
    int base;
    const char *name;
    int top, left, bottom, right;
    std::string box;
  };
  const Shape shapes[] = {
      {0x30, "Rectangle", 10, 20, 30, 60, kBox},
      {0x40, "RoundRect", 0, 0, 50, 100,
       BRect("0.500 0.500 99.000 49.000") + "\t<Radius 20.000>\n"},
      {0x50, "Ellipse", 5, 7, 8, 9, BRect("7.500 5.500 1.000 2.000")},
  };
  std::string picture = state, objects;
  for (const Shape &s : shapes) {
    // frame, paint, erase, fill; then paint-, erase-, fill-, frame-same.
    for (int verb : {0, 1, 2, 4})
      picture += Rect1(s.base + verb, s.top, s.left, s.bottom, s.right);
    for (int verb : {1, 2, 4, 0}) picture += U8(s.base + 8 + verb);
    for (const std::string *a :
         {&frame, &paint, &erase, &fill, &paint, &erase, &fill, &frame})
      objects += Object(s.name, *a + s.box);
  }
  // Each shape type keeps its own last box.
  picture += U8(0x38);
  objects += Object("Rectangle", frame + kBox);
  EXPECT_EQ(Convert(PictV1(picture)), Document(objects));
}

// A fill is held back and merged with a frame-same of its shape type that
// follows at once.
TEST(ShapesE2E, ShapeSequences) {
  const Steps steps = {
      // Same variants before any shape of their type use a zero box.
      {U8(0x39) + U8(0x48) + U8(0x5A),
       Object("Rectangle", Filled() + kZeroBox) +
           Object("RoundRect", Framed() + kZeroBox + kNoRadius) +
           Object("Ellipse", Filled(0, 15) + kZeroBox)},
      // paint, erase, fill, each followed by its frame-same: one object.
      {Shape1(0x31) + U8(0x38) + Shape1(0x42) + U8(0x48),
       Object("Rectangle", FilledAndFramed() + kBox) +
           Object("RoundRect", FilledAndFramed(0, 15) + kBox + kNoRadius)},
      // paintRect then frameSameOval: another shape type, the oval's box is
      // still the initial one.
      {Shape1(0x31) + U8(0x58), Object("Rectangle", Filled() + kBox) +
                                    Object("Ellipse", Framed() + kZeroBox)},
      // fillOval then frameOval (not frame-same): two objects.
      {Shape1(0x54) + Shape1(0x50),
       Object("Ellipse", Filled() + kBox) + Object("Ellipse", Framed() + kBox)},
      // frameRect then paintSameRect: the frame has a pen, so no deferral.
      {Shape1(0x30) + U8(0x39), Object("Rectangle", Framed() + kBox) +
                                    Object("Rectangle", Filled() + kBox)},
      // A frame followed by frame-same: only fills wait for the frame.
      {Shape1(0x40) + U8(0x48),
       Object("RoundRect", Framed() + kBox + kNoRadius) +
           Object("RoundRect", Framed() + kBox + kNoRadius)},
      // An invert in between draws nothing and keeps the box.
      {Shape1(0x31) + Rect1(0x33, 0, 0, 5, 5) + U8(0x38),
       Object("Rectangle", Filled() + kBox) +
           Object("Rectangle", Framed() + kBox)},
      // The fill ink (10 here) merged with the frame.
      {U8(0x0A) + Hex("CC CC CC CC CC CC CC CC") + Shape1(0x54) + U8(0x58),
       Object("Ellipse", FilledAndFramed(0, 10) + kBox)},
      // A 2-unit-wide rectangle under a 3-unit pen: width -1.
      {U8(0x07) + U16(3) + U16(3) + Rect1(0x30, 0, 0, 10, 2),
       Object("Rectangle",
              Framed(0, 0, "3.000") + BRect("1.500 1.500 -1.000 7.000"))},
  };
  ExpectSteps(steps);
}

TEST(ShapesE2E, PenModeTwentyThreeDropsShapes) {
  const std::string mode23 = U8(0x08) + U16(23);
  const std::string mode8 = U8(0x08) + U16(8);
  // The paint is dropped and defers nothing; the frame-same after the mode
  // change frames the dropped paint's box. A frame-same in mode 23 and an
  // arc in mode 23 consume their operands and write nothing.
  const std::string picture =
      mode23 + Shape1(0x31) + U8(0x38) + mode8 + U8(0x38) + mode23 + U8(0x60) +
      RectBytes(0, 0, 5, 5) + U16(0) + U16(90) + U8(0x68) + U16(0) + U16(90) +
      mode8 + Shape1(0x50);
  EXPECT_EQ(Convert(PictV1(picture)),
            Document(Object("Rectangle", Framed() + kBox) +
                     Object("Ellipse", Framed() + kBox)));
}

TEST(ShapesE2E, ScaleOriginAndThinLinesAcrossObjects) {
  const std::string picture =                     //
      Shape1(0x30) +                              // initial pen 1.0, unscaled
      U8(0x07) + U16(2) + U16(2) +                // pen 2 x 2 = 4
      U8(0x0B) + U16(3) + U16(5) +                // corner 4 x 2 = 8
      Rect1(0x40, 0, 0, 10, 10) +                 //
      U8(0x0C) + U16(-5) + U16(-10) +             // origin h -10, v -5
      Shape1(0x50) +                              //
      U8(0x07) + U16(0) + U16(1) + Shape1(0x30);  // pen 0 x 2 = 0
  const std::string objects =
      Object("Rectangle",
             Framed(0, 0, "0.500") + BRect("40.500 20.500 79.000 39.000")) +
      Object("RoundRect", Framed(0, 0, "4.000") +
                              BRect("2.000 2.000 16.000 16.000") +
                              "\t<Radius 8.000>\n") +
      Object("Ellipse",
             Framed(0, 0, "4.000") + BRect("22.000 12.000 76.000 36.000")) +
      Object("Rectangle", "\t<Fill 15>\n\t<Pen 15>\n\t<PenWidth 0.015>\n" +
                              BRect("20.000 10.000 80.000 40.000"));
  EXPECT_EQ(Convert(PictV1(picture), {"-l", "-s", "2"}), Document(objects));
}

TEST(ShapesE2E, ArcsKeepTheirAnglesAndButtCaps) {
  const std::string box = "20.500 10.500 39.000 19.000";
  const std::string arc = RectBytes(10, 20, 30, 60);
  const std::string picture =
      U8(0x6C) + U16(5) + U16(10) +                        // fill-same first
      U8(0x60) + arc + U16(90) + U16(-45) +                // frame
      U8(0x61) + arc + U16(0) + U16(45) +                  // paint ...
      U8(0x68) + U16(180) + U16(270) +                     // ... merged
      U8(0x62) + arc + U16(-90) + U16(400) +               // erase
      U8(0x64) + arc + U16(1) + U16(2) + U8(0x60) + arc +  // fill, frame
      U16(3) + U16(4) + U8(0x69) + U16(7) + U16(8);        // paint-same
  const std::string objects =
      Arc(Filled(), "0.000 0.000 0.000 0.000", 5, 10) +
      Arc(Framed(), box, 90, -45) + Arc(FilledAndFramed(), box, 180, 270) +
      Arc(Filled(0, 15), box, -90, 400) + Arc(Filled(), box, 1, 2) +
      Arc(Framed(), box, 3, 4) + Arc(Filled(), box, 7, 8);
  EXPECT_EQ(Convert(PictV1(picture)), Document(objects));
}

TEST(ShapesE2E, VersionTwo) {
  // A paint merged with the frame-same word that follows; an RGB foreground
  // (pure red); a dithered fill pixel pattern in green; a full pen pixel
  // pattern (2 rows of 2 bytes, one colour) that keeps the separation; then
  // a fill and a frame given with its corners in reverse order.
  const std::string picture =
      Op2(0x31) + RectBytes(10, 20, 30, 60) + Op2(0x38) +    //
      Op2(0x1A) + U16(0xFFFF) + U16(0x0000) + U16(0x00FF) +  //
      Op2(0x14) + U16(2) + Hex("AA 55 AA 55 AA 55 AA 55") + U16(0) +
      U16(0xFF00) + U16(0) +                                           //
      Op2(0x13) + U16(1) + Hex("88 22 88 22 88 22 88 22") +            //
      U16(0x8002) + RectBytes(0, 0, 2, 8) + std::string(36, '\x11') +  //
      std::string(6, '\x11') + U16(0) + std::string(8, '\x11') +    // colours
      Hex("01 02 03 04") + Op2(0x34) + RectBytes(10, 20, 30, 60) +  //
      Op2(0x30) + RectBytes(30, 60, 10, 20);
  EXPECT_EQ(Convert(PictV2(picture)),
            Document(Object("Rectangle", FilledAndFramed() + kBox) +
                     Object("Rectangle", Filled(3, 3) + kBox) +
                     Object("Rectangle", Framed(2, 4) + kBox)));
}

// Short and long picture comments; kinds 140 and 141 open and close groups.
std::string Short(int kind) { return U8(0xA0) + U16(kind); }
std::string Long(int kind, const std::string &payload) {
  return U8(0xA1) + U16(kind) + U16(static_cast<int>(payload.size())) + payload;
}
const std::string kBegin = Short(140);
const std::string kEnd = Short(141);

// A framed rectangle whose left edge is `left`, 10 wide and 10 high.
std::string Frame(int left) { return Rect1(0x30, 0, left, 10, left + 10); }

// The written object of Frame(left), in group `group` (0: none).
std::string InGroup(int left, int group) {
  std::string id =
      group ? "\t<GroupID " + std::to_string(group) + ">\n" : std::string();
  return Object(
      "Rectangle",
      id + Framed() + BRect(std::to_string(left) + ".500 0.500 9.000 9.000"));
}

std::string Group(int id, int enclosing) {
  std::string text = "<Group \n\t<ID " + std::to_string(id) + ">\n";
  if (enclosing) text += "\t<GroupID " + std::to_string(enclosing) + ">\n";
  return text + ">\n";
}

TEST(GroupsE2E, GroupsAndComments) {
  const std::string member = "\t<GroupID 1>\n";
  const Steps steps = {
      // Nested groups; groups side by side share their number.
      {kBegin + Frame(1) + kBegin + Frame(2) + Frame(3) + kEnd + kEnd +
           Frame(4) + kBegin + Frame(5) + Frame(6) + kEnd,
       InGroup(1, 1) + InGroup(2, 2) + InGroup(3, 2) + Group(2, 1) +
           Group(1, 0) + InGroup(4, 0) + InGroup(5, 1) + InGroup(6, 1) +
           Group(1, 0)},
      // An empty group, a group of one, an end without a begin: nothing is
      // written and the number steps back each time.
      {kBegin + kEnd + kBegin + Frame(1) + kEnd + kEnd + Frame(2),
       InGroup(1, 1) + InGroup(2, 0)},
      // One object and one written group make two members.
      {kBegin + Frame(3) + kBegin + Frame(4) + Frame(5) + kEnd + kEnd,
       InGroup(3, 1) + InGroup(4, 2) + InGroup(5, 2) + Group(2, 1) +
           Group(1, 0)},
      // A group that is not written doesn't count as a member: groups 2 and
      // 1 each end with one member.
      {kBegin + Frame(6) + kBegin + kBegin + Frame(7) + Frame(8) + kEnd + kEnd +
           kEnd + Frame(9),
       InGroup(6, 1) + InGroup(7, 3) + InGroup(8, 3) + Group(3, 2) +
           InGroup(9, 0)},
      // Kinds 142 and 143 group too; the group kinds as long comments and an
      // unopened group's end do nothing.
      {Short(142) + Frame(1) + Long(140, "") + Frame(2) + Long(141, "") +
           Short(143) + Short(150) + Frame(3),
       InGroup(1, 1) + InGroup(2, 1) + Group(1, 0) + InGroup(3, 0)},
      // Payloads are consumed: 300 bytes, then 1000, then 10 (the buffer
      // doesn't shrink), then none, and kinds converted elsewhere.
      {Long(100, std::string(300, 'x')) + Frame(1) +
           Long(200, std::string(1000, '\xFF')) + Long(201, "0123456789") +
           Long(202, "") + Long(150, "\x01") + Long(154, "") + Long(164, "") +
           Frame(2),
       InGroup(1, 0) + InGroup(2, 0)},
      // Ovals and arcs are members too.
      {kBegin + Rect1(0x51, 0, 0, 10, 10) + U8(0x59) +
           Rect1(0x60, 0, 0, 10, 10) + U16(0) + U16(90) + kEnd,
       Object("Ellipse", member + Filled() + kSmallBox) +
           Object("Ellipse", member + Filled() + kSmallBox) +
           Arc(member + Framed(), "0.500 0.500 9.000 9.000", 0, 90) +
           Group(1, 0)},
  };
  ExpectSteps(steps);
  // In version 2 a 3-byte payload is followed by a pad byte.
  EXPECT_EQ(Convert(PictV2(Op2(0xA1) + U16(100) + U16(3) + "abc" + U8(0) +
                           Op2(0xA0) + U16(140) + Op2(0x30) +
                           RectBytes(0, 1, 10, 11) + Op2(0x30) +
                           RectBytes(0, 2, 10, 12) + Op2(0xA0) + U16(141))),
            Document(InGroup(1, 1) + InGroup(2, 1) + Group(1, 0)));
}

}  // namespace

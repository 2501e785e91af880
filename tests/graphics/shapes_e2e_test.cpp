// End-to-end tests of rectangles, rounded rectangles, ovals and arcs: whole
// pictures through the built filter, whole documents compared.
#include <gtest/gtest.h>

#include <string>
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

// Attribute blocks of the default state (inks 0, background 15, all
// separations 0, pen width 1).
const std::string kFramed =
    "\t<Fill 15>\n\t<PenWidth 1.000>\n\t<Separation 0>\n\t<Pen 0>\n";
const std::string kPainted =
    "\t<Separation 0>\n\t<Fill 0>\n\t<Pen 15>\n\t<PenWidth 0.015>\n";
const std::string kPaintedAndFramed =
    "\t<Separation 0>\n\t<Fill 0>\n\t<PenWidth 1.000>\n\t<Pen 0>\n";

// top 10, left 20, bottom 30, right 60 under a pen of 1 at scale 1.
const std::string kBox = "\t<BRect 20.500 10.500 39.000 19.000>\n";
const std::string kZeroBox = "\t<BRect 0.000 0.000 0.000 0.000>\n";

std::string Object(const std::string &name, const std::string &body) {
  return "<" + name + "\n" + body + ">\n";
}

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

std::string Rect1(int op, int top, int left, int bottom, int right) {
  return U8(op) + RectBytes(top, left, bottom, right);
}

TEST(ShapesE2E, FramedRectangle) {
  EXPECT_EQ(Convert(PictV1(Rect1(0x30, 10, 20, 30, 60))),
            tov::Document(Object("Rectangle", kFramed + kBox)));
  // Corners in reverse order give the same object; version 2 the same.
  EXPECT_EQ(Convert(PictV2(Op2(0x30) + RectBytes(30, 60, 10, 20))),
            tov::Document(Object("Rectangle", kFramed + kBox)));
}

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
  const std::string frame =
      "\t<Fill 15>\n\t<PenWidth 1.000>\n\t<Separation 2>\n\t<Pen 10>\n";
  const std::string paint =
      "\t<Separation 2>\n\t<Fill 10>\n\t<Pen 15>\n\t<PenWidth 0.015>\n";
  const std::string erase =
      "\t<Separation 4>\n\t<Fill 0>\n\t<Pen 15>\n\t<PenWidth 0.015>\n";
  const std::string fill =
      "\t<Separation 2>\n\t<Fill 8>\n\t<Pen 15>\n\t<PenWidth 0.015>\n";

  struct Shape {
    int base;
    const char *name;
    int top, left, bottom, right;
    std::string box;
  };
  const Shape shapes[] = {
      {0x30, "Rectangle", 10, 20, 30, 60, kBox},
      {0x40, "RoundRect", 0, 0, 50, 100,
       "\t<BRect 0.500 0.500 99.000 49.000>\n\t<Radius 20.000>\n"},
      {0x50, "Ellipse", 5, 7, 8, 9, "\t<BRect 7.500 5.500 1.000 2.000>\n"},
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
  EXPECT_EQ(Convert(PictV1(picture)), tov::Document(objects));
}

TEST(ShapesE2E, FillThenFrameSameIsOneObject) {
  const std::string fillInk = U8(0x0A) + Hex("CC CC CC CC CC CC CC CC");
  const std::string picture =
      fillInk + Rect1(0x31, 10, 20, 30, 60) + U8(0x38) +  // paint, frame
      Rect1(0x42, 10, 20, 30, 60) + U8(0x48) +            // erase, frame
      Rect1(0x54, 10, 20, 30, 60) + U8(0x58);             // fill, frame
  const std::string objects =
      Object("Rectangle", kPaintedAndFramed + kBox) +
      Object("RoundRect",
             "\t<Separation 0>\n\t<Fill 15>\n\t<PenWidth 1.000>\n\t<Pen 0>\n" +
                 kBox + "\t<Radius 0.000>\n") +
      Object("Ellipse",
             "\t<Separation 0>\n\t<Fill 10>\n\t<PenWidth 1.000>\n\t<Pen 0>\n" +
                 kBox);
  EXPECT_EQ(Convert(PictV1(picture)), tov::Document(objects));
  EXPECT_EQ(Convert(PictV2(Op2(0x31) + RectBytes(10, 20, 30, 60) + Op2(0x38))),
            tov::Document(Object("Rectangle", kPaintedAndFramed + kBox)));
}

TEST(ShapesE2E, MergeNearMisses) {
  // fillOval then frameOval (not frame-same): two objects.
  const std::string fillThenFrame =
      Rect1(0x54, 10, 20, 30, 60) + Rect1(0x50, 10, 20, 30, 60);
  EXPECT_EQ(Convert(PictV1(fillThenFrame)),
            tov::Document(Object("Ellipse", kPainted + kBox) +
                          Object("Ellipse", kFramed + kBox)));
  // frameRect then paintSameRect: the frame has a pen, so no deferral.
  EXPECT_EQ(Convert(PictV1(Rect1(0x30, 10, 20, 30, 60) + U8(0x39))),
            tov::Document(Object("Rectangle", kFramed + kBox) +
                          Object("Rectangle", kPainted + kBox)));
  // A frame followed by frame-same: only fills wait for the frame.
  EXPECT_EQ(Convert(PictV1(Rect1(0x40, 10, 20, 30, 60) + U8(0x48))),
            tov::Document(
                Object("RoundRect", kFramed + kBox + "\t<Radius 0.000>\n") +
                Object("RoundRect", kFramed + kBox + "\t<Radius 0.000>\n")));
  // paintRect then frameSameOval: another shape type; the oval's box is
  // still the initial one.
  EXPECT_EQ(Convert(PictV1(Rect1(0x31, 10, 20, 30, 60) + U8(0x58))),
            tov::Document(Object("Rectangle", kPainted + kBox) +
                          Object("Ellipse", kFramed + kZeroBox)));
  // An invert in between: the invert draws nothing and keeps the box.
  EXPECT_EQ(Convert(PictV1(Rect1(0x31, 10, 20, 30, 60) +
                           Rect1(0x33, 0, 0, 5, 5) + U8(0x38))),
            tov::Document(Object("Rectangle", kPainted + kBox) +
                          Object("Rectangle", kFramed + kBox)));
}

TEST(ShapesE2E, SameVariantsBeforeAnyShape) {
  EXPECT_EQ(Convert(PictV1(U8(0x39) + U8(0x48) + U8(0x5A))),
            tov::Document(
                Object("Rectangle", kPainted + kZeroBox) +
                Object("RoundRect", kFramed + kZeroBox + "\t<Radius 0.000>\n") +
                Object("Ellipse",
                       "\t<Separation 0>\n\t<Fill 15>\n\t<Pen 15>\n"
                       "\t<PenWidth 0.015>\n" +
                           kZeroBox)));
}

TEST(ShapesE2E, PenWiderThanTheShape) {
  // A 2-unit-wide rectangle under a 3-unit pen: width -1.
  EXPECT_EQ(
      Convert(PictV1(U8(0x07) + U16(3) + U16(3) + Rect1(0x30, 0, 0, 10, 2))),
      tov::Document(Object("Rectangle",
                           "\t<Fill 15>\n\t<PenWidth 3.000>\n\t<Separation 0>\n"
                           "\t<Pen 0>\n\t<BRect 1.500 1.500 -1.000 7.000>\n")));
}

TEST(ShapesE2E, PenModeTwentyThreeDropsShapes) {
  const std::string mode23 = U8(0x08) + U16(23);
  const std::string mode8 = U8(0x08) + U16(8);
  // The paint is dropped and defers nothing; the frame-same after the mode
  // change frames the dropped paint's box. A frame-same in mode 23 and an
  // arc in mode 23 consume their operands and write nothing.
  const std::string picture =
      mode23 + Rect1(0x31, 10, 20, 30, 60) + U8(0x38) + mode8 + U8(0x38) +
      mode23 + U8(0x60) + RectBytes(0, 0, 5, 5) + U16(0) + U16(90) + U8(0x68) +
      U16(0) + U16(90) + mode8 + Rect1(0x50, 10, 20, 30, 60);
  EXPECT_EQ(Convert(PictV1(picture)),
            tov::Document(Object("Rectangle", kFramed + kBox) +
                          Object("Ellipse", kFramed + kBox)));
}

TEST(ShapesE2E, ScaleOriginAndThinLinesAcrossObjects) {
  const std::string picture =
      Rect1(0x30, 10, 20, 30, 60) +    // initial pen 1.0, unscaled
      U8(0x07) + U16(2) + U16(2) +     // pen 2 x 2 = 4
      U8(0x0B) + U16(3) + U16(5) +     // corner 4 x 2 = 8
      Rect1(0x40, 0, 0, 10, 10) +      //
      U8(0x0C) + U16(-5) + U16(-10) +  // origin h -10, v -5
      Rect1(0x50, 10, 20, 30, 60) +    //
      U8(0x07) + U16(0) + U16(1) +     // pen 0 x 2 = 0
      Rect1(0x30, 10, 20, 30, 60);
  const std::string objects =
      Object("Rectangle",
             "\t<Fill 15>\n\t<PenWidth 0.500>\n\t<Separation 0>\n\t<Pen 0>\n"
             "\t<BRect 40.500 20.500 79.000 39.000>\n") +
      Object("RoundRect",
             "\t<Fill 15>\n\t<PenWidth 4.000>\n\t<Separation 0>\n\t<Pen 0>\n"
             "\t<BRect 2.000 2.000 16.000 16.000>\n\t<Radius 8.000>\n") +
      Object("Ellipse",
             "\t<Fill 15>\n\t<PenWidth 4.000>\n\t<Separation 0>\n\t<Pen 0>\n"
             "\t<BRect 22.000 12.000 76.000 36.000>\n") +
      Object("Rectangle",
             "\t<Fill 15>\n\t<Pen 15>\n\t<PenWidth 0.015>\n"
             "\t<BRect 20.000 10.000 80.000 40.000>\n");
  EXPECT_EQ(Convert(PictV1(picture), {"-l", "-s", "2"}),
            tov::Document(objects));
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
      Arc(kPainted, "0.000 0.000 0.000 0.000", 5, 10) +
      Arc(kFramed, box, 90, -45) + Arc(kPaintedAndFramed, box, 180, 270) +
      Arc("\t<Separation 0>\n\t<Fill 15>\n\t<Pen 15>\n\t<PenWidth 0.015>\n",
          box, -90, 400) +
      Arc(kPainted, box, 1, 2) + Arc(kFramed, box, 3, 4) +
      Arc(kPainted, box, 7, 8);
  EXPECT_EQ(Convert(PictV1(picture)), tov::Document(objects));
}

TEST(ShapesE2E, StateOpcodesInVersionTwo) {
  // RGB foreground (pure red), a dithered fill pixel pattern in green, and a
  // pen pattern; then a fill and a frame.
  const std::string picture =
      Op2(0x1A) + U16(0xFFFF) + U16(0x0000) + U16(0x00FF) +  //
      Op2(0x14) + U16(2) + Hex("AA 55 AA 55 AA 55 AA 55") + U16(0) +
      U16(0xFF00) + U16(0) +                        //
      Op2(0x09) + Hex("88 22 88 22 88 22 88 22") +  //
      Op2(0x34) + RectBytes(10, 20, 30, 60) +       //
      Op2(0x30) + RectBytes(10, 20, 30, 60);
  EXPECT_EQ(Convert(PictV2(picture)),
            tov::Document(
                Object("Rectangle",
                       "\t<Separation 3>\n\t<Fill 3>\n\t<Pen 15>\n\t<PenWidth "
                       "0.015>\n" +
                           kBox) +
                Object("Rectangle",
                       "\t<Fill 15>\n\t<PenWidth 1.000>\n\t<Separation 2>\n"
                       "\t<Pen 4>\n" +
                           kBox)));
}

}  // namespace

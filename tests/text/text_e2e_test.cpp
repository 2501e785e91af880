// End-to-end tests of text lines and rotated text: whole pictures through
// the built filter, with a font-mapping file in the filter's working
// directory, whole documents compared.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/pict_bytes.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"
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
using runfilter::Options;
using runfilter::Result;
using tov::Document;

// Font 3 is Helvetica, its "a" is written in Symbol and its A5 as B7; font
// 20 is Courier New; font 0 and every other font have no family.
const char kFonts[] =
    "# fonts of the test pictures\n"
    "3 \"Helvetica\"\n"
    "\\x61 \"Symbol\" \\x61\n"
    "\\xA5 \\xB7\n"
    "20 \"Courier New\"\n";

// Runs the filter in a fresh directory holding the test messages and, when
// `fonts` is given, a pictfonts.cfg with that text.
Result RunIn(const std::string &picture, const char *fonts,
             const std::vector<std::string> &args = {}) {
  runfilter::TempDir dir;
  Options options = srefixture::WithMessages(dir, Options::Input::kFile);
  if (fonts != nullptr) dir.Write("pictfonts.cfg", fonts);
  return runfilter::Run(picture, args, options);
}

// Converts with kFonts and expects a clean run.
std::string Convert(const std::string &picture,
                    const std::vector<std::string> &args = {}) {
  Result result = RunIn(picture, kFonts, args);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  return result.out;
}

// Version 1 text opcodes; runs are at most 255 bytes.
std::string Counted(const std::string &text) {
  return U8(static_cast<unsigned>(text.size())) + text;
}
std::string LongText(int h, int v, const std::string &text) {
  return U8(0x28) + U16(v) + U16(h) + Counted(text);
}
std::string DHText(int dh, const std::string &text) {
  return U8(0x29) + U8(dh) + Counted(text);
}
std::string DVText(int dv, const std::string &text) {
  return U8(0x2A) + U8(dv) + Counted(text);
}
std::string DHDVText(int dh, int dv, const std::string &text) {
  return U8(0x2B) + U8(dh) + U8(dv) + Counted(text);
}
std::string TxFont(int font) { return U8(0x03) + U16(font); }
std::string TxFace(int face) { return U8(0x04) + U8(face); }
std::string TxSize(int size) { return U8(0x0D) + U16(size); }

// Picture comments of a version 1 picture.
std::string Short(int kind) { return U8(0xA0) + U16(kind); }
std::string Long(int kind, const std::string &payload) {
  return U8(0xA1) + U16(kind) + U16(static_cast<int>(payload.size())) + payload;
}
// Text begin: justification byte, a byte not read, the angle word.
std::string TextBegin(int justification, int angle) {
  return Long(150, U8(justification) + U8(0) + U16(angle));
}
// Text centre: two 16.16 numbers, vertical first.
std::string TextCenter(int y, int x) {
  return Long(154, U32(int64_t{y} * 65536) + U32(int64_t{x} * 65536));
}
const std::string kTextEnd = Short(151);

// Expected statements.
std::string Font(const std::string &lines) {
  return "\t<Font \n" + lines + "\t>\n";
}
std::string Family(const std::string &name) {
  return "\t\t<FFamily `" + name + "'>\n";
}
std::string Str(const std::string &text) {
  return "\t<String `" + text + "'>\n";
}
std::string Line(const std::string &origin, const std::string &body,
                 const std::string &group = "") {
  return "<TextLine\n" + group +
         "\t<TLAlignment Left>\n\t<Angle 0>\n\t<TLOrigin " + origin + ">\n" +
         body + "> # end of non-rotated text line\n";
}
std::string Rotated(const std::string &alignment, int angle,
                    const std::string &origin, const std::string &body,
                    const std::string &group = "") {
  return "<TextLine\n" + group + "\t<TLAlignment " + alignment +
         ">\n\t<Angle " + std::to_string(angle) + ">\n\t<TLOrigin " + origin +
         ">\n" + body + "> # end of rotated textline\n\n";
}

// Steps of one version 1 picture: their bytes, and what each writes.
using Steps = std::vector<std::pair<std::string, std::string>>;
void ExpectSteps(const Steps &steps,
                 const std::vector<std::string> &args = {}) {
  std::string picture, objects;
  for (const auto &[bytes, written] : steps) {
    picture += bytes;
    objects += written;
  }
  EXPECT_EQ(Convert(PictV1(picture), args), Document(objects));
}

TEST(TextE2E, RunsFontStatementsAndEscapes) {
  const std::string times = Family("Times"), helvetica = Family("Helvetica");
  const Steps steps = {
      // Font 0 has no family: the starting Times. Size 0: no FSize.
      {LongText(10, 20, "Hi"), Line("10.000 20.000", Font(times) + Str("Hi"))},
      // Nothing changed: no Font statement.
      {DHText(5, "x"), Line("15.000 20.000", Str("x"))},
      // A size of 0 is 12.
      {TxFont(3) + TxSize(0) + LongText(0, 0, "x"),
       Line("0.000 0.000", Font(helvetica + "\t\t<FSize 12.00>\n") + Str("x"))},
      // Quote, ">" and backslash escaped; control bytes, DEL and high
      // bytes as hexadecimal (A5 mapped to B7); carriage returns dropped.
      {LongText(1, 2, "' >\\~\t\x7f\x01\r\xff\xa5\r"),
       Line("1.000 2.000", Str("\\' \\>\\\\~\\x09 \\x7f \\x01 \\xff \\xb7 "))},
      // A character of another family in the middle of a run and at its
      // start.
      {LongText(0, 0, "bab"),
       Line("0.000 0.000", Str("b") + Font(Family("Symbol")) + Str("a") +
                               Font(helvetica) + Str("b"))},
      {LongText(0, 0, "ab"),
       Line("0.000 0.000", Str("") + Font(Family("Symbol")) + Str("a") +
                               Font(helvetica) + Str("b"))},
      // Face bits 0 to 4 in order; bits 5 and 6 are compared but have no
      // statement of their own.
      {TxFace(0x05) + LongText(0, 0, "x"),
       Line("0.000 0.000",
            Font("\t\t<FBold Yes>\n\t\t<FUnderline Yes>\n") + Str("x"))},
      {TxFace(0x1A) + LongText(0, 0, "x"),
       Line("0.000 0.000", Font("\t\t<FBold No>\n\t\t<FItalic Yes>\n"
                                "\t\t<FUnderline No>\n\t\t<FOutline Yes>\n"
                                "\t\t<FShadow Yes>\n") +
                               Str("x"))},
      {TxFace(0x3A) + LongText(0, 0, "x"),
       Line("0.000 0.000", Font("") + Str("x"))},
      // Size, face and separation in one statement.
      {TxSize(9) + TxFace(0) + U8(0x0E) + U32(205) + LongText(0, 0, "x"),
       Line("0.000 0.000", Font("\t\t<FSize 9.00>\n\t\t<FItalic No>\n"
                                "\t\t<FOutline No>\n\t\t<FShadow No>\n"
                                "\t\t<FSeparation 2>\n") +
                               Str("x"))},
      // The separation alone.
      {U8(0x0E) + U32(409) + LongText(0, 0, "x"),
       Line("0.000 0.000", Font("\t\t<FSeparation 4>\n") + Str("x"))},
      // Font 40 uses the slot of font 0, which has no family: the family
      // stays; so does it for font 7 after font 20.
      {TxFont(40) + LongText(0, 0, "x"), Line("0.000 0.000", Str("x"))},
      {TxFont(20) + LongText(0, 0, "x"),
       Line("0.000 0.000", Font(Family("Courier New")) + Str("x"))},
      {TxFont(7) + LongText(0, 0, "one\rtwo"),
       Line("0.000 0.000", Str("onetwo"))},
      // Counts 0 and 255.
      {LongText(3, 4, ""), Line("3.000 4.000", Str(""))},
      {DHText(1, std::string(255, 'z')),
       Line("4.000 4.000", Str(std::string(255, 'z')))},
      // A NUL ends the run.
      {LongText(0, 0, std::string("ab\0cd", 5)),
       Line("0.000 0.000", Str("ab"))},
  };
  ExpectSteps(steps);
}

// The offsets are unsigned bytes added to the text position, which wraps
// at 16 bits; the origin and scale apply to the line's origin only. A
// centre offset is scaled too: x 3, y 1 at scale 2 move the centre by
// (6, 2).
TEST(TextE2E, PositionsOriginAndScale) {
  const Steps steps = {
      {TxSize(12) + TextBegin(2, 90) + TextCenter(1, 3) +
           LongText(20, 30, "a") + DVText(10, "b") + kTextEnd,
       Rotated("Center", -90, "48.000 62.000",
               Font(Family("Times") + "\t\t<FSize 24.00>\n") + Str("a")) +
           Rotated("Center", -90, "28.000 62.000", Str("b"))},
      {LongText(32767, -32768, "a") + DHText(1, "b") + DVText(255, "c"),
       Line("65534.000 -65536.000", Str("a")) +
           Line("-65536.000 -65536.000", Str("b")) +
           Line("-65536.000 -65026.000", Str("c"))},
      {U8(0x0C) + U16(-5) + U16(-10) + DHDVText(255, 1, "d") +
           LongText(100, 50, "e"),
       Line("-65046.000 -65034.000", Str("d")) +
           Line("180.000 90.000", Str("e"))},
  };
  ExpectSteps(steps, {"-s", "2"});
}

// In a version 2 picture a text opcode's operands are padded to an even
// length; TxFace has a pad byte too. A missed or extra pad byte would
// misread the next opcode.
TEST(TextE2E, VersionTwoPadBytes) {
  const std::string pad = Hex("00");
  const std::string opcodes =
      Op2(0x0004) + Hex("01 00") +                             // bold
      Op2(0x0028) + U16(20) + U16(10) + Counted("ab") + pad +  // 4+1+2
      Op2(0x0028) + U16(20) + U16(10) + Counted("a") +         // 4+1+1
      Op2(0x0029) + U8(1) + Counted("ab") +                    // 1+1+2
      Op2(0x0029) + U8(1) + Counted("a") + pad +               // 1+1+1
      Op2(0x002A) + U8(1) + Counted("") +                      // 1+1+0
      Op2(0x002B) + U8(1) + U8(1) + Counted("ab") + pad +      // 2+1+2
      Op2(0x002B) + U8(1) + U8(1) + Counted("a") +             // 2+1+1
      Op2(0x002A) + U8(2) + Counted("abc") + pad;              // 1+1+3
  const std::string objects =
      Line("10.000 20.000",
           Font(Family("Times") + "\t\t<FBold Yes>\n") + Str("ab")) +
      Line("10.000 20.000", Str("a")) + Line("11.000 20.000", Str("ab")) +
      Line("12.000 20.000", Str("a")) + Line("12.000 21.000", Str("")) +
      Line("13.000 22.000", Str("ab")) + Line("14.000 23.000", Str("a")) +
      Line("14.000 25.000", Str("abc"));
  EXPECT_EQ(Convert(PictV2(opcodes)), Document(objects));
}

// Expected rotated origins come from a separate calculation that follows
// the same steps: every single-precision operation rounded to float32
// (through Python's struct), the angle in radians as float(float(angle /
// 180) * pi), the rotated terms in double precision, added left to right,
// then rounded to float32; cross-checked by hand (cos 30 deg = 0.866025,
// 8 deg = 32768 deg mod 360, cos 8 deg = 0.990268, sin 8 deg = 0.139173).
TEST(TextE2E, RotatedTextEachJustification) {
  const std::string times = Font(Family("Times"));
  const Steps steps = {
      // Left, angle field 90: the angle written is -90. The first run fixes
      // the centre; the next ones turn about it.
      {TextBegin(1, 90) + LongText(100, 50, "A") + DVText(20, "B") +
           DHText(30, "C") + kTextEnd,
       Rotated("Left", -90, "100.000 50.000", times + Str("A")) +
           Rotated("Left", -90, "80.000 50.000", Str("B")) +
           Rotated("Left", -90, "80.000 80.000", Str("C"))},
      // Right: the distance along the line is negated.
      {TextBegin(4, -30) + LongText(10, 10, "D") + DHDVText(20, 10, "E") +
           kTextEnd,
       Rotated("Right", 30, "10.000 10.000", Str("D")) +
           Rotated("Right", 30, "-2.321 28.660", Str("E"))},
      // Centre with a centre offset of x 6, y 4: the distance along the
      // line is 0, only the distance across counts.
      {TextBegin(2, 90) + TextCenter(4, 6) + LongText(20, 30, "F") +
           LongText(25, 60, "G") + kTextEnd,
       Rotated("Center", -90, "30.000 34.000", Str("F")) +
           Rotated("Center", -90, "0.000 34.000", Str("G"))},
      // Justification 3 is left; the sum is rounded step by step.
      {TextBegin(3, 45) + LongText(0, 0, "H") + DHDVText(10, 10, "I") +
           kTextEnd,
       Rotated("Left", -45, "0.000 0.000", Str("H")) +
           Rotated("Left", -45, "-0.000 14.142", Str("I"))},
      // An angle field of -32768 is negated to 32768.
      {TextBegin(1, -32768) + LongText(10, 10, "J") + DHText(10, "K") +
           kTextEnd,
       Rotated("Left", 32768, "10.000 10.000", Str("J")) +
           Rotated("Left", 32768, "19.903 8.608", Str("K"))},
      // A large angle shows the single-precision steps: -32766 degrees is
      // -6 degrees (cos 0.99452, sin -0.10453), but the angle in radians,
      // rounded to single precision near 571.9, is off by about 6e-5.
      {TextBegin(1, 32766) + LongText(0, 0, "L") + DHText(100, "M") + kTextEnd,
       Rotated("Left", -32766, "0.000 0.000", Str("L")) +
           Rotated("Left", -32766, "99.452 10.458", Str("M"))},
  };
  ExpectSteps(steps);
}

TEST(TextE2E, RotatedTextBracketsAndGroups) {
  const std::string kGroup1 = "\t<GroupID 1>\n";
  const std::string times = Font(Family("Times"));
  const Steps steps = {
      // An offset before the text begin is lost; one after it (x 5) moves
      // the centre to (15, 10).
      {TextCenter(7, 7) + TextBegin(1, 180) + TextCenter(0, 5) +
           LongText(10, 10, "a"),
       Rotated("Left", -180, "20.000 10.000", times + Str("a"))},
      // A second begin without an end: new angle, offset 0, a new centre.
      {TextBegin(2, 0) + LongText(40, 40, "b") + DHText(10, "c"),
       Rotated("Center", 0, "40.000 40.000", Str("b")) +
           Rotated("Center", 0, "40.000 40.000", Str("c"))},
      // The end writes nothing; an end without a begin neither. Then plain
      // text again.
      {kTextEnd + kTextEnd + LongText(1, 1, "d"),
       Line("1.000 1.000", Str("d"))},
      // A rotated line writes no family lookup of its own before its Font
      // statement: the run's first character brings Helvetica in.
      {TxFont(3) + TextBegin(0, 0) + LongText(0, 0, "b") + kTextEnd,
       Rotated("Left", 0, "0.000 0.000",
               Str("") + Font(Family("Helvetica")) + Str("b"))},
      // Payloads shorter than their fields: missing bytes are 0. A centre
      // of two bytes is y 10 and x 0; a text begin of one byte is
      // justification 4 and angle 0, an empty one left and angle 0.
      {TextBegin(4, 90) + Long(154, Hex("000A")) + LongText(5, 5, "e") +
           Long(150, Hex("04")) + LongText(6, 6, "f") + Long(150, "") +
           LongText(7, 7, "g") + kTextEnd,
       Rotated("Right", -90, "15.000 15.000", Str("e")) +
           Rotated("Right", 0, "6.000 6.000", Str("f")) +
           Rotated("Left", 0, "7.000 7.000", Str("g"))},
      // A short text begin and a long text end are dropped.
      {Short(150) + Long(151, "") + LongText(2, 2, "g"),
       Line("2.000 2.000", Str("g"))},
      // Rotated lines carry their group's number but are not counted as
      // members: a group of rotated lines alone writes no Group statement;
      // one of two plain lines does.
      {Short(140) + TextBegin(1, 0) + LongText(1, 1, "x") +
           LongText(2, 2, "y") + kTextEnd + Short(141),
       Rotated("Left", 0, "1.000 1.000", Str("x"), kGroup1) +
           Rotated("Left", 0, "2.000 2.000", Str("y"), kGroup1)},
      {Short(140) + LongText(1, 1, "x") + LongText(2, 2, "y") + Short(141),
       Line("1.000 1.000", Str("x"), kGroup1) +
           Line("2.000 2.000", Str("y"), kGroup1) + "<Group \n\t<ID 1>\n>\n"},
  };
  ExpectSteps(steps);
}

// Without a configuration file the family stays Times and the missing file
// is reported once; a picture without text never looks for the file.
TEST(TextE2E, ConfigurationFileOnlyForText) {
  const std::string text = LongText(10, 20, "ab");
  Result withText = RunIn(PictV1(text + text), nullptr);
  EXPECT_EQ(withText.status, 0);
  EXPECT_EQ(withText.err, "MSG 1026 pictfonts.cfg\n");
  EXPECT_EQ(withText.out,
            Document(Line("10.000 20.000", Font(Family("Times")) + Str("ab")) +
                     Line("10.000 20.000", Str("ab"))));

  Result withoutText = RunIn(PictV1(TxFont(3) + TxSize(10) + TxFace(1) +
                                    U8(0x30) + RectBytes(10, 20, 30, 60)),
                             nullptr);
  EXPECT_EQ(withoutText.status, 0);
  EXPECT_EQ(withoutText.err, "");
  EXPECT_EQ(withoutText.out,
            Document(tov::Object("Rectangle",
                                 tov::Framed() + tov::BRect("20.500 10.500 "
                                                            "39.000 19.000"))));
}

}  // namespace

// Whole runs of the built filter on pictures whose opcodes convert nothing:
// the document skeleton, version detection, skipped opcodes, word alignment
// from files and pipes, and inputs cut short anywhere.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/pict_bytes.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"
#include "support/tov_document.h"

namespace {

using pictbytes::Frame;
using pictbytes::Hex;
using pictbytes::Op2;
using pictbytes::PictV1;
using pictbytes::PictV2;
using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U32;
using runfilter::Options;
using runfilter::Result;

Result Convert(const std::string &picture,
               const std::vector<std::string> &args = {},
               Options::Input input = Options::Input::kFile) {
  runfilter::TempDir dir;
  return runfilter::Run(picture, args, srefixture::WithMessages(dir, input));
}

// The same run from a file and from a pipe gives the same result.
void ExpectDocument(const std::string &picture, const std::string &document,
                    const std::vector<std::string> &args = {}) {
  for (Options::Input input : {Options::Input::kFile, Options::Input::kStdin}) {
    Result result = Convert(picture, args, input);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, document)
        << (input == Options::Input::kFile ? "from a file" : "from a pipe");
  }
}

// One of every opcode family that converts nothing, with its operands, as a
// version 2 picture lays them out (each opcode a word at an even position;
// odd operands are followed by a pad byte).
std::string SkippedOpcodesV2() {
  const std::string region = U16(10) + RectBytes(0, 0, 10, 10);
  return Op2(0x0000) + Op2(0x0001) + region +               // NOP, Clip
         Op2(0x0005) + U16(1) + Op2(0x0006) + U32(2) +      // TxMode, SpExtra
         Op2(0x0010) + U32(1) + U32(1) +                    // TxRatio
         Op2(0x0011) + Hex("02 00") +                       // Version + pad
         Op2(0x0015) + U16(0) + Op2(0x0016) + U16(0) +      // HFrac, ChExtra
         Op2(0x0017) + Op2(0x0018) + Op2(0x0019) +          // reserved
         Op2(0x001C) + Op2(0x001D) + Hex("FFFF 0000 0000")  // HiliteColor
         + Op2(0x001E) + Op2(0x001F) + Hex("0000 FFFF 0000") + Op2(0x0024) +
         U16(3) + Hex("010203 00") +                     // reserved, pad
         Op2(0x002C) + U16(10) + std::string(10, 'x') +  // reserved
         Op2(0x0033) + RectBytes(1, 2, 3, 4) +           // invertRect
         Op2(0x0035) + RectBytes(1, 2, 3, 4) +           // reserved
         Op2(0x003B) + Op2(0x003D) +                     // invertSameRect
         Op2(0x0043) + RectBytes(1, 2, 3, 4) + Op2(0x004B) + Op2(0x0053) +
         RectBytes(1, 2, 3, 4) + Op2(0x005B) + Op2(0x0063) +
         RectBytes(1, 2, 3, 4) + U16(0) + U16(90) + Op2(0x006B) + U16(0) +
         U16(90) +  // invertSameArc
         Op2(0x0073) + U16(14) + RectBytes(0, 0, 5, 5) + U16(1) + U16(1) +
         Op2(0x007B) + Op2(0x007F) +                    // reserved
         Op2(0x0080) + region + Op2(0x0081) + region +  // frame, paint
         Op2(0x0082) + region + Op2(0x0084) + region +  // erase, fill
         Op2(0x0087) + region +                         // reserved
         Op2(0x0088) + Op2(0x008C) + Op2(0x008F) +      // SameRgn
         Op2(0x0092) + U16(1) + Hex("AA 00") +          // reserved, pad
         Op2(0x009F) + U16(0);
}

// The same families in a version 1 picture: one-byte opcodes, no padding.
std::string SkippedOpcodesV1() {
  const std::string region = U16(10) + RectBytes(0, 0, 10, 10);
  return Hex("00 01") + region + Hex("05") + U16(1) + Hex("06") + U32(2) +
         Hex("10") + U32(1) + U32(1) + Hex("11 01 15 0000 16 0000") +
         Hex("17 18 19 1C 1D FFFF00000000 1E 1F 0000FFFF0000") + Hex("24") +
         U16(3) + Hex("010203") + Hex("33") + RectBytes(1, 2, 3, 4) +
         Hex("3B 3F 63") + RectBytes(1, 2, 3, 4) + U16(0) + U16(90) +
         Hex("6F 0000 005A 73") + U16(14) + RectBytes(0, 0, 5, 5) + U16(1) +
         U16(1) + Hex("84") + region + Hex("8B 9A") + U16(2) + Hex("ABCD");
}

TEST(Skeleton, EmptyPicturesOfBothVersions) {
  ExpectDocument(PictV1(""), tov::Document(""));
  ExpectDocument(PictV2(""), tov::Document(""));
  // Version 2 without the header opcode, and with a second one.
  std::string bare = pictbytes::Preamble({}, true) + Hex("0011 02FF 00FF");
  ExpectDocument(bare, tov::Document(""));
  ExpectDocument(PictV2(pictbytes::HeaderOpV2()), tov::Document(""));
}

TEST(Skeleton, PageAndFrameSizesFollowThePictureFrame) {
  struct Case {
    Frame frame;
    int w, h, fw, fh;
  };
  const Case cases[] = {
      {{0, 0, 100, 200}, 612, 792, 200, 100},
      {{-10, -50, 790, 650}, 750, 810, 800, 820},
      {{0, 0, 100, 700}, 700, 792, 700, 100},
      {{0, 0, 100, 611}, 612, 792, 611, 100},
      {{0, 0, 100, 612}, 612, 792, 612, 100},
      {{0, 0, 791, 10}, 612, 792, 10, 791},
      {{0, 0, 793, 10}, 612, 793, 10, 793},
      {{100, 200, 0, 0}, 612, 792, 200, 100},  // corners in reverse order
      {{-32768, -32768, 32767, 32767}, 98303, 98303, 131071, 131071},
  };
  for (const Case &c : cases) {
    std::string expected = tov::Prolog(c.w, c.h, c.fw, c.fh) + tov::Epilog();
    Result result = Convert(PictV1("", c.frame));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, expected) << c.w << "x" << c.h;
  }
}

TEST(Skeleton, FrameContentsModeWritesOnlyTheUnits) {
  ExpectDocument(PictV1("", {}, false), "<Units Upt >\n", {"-aframe"});
  ExpectDocument(PictV2(SkippedOpcodesV2(), {}, false), "<Units Upt >\n",
                 {"-aframe"});
  // A picture with the file header is no picture in this mode.
  Result withHeader = Convert(PictV1(""), {"-aframe"});
  EXPECT_EQ(withHeader.status, 1);
  EXPECT_EQ(withHeader.err, "MSG 1006\n");
  EXPECT_EQ(withHeader.out, "");
}

TEST(Skeleton, AnythingButVersion1Or2IsRefusedBeforeWriting) {
  const std::string preamble = pictbytes::Preamble({}, true);
  for (const std::string &version : {Hex("12 01 FF"), Hex("00 12 02FF 00FF"),
                                     Hex("0000 0011 02FF 00FF"), Hex("FF")}) {
    Result result = Convert(preamble + version);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "MSG 1006\n");
    EXPECT_EQ(result.out, "");
  }
  // The version number itself is not looked at.
  ExpectDocument(preamble + Hex("11 02 FF"), tov::Document(""));
  ExpectDocument(preamble + Hex("0011 0001 00FF"), tov::Document(""));
}

TEST(Skeleton, SkippedOpcodesWriteNothing) {
  ExpectDocument(PictV1(SkippedOpcodesV1()), tov::Document(""));
  ExpectDocument(PictV2(SkippedOpcodesV2()), tov::Document(""));
}

TEST(Skeleton, OpcodesWithoutHandlerAreSkippedBySize) {
  std::string v2 = Op2(0x00A2) + U16(3) + Hex("010203 00") +  // pad
                   Op2(0x00AF) + U16(0) + Op2(0x00B0) + Op2(0x00CF) +
                   Op2(0x00D0) + U32(2) + Hex("0102") + Op2(0x00FE) + U32(0) +
                   Op2(0x0100) + Hex("0000") + Op2(0x7F00) +
                   std::string(254, '\xFF') + Op2(0x8000) + Op2(0x80FF) +
                   Op2(0x8100) + U32(1) + Hex("01 00") + Op2(0x8200) + U32(4) +
                   Hex("00FF 00FF") + Op2(0xFFFF) + U32(0);
  ExpectDocument(PictV2(v2), tov::Document(""));
  std::string v1 = Hex("A2") + U16(2) + Hex("00FF") + Hex("B0 CF D0") + U32(1) +
                   Hex("FF") + Hex("FE") + U32(0);
  ExpectDocument(PictV1(v1), tov::Document(""));
}

TEST(Skeleton, Version2OpcodesAreReadAtEvenFilePositions) {
  // The version opcode inside the picture takes one byte; the next opcode
  // follows one pad byte later, whatever the pad byte holds.
  std::string odd = Op2(0x0011) + Hex("02 FF") + Op2(0x001E);
  ExpectDocument(PictV2(odd), tov::Document(""));
  ExpectDocument(PictV2(odd, {}, false), "<Units Upt >\n", {"-aframe"});
  // In version 1 the same bytes are read one after the other.
  ExpectDocument(PictV1(Hex("11 02 1E")), tov::Document(""));
}

TEST(Skeleton, ShortInputsEndWithTheirMessage) {
  Result empty = Convert("");
  EXPECT_EQ(empty.status, 1);
  EXPECT_EQ(empty.err, "MSG 1007\n");
  Result inHeader = Convert(std::string(100, '\0'));
  EXPECT_EQ(inHeader.status, 1);
  EXPECT_EQ(inHeader.err, "MSG 1008\n");
  std::string whole = PictV2("");
  Result noEnd = Convert(whole.substr(0, whole.size() - 2) + Op2(0x0000));
  EXPECT_EQ(noEnd.status, 1);
  EXPECT_EQ(noEnd.err, "MSG 1008\n");
  // Output written before the end of the input stays.
  EXPECT_EQ(noEnd.out, tov::Prolog(612, 792, 200, 100));
}

// Every prefix of a whole picture ends with 1007 or 1008 and never with a
// signal; the output is always a prefix of the whole picture's output.
void SweepPrefixes(const std::string &picture,
                   const std::vector<std::string> &args) {
  runfilter::TempDir dir;
  Options options = srefixture::WithMessages(dir, Options::Input::kFile);
  Result whole = runfilter::Run(picture, args, options);
  ASSERT_EQ(whole.status, 0);
  for (size_t length = 0; length < picture.size(); ++length) {
    Result cut = runfilter::Run(picture.substr(0, length), args, options);
    ASSERT_EQ(cut.status, 1) << length;
    ASSERT_EQ(cut.err, length == 0 ? "MSG 1007\n" : "MSG 1008\n") << length;
    ASSERT_EQ(whole.out.compare(0, cut.out.size(), cut.out), 0) << length;
  }
}

TEST(Skeleton, EveryPrefixOfAPictureFailsCleanly) {
  SweepPrefixes(PictV2(SkippedOpcodesV2(), {}, false), {"-aframe"});
  SweepPrefixes(PictV1(SkippedOpcodesV1(), {}, false), {"-aframe"});
}

TEST(Skeleton, ExamplePictureConverts) {
  const std::string examples = PICTTOTOV_SOURCE_DIR "/examples/";
  Result result =
      runfilter::Run("", {examples + "sample.pict"},
                     {Options::Input::kNone, PICTTOTOV_BINARY, "", "", {}});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, runfilter::ReadFile(examples + "sample.tov"));
}

}  // namespace

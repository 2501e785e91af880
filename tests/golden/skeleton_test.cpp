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
  const std::string rect = RectBytes(1, 2, 3, 4);
  return Hex("0000 0001") + region +                     // NOP, Clip
         Hex("0005 0001 0006 00000002") +                // TxMode, SpExtra
         Hex("0010 00000001 00000001") +                 // TxRatio
         Hex("0011 02 00 0015 0000 0016 0000") +         // Version + pad, HFrac
         Hex("0017 0018 0019 001C 001D FFFF00000000") +  // HiliteColor
         Hex("001E 001F 0000FFFF0000") +                 // OpColor
         Hex("0024 0003 010203 00") +                    // reserved, pad
         Hex("002C 000A") + std::string(10, 'x') +       // reserved
         Hex("0033") + rect + Hex("0035") + rect +       // invertRect, reserved
         Hex("003B 003D 0043") + rect + Hex("004B 0053") + rect +
         Hex("005B 0063") + rect + Hex("0000 005A 006B 0000 005A") +  // arcs
         Hex("0073 000E") + RectBytes(0, 0, 5, 5) + Hex("0001 0001") +
         Hex("007B 007F") +                                // reserved
         Hex("0080") + region + Hex("0081") + region +     // frame, paint
         Hex("0082") + region + Hex("0084") + region +     // erase, fill
         Hex("0087") + region +                            // reserved
         Hex("0088 008C 008F 0092 0001 AA 00 009F 0000");  // SameRgn, pad
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

// Pictures that draw nothing, from a file and from a pipe.
TEST(Skeleton, PicturesThatDrawNothing) {
  const std::string preamble = pictbytes::Preamble({}, true);
  const std::string empty = tov::Document(""), units = "<Units Upt >\n";
  const std::vector<std::string> frameMode{"-aframe"};
  // In version 2 the version opcode inside the picture takes one byte; the
  // next opcode follows one pad byte later, whatever the pad byte holds.
  const std::string odd = Op2(0x0011) + Hex("02 FF") + Op2(0x001E);
  const struct {
    std::string picture;
    std::vector<std::string> args;
    std::string document;
  } cases[] = {
      {PictV1(""), {}, empty},
      {PictV2(""), {}, empty},
      // Version 2 without the header opcode, and with a second one.
      {preamble + Hex("0011 02FF 00FF"), {}, empty},
      {PictV2(pictbytes::HeaderOpV2()), {}, empty},
      // Frame-contents mode writes only the units.
      {PictV1("", {}, false), frameMode, units},
      // The version number itself is not looked at.
      {preamble + Hex("11 02 FF"), {}, empty},
      {preamble + Hex("0011 0001 00FF"), {}, empty},
      {PictV1(SkippedOpcodesV1()), {}, empty},
      {PictV2(SkippedOpcodesV2()), {}, empty},
      {PictV2(odd), {}, empty},
      {PictV2(odd, {}, false), frameMode, units},
      // In version 1 the same bytes are read one after the other.
      {PictV1(Hex("11 02 1E")), {}, empty},
      // Opcodes without a handler are skipped by their size.
      {PictV2(Hex("00A2 0003 010203 00 00AF 0000 00B0 00CF 00D0 00000002 0102"
                  "00FE 00000000 0100 0000 7F00") +
              std::string(254, '\xFF') +
              Hex("8000 80FF 8100 00000001 0100 8200 00000004 00FF00FF FFFF"
                  "00000000")),
       {},
       empty},
      {PictV1(Hex("A2 0002 00FF B0 CF D0 00000001 FF FE 00000000")), {}, empty},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    ExpectDocument(cases[i].picture, cases[i].document, cases[i].args);
  }
}

// The page is at least 612 x 792 and grows with the frame.
TEST(Skeleton, PageAndFrameSizesFollowThePictureFrame) {
  const struct {
    Frame frame;
    int w, h, fw, fh;
  } cases[] = {
      {{-10, -50, 790, 650}, 750, 810, 800, 820},
      {{0, 0, 100, 700}, 700, 792, 700, 100},
      {{0, 0, 100, 611}, 612, 792, 611, 100},
      {{0, 0, 100, 612}, 612, 792, 612, 100},
      {{0, 0, 791, 10}, 612, 792, 10, 791},
      {{0, 0, 793, 10}, 612, 793, 10, 793},
      {{100, 200, 0, 0}, 612, 792, 200, 100},  // corners in reverse order
      {{-32768, -32768, 32767, 32767}, 98303, 98303, 131071, 131071},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    ExpectDocument(PictV1("", c.frame),
                   tov::Prolog(c.w, c.h, c.fw, c.fh) + tov::Epilog());
  }
}

// Inputs refused or cut short end with their message; what was written
// before the end of the input stays.
TEST(Skeleton, RefusedAndShortInputs) {
  const std::string preamble = pictbytes::Preamble({}, true);
  const std::string whole = PictV2("");
  const std::string prolog = tov::Prolog(612, 792, 200, 100);
  const struct {
    std::string picture;
    std::vector<std::string> args;
    std::string err, out;
  } cases[] = {
      // A picture with the file header is no picture in frame mode.
      {PictV1(""), {"-aframe"}, "MSG 1006\n", ""},
      // Anything but version 1 or 2 is refused before writing.
      {preamble + Hex("12 01 FF"), {}, "MSG 1006\n", ""},
      {preamble + Hex("00 12 02FF 00FF"), {}, "MSG 1006\n", ""},
      {preamble + Hex("0000 0011 02FF 00FF"), {}, "MSG 1006\n", ""},
      {preamble + Hex("FF"), {}, "MSG 1006\n", ""},
      {"", {}, "MSG 1007\n", ""},
      {std::string(100, '\0'), {}, "MSG 1008\n", ""},
      // A comment whose payload is cut short.
      {PictV1(Hex("A1 0064 0032") + "short"), {}, "MSG 1008\n", prolog},
      {whole.substr(0, whole.size() - 2) + Op2(0x0000),
       {},
       "MSG 1008\n",
       prolog},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    Result result = Convert(cases[i].picture, cases[i].args);
    EXPECT_EQ(result.status, 1) << "case " << i;
    EXPECT_EQ(result.err, cases[i].err) << "case " << i;
    EXPECT_EQ(result.out, cases[i].out) << "case " << i;
  }
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

// End-to-end tests of object groups and picture comments.
#include <gtest/gtest.h>

#include <string>

#include "support/pict_bytes.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"
#include "support/tov_document.h"

namespace {

using pictbytes::Op2;
using pictbytes::PictV1;
using pictbytes::PictV2;
using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U8;

std::string Short(int kind) { return U8(0xA0) + U16(kind); }
std::string Long(int kind, const std::string &payload) {
  return U8(0xA1) + U16(kind) + U16(static_cast<int>(payload.size())) + payload;
}
const std::string kBegin = Short(140);
const std::string kEnd = Short(141);

// A framed rectangle whose left edge is `left`, 10 wide and 10 high.
std::string Frame(int left) {
  return U8(0x30) + RectBytes(0, left, 10, left + 10);
}

// The written object of Frame(left), in group `group` (0: none).
std::string Framed(int left, int group) {
  std::string id =
      group ? "\t<GroupID " + std::to_string(group) + ">\n" : std::string();
  return "<Rectangle\n" + id +
         "\t<Fill 15>\n\t<PenWidth 1.000>\n\t<Separation 0>\n\t<Pen 0>\n"
         "\t<BRect " +
         std::to_string(left) + ".500 0.500 9.000 9.000>\n>\n";
}

std::string Group(int id, int enclosing) {
  std::string text = "<Group \n\t<ID " + std::to_string(id) + ">\n";
  if (enclosing) text += "\t<GroupID " + std::to_string(enclosing) + ">\n";
  return text + ">\n";
}

std::string Convert(const std::string &picture) {
  runfilter::Result result = runfilter::Run(picture);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  return result.out;
}

TEST(GroupsE2E, NestedGroups) {
  const std::string picture =
      kBegin + Frame(1) + kBegin + Frame(2) + Frame(3) + kEnd + kEnd + Frame(4);
  EXPECT_EQ(Convert(PictV1(picture)),
            tov::Document(Framed(1, 1) + Framed(2, 2) + Framed(3, 2) +
                          Group(2, 1) + Group(1, 0) + Framed(4, 0)));
}

TEST(GroupsE2E, GroupsSideBySideShareTheirNumber) {
  const std::string picture =
      kBegin + Frame(1) + Frame(2) + kEnd + kBegin + Frame(3) + Frame(4) + kEnd;
  EXPECT_EQ(Convert(PictV1(picture)),
            tov::Document(Framed(1, 1) + Framed(2, 1) + Group(1, 0) +
                          Framed(3, 1) + Framed(4, 1) + Group(1, 0)));
}

TEST(GroupsE2E, SmallGroupsAreNotWritten) {
  // An empty group, a group of one, an end without a begin: nothing is
  // written and the number steps back each time.
  EXPECT_EQ(Convert(PictV1(kBegin + kEnd + kBegin + Frame(1) + kEnd + kEnd +
                           Frame(2))),
            tov::Document(Framed(1, 1) + Framed(2, 0)));
  // One object and one written group make two members.
  EXPECT_EQ(Convert(PictV1(kBegin + Frame(3) + kBegin + Frame(4) + Frame(5) +
                           kEnd + kEnd)),
            tov::Document(Framed(3, 1) + Framed(4, 2) + Framed(5, 2) +
                          Group(2, 1) + Group(1, 0)));
  // A group that is not written doesn't count as a member: groups 2 and 1
  // each end with one member.
  EXPECT_EQ(Convert(PictV1(kBegin + Frame(6) + kBegin + kBegin + Frame(7) +
                           Frame(8) + kEnd + kEnd + kEnd + Frame(9))),
            tov::Document(Framed(6, 1) + Framed(7, 3) + Framed(8, 3) +
                          Group(3, 2) + Framed(9, 0)));
}

TEST(GroupsE2E, BitmapBracketsGroupToo) {
  // Kinds 142 and 143 open and close groups; the group kinds as long
  // comments and an unopened group's end do nothing.
  const std::string picture = Short(142) + Frame(1) + Long(140, "") + Frame(2) +
                              Long(141, "") + Short(143) + Short(150) +
                              Frame(3);
  EXPECT_EQ(
      Convert(PictV1(picture)),
      tov::Document(Framed(1, 1) + Framed(2, 1) + Group(1, 0) + Framed(3, 0)));
}

TEST(GroupsE2E, GroupsOfEveryShape) {
  const std::string picture =
      kBegin + U8(0x51) + RectBytes(0, 0, 10, 10) + U8(0x59) +  // two ovals
      U8(0x60) + RectBytes(0, 0, 10, 10) + U16(0) + U16(90) + kEnd;
  const std::string painted =
      "\t<GroupID 1>\n\t<Separation 0>\n\t<Fill 0>\n\t<Pen 15>\n"
      "\t<PenWidth 0.015>\n\t<BRect 0.500 0.500 9.000 9.000>\n";
  EXPECT_EQ(Convert(PictV1(picture)),
            tov::Document(
                "<Ellipse\n" + painted + ">\n<Ellipse\n" + painted + ">\n" +
                "<Arc\n\t<GroupID 1>\n\t<Fill 15>\n\t<PenWidth 1.000>\n"
                "\t<Separation 0>\n\t<Pen 0>\n"
                "\t<ArcRect 0.500 0.500 9.000 9.000>\n\t<ArcTheta 0>\n"
                "\t<ArcDTheta 90>\n\t<HeadCap Butt>\n\t<TailCap Butt>\n>\n" +
                Group(1, 0)));
}

TEST(CommentsE2E, PayloadsAreConsumed) {
  // 300 bytes, then 1000, then 10 (the buffer doesn't shrink), then none,
  // and the kinds converted elsewhere with short payloads.
  const std::string picture = Long(100, std::string(300, 'x')) + Frame(1) +
                              Long(200, std::string(1000, '\xFF')) +
                              Long(201, "0123456789") + Long(202, "") +
                              Long(150, "\x01") + Long(154, "") +
                              Long(164, "") + Frame(2);
  EXPECT_EQ(Convert(PictV1(picture)),
            tov::Document(Framed(1, 0) + Framed(2, 0)));
}

TEST(CommentsE2E, OddPayloadInVersionTwo) {
  // A 3-byte payload is followed by a pad byte to the next opcode word.
  const std::string picture = Op2(0xA1) + U16(100) + U16(3) + "abc" + U8(0) +
                              Op2(0xA0) + U16(140) + Op2(0x30) +
                              RectBytes(0, 1, 10, 11) + Op2(0x30) +
                              RectBytes(0, 2, 10, 12) + Op2(0xA0) + U16(141);
  EXPECT_EQ(Convert(PictV2(picture)),
            tov::Document(Framed(1, 1) + Framed(2, 1) + Group(1, 0)));
}

TEST(CommentsE2E, PayloadCutShortEndsTheRun) {
  runfilter::TempDir dir;
  runfilter::Result result = runfilter::Run(
      PictV1(U8(0xA1) + U16(100) + U16(50) + "short"), {},
      srefixture::WithMessages(dir, runfilter::Options::Input::kFile));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "MSG 1008\n");
}

}  // namespace

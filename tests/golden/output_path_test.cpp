// The buffered input and output of whole runs: documents far larger than
// any buffer, read from files and pipes; output written before a fatal
// message stays; a failed write is reported however late it shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/pict_bytes.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"
#include "support/tov_document.h"

namespace {

using pictbytes::Hex;
using pictbytes::Op2;
using pictbytes::PictV2;
using pictbytes::RectBytes;
using runfilter::Options;
using runfilter::Result;

Result Convert(const std::string &picture, Options::Input input,
               const std::vector<std::string> &args = {}) {
  runfilter::TempDir dir;
  return runfilter::Run(picture, args, srefixture::WithMessages(dir, input));
}

// `count` framed rectangles; every second one is followed by a long
// comment of odd length, so that the next opcode is read from the next even
// position of the input.
std::string ManyRectangles(int count) {
  std::string opcodes;
  for (int i = 0; i < count; ++i) {
    opcodes += Op2(0x0030) + RectBytes(10, 20, 30, 60);
    if (i % 2 == 0) opcodes += Op2(0x00A1) + Hex("0064 0003 414243");
    if (i % 2 == 0) opcodes += Hex("00");  // the pad byte
  }
  return PictV2(opcodes);
}

std::string ManyRectanglesDocument(int count) {
  std::string rectangle =
      tov::Object("Rectangle", tov::Framed() + tov::BRect("20.500 10.500 "
                                                          "39.000 19.000"));
  std::string objects;
  for (int i = 0; i < count; ++i) objects += rectangle;
  return tov::Document(objects);
}

// About 1.3 MB of output, many times the size of the buffers.
constexpr int kMany = 10000;

TEST(OutputPath, LargeDocumentsFromFilesAndPipes) {
  const std::string picture = ManyRectangles(kMany);
  const std::string document = ManyRectanglesDocument(kMany);
  for (Options::Input input : {Options::Input::kFile, Options::Input::kStdin}) {
    Result result = Convert(picture, input);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(result.out == document)
        << result.out.size() << " bytes instead of " << document.size()
        << ", first difference at "
        << std::mismatch(result.out.begin(), result.out.end(), document.begin(),
                         document.end())
                   .first -
               result.out.begin();
  }
}

// Cut in the middle, the picture ends with message 1008, and everything
// written before it is in the output: the prolog and the first objects,
// far more than one buffer holds.
TEST(OutputPath, OutputBeforeAFatalMessageStays) {
  const std::string picture = ManyRectangles(kMany);
  const std::string document = ManyRectanglesDocument(kMany);
  Result result =
      Convert(picture.substr(0, picture.size() / 2), Options::Input::kStdin);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "MSG 1008\n");
  EXPECT_GT(result.out.size(), document.size() / 3);
  EXPECT_TRUE(document.compare(0, result.out.size(), result.out) == 0);
  // The last object written is whole: nothing of it waits in a buffer.
  EXPECT_EQ(result.out.substr(result.out.size() - 10), "19.000>\n>\n");
}

// Writing to a full device fails: for a small document when the output is
// written out at the end, for a large one in the middle of the run.
TEST(OutputPath, FailedWritesAreMessage1003) {
  for (int count : {1, kMany}) {
    runfilter::TempDir dir;
    Options options = srefixture::WithMessages(dir, Options::Input::kNone);
    std::string in = dir.Write("in.pict", ManyRectangles(count));
    Result result = runfilter::Run("", {in, "/dev/full"}, options);
    EXPECT_EQ(result.status, 1) << count;
    EXPECT_EQ(result.err, "MSG 1003\n") << count;
  }
}

}  // namespace

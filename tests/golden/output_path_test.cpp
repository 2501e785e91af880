// The buffered input and output of whole runs: documents far larger than
// any buffer, read from files and pipes; output written before a fatal
// message stays; a failed write is reported however late it shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pict_bytes.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"

namespace {

using pictbytes::Hex;
using runfilter::Options;
using runfilter::Result;

Result Convert(const std::string &picture, Options::Input input,
               const std::vector<std::string> &args = {}) {
  runfilter::TempDir dir;
  return runfilter::Run(picture, args, srefixture::WithMessages(dir, input));
}

// `count` framed rectangles; every second one is followed by a long
// comment of odd length and its pad byte, so that the next opcode is read
// from the next even position of the input.
std::string ManyRectangles(int count) {
  std::string opcodes;
  for (int i = 0; i < count; ++i)
    opcodes += Hex(i % 2 ? "0030 000A 0014 001E 003C"
                         : "0030 000A 0014 001E 003C 00A1 0064 0003 414243 00");
  return pictbytes::PictV2(opcodes);
}

// About 1.3 MB of output, many times the size of the buffers.
constexpr int kMany = 10000;

TEST(OutputPath, LargeDocumentsAndOutputBeforeAFatalMessage) {
  const std::string picture = ManyRectangles(kMany);
  std::string objects;
  for (int i = 0; i < kMany; ++i)
    objects +=
        "<Rectangle\n\t<Fill 15>\n\t<PenWidth 1.000>\n\t<Separation 0>\n"
        "\t<Pen 0>\n\t<BRect 20.500 10.500 39.000 19.000>\n>\n";
  // The checked document of the empty picture, with the objects in its frame.
  std::string document = runfilter::ReadFile(
      PICTTOTOV_SOURCE_DIR "/tests/cases/skeleton/EmptyV1.tov");
  document.insert(document.rfind(" >\n>\n<TextFlow"), objects);
  for (Options::Input input : {Options::Input::kFile, Options::Input::kStdin}) {
    Result result = Convert(picture, input);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(result.out == document) << result.out.size() << " bytes";
  }
  // Cut in the middle, the picture ends with message 1008, and everything
  // written before it is in the output, far more than one buffer holds,
  // down to the whole last object.
  Result cut =
      Convert(picture.substr(0, picture.size() / 2), Options::Input::kStdin);
  EXPECT_EQ(cut.status, 1);
  EXPECT_EQ(cut.err, "MSG 1008\n");
  EXPECT_GT(cut.out.size(), document.size() / 3);
  EXPECT_TRUE(document.compare(0, cut.out.size(), cut.out) == 0);
  EXPECT_EQ(cut.out.substr(cut.out.size() - 10), "19.000>\n>\n");
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

// Channels over files: single bytes and runs as fread and fwrite give them,
// positions, the end of the input, statements of any length, failed writes
// and buffered output that survives a failure.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/channels.h"
#include "support/run_filter.h"

namespace {

// Reads 3 single bytes, a short run, a long run, skips a byte and, at the
// end, reads 4-byte items of which the last has only 2 bytes: what fread
// would deliver. (Pipes are read by the end-to-end cases.)
TEST(Channel, ReadsFromFiles) {
  std::string bytes;
  for (int i = 0; i < 124; ++i) bytes += static_cast<char>('A' + i % 26);
  testchannels::Channels channels(bytes);
  char got[128] = {};
  for (int i = 0; i < 3; ++i)
    ASSERT_EQ(V_ChannelRead(got + i, 1, 1, inputFP), 1u);
  EXPECT_EQ(V_ChannelRead(got + 3, 2, 5, inputFP), 5u);
  EXPECT_EQ(V_ChannelRead(got + 13, 1, 100, inputFP), 100u);
  EXPECT_EQ(std::string(got, 113), bytes.substr(0, 113));
  EXPECT_EQ(V_ChannelTell(inputFP), 113);
  EXPECT_EQ(V_ChannelSeek(inputFP, 1, SEEK_CUR), 0);
  EXPECT_EQ(V_ChannelEof(inputFP), 0);
  EXPECT_EQ(V_ChannelRead(got, 4, 3, inputFP), 2u);
  EXPECT_EQ(std::string(got, 8), bytes.substr(114, 8));
  EXPECT_EQ(V_ChannelEof(inputFP), 1);
}

// What is written to an attached channel before a runtime failure ends the
// process is in the file afterwards.
TEST(Channel, BufferedOutputSurvivesAnAbort) {
  runfilter::TempDir dir;
  const std::string path = dir.path() + "/abort.tov";
  EXPECT_DEATH(
      {
        Channel channel;
        V_ChannelAttach(&channel, std::fopen(path.c_str(), "w"));
        V_Printf(&channel, "<Rectangle\n\t<Pen %d>\n>\n", 3);
        V_Alloc(kVokMaxAlloc + 1, 0);
      },
      "");
  EXPECT_EQ(runfilter::ReadFile(path), "<Rectangle\n\t<Pen 3>\n>\n");
}

// A statement to a channel is handed over in one piece when it fits the
// engine's 1024 bytes, and in order in several when it does not: plain text
// and conversions beyond the room left, or beyond the whole buffer.
TEST(Channel, StatementsOfAnyLength) {
  testchannels::Channels channels("");
  const std::string literal = "<" + std::string(2100, 'l') + ">";
  const std::string big(1500, 'b');
  const std::string fits(1023, 'f');
  int32_t counted = -1;
  int32_t total = V_Printf(outputFP, (literal + "%s|ab%s%d%n|%.3f\n").c_str(),
                           big.c_str(), fits.c_str(), 12, &counted, 0.25);
  const std::string expected = literal + big + "|ab" + fits + "12" + "|0.250\n";
  EXPECT_EQ(channels.Output(), expected);
  EXPECT_EQ(total, static_cast<int32_t>(expected.size()));
  EXPECT_EQ(counted, static_cast<int32_t>(expected.size() - 7));
}

TEST(Channel, FlushReportsFailedWrites) {
  Channel full;
  V_ChannelAttach(&full, std::fopen("/dev/full", "w"));
  ASSERT_NE(full.stream, nullptr);
  EXPECT_EQ(V_ChannelWrite("abc", 1, 3, &full), 3u);  // still in the buffer
  EXPECT_EQ(V_ChannelFlush(&full), -1);
  EXPECT_EQ(V_ChannelFlush(&full), -1);  // the failure is remembered
  std::fclose(full.stream);
}

}  // namespace

// Channels: reads as fread delivers them, seeks, writes in stdio's blocks,
// standard output, failed writes, output that survives the process's end.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "support/channels.h"
#include "support/run_filter.h"

namespace {

using testchannels::InputStream;
using testchannels::Source;

constexpr size_t kBuffer = 64 * 1024;

// Bytes that show where they came from (no power-of-two period).
std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

// Bytes, items and runs around the buffer's size, then 4-byte items the last
// of them cut; the end stays until a seek. Positions count from where the
// file stood; a pipe has none. A merely assigned stream reads through stdio.
TEST(Channel, ReadsAsFreadDelivers) {
  const size_t size = 3 * kBuffer + 10;
  const std::string bytes = Pattern(size);
  const long start = 5;
  const struct {
    Source source;
    bool attached;
    bool positioned;
  } cases[] = {{Source::kFile, true, true},
               {Source::kPipe, true, false},
               {Source::kMemory, true, true},
               {Source::kFile, false, true}};
  for (const auto &c : cases) {
    SCOPED_TRACE(static_cast<int>(c.source) * 2 + c.attached);
    const long first = c.positioned ? start : 0;
    InputStream stream(c.source, bytes, first);
    Channel channel;
    if (c.attached)
      V_ChannelAttach(&channel, stream.get());
    else
      channel.stream = stream.get();
    std::string got(size, '\0');
    size_t at = 0;
    for (; at < 3; ++at) ASSERT_EQ(V_ChannelRead(&got[at], 1, 1, &channel), 1u);
    EXPECT_EQ(V_ChannelRead(&got[at], 2, 5, &channel), 5u);
    at += 10;
    const size_t toBoundary = kBuffer - at;  // up to the first refill
    EXPECT_EQ(V_ChannelRead(&got[at], 1, toBoundary + 3, &channel),
              toBoundary + 3);
    at += toBoundary + 3;
    const size_t longRun = kBuffer + 1000;  // more than the buffer holds
    EXPECT_EQ(V_ChannelRead(&got[at], 1, longRun, &channel), longRun);
    at += longRun;
    EXPECT_EQ(V_ChannelTell(&channel),
              c.positioned ? first + static_cast<long>(at) : -1);
    const size_t left = size - first - at;
    EXPECT_EQ(V_ChannelRead(&got[at], 4, left / 4 + 1, &channel), left / 4);
    EXPECT_EQ(V_ChannelEof(&channel), 1);
    unsigned char byte = 0;
    EXPECT_EQ(V_ChannelRead(&byte, 1, 1, &channel), 0u);
    EXPECT_EQ(got.substr(0, size - first), bytes.substr(first));
    if (!c.positioned) {
      EXPECT_EQ(V_ChannelSeek(&channel, 0, SEEK_SET), -1);
      continue;
    }
    // Back into what the buffer holds, then far away and back again.
    ASSERT_EQ(V_ChannelSeek(&channel, -3, SEEK_CUR), 0);
    EXPECT_EQ(V_ChannelEof(&channel), 0);
    EXPECT_EQ(V_ChannelTell(&channel), static_cast<long>(size) - 3);
    ASSERT_EQ(V_ChannelRead(&byte, 1, 1, &channel), 1u);
    EXPECT_EQ(byte, static_cast<unsigned char>(bytes[size - 3]));
    ASSERT_EQ(V_ChannelSeek(&channel, 7, SEEK_SET), 0);
    ASSERT_EQ(V_ChannelRead(&byte, 1, 1, &channel), 1u);
    EXPECT_EQ(byte, static_cast<unsigned char>(bytes[7]));
    ASSERT_EQ(V_ChannelSeek(&channel, 2 * kBuffer, SEEK_CUR), 0);
    ASSERT_EQ(V_ChannelRead(&byte, 1, 1, &channel), 1u);
    EXPECT_EQ(byte, static_cast<unsigned char>(bytes[8 + 2 * kBuffer]));
    EXPECT_EQ(V_ChannelTell(&channel), static_cast<long>(9 + 2 * kBuffer));
  }
}

// A step within the buffer, up to either end, leaves the file's position.
TEST(Channel, StepsWithinTheBufferWithoutTheFile) {
  const std::string bytes = Pattern(1000);
  InputStream stream(Source::kFile, bytes);
  Channel channel;
  V_ChannelAttach(&channel, stream.get());
  unsigned char byte = 0;
  ASSERT_EQ(V_ChannelRead(&byte, 1, 1, &channel), 1u);
  const int fd = fileno(stream.get());
  EXPECT_EQ(lseek(fd, 0, SEEK_CUR), 1000);
  for (long step : {-1L, 1000L, -698L})  // to its first byte, its end, back
    ASSERT_EQ(V_ChannelSeek(&channel, step, SEEK_CUR), 0) << step;
  EXPECT_EQ(lseek(fd, 0, SEEK_CUR), 1000);
  EXPECT_EQ(V_ChannelTell(&channel), 302);
  ASSERT_EQ(V_ChannelRead(&byte, 1, 1, &channel), 1u);
  EXPECT_EQ(byte, static_cast<unsigned char>(bytes[302]));
}

off_t SizeOnDisk(FILE *stream) {
  struct stat status;
  return fstat(fileno(stream), &status) == 0 ? status.st_size : -1;
}

// Output reaches the file when the buffer is full and more comes, long runs
// in whole blocks, as stdio writes it; nothing is lost or doubled.
TEST(Channel, WritesInWholeBlocks) {
  FILE *file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  const std::string bytes = Pattern(kBuffer + 1 + 200000 + 1);
  size_t at = 0;
  const struct {
    size_t count;
    off_t onDisk;  // after writing count more bytes
  } steps[] = {{100, 0},
               {kBuffer - 100, 0},  // full, and nothing more yet
               {1, kBuffer},
               {200000, 4 * kBuffer},  // fills the buffer, then 2 blocks
               {1, 4 * kBuffer}};
  {
    Channel channel;
    V_ChannelAttach(&channel, file);
    for (const auto &step : steps) {
      if (step.count == 1) {
        ASSERT_EQ(V_ChannelWrite(&bytes[at], 1, 1, &channel), 1u);
      } else {
        ASSERT_EQ(V_ChannelWrite(&bytes[at], 1, step.count, &channel),
                  step.count);
      }
      at += step.count;
      EXPECT_EQ(SizeOnDisk(file), step.onDisk) << at;
      EXPECT_EQ(V_ChannelTell(&channel), static_cast<long>(at));
    }
    EXPECT_EQ(V_ChannelFlush(&channel), 0);
    EXPECT_EQ(SizeOnDisk(file), static_cast<off_t>(bytes.size()));
    ASSERT_EQ(V_ChannelWrite("tail", 1, 4, &channel), 4u);
  }  // the channel writes out what it holds when it goes
  std::string got(bytes.size() + 4, '\0');
  EXPECT_EQ(pread(fileno(file), &got[0], got.size(), 0),
            static_cast<ssize_t>(got.size()));
  EXPECT_EQ(got, bytes + "tail");
  std::fclose(file);
}

// Standard output through a null channel and an attached one keep their
// order; V_Exit writes out what the channels hold.
TEST(Channel, StandardOutputKeepsItsOrder) {
  runfilter::TempDir dir;
  const std::string path = dir.path() + "/stdout";
  std::fflush(stdout);
  EXPECT_EXIT(
      {
        FILE *redirected = std::freopen(path.c_str(), "w", stdout);
        if (redirected == nullptr) V_Exit(2);
        Channel document;
        V_ChannelAttach(&document, stdout);
        V_ChannelWrite("<Document", 1, 9, &document);
        V_ChannelWrite("|", 1, 1, nullptr);
        V_Printf(&document, ">\n");
        V_Exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(runfilter::ReadFile(path), "<Document|>\n");
}

// Output buffered before a runtime failure reaches the file (V_Exit's
// flush: the StandardOutput test and the whole runs).
TEST(Channel, BufferedOutputSurvivesAnAbort) {
  runfilter::TempDir dir;
  const std::string path = dir.path() + "/end.tov";
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

// Statements beyond the engine's 1024 bytes go out in order, in pieces.
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

// A failed write is reported by every later flush, or by the write itself.
TEST(Channel, FailedWritesAreReported) {
  FILE *stream = std::fopen("/dev/full", "w");
  ASSERT_NE(stream, nullptr);
  {
    Channel full;
    V_ChannelAttach(&full, stream);
    EXPECT_EQ(V_ChannelWrite("abc", 1, 3, &full), 3u);  // still in the buffer
    EXPECT_EQ(V_ChannelFlush(&full), -1);
    EXPECT_EQ(V_ChannelFlush(&full), -1);  // the failure is remembered
    const std::string more(kBuffer + 1, 'x');
    EXPECT_LT(V_ChannelWrite(more.data(), 1, more.size(), &full), more.size());
  }
  std::fclose(stream);
}

}  // namespace

// Memory, null channels, warnings and the string helpers.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/vok.h"

namespace {

TEST(Memory, AllocationAndRelease) {
  auto *block = static_cast<unsigned char *>(V_Realloc(nullptr, 16, 0));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(block[i], 0) << i;
  block = static_cast<unsigned char *>(V_Realloc(block, 0, 0));
  ASSERT_NE(block, nullptr);  // still a valid block, not freed
  EXPECT_EQ(V_Free(block), 0);
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(V_Free(block), -1);
  EXPECT_EQ(VokFree(nullptr), -1);

  auto *zeroed = static_cast<unsigned char *>(V_Calloc(3, 5, 0));
  ASSERT_NE(zeroed, nullptr);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(zeroed[i], 0) << i;
  V_Free(zeroed);
}

TEST(Memory, CopyPtrMovesOverlappingBytes) {
  char text[] = "abcdefgh";
  EXPECT_EQ(V_CopyPtr(text, text + 2, 5), 0);
  EXPECT_STREQ(text, "ababcdeh");
  EXPECT_EQ(V_CopyPtr(text + 2, text, 5), 0);
  EXPECT_STREQ(text, "abcdedeh");
  EXPECT_EQ(V_CopyPtr(nullptr, text, 1), -1);
  EXPECT_EQ(V_CopyPtr(text, nullptr, 1), -1);
}

TEST(Memory, OversizedRequestsAbortSilently) {
  EXPECT_EXIT(V_Alloc(0x7FFF0000u, 0), testing::KilledBySignal(SIGABRT), "^$");
  EXPECT_EXIT(V_Calloc(0x10000u, 0x8000u, 0), testing::KilledBySignal(SIGABRT),
              "^$");
  void *block = V_Alloc(8, 0);
  EXPECT_EXIT(V_Realloc(block, 0x7FFF0000u, 0),
              testing::KilledBySignal(SIGABRT), "^$");
  // The size is checked before the pointers.
  EXPECT_EXIT(V_CopyPtr(nullptr, nullptr, 0x80000000u),
              testing::KilledBySignal(SIGABRT), "^$");
  V_Free(block);
}

// Channels on streams are used by every conversion; a null channel reads
// nothing and writes to standard output.
TEST(Channels, NullChannels) {
  char read[1];
  EXPECT_EQ(V_ChannelRead(read, 1, 1, nullptr), 0u);
  EXPECT_EQ(V_ChannelSeek(nullptr, 0, SEEK_SET), -1);
  EXPECT_EQ(V_ChannelTell(nullptr), -1);
  EXPECT_EQ(V_ChannelEof(nullptr), 0);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_EQ(V_ChannelWrite("out", 1, 3, nullptr), 3u);
  V_Warning("warn, no line end");
  V_Warning(nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "warn, no line end");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "out");
}

TEST(Strings, BoundedCopies) {
  char buffer[8] = "ZZZZZZZ";
  EXPECT_EQ(V_StrCpyN(buffer, "abcdef", 4), 3);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(buffer[4], 'Z');
  EXPECT_EQ(V_StrCpyN(buffer, "xyz", 0), 0);  // no room: untouched
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(V_StrCpyN(buffer, nullptr, 4), 0);
  EXPECT_STREQ(buffer, "");
}

}  // namespace

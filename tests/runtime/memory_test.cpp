// Memory: blocks, copies and the size limit.
#include <gtest/gtest.h>

#include <csignal>

#include "runtime/vok.h"

namespace {

TEST(Memory, AllocationCopyAndRelease) {
  auto *block = static_cast<unsigned char *>(V_Realloc(nullptr, 16, 0));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(block[i], 0) << i;
  block = static_cast<unsigned char *>(V_Realloc(block, 0, 0));
  ASSERT_NE(block, nullptr);  // still a valid block, not freed
  EXPECT_EQ(V_Free(block), 0);
  EXPECT_EQ(block, nullptr);
  // Overlapping bytes are moved either way.
  char text[] = "abcdefgh";
  EXPECT_EQ(V_CopyPtr(text, text + 2, 5), 0);
  EXPECT_STREQ(text, "ababcdeh");
  EXPECT_EQ(V_CopyPtr(text + 2, text, 5), 0);
  EXPECT_STREQ(text, "abcdedeh");
  EXPECT_EQ(V_CopyPtr(nullptr, text, 1), -1);
}

// Above the limit the process ends silently; size is checked before pointers.
TEST(Memory, OversizedRequestsAbortSilently) {
  EXPECT_EXIT(V_Calloc(0x10000u, 0x8000u, 0), testing::KilledBySignal(SIGABRT),
              "^$");
  EXPECT_EXIT(V_Realloc(V_Alloc(8, 0), 0x7FFF0000u, 0),
              testing::KilledBySignal(SIGABRT), "^$");
  EXPECT_EXIT(V_CopyPtr(nullptr, nullptr, 0x80000000u),
              testing::KilledBySignal(SIGABRT), "^$");
}

}  // namespace

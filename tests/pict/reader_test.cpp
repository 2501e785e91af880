// Writing raw bytes to the document: a failed write is fatal.
#include <gtest/gtest.h>

#include <cstdio>

#include "driver/driver.h"
#include "pict/pict.h"
#include "support/channels.h"
#include "support/sre_fixture.h"

namespace {

TEST(Reader, WriteBytesFailureIsFatal) {
  ASSERT_TRUE(srefixture::Load());
  testchannels::Channels channels("");
  WriteBytes(outputFP, "abc", 3);
  WriteBytes(outputFP, "xyz", 0);
  EXPECT_EQ(channels.Output(), "abc");
  EXPECT_EXIT(
      {
        Channel readOnly;
        readOnly.stream = std::fopen("/dev/null", "r");
        WriteBytes(&readOnly, "abc", 3);
      },
      ::testing::ExitedWithCode(1), "^MSG 1003\n$");
}

}  // namespace

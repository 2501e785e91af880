// Values decoded from memory, in the widths and precision the picture's
// fields have; writing raw bytes to the document, where a failed write is
// fatal.
#include <gtest/gtest.h>

#include <cstdio>

#include "driver/driver.h"
#include "pict/pict.h"
#include "support/channels.h"
#include "support/sre_fixture.h"

namespace {

TEST(Reader, GetShortAndGetFixed) {
  const unsigned char minus2[] = {0xFF, 0xFE};
  EXPECT_EQ(GetShort(minus2), -2);
  const struct {
    unsigned char bytes[4];
    double value;
  } fixed[] = {
      {{0x00, 0x01, 0x80, 0x00}, 1.5},
      {{0xFF, 0xFF, 0x00, 0x00}, -1.0},
      // Single precision: the largest value rounds up to 2^31 before scaling.
      {{0x7F, 0xFF, 0xFF, 0xFF}, 32768.0},
      // 1 + 1/65536 needs 17 bits: exact in single precision.
      {{0x00, 0x01, 0x00, 0x01}, 1.0 + 1.0 / 65536.0}};
  for (const auto &f : fixed) EXPECT_EQ(GetFixed(f.bytes), f.value);
}

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

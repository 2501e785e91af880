// The opcode table's handlers that convert nothing take exactly their
// operands from the input. (That the reserved opcodes have no handler and
// are skipped by their size shows in whole pictures.)
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "dispatch/dispatch.h"
#include "dispatch/table.h"
#include "driver/driver.h"
#include "pict/pict.h"
#include "pict_bytes.h"
#include "support/channels.h"

namespace {

using pictbytes::Hex;
using pictbytes::RectBytes;
using pictbytes::U16;
using pictbytes::U32;
using testchannels::Consumed;

// Every opcode whose handler only skips, with the operands it takes.
std::map<int, std::string> SkippedOpcodes() {
  const std::string rect = RectBytes(1, 2, 3, 4), angles = U16(0) + U16(90);
  const std::string region = U16(10) + std::string(8, '\x01');
  const std::string poly = U16(12) + std::string(10, '\x02');
  const std::string block = U16(10) + std::string(10, '\x03');
  const std::string rgb = Hex("FFFF 0000 FFFF");
  std::map<int, std::string> opcodes = {
      {0x01, region},          {0x05, U16(1)},    {0x06, U32(1)},
      {0x10, U32(1) + U32(1)}, {0x11, Hex("02")}, {0x15, U16(1)},
      {0x16, U16(1)},          {0x1D, rgb},       {0x1F, rgb}};
  for (int opcode : {0x00, 0x17, 0x18, 0x19, 0x1C, 0x1E}) opcodes[opcode] = "";
  for (int first : {0x24, 0x2C, 0x92, 0x9A})
    for (int opcode = first; opcode < first + (first < 0x90 ? 4 : 6); ++opcode)
      opcodes[opcode] = block;
  // Invert and the reserved verbs of every shape; all eight region verbs.
  const std::string shapes[12] = {rect,          "",     rect, "", rect,   "",
                                  rect + angles, angles, poly, "", region, ""};
  for (int shape = 0; shape < 12; ++shape)
    for (int verb = 0; verb < 8; ++verb)
      if (shape >= 10 || verb == 3 || verb >= 5)
        opcodes[0x30 + 8 * shape + verb] = shapes[shape];
  return opcodes;
}

TEST(Operators, SkippingHandlersTakeExactlyTheirOperands) {
  initoperators();
  const std::map<int, std::string> opcodes = SkippedOpcodes();
  EXPECT_EQ(opcodes.size(), 15u + 20u + 56u);
  for (int version : {1, 2}) {
    Version = version;
    for (const auto &[opcode, operands] : opcodes)
      EXPECT_EQ(Consumed(operands, Dispatch.Operators.data()[opcode]),
                static_cast<long>(operands.size()))
          << "opcode " << opcode << " version " << version;
  }
}

}  // namespace

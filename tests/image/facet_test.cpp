// The facet writer: the text encoding with its look-ahead, line lengths and
// hexadecimal stretches, and the run-length encoding of the rows.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "driver/driver.h"
#include "image/facet_encoder.h"
#include "image/image.h"
#include "image/image_bytes.h"
#include "pict/pict.h"
#include "support/channels.h"
#include "support/pict_bytes.h"
#include "support/sre_fixture.h"

namespace {

using imagebytes::BitMap;
using imagebytes::Encode;
using imagebytes::FacetBytes;
using imagebytes::ImportTail;
using imagebytes::kImportHead;
using imagebytes::Placement;
using imagebytes::RasterHeader;
using pictbytes::Hex;
using testchannels::Channels;

TEST(Facet, TextEncoding) {
  const std::string a79(79, 'a'), x39(39, '\0');
  const struct {
    std::string bytes, text;
  } cases[] = {
      // Text as it is, a backslash doubled, a tab kept; the last line ends.
      {"plain\ttext \\ ok", "&plain\ttext \\\\ ok\n"},
      // A line feed byte ends its line as \n; nothing more at the flush.
      {"abcdefgh\n", "&abcdefgh\\n\n"},
      {"abc\ndefghij", "&abc\\n\n&defghij\n"},
      // A stretch opens at a non-text byte and closes only once the byte
      // to write and the 7 after it are text.
      {"A\x01"
       "BCDEF\x02GHIJKLMNOP",
       "&A\\x01424344454602\\xGHIJKLMNOP\n"},
      // A carriage return and DEL are written in hexadecimal; a stretch
      // still open at the end is closed.
      {"abcdefgh\r\x7F", "&abcdefgh\\x0D7F\\x\n"},
      // Lines are broken once they hold more than 79 characters: 80
      // plain characters, or 81 when a doubled backslash ends them.
      {std::string(85, 'b'), "&" + std::string(80, 'b') + "\n&bbbbb\n"},
      {a79 + "\\c", "&" + a79 + "\\\\\n&c\n"},
      {a79.substr(1) + "\\c", "&" + a79.substr(1) + "\\\\\n&c\n"},
      // A hexadecimal pair at column 79 still fits; the marker behind it
      // starts the next line.
      {"a" + x39 + "zzzzzzzzz",
       "&a\\x" + std::string(78, '0') + "\n&\\xzzzzzzzzz\n"},
      // The closing \x of the flush takes no line check: 83 characters.
      {"a" + x39, "&a\\x" + std::string(78, '0') + "\\x\n"},
  };
  for (const auto &c : cases) EXPECT_EQ(Encode(c.bytes), c.text) << c.text;
}

// The encoded rows of a depth-1 image whose picture rows are `rows`,
// unpacked, rowBytes bytes each.
std::string EncodedRows(int rowBytes, int height, const std::string &rows) {
  Version = 1;
  Channels channels(BitMap(rowBytes, height, rowBytes * 8) +
                    Placement(0, 0, 1, 1) + rows);
  op_BitsRect();
  std::string bytes = FacetBytes(channels.Output());
  EXPECT_EQ(bytes.substr(0, 32),
            RasterHeader(static_cast<uint32_t>(rowBytes * 8),
                         static_cast<uint32_t>(height), 1));
  return bytes.substr(32);
}

TEST(Facet, RunLengthEncoding) {
  const struct {
    int rowBytes, height;
    std::string rows, encoded;
  } cases[] = {
      // Runs of 1 to 3 are written out, from 4 on escaped with their count.
      {4, 2, Hex("01 02 02 03 03 03 04 04"), Hex("01 0202 030303 04 04")},
      {6, 1, Hex("07 07 07 07 00 05"), Hex("80 03 07 00 05")},
      // A run goes on across a row end.
      {4, 2, Hex("11 22 33 33 33 33 44 55"), Hex("11 22 80 03 33 44 55")},
      // 0x80 is never a run: each one is escaped on its own.
      {4, 1, Hex("80 80 80 01"), Hex("8000 8000 8000 01")},
      // Runs end at 255 bytes.
      {6, 50, std::string(300, '\0'), Hex("80 FE 00 80 2C 00")},
      {4, 64, std::string(256, '\x07'), Hex("80 FE 07 07")},
      {4, 64, std::string(255, '\x09') + "\x0A", Hex("80 FE 09 0A")},
  };
  for (const auto &c : cases)
    EXPECT_EQ(EncodedRows(c.rowBytes, c.height, c.rows), c.encoded)
        << c.rows.size() << " bytes";
}

// An output that takes no byte: the facet ends without its closing line,
// the rest of the rows are still read, and the image is reported.
TEST(Facet, WriteFailure) {
  ASSERT_TRUE(srefixture::Load());
  Version = 2;
  Channels channels(BitMap(3, 3, 24) + Placement(0, 0, 2, 16) +
                    Hex("000000 FFFFFF 123456") + Hex("AA 0099"));
  Channel full;
  full.stream = std::fopen("/dev/full", "w");
  ASSERT_NE(full.stream, nullptr);
  std::setvbuf(full.stream, nullptr, _IONBF, 0);
  outputFP = &full;
  EXPECT_EQ(ChannelPUTC('a', &full), -1);
  testing::internal::CaptureStderr();
  op_BitsRect();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "MSG 1003\nMSG 1025\n");
  // Rows and pad byte taken: the next opcode is read where it stands.
  uint16_t opcode = 0;
  getopcode(&opcode);
  EXPECT_EQ(opcode, 0x0099);
  std::fclose(full.stream);
}

}  // namespace

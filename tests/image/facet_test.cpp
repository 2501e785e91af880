// The facet writer's encoding, line lengths and failing output. (Every kind
// of image: the image, full cases.)
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "driver/driver.h"
#include "image/facet_encoder.h"
#include "image/image.h"
#include "image/image_bytes.h"
#include "pict/pict.h"
#include "pict_bytes.h"
#include "support/channels.h"
#include "support/sre_fixture.h"

namespace {

using imagebytes::Encode;
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
      // A stretch opens at a non-text byte, closes before 8 text bytes.
      {"A\x01"
       "BCDEF\x02GHIJKLMNOP",
       "&A\\x01424344454602\\xGHIJKLMNOP\n"},
      // Seven text bytes keep it open, eight close it.
      {"\x01"
       "ABCDEFG\x02HIJKLMNO",
       "&\\x014142434445464702\\xHIJKLMNO\n"},
      {"\x01"
       "ABCDEFGH\x02IJKLMNOP",
       "&\\x01\\xABCDEFGH\\x02\\xIJKLMNOP\n"},
      // CR and DEL are hexadecimal; a stretch open at the end is closed.
      {"abcdefgh\r\x7F", "&abcdefgh\\x0D7F\\x\n"},
      // Lines break past 79 characters: 80, or 81 ending in "\\".
      {std::string(85, 'b'), "&" + std::string(80, 'b') + "\n&bbbbb\n"},
      {a79 + "\\c", "&" + a79 + "\\\\\n&c\n"},
      {a79.substr(1) + "\\c", "&" + a79.substr(1) + "\\\\\n&c\n"},
      // A hex pair at column 79 fits; the marker behind starts a new line.
      {"a" + x39 + "zzzzzzzzz",
       "&a\\x" + std::string(78, '0') + "\n&\\xzzzzzzzzz\n"},
      // The closing \x of the flush takes no line check: 83 characters.
      {"a" + x39, "&a\\x" + std::string(78, '0') + "\\x\n"},
  };
  for (const auto &c : cases) EXPECT_EQ(Encode(c.bytes), c.text) << c.text;
}

// The encoding by the general path alone, one byte at a time.
std::string EncodeByteByByte(const std::string &bytes) {
  Channels channels("");
  LookaheadBuffer encoder;
  ChannelInitLookaheadBuffer(&encoder, outputFP, kInitialEncoderFlags);
  for (unsigned char byte : bytes) {
    if (encoder.fill < 8) {
      ChannelFillLookaheadBuff(byte, &encoder);
      continue;
    }
    ChannelPopLookaheadChar(&encoder);
    encoder.window[encoder.position] = byte;
    encoder.mask = static_cast<uint8_t>(
        encoder.mask << 1 | (byte < 0x20 && byte != '\t') | (byte > 0x7E));
    encoder.position = static_cast<int16_t>((encoder.position + 1) % 8);
    if (encoder.pendingLength > kPendingSize / 2) ChannelWritePending(&encoder);
  }
  ChannelFlushLookaheadBuffer(&encoder);
  return channels.Output();
}

// Long mixed data over many blocks: whole, byte by byte or in pieces of 13
// as the general path gives it; lines of at most 81 characters after '&'.
TEST(Facet, LongDataWholeOrInPieces) {
  const std::string alphabets[] = {"abcdefghijklmnopqrstuvwxyz", "", "\\qq",
                                   "\n !#09AZaz{~"};
  std::string bytes;
  for (uint32_t i = 0; i < 4 * kPendingSize; ++i) {
    const std::string &alphabet = alphabets[i / 150 % 4];
    uint32_t noise = i * 2654435761u >> 24;
    bytes += alphabet.empty() ? static_cast<char>(noise)
                              : alphabet[noise % alphabet.size()];
  }
  const std::string whole = Encode(bytes);
  EXPECT_EQ(EncodeByteByByte(bytes), whole);
  EXPECT_EQ(Encode(bytes, 1), whole);
  EXPECT_EQ(Encode(bytes, 13), whole);
  size_t lines = 0;
  for (size_t at = 0; at < whole.size(); ++lines) {
    size_t end = whole.find('\n', at);
    ASSERT_NE(end, std::string::npos);
    ASSERT_EQ(whole[at], '&') << "line " << lines;
    EXPECT_LE(end - at - 1, 81u) << "line " << lines;
    at = end + 1;
  }
  EXPECT_GT(lines, 500u);
}

// A failing output: the rows are still read, the image is reported.
TEST(Facet, WriteFailure) {
  ASSERT_TRUE(srefixture::Load());
  Version = 2;
  // Row bytes and bounds; source, destination and mode; rows, pad, opcode.
  Channels channels(Hex("0003 0000 0000 0003 0018") +
                    Hex("0000 0000 0001 0001 0000 0000 0002 0010 0000") +
                    Hex("000000 FFFFFF 123456 AA 0099"));
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

// The byte loops of image rows, sixteen bytes at a time: the scans of the
// run-length encoder, the fills and copies of PackBits, the text test and
// the hexadecimal pairs of the facet encoder. With SSE2 (every x86-64
// machine) each step takes a 16-byte block; elsewhere, or when built with
// PICTTOTOV_NO_SIMD, byte loops give the same results. The build
// comparison converts its pictures both ways.
#ifndef PICTTOTOV_IMAGE_BLOCKS_H
#define PICTTOTOV_IMAGE_BLOCKS_H

#include <cstdint>
#include <cstring>

#if defined(__SSE2__) && !defined(PICTTOTOV_NO_SIMD)
#define PICTTOTOV_SSE2 1
#include <emmintrin.h>
#endif

namespace blocks {

constexpr int32_t kBlock = 16;

// Printable ASCII and the tab: the bytes the facet writes as they are.
constexpr bool IsTextByte(unsigned char byte) {
  return (byte >= 0x20 && byte <= 0x7E) || byte == '\t';
}

#ifdef PICTTOTOV_SSE2
inline __m128i load(const unsigned char *bytes) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes));
}
inline void store(unsigned char *bytes, __m128i block) {
  _mm_storeu_si128(reinterpret_cast<__m128i *>(bytes), block);
}
inline __m128i splat(unsigned char byte) {
  return _mm_set1_epi8(static_cast<char>(byte));
}
// Bit j: byte j of the comparison holds.
inline uint32_t bitsOf(__m128i comparison) {
  return static_cast<uint32_t>(_mm_movemask_epi8(comparison));
}
// The digits '0' to '9' and 'A' to 'F' of 16 values below 16.
inline __m128i hexDigits(__m128i nibbles) {
  const __m128i letters =
      _mm_and_si128(_mm_cmpgt_epi8(nibbles, splat(9)), splat('A' - '9' - 1));
  return _mm_add_epi8(_mm_add_epi8(nibbles, splat('0')), letters);
}
// The 16 digits of the first 8 bytes of `bytes` and, in `high`, the 16 of
// the last 8.
inline __m128i hexPairs(__m128i bytes, __m128i *high) {
  const __m128i low4 = splat(0x0F);
  const __m128i upper = _mm_and_si128(_mm_srli_epi16(bytes, 4), low4);
  const __m128i lower = _mm_and_si128(bytes, low4);
  *high = hexDigits(_mm_unpackhi_epi8(upper, lower));
  return hexDigits(_mm_unpacklo_epi8(upper, lower));
}
#endif

// Sets out[0, n) to `value`, in whole blocks: up to 15 bytes past n may
// be set too.
inline void FillBlocks(unsigned char *out, unsigned char value, int32_t n) {
#ifdef PICTTOTOV_SSE2
  const __m128i block = splat(value);
  for (int32_t i = 0; i < n; i += kBlock) store(out + i, block);
#else
  std::memset(out, value, static_cast<size_t>(n));
#endif
}

// Copies in[0, n) to out, in whole blocks: up to 15 bytes past n may be
// read and written too.
inline void CopyBlocks(unsigned char *out, const unsigned char *in, int32_t n) {
#ifdef PICTTOTOV_SSE2
  for (int32_t i = 0; i < n; i += kBlock) store(out + i, load(in + i));
#else
  std::memcpy(out, in, static_cast<size_t>(n));
#endif
}

// The position of the first of bytes[0, n) that differs from `value`, or n.
inline int32_t FirstOther(const unsigned char *bytes, int32_t n,
                          unsigned char value) {
  int32_t i = 0;
#ifdef PICTTOTOV_SSE2
  const __m128i repeated = splat(value);
  for (; n - i >= kBlock; i += kBlock) {
    const uint32_t same = bitsOf(_mm_cmpeq_epi8(load(bytes + i), repeated));
    if (same != 0xFFFF) return i + __builtin_ctz(~same);
  }
#endif
  while (i < n && bytes[i] == value) ++i;
  return i;
}

// The position of the first of bytes[0, n) that equals the byte behind it
// or `mark`, or n. bytes[n] is read.
inline int32_t FirstRepeatOr(const unsigned char *bytes, int32_t n,
                             unsigned char mark) {
  int32_t i = 0;
#ifdef PICTTOTOV_SSE2
  const __m128i marks = splat(mark);
  for (; n - i >= kBlock; i += kBlock) {
    const __m128i here = load(bytes + i);
    const uint32_t found =
        bitsOf(_mm_or_si128(_mm_cmpeq_epi8(here, load(bytes + i + 1)),
                            _mm_cmpeq_epi8(here, marks)));
    if (found != 0) return i + __builtin_ctz(found);
  }
#endif
  while (i < n && bytes[i] != bytes[i + 1] && bytes[i] != mark) ++i;
  return i;
}

// Bit j: bytes[j] is text, for the 16 bytes from `bytes` on.
inline uint32_t TextBits(const unsigned char *bytes) {
#ifdef PICTTOTOV_SSE2
  // Bytes from 0x80 on are negative as signed bytes: below 0x20.
  const __m128i block = load(bytes);
  const __m128i printable = _mm_and_si128(_mm_cmpgt_epi8(block, splat(0x1F)),
                                          _mm_cmplt_epi8(block, splat(0x7F)));
  return bitsOf(_mm_or_si128(printable, _mm_cmpeq_epi8(block, splat('\t'))));
#else
  uint32_t bits = 0;
  for (int j = 0; j < kBlock; ++j)
    bits |= static_cast<uint32_t>(IsTextByte(bytes[j])) << j;
  return bits;
#endif
}

// Writes the two uppercase hexadecimal digits of each of in[0, n) to out;
// returns the end of what it wrote.
inline unsigned char *PutHexPairs(const unsigned char *in, int32_t n,
                                  unsigned char *out) {
  int32_t i = 0;
#ifdef PICTTOTOV_SSE2
  __m128i high;
  for (; n - i >= kBlock; i += kBlock, out += 2 * kBlock) {
    store(out, hexPairs(load(in + i), &high));
    store(out + kBlock, high);
  }
  if (n - i >= kBlock / 2) {
    const __m128i half =
        _mm_loadl_epi64(reinterpret_cast<const __m128i *>(in + i));
    store(out, hexPairs(half, &high));
    i += kBlock / 2;
    out += kBlock;
  }
#endif
  constexpr char kDigits[] = "0123456789ABCDEF";
  for (; i < n; ++i) {
    *out++ = static_cast<unsigned char>(kDigits[in[i] >> 4]);
    *out++ = static_cast<unsigned char>(kDigits[in[i] & 0x0F]);
  }
  return out;
}

}  // namespace blocks

#endif  // PICTTOTOV_IMAGE_BLOCKS_H

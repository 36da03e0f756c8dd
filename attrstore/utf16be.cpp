// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/utf16be.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "attrstore/byte_scan.h"
#include "attrstore/utf.h"

namespace quillmark::utf16be {

namespace {

// Wide stores of the decoder may run this far past the UTF-8 it writes.
constexpr std::size_t kDecodeSlack = 16;

// ---- One code point or code unit at a time: the reference, and every path's tail ----

void putUnit(std::uint8_t*& out, char32_t unit) {
  out[0] = static_cast<std::uint8_t>(unit >> 8);
  out[1] = static_cast<std::uint8_t>(unit);
  out += 2;
}

// Writes eight ASCII bytes (loaded little-endian into `word`) as eight
// UTF-16BE code units: each byte moves to the odd position of its pair.
void widenAscii(std::uint8_t*& out, std::uint64_t word) {
  for (std::uint64_t half : {word & 0xFFFFFFFFu, word >> 32}) {
    half = (half | half << 16) & 0x0000FFFF0000FFFFu;
    half = (half | half << 8) & 0x00FF00FF00FF00FFu;
    half <<= 8;
    std::memcpy(out, &half, 8);
    out += 8;
  }
}

// Writes the code points from `src[at]` on as UTF-16BE until `at` reaches
// `until` (or `n`), leaving `at` at the start of a code point; false at an
// ill-formed sequence.
bool encodeCodePoints(std::uint8_t*& outAt, const std::uint8_t* src, std::size_t n,
                      std::size_t& srcAt, std::size_t until) {
  // Copies, so that the stores through `out` cannot be taken to change them.
  std::uint8_t* out = outAt;
  std::size_t at = srcAt;
  bool wellFormed = true;
  until = std::min(until, n);
  while (at < until) {
    if (at + 8 <= n && scan::allAscii(scan::load(src + at))) {
      widenAscii(out, scan::load(src + at));
      at += 8;
      continue;
    }
    const std::uint8_t lead = src[at];
    if (lead < 0x80) {
      putUnit(out, lead);
      ++at;
    } else if (lead >= 0xC2 && lead < 0xE0 && at + 1 < n && (src[at + 1] & 0xC0) == 0x80) {
      putUnit(out, (lead & 0x1Fu) << 6 | (src[at + 1] & 0x3Fu));  // Latin and most alphabets
      at += 2;
    } else {
      char32_t c = 0;
      const std::size_t length = utf::decodeUtf8(src + at, n - at, c);
      if (length == 0) {
        wellFormed = false;
        break;
      }
      if (c < 0x10000) {
        putUnit(out, c);
      } else {
        c -= 0x10000;
        putUnit(out, 0xD800 + (c >> 10));
        putUnit(out, 0xDC00 + (c & 0x3FF));
      }
      at += length;
    }
  }
  outAt = out;
  srcAt = at;
  return wellFormed;
}

std::size_t unitsForUtf8Scalar(const std::uint8_t* src, std::size_t n) {
  // One unit per byte that is not a continuation byte, a second for four-byte leads.
  std::size_t units = 0;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    // Per byte, bit 7 of: "is a continuation byte" (10xxxxxx) and "starts a
    // four-byte sequence" (11110xxx); shifts below 8 stay within each byte.
    const std::uint64_t w = scan::load(src + i);
    const std::uint64_t continuation = w & ~(w << 1) & scan::kHighBits;
    const std::uint64_t fourByteLead = w & (w << 1) & (w << 2) & (w << 3) & scan::kHighBits;
    units += 8 - scan::countFlagged(continuation) + scan::countFlagged(fourByteLead);
  }
  for (; i < n; ++i) {
    units += (src[i] & 0xC0) != 0x80;
    units += src[i] >= 0xF0;
  }
  return units;
}

// Writes the code units from `p` unit `i` on as UTF-8 at `w` until `i` reaches
// `until` (a surrogate pair may take it one further); returns the end.
char* decodeUnits(char* w, const std::uint8_t* p, std::size_t units, std::size_t& unitAt,
                  std::size_t until) {
  std::size_t i = unitAt;  // a copy, which the stores through `w` cannot be taken to change
  while (i < until) {
    if (i + 4 <= units) {
      // Four ASCII units at a time: high bytes zero, low bytes below 0x80.
      std::uint64_t word = scan::load(p + 2 * i);
      if ((word & 0x80FF80FF80FF80FFu) == 0) {
        word = (word >> 8) & 0x00FF00FF00FF00FFu;
        word = (word | word >> 8) & 0x0000FFFF0000FFFFu;
        word = (word | word >> 16) & 0xFFFFFFFFu;
        const auto four = static_cast<std::uint32_t>(word);
        std::memcpy(w, &four, 4);
        w += 4;
        i += 4;
        continue;
      }
    }
    char32_t c = char32_t{p[2 * i]} << 8 | p[2 * i + 1];
    ++i;
    if (c < 0x80) {
      *w++ = static_cast<char>(c);
      continue;
    }
    if (utf::isHighSurrogate(c) && i < units) {
      const char32_t low = char32_t{p[2 * i]} << 8 | p[2 * i + 1];
      if (utf::isLowSurrogate(low)) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (utf::isSurrogate(c)) c = utf::kReplacementCharacter;
    w = utf::putUtf8(w, c);
  }
  unitAt = i;
  return w;
}

#if defined(__x86_64__)

// ---- SSE2: runs of ASCII sixteen bytes (eight units) at a time ----

std::size_t unitsForUtf8Sse2(const std::uint8_t* src, std::size_t n) {
  std::size_t units = 0;
  std::size_t i = 0;
  // Counted per byte lane, at most 255 rounds before the lanes are added up:
  // continuation bytes (0x80-0xBF, below -64 as signed bytes) start no unit,
  // four-byte leads (0xF0-0xFF) a second.
  while (i + 16 <= n) {
    __m128i continuations = _mm_setzero_si128(), fourByteLeads = _mm_setzero_si128();
    const std::size_t rounds = std::min<std::size_t>((n - i) / 16, 255);
    for (std::size_t round = 0; round < rounds; ++round, i += 16) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
      continuations = _mm_sub_epi8(continuations, _mm_cmplt_epi8(chunk, _mm_set1_epi8(-64)));
      const __m128i fourByte = _mm_cmpeq_epi8(_mm_max_epu8(chunk, _mm_set1_epi8(-16)), chunk);
      fourByteLeads = _mm_sub_epi8(fourByteLeads, fourByte);
    }
    const __m128i difference = _mm_sub_epi64(_mm_sad_epu8(fourByteLeads, _mm_setzero_si128()),
                                             _mm_sad_epu8(continuations, _mm_setzero_si128()));
    units +=
        16 * rounds + static_cast<std::size_t>(_mm_cvtsi128_si64(difference) +
                                               _mm_cvtsi128_si64(_mm_srli_si128(difference, 8)));
  }
  return units + unitsForUtf8Scalar(src + i, n - i);
}

std::uint8_t* utf8ToUtf16Sse2(std::uint8_t* out, const std::uint8_t* src, std::size_t n) {
  std::size_t at = 0;
  const __m128i zero = _mm_setzero_si128();
  while (at + 16 <= n) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + at));
    const auto nonAscii = static_cast<unsigned>(_mm_movemask_epi8(chunk));
    const unsigned ascii = nonAscii == 0 ? 16 : static_cast<unsigned>(std::countr_zero(nonAscii));
    if (ascii != 0) {
      // A zero byte before each ASCII byte is its unit; units past the first
      // non-ASCII byte are written over next (the slack covers them).
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(zero, chunk));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi8(zero, chunk));
      out += 2 * ascii;
      at += ascii;
    }
    if (ascii != 16 && !encodeCodePoints(out, src, n, at, at + 1)) return nullptr;
  }
  return encodeCodePoints(out, src, n, at, n) ? out : nullptr;
}

char* utf16ToUtf8Sse2(char* w, const std::uint8_t* p, std::size_t units) {
  std::size_t i = 0;
  while (i + 8 <= units) {
    const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * i));
    const __m128i v = _mm_or_si128(_mm_slli_epi16(raw, 8), _mm_srli_epi16(raw, 8));
    const __m128i ascii =
        _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(-0x80)), _mm_setzero_si128());
    if (_mm_movemask_epi8(ascii) == 0xFFFF) {
      _mm_storel_epi64(reinterpret_cast<__m128i*>(w), _mm_packus_epi16(v, v));
      w += 8;
      i += 8;
    } else {
      w = decodeUnits(w, p, units, i, i + 8);
    }
  }
  return decodeUnits(w, p, units, i, units);
}

// ---- AVX2: thirty-two bytes or sixteen units at a time, any mix of one- to three-byte sequences
// ----

// A byte shuffle per 8-bit key, with how many bytes it yields.
struct ShuffleTable {
  alignas(16) std::uint8_t shuffle[256][16];
  std::uint8_t length[256];
};

// For each key, the first `length(key, lane)` bytes of each of `lanes` equal
// lanes in turn (last byte first when `reversed`), packed to the front.
template <typename Length>
constexpr ShuffleTable makePicker(unsigned lanes, Length length, bool reversed = false) {
  ShuffleTable table{};
  for (unsigned key = 0; key < 256; ++key) {
    unsigned k = 0;
    for (unsigned lane = 0; lane < lanes; ++lane) {
      const unsigned n = length(key, lane);
      for (unsigned b = 0; b < n; ++b) {
        table.shuffle[key][k++] =
            static_cast<std::uint8_t>(16 / lanes * lane + (reversed ? n - 1 - b : b));
      }
    }
    table.length[key] = static_cast<std::uint8_t>(k);
    while (k < 16) table.shuffle[key][k++] = 0x80;
  }
  return table;
}

constexpr auto bit = [](unsigned key, unsigned i) { return key >> i & 1; };
// Keyed by which of eight 16-bit lanes end a code point: those lanes' units,
// in order, high byte first.
constexpr ShuffleTable kUnitPicker = makePicker(
    8, [](unsigned key, unsigned lane) { return 2 * bit(key, lane); }, true);
// Keyed by which of eight 16-bit lanes hold a unit of 0x80 or more: each
// lane's first byte, or both.
constexpr ShuffleTable kTwoBytePicker =
    makePicker(8, [](unsigned key, unsigned lane) { return 1 + bit(key, lane); });
// Keyed by which of four 32-bit lanes hold a unit of 0x80 or more (bits 0-3)
// and of 0x800 or more (bits 4-7): each lane's first one, two or three bytes.
constexpr ShuffleTable kUtf8Picker = makePicker(
    4, [](unsigned key, unsigned lane) { return 1 + bit(key, lane) + bit(key, lane + 4); });

#define QUILLMARK_AVX2 __attribute__((target("avx2")))

QUILLMARK_AVX2 __m256i loadWide(const std::uint8_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

QUILLMARK_AVX2 void storeNarrow(void* p, __m128i v) {
  _mm_storeu_si128(static_cast<__m128i*>(p), v);
}

// The two table shuffles for the low and high 128-bit lanes.
QUILLMARK_AVX2 __m256i shufflePair(const ShuffleTable& table, unsigned low, unsigned high) {
  const auto entry = [&table](unsigned key) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(table.shuffle[key]));
  };
  return _mm256_inserti128_si256(_mm256_castsi128_si256(entry(low)), entry(high), 1);
}

QUILLMARK_AVX2 std::size_t unitsForUtf8Avx2(const std::uint8_t* src, std::size_t n) {
  std::size_t units = 0;
  std::size_t i = 0;
  while (i + 32 <= n) {  // as in the SSE2 count, twice as wide
    __m256i continuations = _mm256_setzero_si256(), fourByteLeads = _mm256_setzero_si256();
    const std::size_t rounds = std::min<std::size_t>((n - i) / 32, 255);
    for (std::size_t round = 0; round < rounds; ++round, i += 32) {
      const __m256i chunk = loadWide(src + i);
      continuations =
          _mm256_sub_epi8(continuations, _mm256_cmpgt_epi8(_mm256_set1_epi8(-64), chunk));
      const __m256i fourByte =
          _mm256_cmpeq_epi8(_mm256_max_epu8(chunk, _mm256_set1_epi8(-16)), chunk);
      fourByteLeads = _mm256_sub_epi8(fourByteLeads, fourByte);
    }
    const __m256i difference =
        _mm256_sub_epi64(_mm256_sad_epu8(fourByteLeads, _mm256_setzero_si256()),
                         _mm256_sad_epu8(continuations, _mm256_setzero_si256()));
    const __m128i halves =
        _mm_add_epi64(_mm256_castsi256_si128(difference), _mm256_extracti128_si256(difference, 1));
    units += 32 * rounds +
             static_cast<std::size_t>(_mm_cvtsi128_si64(halves) + _mm_extract_epi64(halves, 1));
  }
  return units + unitsForUtf8Scalar(src + i, n - i);
}

// Where a continuation byte is due: after a two- or three-byte lead
// (0xC2-0xEF, `before`) or two after a three-byte lead (0xE0-0xEF, `twoBefore`).
QUILLMARK_AVX2 __m256i expectsContinuation(__m256i before, __m256i twoBefore) {
  const __m256i below0xF0 = _mm256_set1_epi8(-16);
  const __m256i lead1 = _mm256_and_si256(_mm256_cmpgt_epi8(before, _mm256_set1_epi8(-63)),
                                         _mm256_cmpgt_epi8(below0xF0, before));
  const __m256i lead2 = _mm256_and_si256(_mm256_cmpgt_epi8(twoBefore, _mm256_set1_epi8(-33)),
                                         _mm256_cmpgt_epi8(below0xF0, twoBefore));
  return _mm256_or_si256(lead1, lead2);
}

// `v`, which the compiler must keep as it is rather than build anew where it
// is used (for constants, from an integer register in every round of a loop).
QUILLMARK_AVX2 __m256i pinned(__m256i v) {
  __asm__("" : "+x"(v));
  return v;
}

// Sixteen-bit units c0 | c1 << 6 | c2 << 12, from byte pairs c0 | c1 << 8 and c2 << 8.
QUILLMARK_AVX2 __m256i assembleUnits(__m256i c0c1, __m256i c2High) {
  const __m256i low = _mm256_and_si256(c0c1, _mm256_set1_epi16(0x7F));
  const __m256i middle = _mm256_and_si256(_mm256_srli_epi16(c0c1, 2), _mm256_set1_epi16(0x0FC0));
  return _mm256_or_si256(_mm256_or_si256(low, middle), _mm256_slli_epi16(c2High, 4));
}

// Thirty-two bytes at a time, read together with the two bytes before and
// the one after: each code point is written in the window where it ends,
// its unit put together from its last byte and the one or two before it, so
// sequences that cross from one window into the next need nothing special.
// A window with anything else (four-byte sequences, ill-formed bytes) goes
// through encodeCodePoints, which writes the former and rejects the latter.
QUILLMARK_AVX2 std::uint8_t* utf8ToUtf16Avx2(std::uint8_t* out, const std::uint8_t* src,
                                             std::size_t n) {
  std::size_t at = 0;
  if (!encodeCodePoints(out, src, n, at, 2)) return nullptr;
  std::size_t written = at;   // every code point before it is written
  bool firstChecked = false;  // whether the window before checked the byte at `at`
  const __m256i zero = _mm256_setzero_si256();
  // The byte values the windows compare with and mask by, each built once.
  // As signed bytes, 0x80-0xBF are below 0xC0 and 0x80-0x9F below 0xA0.
  const __m256i x0C0 = pinned(_mm256_set1_epi8(-64)), x0A0 = pinned(_mm256_set1_epi8(-96));
  const __m256i x09F = pinned(_mm256_set1_epi8(-97)), x0FE = pinned(_mm256_set1_epi8(-2));
  const __m256i x0F0 = pinned(_mm256_set1_epi8(-16)), x0E0 = pinned(_mm256_set1_epi8(-32));
  const __m256i x0ED = pinned(_mm256_set1_epi8(-19)), x07F = pinned(_mm256_set1_epi8(0x7F));
  const __m256i x03F = pinned(_mm256_set1_epi8(0x3F)), x00F = pinned(_mm256_set1_epi8(0x0F));
  while (at + 33 <= n) {
    const __m256i b0 = loadWide(src + at);
    if (written == at && _mm256_movemask_epi8(b0) == 0) {
      const __m256i inOrder = _mm256_permute4x64_epi64(b0, 0xD8);  // quarters 0, 2, 1, 3
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_unpacklo_epi8(zero, inOrder));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32),
                          _mm256_unpackhi_epi8(zero, inOrder));
      out += 64;
      at += 32;
      written = at;
      firstChecked = false;
      continue;
    }
    const __m256i b1 = loadWide(src + at - 1), b2 = loadWide(src + at - 2);
    const __m256i next = loadWide(src + at + 1);
    const __m256i continuation0 = _mm256_cmpgt_epi8(x0C0, b0);
    const __m256i continuation1 = _mm256_cmpgt_epi8(x0C0, b1);
    const __m256i continuationNext = _mm256_cmpgt_epi8(x0C0, next);
    // Continuation bytes exactly where one is due, from the window's second
    // byte to the next window's first, so that every code point the window
    // ends is whole. Its own first byte was checked so by the window before;
    // after whole code points it must just not be a continuation byte.
    __m256i bad = _mm256_xor_si256(continuationNext, expectsContinuation(b0, b1));
    const bool badFirst = !firstChecked && (src[at] & 0xC0) == 0x80;
    // Leads of overlong forms (0xC0, 0xC1) and of four-byte sequences or worse (0xF0-0xFF).
    bad = _mm256_or_si256(bad, _mm256_cmpeq_epi8(_mm256_and_si256(b0, x0FE), x0C0));
    bad = _mm256_or_si256(bad, _mm256_cmpeq_epi8(_mm256_max_epu8(b0, x0F0), b0));
    // 0xE0 then 0x80-0x9F (overlong), 0xED then 0xA0-0xBF (a surrogate).
    bad = _mm256_or_si256(
        bad, _mm256_and_si256(_mm256_cmpeq_epi8(b1, x0E0), _mm256_cmpgt_epi8(x0A0, b0)));
    bad = _mm256_or_si256(
        bad, _mm256_and_si256(_mm256_cmpeq_epi8(b1, x0ED), _mm256_cmpgt_epi8(b0, x09F)));
    if (badFirst || !_mm256_testz_si256(bad, bad)) {
      const std::size_t windowEnd = at + 32;
      at = written;
      if (!encodeCodePoints(out, src, n, at, windowEnd)) return nullptr;
      written = at;
      firstChecked = false;
      continue;
    }
    // A code point ends where the next byte is not a continuation byte.
    const auto ends = ~static_cast<std::uint32_t>(_mm256_movemask_epi8(continuationNext));
    // The last byte's low bits (seven for ASCII, six for a continuation byte),
    // six from the byte before when the last is a continuation byte, four from
    // the byte two before when both are.
    const __m256i c0 = _mm256_and_si256(b0, x07F);
    const __m256i c1 = _mm256_and_si256(continuation0, _mm256_and_si256(b1, x03F));
    const __m256i c2 = _mm256_and_si256(_mm256_and_si256(continuation0, continuation1),
                                        _mm256_and_si256(b2, x00F));
    // Byte lanes 0-7 and 16-23, then 8-15 and 24-31, as sixteen-bit units.
    const __m256i unitsLow =
        assembleUnits(_mm256_unpacklo_epi8(c0, c1), _mm256_unpacklo_epi8(zero, c2));
    const __m256i unitsHigh =
        assembleUnits(_mm256_unpackhi_epi8(c0, c1), _mm256_unpackhi_epi8(zero, c2));
    const unsigned keys[4] = {ends & 0xFF, ends >> 8 & 0xFF, ends >> 16 & 0xFF, ends >> 24};
    const __m256i pickedLow =
        _mm256_shuffle_epi8(unitsLow, shufflePair(kUnitPicker, keys[0], keys[2]));
    const __m256i pickedHigh =
        _mm256_shuffle_epi8(unitsHigh, shufflePair(kUnitPicker, keys[1], keys[3]));
    const __m128i parts[4] = {_mm256_castsi256_si128(pickedLow), _mm256_castsi256_si128(pickedHigh),
                              _mm256_extracti128_si256(pickedLow, 1),
                              _mm256_extracti128_si256(pickedHigh, 1)};
    for (int part = 0; part < 4; ++part) {
      storeNarrow(out, parts[part]);
      out += kUnitPicker.length[keys[part]];
    }
    written = at + 32 - static_cast<std::size_t>(std::countl_zero(ends));
    at += 32;
    firstChecked = true;
  }
  at = written;
  return encodeCodePoints(out, src, n, at, n) ? out : nullptr;
}

// Four units (in 32-bit lanes) as UTF-8, each in the first one, two or three
// bytes of its lane, picked out with kUtf8Picker.
QUILLMARK_AVX2 __m256i utf8Lanes(__m256i x, __m256i twoBytes, __m256i threeBytes) {
  const __m256i marker = _mm256_set1_epi32(0x80);
  const __m256i sixBits = _mm256_set1_epi32(0x3F);
  const __m256i last = _mm256_or_si256(_mm256_and_si256(x, sixBits), marker);
  const __m256i middle =
      _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi32(x, 6), sixBits), marker);
  const __m256i two =
      _mm256_or_si256(_mm256_or_si256(_mm256_srli_epi32(x, 6), _mm256_set1_epi32(0xC0)),
                      _mm256_slli_epi32(last, 8));
  const __m256i three =
      _mm256_or_si256(_mm256_or_si256(_mm256_srli_epi32(x, 12), _mm256_set1_epi32(0xE0)),
                      _mm256_or_si256(_mm256_slli_epi32(middle, 8), _mm256_slli_epi32(last, 16)));
  return _mm256_blendv_epi8(_mm256_blendv_epi8(x, two, twoBytes), three, threeBytes);
}

QUILLMARK_AVX2 char* utf16ToUtf8Avx2(char* w, const std::uint8_t* p, std::size_t units) {
  const __m256i swapBytes =
      _mm256_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14,  //
                       1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14);
  const __m256i zero = _mm256_setzero_si256();
  std::size_t i = 0;
  while (i + 16 <= units) {
    const __m256i v = _mm256_shuffle_epi8(loadWide(p + 2 * i), swapBytes);
    if (_mm256_testz_si256(v, _mm256_set1_epi16(-0x80))) {  // all below 0x80
      const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(v, v), 0x08);
      storeNarrow(w, _mm256_castsi256_si128(packed));
      w += 16;
      i += 16;
      continue;
    }
    if (_mm256_testz_si256(v, _mm256_set1_epi16(-0x800))) {  // all below 0x800: Latin and the like
      const __m256i twoBytes = _mm256_cmpgt_epi16(v, _mm256_set1_epi16(0x7F));
      const __m256i last =
          _mm256_or_si256(_mm256_and_si256(v, _mm256_set1_epi16(0x3F)), _mm256_set1_epi16(0x80));
      const __m256i two =
          _mm256_or_si256(_mm256_or_si256(_mm256_srli_epi16(v, 6), _mm256_set1_epi16(0xC0)),
                          _mm256_slli_epi16(last, 8));
      const __m256i lanes = _mm256_blendv_epi8(v, two, twoBytes);
      // Units 0-7 in bits 0-7 of the mask, units 8-15 in bits 16-23.
      const auto mask =
          static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_packs_epi16(twoBytes, twoBytes)));
      const unsigned keys[2] = {mask & 0xFF, mask >> 16 & 0xFF};
      const __m256i picked =
          _mm256_shuffle_epi8(lanes, shufflePair(kTwoBytePicker, keys[0], keys[1]));
      storeNarrow(w, _mm256_castsi256_si128(picked));
      w += kTwoBytePicker.length[keys[0]];
      storeNarrow(w, _mm256_extracti128_si256(picked, 1));
      w += kTwoBytePicker.length[keys[1]];
      i += 16;
      continue;
    }
    const __m256i surrogates = _mm256_cmpeq_epi16(_mm256_and_si256(v, _mm256_set1_epi16(-0x800)),
                                                  _mm256_set1_epi16(-0x2800));
    if (!_mm256_testz_si256(surrogates, surrogates)) {
      w = decodeUnits(w, p, units, i, i + 16);
      continue;
    }
    // Units 0-3 and 8-11, then 4-7 and 12-15, in 32-bit lanes.
    const __m256i halves[2] = {_mm256_unpacklo_epi16(v, zero), _mm256_unpackhi_epi16(v, zero)};
    __m128i parts[4];
    unsigned keys[4];
    for (int h = 0; h < 2; ++h) {
      const __m256i twoBytes = _mm256_cmpgt_epi32(halves[h], _mm256_set1_epi32(0x7F));
      const __m256i threeBytes = _mm256_cmpgt_epi32(halves[h], _mm256_set1_epi32(0x7FF));
      const auto mask =
          static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(twoBytes)) |
                                _mm256_movemask_ps(_mm256_castsi256_ps(threeBytes)) << 8);
      keys[h] = (mask & 0x0F) | (mask >> 4 & 0xF0);
      keys[h + 2] = (mask >> 4 & 0x0F) | (mask >> 8 & 0xF0);
      const __m256i picked = _mm256_shuffle_epi8(utf8Lanes(halves[h], twoBytes, threeBytes),
                                                 shufflePair(kUtf8Picker, keys[h], keys[h + 2]));
      parts[h] = _mm256_castsi256_si128(picked);
      parts[h + 2] = _mm256_extracti128_si256(picked, 1);
    }
    for (int part = 0; part < 4; ++part) {
      storeNarrow(w, parts[part]);
      w += kUtf8Picker.length[keys[part]];
    }
    i += 16;
  }
  return decodeUnits(w, p, units, i, units);
}

#undef QUILLMARK_AVX2

#endif  // __x86_64__

Path detectFastestPath() {
#if defined(__x86_64__)
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? Path::kAvx2 : Path::kSse2;
#else
  return Path::kScalar;
#endif
}

}  // namespace

std::span<const Path> supportedPaths() {
  static constexpr Path kAll[] = {Path::kScalar, Path::kSse2, Path::kAvx2};
  return std::span(kAll, static_cast<std::size_t>(fastestPath()) + 1);
}

Path fastestPath() {
  static const Path path = detectFastestPath();
  return path;
}

std::size_t unitsForUtf8(const std::uint8_t* src, std::size_t n, Path path) {
  if (n < 32) return unitsForUtf8Scalar(src, n);  // shorter than one wide step
  switch (std::min(path, fastestPath())) {
#if defined(__x86_64__)
    case Path::kAvx2:
      return unitsForUtf8Avx2(src, n);
    case Path::kSse2:
      return unitsForUtf8Sse2(src, n);
#endif
    default:
      return unitsForUtf8Scalar(src, n);
  }
}

std::uint8_t* utf8ToUtf16(std::uint8_t* out, const std::uint8_t* src, std::size_t n, Path path) {
  constexpr std::size_t kWide = 64;  // below it, the wide paths would hand all of it to this loop
  if (n < kWide) path = Path::kScalar;
  switch (std::min(path, fastestPath())) {
#if defined(__x86_64__)
    case Path::kAvx2:
      return utf8ToUtf16Avx2(out, src, n);
    case Path::kSse2:
      return utf8ToUtf16Sse2(out, src, n);
#endif
    default: {
      std::size_t at = 0;
      return encodeCodePoints(out, src, n, at, n) ? out : nullptr;
    }
  }
}

void appendAsUtf8(std::string& out, const std::uint8_t* p, std::size_t units, Path path) {
  // Room for the most a unit can take, three bytes (a pair takes four), and
  // the wide stores' slack; one pass writes it, and the size is cut to fit.
  const std::size_t start = out.size();
  out.resize(start + 3 * units + kDecodeSlack);
  char* const w = out.data() + start;
  char* end = nullptr;
  switch (std::min(path, fastestPath())) {
#if defined(__x86_64__)
    case Path::kAvx2:
      end = utf16ToUtf8Avx2(w, p, units);
      break;
    case Path::kSse2:
      end = utf16ToUtf8Sse2(w, p, units);
      break;
#endif
    default: {
      std::size_t i = 0;
      end = decodeUnits(w, p, units, i, units);
    }
  }
  out.resize(static_cast<std::size_t>(end - out.data()));
}

}  // namespace quillmark::utf16be

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Unicode helpers shared by the property-list readers and writer: strict UTF-8
// validation and decoding, UTF-8 output, and UTF-16 to UTF-8 conversion of
// streams and documents (bplist strings have utf16be.h).
//
// "Strict" means what Unicode calls well-formed: no overlong forms, no
// surrogates encoded in UTF-8, nothing above U+10FFFF, no truncated sequence.
// Everything here is allocation-free except where it appends to a string, and
// runs in time linear in its input.
#ifndef QUILLMARK_ATTRSTORE_UTF_H_
#define QUILLMARK_ATTRSTORE_UTF_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "attrstore/byte_scan.h"

namespace quillmark::utf {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Whether `c` is a UTF-16 surrogate code point (either half, the high half, the low half).
inline bool isSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }
inline bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Length of the well-formed UTF-8 sequence at p[0..n), n > 0, or 0 when it is
// ill-formed; stores its scalar value in `c`.
inline std::size_t decodeUtf8(const std::uint8_t* p, std::size_t n, char32_t& c) {
  const std::uint8_t b0 = p[0];
  if (b0 < 0x80) {
    c = b0;
    return 1;
  }
  auto cont = [](std::uint8_t b) { return (b & 0xC0) == 0x80; };
  if (b0 < 0xC2) return 0;  // stray continuation byte or overlong two-byte form
  if (b0 < 0xE0) {
    if (n < 2 || !cont(p[1])) return 0;
    c = (char32_t{b0} & 0x1F) << 6 | (p[1] & 0x3F);
    return 2;
  }
  if (b0 < 0xF0) {
    if (n < 3 || !cont(p[1]) || !cont(p[2])) return 0;
    if (b0 == 0xE0 && p[1] < 0xA0) return 0;   // overlong
    if (b0 == 0xED && p[1] >= 0xA0) return 0;  // surrogate
    c = (char32_t{b0} & 0x0F) << 12 | char32_t{p[1] & 0x3Fu} << 6 | (p[2] & 0x3F);
    return 3;
  }
  if (b0 < 0xF5) {
    if (n < 4 || !cont(p[1]) || !cont(p[2]) || !cont(p[3])) return 0;
    if (b0 == 0xF0 && p[1] < 0x90) return 0;   // overlong
    if (b0 == 0xF4 && p[1] >= 0x90) return 0;  // above U+10FFFF
    c = (char32_t{b0} & 0x07) << 18 | char32_t{p[1] & 0x3Fu} << 12 | char32_t{p[2] & 0x3Fu} << 6 |
        (p[3] & 0x3F);
    return 4;
  }
  return 0;
}

// True when bytes [p, p + n) are well-formed UTF-8.
inline bool isValidUtf8(const std::uint8_t* p, std::size_t n) {
  std::size_t i = 0;
  for (;;) {
    i += scan::asciiPrefix(p + i, n - i);
    if (i == n) return true;
    char32_t c = 0;
    std::size_t len = decodeUtf8(p + i, n - i, c);
    if (len == 0) return false;
    i += len;
  }
}

// True when `s` is well-formed UTF-8.
inline bool isValidUtf8(std::string_view s) {
  return isValidUtf8(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}

// Writes scalar value `c` (not a surrogate, at most U+10FFFF) as UTF-8 at
// `out`, which has room for 4 bytes; returns the end of what was written.
inline char* putUtf8(char* out, char32_t c) {
  auto put = [&out](char32_t byte) { *out++ = static_cast<char>(byte); };
  if (c < 0x80) {
    put(c);
  } else if (c < 0x800) {
    put(0xC0 | (c >> 6));
    put(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    put(0xE0 | (c >> 12));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  } else {
    put(0xF0 | (c >> 18));
    put(0x80 | ((c >> 12) & 0x3F));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  }
  return out;
}

// Appends scalar value `c` (not a surrogate, at most U+10FFFF) as UTF-8.
inline void appendUtf8(std::string& out, char32_t c) {
  char buffer[4];
  out.append(buffer, static_cast<std::size_t>(putUtf8(buffer, c) - buffer));
}

// Turns a stream of UTF-16 code units into UTF-8, pairing surrogates and
// replacing each unpaired one by U+FFFD. Call finish() after the last unit.
class Utf16ToUtf8 {
 public:
  explicit Utf16ToUtf8(std::string& out) : out_(out) {}

  void push(char16_t unit) {
    if (high_ != 0) {
      if (isLowSurrogate(unit)) {
        appendUtf8(out_, 0x10000 + ((char32_t{high_} - 0xD800) << 10) + (unit - 0xDC00u));
        high_ = 0;
        return;
      }
      appendUtf8(out_, kReplacementCharacter);
      high_ = 0;
    }
    if (isHighSurrogate(unit)) {
      high_ = unit;
    } else {
      appendUtf8(out_, isLowSurrogate(unit) ? kReplacementCharacter : char32_t{unit});
    }
  }

  // Ends a run of units; a pending high surrogate becomes U+FFFD.
  void finish() {
    if (high_ != 0) appendUtf8(out_, kReplacementCharacter);
    high_ = 0;
  }

 private:
  std::string& out_;
  char16_t high_ = 0;
};

// How a document's bytes are to be read as text.
enum class Utf16Detection {
  kByteOrderMarkOnly,  // UTF-16 only with a BOM
  kByteOrderMarkOrNul  // also when a 0x00 is among the first two bytes
};

// The document `data` as UTF-8 text: a UTF-8 BOM is dropped, UTF-16 (see
// `detection`) is converted into `storage`, anything else is returned as it
// stands (not validated). nullopt for malformed UTF-16 (odd length, unpaired
// surrogate).
std::optional<std::string_view> documentAsUtf8(std::span<const std::uint8_t> data,
                                               Utf16Detection detection, std::string& storage);

}  // namespace quillmark::utf

#endif  // QUILLMARK_ATTRSTORE_UTF_H_

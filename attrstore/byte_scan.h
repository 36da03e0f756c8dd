// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Word-at-a-time byte scanning for the codec's hot loops: eight bytes are
// tested at once for "all ASCII" or "contains this byte", so long runs of plain
// text cost a fraction of a byte-by-byte loop. Reads never go past the end the
// caller gives; results are exact (no false negatives).
#ifndef QUILLMARK_ATTRSTORE_BYTE_SCAN_H_
#define QUILLMARK_ATTRSTORE_BYTE_SCAN_H_

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quillmark::scan {

inline constexpr std::uint64_t kOnes = 0x0101010101010101u;
inline constexpr std::uint64_t kHighBits = 0x8080808080808080u;

// The eight bytes at `p` as one word (host byte order; `p` need not be aligned).
inline std::uint64_t load(const std::uint8_t* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// Nonzero when some byte of `word` is zero.
inline std::uint64_t hasZeroByte(std::uint64_t word) { return (word - kOnes) & ~word & kHighBits; }

// Nonzero when some byte of `word` equals `b`.
inline std::uint64_t hasByte(std::uint64_t word, std::uint8_t b) {
  return hasZeroByte(word ^ (kOnes * b));
}

// True when every byte of `word` is below 0x80.
inline bool allAscii(std::uint64_t word) { return (word & kHighBits) == 0; }

// How many bytes are flagged in `flags` (bit 7 of a byte, no other bit set).
// A multiply rather than popcount, which is a library call without -mpopcnt.
inline unsigned countFlagged(std::uint64_t flags) {
  return static_cast<unsigned>(((flags >> 7) * kOnes) >> 56);
}

// Index of the first byte in [p, p + n) that is not ASCII, or n.
inline std::size_t asciiPrefix(const std::uint8_t* p, std::size_t n) {
  std::size_t i = 0;
  while (i + 8 <= n && allAscii(load(p + i))) i += 8;
  while (i < n && p[i] < 0x80) ++i;
  return i;
}

}  // namespace quillmark::scan

#endif  // QUILLMARK_ATTRSTORE_BYTE_SCAN_H_

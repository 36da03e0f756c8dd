// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Transcoding between UTF-8 and big-endian UTF-16, the form a binary property
// list stores non-ASCII strings in, many code units per step.
//
// Each direction has three interchangeable paths: plain C++ (any machine), SSE2
// (every x86-64) and AVX2 (chosen at run time when the processor has it). All
// paths give byte-identical results on every input, valid or not; without a
// path named, the fastest the machine supports is used.
#ifndef QUILLMARK_ATTRSTORE_UTF16BE_H_
#define QUILLMARK_ATTRSTORE_UTF16BE_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace quillmark::utf16be {

enum class Path { kScalar, kSse2, kAvx2 };

// The paths this machine runs, kScalar first and the fastest last.
std::span<const Path> supportedPaths();

// The last of supportedPaths().
Path fastestPath();

// Bytes past the end of its output that utf8ToUtf16 may scribble on.
inline constexpr std::size_t kOutputSlack = 32;

// Code units that UTF-8 `src[0, n)` takes as UTF-16 (meaningful when it is well-formed).
std::size_t unitsForUtf8(const std::uint8_t* src, std::size_t n, Path path = fastestPath());

// Writes UTF-8 `src[0, n)` as UTF-16BE at `out`, which has room for
// 2 * unitsForUtf8() + kOutputSlack bytes; returns the end of the UTF-16, or
// nullptr when `src` is not well-formed UTF-8.
std::uint8_t* utf8ToUtf16(std::uint8_t* out, const std::uint8_t* src, std::size_t n,
                          Path path = fastestPath());

// Appends `units` UTF-16BE code units read from `p` to `out` as UTF-8, pairing
// surrogates and replacing each unpaired one by U+FFFD.
void appendAsUtf8(std::string& out, const std::uint8_t* p, std::size_t units,
                  Path path = fastestPath());

}  // namespace quillmark::utf16be

#endif  // QUILLMARK_ATTRSTORE_UTF16BE_H_

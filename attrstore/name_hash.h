// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Names hashed so that those one volume may take for one (equal but for ASCII case, or also but
// for the bytes past ASCII) hash alike: FNV-1a over the name's bytes, ASCII letters lowered,
// whatever the locale. The values are part of file names other processes look for (a sidecar's
// temporaries): they never change. Pure.
#ifndef QUILLMARK_ATTRSTORE_NAME_HASH_H_
#define QUILLMARK_ATTRSTORE_NAME_HASH_H_

#include <cstdint>
#include <string_view>

namespace quillmark {

inline constexpr std::uint64_t kNameHashStart = 0xcbf29ce484222325u;  // FNV-1a's offset basis

enum class NameFolding {
  kAsciiCase,
  // Also every byte past ASCII dropped with the one before it: it may be a combining mark, which
  // another Unicode form holds composed with its letter.
  kAsciiCaseAndUnicode,
};

// The hash of `name` folded as `folding`, going on from `start`.
std::uint64_t foldedNameHash(std::string_view name, NameFolding folding = NameFolding::kAsciiCase,
                             std::uint64_t start = kNameHashStart);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_NAME_HASH_H_

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/name_hash.h"

namespace quillmark {

std::uint64_t foldedNameHash(std::string_view name, NameFolding folding, std::uint64_t start) {
  const auto pastAscii = [&name](std::size_t i) { return static_cast<unsigned char>(name[i]) >= 0x80; };
  std::uint64_t hash = start;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (folding == NameFolding::kAsciiCaseAndUnicode && (pastAscii(i) || (i + 1 < name.size() && pastAscii(i + 1))))
      continue;
    const auto byte = static_cast<unsigned char>(name[i]);
    hash = (hash ^ (byte >= 'A' && byte <= 'Z' ? byte + 32u : byte)) * 0x100000001b3u;
  }
  return hash;
}

}  // namespace quillmark

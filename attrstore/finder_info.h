// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The colour label Finder keeps in an item's Finder info (32 bytes), wherever Mac peers keep that
// on a Linux machine: alone as user. or osx. com.apple.FinderInfo, at 16 inside a Samba server's
// AFP_AfpInfo stream, inside netatalk's 402-byte metadata through its entry table, and in a
// sidecar's Finder-info entry. Only the three label bits (byte 9, mask 0x0E) are ever changed;
// every other byte stays as it was, and a place whose bytes are not in its known form is never
// changed. Finder info of all zeros is the same as none. Pure but for readLabel.
#ifndef QUILLMARK_ATTRSTORE_FINDER_INFO_H_
#define QUILLMARK_ATTRSTORE_FINDER_INFO_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "attrstore/item_at.h"
#include "attrstore/names.h"
#include "attrstore/tags.h"

namespace quillmark {

inline constexpr std::size_t kFinderInfoSize = 32;

// Where the Finder info lies in `raw`, the bytes of `place`; nothing when they are not in its form.
std::optional<std::size_t> finderInfoOffset(FinderInfoPlace place, std::span<const std::uint8_t> raw);

TagColour labelOf(std::span<const std::uint8_t, kFinderInfoSize> finderInfo);
void setLabel(std::span<std::uint8_t, kFinderInfoSize> finderInfo, TagColour colour);
bool allZero(std::span<const std::uint8_t, kFinderInfoSize> finderInfo);

// The item's label, from the first place holding Finder info in its form (the sidecar last);
// kNone where none does or none can be read. (ChangeOptions::readLabel reads it with the values.)
TagColour readLabel(const ItemAt& at);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_FINDER_INFO_H_

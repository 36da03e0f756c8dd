// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/finder_info.h"

#include <algorithm>

#include "attrstore/places.h"

namespace quillmark {

namespace {

constexpr std::uint8_t kLabelBits = 0x0E;  // of the Finder flags' low byte
constexpr std::size_t kFlagsLowByte = 9;

std::uint32_t bigEndian32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 | std::uint32_t{bytes[at + 2]} << 8 |
         bytes[at + 3];
}

// netatalk's metadata: exactly 402 bytes, its header and 8 entries whole (Samba removes anything
// else), the Finder info where entry 9 says.
std::optional<std::size_t> inNetatalkMetadata(std::span<const std::uint8_t> raw) {
  constexpr std::size_t kSize = 402, kEntries = 8, kEntriesAt = 26, kEntrySize = 12;
  if (raw.size() != kSize || bigEndian32(raw, 0) != 0x00051607 || bigEndian32(raw, 4) != 0x00020000 ||
      (raw[24] << 8 | raw[25]) != kEntries)
    return std::nullopt;
  for (std::size_t entry = kEntriesAt; entry < kEntriesAt + kEntries * kEntrySize; entry += kEntrySize) {
    if (bigEndian32(raw, entry) != 9) continue;
    const std::uint32_t offset = bigEndian32(raw, entry + 4), length = bigEndian32(raw, entry + 8);
    if (length != kFinderInfoSize || offset > kSize - kFinderInfoSize) return std::nullopt;
    return offset;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::size_t> finderInfoOffset(FinderInfoPlace place, std::span<const std::uint8_t> raw) {
  switch (place) {
    case FinderInfoPlace::kUser:  // or with netatalk's 0x00 after it
      if (raw.size() == kFinderInfoSize || (raw.size() == kFinderInfoSize + 1 && raw.back() == 0)) return 0;
      return std::nullopt;
    case FinderInfoPlace::kOsx:
      if (raw.size() == kFinderInfoSize) return 0;
      return std::nullopt;
    case FinderInfoPlace::kAfpInfo: {
      // 60 bytes and the stream's 0x00: "AFP\0", version 0x00000100, then the Finder info at 16.
      constexpr std::uint8_t kHeader[] = {'A', 'F', 'P', 0, 0, 0, 1, 0};
      if (raw.size() != 61 || raw.back() != 0 || !std::equal(std::begin(kHeader), std::end(kHeader), raw.begin()))
        return std::nullopt;
      return 16;
    }
    case FinderInfoPlace::kNetatalk:
      return inNetatalkMetadata(raw);
  }
  return std::nullopt;
}

TagColour labelOf(std::span<const std::uint8_t, kFinderInfoSize> finderInfo) {
  return static_cast<TagColour>((finderInfo[kFlagsLowByte] & kLabelBits) >> 1);
}

void setLabel(std::span<std::uint8_t, kFinderInfoSize> finderInfo, TagColour colour) {
  std::uint8_t& flags = finderInfo[kFlagsLowByte];
  flags = static_cast<std::uint8_t>((flags & ~kLabelBits) | (static_cast<unsigned>(colour) << 1 & kLabelBits));
}

bool allZero(std::span<const std::uint8_t, kFinderInfoSize> finderInfo) {
  return std::ranges::all_of(finderInfo, [](std::uint8_t byte) { return byte == 0; });
}

TagColour readLabel(const ItemAt& at) {
  return static_cast<TagColour>(changeValues(at, {}, {.readLabel = true}).label.value_or(0));
}

}  // namespace quillmark

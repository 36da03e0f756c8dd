// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/appledouble.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <limits>
#include <utility>

namespace quillmark::appledouble {

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint32_t kMagic = 0x00051607;
constexpr std::uint32_t kVersion = 0x00020000;
constexpr std::string_view kFiller = "Mac OS X        ";
constexpr std::uint32_t kAttrMagic = 0x41545452;  // "ATTR"
constexpr std::uint32_t kFinderInfoType = 9;
constexpr std::uint32_t kResourceForkType = 2;

constexpr std::size_t kFinderInfoSize = 32;
constexpr std::size_t kFinderInfoAt = 50;    // right after a header with two entries
constexpr std::size_t kAttrHeaderAt = 84;    // after the Finder info and two bytes of padding
constexpr std::size_t kEntriesAt = 120;      // after the attribute header
constexpr std::size_t kEntryFixedSize = 11;  // offset, length, flags, name length
// Where the kernel puts the fork of a new sidecar, so that the file is 4,096 bytes.
constexpr std::uint64_t kForkAt = 3810;
constexpr std::size_t kMaxNameSize = 254;  // the stored length, a byte, counts the NUL

// The resource fork macOS writes into every new sidecar, as the kernel-written samples hold it at
// offset 3,810: a fork header and an empty resource map (data and map at 256, map 30 bytes long,
// no types), with the tag the kernel looks for to tell it apart from a real fork.
constexpr std::array<std::uint8_t, 286> kBlankFork = [] {
  std::array<std::uint8_t, 286> fork{};
  constexpr std::uint8_t kHeader[] = {0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0x1e};
  constexpr std::string_view kTag = "This resource fork intentionally left blank   ";
  constexpr std::uint8_t kMapEnd[] = {0x00, 0x1c, 0x00, 0x1e, 0xff, 0xff};  // types, names, -1
  std::copy(std::begin(kHeader), std::end(kHeader), fork.begin());
  std::copy(kTag.begin(), kTag.end(), fork.begin() + 16);
  std::copy(std::begin(kHeader), std::end(kHeader), fork.begin() + 256);
  std::copy(std::begin(kMapEnd), std::end(kMapEnd), fork.end() - 6);
  return fork;
}();

// Big-endian fields; callers have checked that they lie within `b`.
std::uint16_t read16(Bytes b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]);
}
std::uint32_t read32(Bytes b, std::size_t at) {
  return std::uint32_t{read16(b, at)} << 16 | read16(b, at + 2);
}

void put(std::vector<std::uint8_t>& out, std::uint64_t value, int width) {
  for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) {
    out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

// An attribute entry's size on disk: fixed part, name and NUL, rounded up to 4 bytes.
std::size_t entrySize(std::size_t nameSize) {
  return (kEntryFixedSize + nameSize + 1 + 3) & ~std::size_t{3};
}

template <typename Named>
bool namesRepeat(const std::vector<Named>& attributes) {
  std::vector<std::string_view> names;
  names.reserve(attributes.size());
  for (const auto& attribute : attributes) names.push_back(attribute.name);
  std::sort(names.begin(), names.end());
  return std::adjacent_find(names.begin(), names.end()) != names.end();
}

// Reads the attribute area (header at 84, entries from 120) of a Finder info entry that is
// longer than the Finder info, from `file`, the file's first bytes, into `attributes`. False when
// it does not hold.
bool readAttributes(Bytes file, Extent finderInfo, std::vector<Layout::Entry>& attributes) {
  // The kernel looks for the attribute header only right after the Finder info.
  if (finderInfo.offset != kFinderInfoAt || file.size() < kEntriesAt ||
      read32(file, kAttrHeaderAt) != kAttrMagic) {
    return false;
  }
  const std::uint64_t totalSize = read32(file, 92), dataStart = read32(file, 96);
  const std::uint64_t dataLength = read32(file, 100);
  const std::size_t count = read16(file, 118);
  if (dataStart < kEntriesAt || dataStart + dataLength > totalSize ||
      totalSize > finderInfo.end()) {
    return false;
  }
  // Entries end where the data starts, which lies within the file; the kernel wants them all in
  // its first read.
  const std::size_t entriesEnd =
      static_cast<std::size_t>(std::min<std::uint64_t>(dataStart, kLayoutSpan));
  std::vector<Extent> values;
  std::uint64_t valueBytes = 0;
  attributes.reserve(count);
  std::size_t at = kEntriesAt;
  for (std::size_t i = 0; i < count; ++i) {
    if (entriesEnd - at < kEntryFixedSize) return false;
    const Extent value{read32(file, at), read32(file, at + 4)};
    const std::uint16_t flags = read16(file, at + 8);
    const std::size_t nameSize = file[at + 10];  // with its NUL
    if (nameSize < 2 || entriesEnd - at < entrySize(nameSize - 1)) return false;
    const Bytes name = file.subspan(at + kEntryFixedSize, nameSize);
    if (std::find(name.begin(), name.end(), 0) != name.end() - 1) return false;
    // An empty value's offset means nothing: the Mac writes 0 as well as the data start.
    if (value.length > 0) {
      // Disjoint values fit in the file together: checked here, so that entries all naming one
      // large value cannot make parse copy it thousands of times.
      valueBytes += value.length;
      if (value.offset < dataStart || value.end() > totalSize || valueBytes > totalSize) {
        return false;
      }
      values.push_back(value);
    }
    attributes.push_back({std::string(name.begin(), name.end() - 1), flags,
                          value.length > 0 ? value : Extent{}});
    at += entrySize(nameSize - 1);
  }
  // Values sharing bytes mean a damaged file: on the Mac, setting one would change the other.
  std::sort(values.begin(), values.end(),
            [](const Extent& a, const Extent& b) { return a.offset < b.offset; });
  for (std::size_t i = 1; i < values.size(); ++i) {
    if (values[i].offset < values[i - 1].end()) return false;
  }
  return !namesRepeat(attributes);
}

}  // namespace

std::optional<Layout> parseLayout(Bytes head, std::uint64_t fileSize) {
  constexpr std::size_t kEntryTableAt = 26;
  const std::size_t needed = static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, kLayoutSpan));
  if (head.size() < needed) return std::nullopt;
  const Bytes file = head.first(needed);
  if (file.size() < kEntryTableAt || read32(file, 0) != kMagic || read32(file, 4) != kVersion) {
    return std::nullopt;
  }
  // One Finder info entry, then one resource fork entry, either possibly absent: anything else
  // holds data this module would drop.
  const std::size_t count = read16(file, 24);
  const std::size_t headerEnd = kEntryTableAt + 12 * count;
  if (count < 1 || count > 2 || file.size() < headerEnd) return std::nullopt;
  std::optional<Extent> finderInfo, fork;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = kEntryTableAt + 12 * i;
    const std::uint32_t type = read32(file, at);
    const Extent extent{read32(file, at + 4), read32(file, at + 8)};
    if (extent.offset < headerEnd || extent.end() > fileSize) return std::nullopt;
    if (type == kFinderInfoType && !finderInfo && !fork && extent.length >= kFinderInfoSize) {
      finderInfo = extent;
    } else if (type == kResourceForkType && !fork) {
      fork = extent;
    } else {
      return std::nullopt;
    }
  }
  if (finderInfo && fork && fork->offset < finderInfo->end() && finderInfo->offset < fork->end()) {
    return std::nullopt;
  }

  Layout layout;
  if (finderInfo) {
    layout.finderInfo = {finderInfo->offset, kFinderInfoSize};
    if (finderInfo->length > kFinderInfoSize &&
        !readAttributes(file, *finderInfo, layout.attributes)) {
      return std::nullopt;
    }
  }
  if (fork) layout.fork = *fork;
  return layout;
}

std::optional<Sidecar> parse(Bytes file) {
  const std::optional<Layout> layout = parseLayout(file, file.size());
  if (!layout) return std::nullopt;
  const auto part = [file](Extent extent) {
    return extent.length > 0 ? file.subspan(extent.offset, extent.length) : Bytes{};
  };
  Sidecar sidecar;
  const Bytes info = part(layout->finderInfo);
  std::copy(info.begin(), info.end(), sidecar.finderInfo.begin());
  for (const Layout::Entry& entry : layout->attributes) {
    const Bytes value = part(entry.value);
    sidecar.attributes.push_back({entry.name, {value.begin(), value.end()}, entry.flags});
  }
  if (layout->fork.length > 0) {
    const Bytes bytes = part(layout->fork);
    if (!std::equal(bytes.begin(), bytes.end(), kBlankFork.begin(), kBlankFork.end())) {
      sidecar.resourceFork.assign(bytes.begin(), bytes.end());
    }
  }
  return sidecar;
}

std::vector<std::uint8_t> serialize(const Sidecar& sidecar) {
  std::uint64_t dataStart = kEntriesAt, dataLength = 0;
  for (const auto& attribute : sidecar.attributes) {
    const std::string& name = attribute.name;
    if (name.empty() || name.size() > kMaxNameSize || name.find('\0') != std::string::npos) {
      return {};
    }
    dataStart += entrySize(name.size());
    dataLength += attribute.value.size();
  }
  const Bytes fork = sidecar.resourceFork.empty() ? Bytes(kBlankFork) : Bytes(sidecar.resourceFork);
  const std::uint64_t forkAt = std::max(kForkAt, dataStart + dataLength);
  if (dataStart > kLayoutSpan ||
      forkAt + fork.size() > std::numeric_limits<std::uint32_t>::max() ||
      namesRepeat(sidecar.attributes)) {
    return {};
  }

  std::vector<std::uint8_t> out;
  out.reserve(forkAt + fork.size());
  put(out, kMagic, 4);
  put(out, kVersion, 4);
  out.insert(out.end(), kFiller.begin(), kFiller.end());
  put(out, 2, 2);
  // The Finder info entry covers the attribute area too, up to the fork.
  put(out, kFinderInfoType, 4);
  put(out, kFinderInfoAt, 4);
  put(out, forkAt - kFinderInfoAt, 4);
  put(out, kResourceForkType, 4);
  put(out, forkAt, 4);
  put(out, fork.size(), 4);
  out.insert(out.end(), sidecar.finderInfo.begin(), sidecar.finderInfo.end());
  put(out, 0, 2);
  put(out, kAttrMagic, 4);
  put(out, 0, 4);       // debug tag: the kernel puts the file's id there, nobody reads it
  put(out, forkAt, 4);  // total size: as the kernel writes it, the whole area up to the fork
  put(out, dataStart, 4);
  put(out, dataLength, 4);
  out.resize(out.size() + 12 + 2);  // reserved, flags
  put(out, sidecar.attributes.size(), 2);
  std::uint64_t valueAt = dataStart;
  for (const auto& attribute : sidecar.attributes) {
    const std::size_t entryAt = out.size();
    put(out, valueAt, 4);
    put(out, attribute.value.size(), 4);
    put(out, attribute.flags, 2);
    put(out, attribute.name.size() + 1, 1);
    out.insert(out.end(), attribute.name.begin(), attribute.name.end());
    out.resize(entryAt + entrySize(attribute.name.size()));  // NUL and padding
    valueAt += attribute.value.size();
  }
  for (const auto& attribute : sidecar.attributes) {
    out.insert(out.end(), attribute.value.begin(), attribute.value.end());
  }
  out.resize(forkAt);
  out.insert(out.end(), fork.begin(), fork.end());
  return out;
}

const Layout::Entry* find(const Layout& layout, std::string_view name) {
  for (const auto& entry : layout.attributes) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

const std::vector<std::uint8_t>* find(const Sidecar& sidecar, std::string_view name) {
  for (const auto& attribute : sidecar.attributes) {
    if (attribute.name == name) return &attribute.value;
  }
  return nullptr;
}

void set(Sidecar& sidecar, std::string_view name, std::vector<std::uint8_t> value) {
  for (auto& attribute : sidecar.attributes) {
    if (attribute.name == name) {
      attribute.value = std::move(value);
      return;
    }
  }
  sidecar.attributes.push_back({std::string(name), std::move(value)});
}

bool remove(Sidecar& sidecar, std::string_view name) {
  const auto it = std::find_if(sidecar.attributes.begin(), sidecar.attributes.end(),
                               [name](const auto& attribute) { return attribute.name == name; });
  if (it == sidecar.attributes.end()) return false;
  sidecar.attributes.erase(it);
  return true;
}

}  // namespace quillmark::appledouble

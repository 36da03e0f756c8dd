// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/string_array.h"

#include <cstdint>
#include <map>
#include <string_view>

#include "attrstore/bplist.h"

namespace quillmark {

namespace {

// Bytes for a count or offset below `count`'s next power of 256 step: 1, 2, 4 or 8.
unsigned widthFor(std::uint64_t count) {
  return count < (1u << 8) ? 1 : count < (1u << 16) ? 2 : count < (std::uint64_t{1} << 32) ? 4 : 8;
}

void putBigEndian(Data& out, std::uint64_t value, unsigned width) {
  for (unsigned i = width; i-- > 0;) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// One string's object, as the one-string document holds it between header and offset table.
Data stringObject(const std::string& utf8) {
  const Data document = bplist::writeString(utf8);
  if (document.empty()) return {};
  std::uint64_t tableOffset = 0;
  for (std::size_t i = document.size() - 8; i < document.size(); ++i)
    tableOffset = tableOffset << 8 | document[i];
  return Data(document.begin() + 8, document.begin() + static_cast<std::ptrdiff_t>(tableOffset));
}

}  // namespace

Data encodeStringArray(const std::vector<std::string>& items) {
  // Objects: the array first, then each distinct string once, in order of first use.
  std::map<std::string_view, std::uint64_t> references;
  std::vector<const std::string*> distinct;
  std::vector<std::uint64_t> itemReferences;
  for (const std::string& item : items) {
    const auto [at, added] = references.try_emplace(item, distinct.size() + 1);
    if (added) distinct.push_back(&item);
    itemReferences.push_back(at->second);
  }
  const std::uint64_t objects = distinct.size() + 1;
  const unsigned referenceWidth = widthFor(objects);

  Data out = {'b', 'p', 'l', 'i', 's', 't', '0', '0'};
  std::vector<std::uint64_t> offsets = {out.size()};
  if (items.size() < 15) {
    out.push_back(static_cast<std::uint8_t>(0xA0 | items.size()));
  } else {
    const unsigned width = widthFor(items.size());
    out.push_back(0xAF);
    out.push_back(static_cast<std::uint8_t>(0x10 | (width == 1 ? 0 : width == 2 ? 1 : width == 4 ? 2 : 3)));
    putBigEndian(out, items.size(), width);
  }
  for (const std::uint64_t reference : itemReferences) putBigEndian(out, reference, referenceWidth);
  for (const std::string* item : distinct) {
    offsets.push_back(out.size());
    const Data object = stringObject(*item);
    if (object.empty()) return {};  // not UTF-8
    out.insert(out.end(), object.begin(), object.end());
  }
  const std::uint64_t tableOffset = out.size();
  const unsigned offsetWidth = widthFor(tableOffset);
  for (const std::uint64_t offset : offsets) putBigEndian(out, offset, offsetWidth);
  // Trailer: 5 unused bytes, sort version, offset width, reference width,
  // object count, top object, offset-table offset.
  out.insert(out.end(), 6, 0);
  out.push_back(static_cast<std::uint8_t>(offsetWidth));
  out.push_back(static_cast<std::uint8_t>(referenceWidth));
  putBigEndian(out, objects, 8);
  putBigEndian(out, 0, 8);
  putBigEndian(out, tableOffset, 8);
  return out;
}

}  // namespace quillmark

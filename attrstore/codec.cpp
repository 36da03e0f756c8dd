// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/codec.h"

#include <utility>

#include "attrstore/bplist.h"
#include "attrstore/keywords.h"
#include "attrstore/text_plist.h"
#include "attrstore/utf.h"
#include "attrstore/xml_reader.h"

namespace quillmark {

Data encodeAttributeValue(std::string_view text) {
  // Well-formed UTF-8 is exactly what the XML form of the value would parse
  // back to, so it is written as it is; anything else has no stored form.
  return bplist::writeString(text);
}

StoredValue readStoredValue(std::span<const std::uint8_t> data) {
  StoredValue value;
  if (bplist::readTopObject(data, value) || xml::readTopObject(data, value)) return value;
  value = StoredValue();  // what the XML reader left before it gave up
  textplist::readTopObject(data, value);
  return value;
}

std::string describeStoredValue(const StoredValue& value) {
  using Kind = StoredValue::Kind;
  if (value.kind == Kind::kString) return value.text;
  if (value.kind == Kind::kStringArray && !value.items.empty()) return joinKeywords(value.items);
  if (value.kind == Kind::kData)
    return std::string(kDataOf) + std::to_string(value.dataSize) + (value.dataSize == 1 ? " byte" : " bytes");
  for (const KindWords& kind : kKindWords) {
    if (kind.kind == value.kind) return std::string(kind.words);
  }
  return "unreadable";
}

std::string decodeAttributeValue(std::span<const std::uint8_t> data) {
  StoredValue value = readStoredValue(data);
  if (value.kind != StoredValue::Kind::kString) return {};
  return std::move(value.text);
}

}  // namespace quillmark

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/resource_item.h"

#include "attrstore/xattr.h"

namespace quillmark {

ResourceItem::ResourceItem(const FoundValue& found)
    : present_(found.present), error_(found.error), value_(readStoredValue(found.data)) {}

std::string ResourceItem::textValue() const {
  return value_.kind == StoredValue::Kind::kString ? value_.text : std::string();
}

std::string ResourceItem::placeholder() const {
  if (!present_ || value_.kind == StoredValue::Kind::kString) return {};
  std::string text = describeStoredValue(value_);
  if (error_ != 0 && value_.kind == StoredValue::Kind::kUnreadable)
    text += ": " + makePosixError(error_).code().message();
  // A field shows a line, not a document: a long list is cut at a character's start.
  if (text.size() > kPlaceholderLimit) {
    std::size_t end = kPlaceholderLimit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    text += "\u2026";
  }
  return text;
}

bool ResourceItem::placeholderNamesKind() const {
  using Kind = StoredValue::Kind;
  return present_ && value_.kind != Kind::kString &&
         !(value_.kind == Kind::kStringArray && !value_.items.empty());
}

}  // namespace quillmark

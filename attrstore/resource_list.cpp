// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/resource_list.h"

#include "attrstore/codec.h"

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

ResourceList::ResourceList(const std::filesystem::path& url) {
  // Absent, unsupported, unreadable or vanished all look the same to the
  // editor: an empty field the user can fill in. The next write reports the
  // real problem if there is one.
  for (const FoundValue& found : readValues(itemAtPath(url))) children_.emplace_back(found);
}

ResourceList::ResourceList(const std::array<FoundValue, 5>& values) {
  for (const FoundValue& found : values) children_.emplace_back(found);
}

std::string lastPathComponent(const std::filesystem::path& path) {
  const std::string& text = path.native();
  const size_t end = text.find_last_not_of('/');
  // Only slashes: the root names itself.
  if (end == std::string::npos) return text.empty() ? std::string() : std::string("/");
  const size_t slash = text.rfind('/', end);
  const size_t begin = slash == std::string::npos ? 0 : slash + 1;
  return text.substr(begin, end + 1 - begin);
}

}  // namespace quillmark

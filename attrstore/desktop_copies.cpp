// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/desktop_copies.h"

#include <string_view>

#include "attrstore/codec.h"
#include "attrstore/keywords.h"

namespace quillmark {

namespace {

constexpr std::size_t kDescription = 2;
constexpr std::size_t kKeywords = 4;

void addTag(std::string_view tag, DesktopCopies& copies) {
  tag = trimmedKeyword(tag);
  if (tag.empty()) return;
  if (tag.find(',') != std::string_view::npos) {
    copies.commaTags.emplace_back(tag);
    return;
  }
  std::string& tags = copies.tags ? *copies.tags : copies.tags.emplace();
  if (!tags.empty()) tags += ',';
  tags += tag;
}

StoredValue storedValue(const FoundValue& found) {
  return found.present ? readStoredValue(found.data) : StoredValue{};
}

}  // namespace

DesktopCopies desktopCopiesOf(const std::array<FoundValue, 5>& values) {
  DesktopCopies copies;
  for (const std::string& word : keywordsOf(storedValue(values[kKeywords]))) addTag(word, copies);
  const StoredValue description = storedValue(values[kDescription]);
  if ((description.kind == StoredValue::Kind::kString && !description.text.empty()) ||
      (description.kind == StoredValue::Kind::kStringArray && !description.items.empty())) {
    copies.comment = describeStoredValue(description);
  }
  return copies;
}

}  // namespace quillmark

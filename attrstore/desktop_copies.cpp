// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/desktop_copies.h"

#include <algorithm>
#include <string_view>

#include "attrstore/codec.h"
#include "attrstore/keywords.h"
#include "attrstore/names.h"
#include "attrstore/tags.h"

namespace quillmark {

namespace {

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

}  // namespace

DesktopCopies desktopCopiesOf(const std::array<FoundValue, kValueCount>& values) {
  DesktopCopies copies;
  const std::vector<std::string> keywords = keywordsOf(values[kKeywords].stored());
  for (const std::string& word : keywords) addTag(word, copies);
  // Then the Finder tags' names (their colours have no place there) not already among them.
  for (const Tag& tag : tagsOf(values[kTags]).value_or(std::vector<Tag>{})) {
    const std::string_view name = trimmedKeyword(tag.name);
    if (std::ranges::none_of(keywords, [&](const std::string& word) { return trimmedKeyword(word) == name; }))
      addTag(name, copies);
  }
  const StoredValue description = values[kDescription].stored();
  if ((description.kind == StoredValue::Kind::kString && !description.text.empty()) ||
      (description.kind == StoredValue::Kind::kStringArray && !description.items.empty())) {
    copies.comment = describeStoredValue(description);
  }
  return copies;
}

}  // namespace quillmark

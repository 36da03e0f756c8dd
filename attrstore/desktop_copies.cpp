// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/desktop_copies.h"

#include <string_view>

#include "attrstore/codec.h"
#include "attrstore/keywords.h"
#include "attrstore/names.h"

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
  for (const std::string& word : keywordsOf(values[kKeywords].stored())) addTag(word, copies);
  const StoredValue description = values[kDescription].stored();
  if ((description.kind == StoredValue::Kind::kString && !description.text.empty()) ||
      (description.kind == StoredValue::Kind::kStringArray && !description.items.empty())) {
    copies.comment = describeStoredValue(description);
  }
  return copies;
}

}  // namespace quillmark

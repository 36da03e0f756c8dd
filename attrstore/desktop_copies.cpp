// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/desktop_copies.h"

#include <string_view>

#include "attrstore/codec.h"

namespace quillmark {

namespace {

constexpr std::size_t kDescription = 2;
constexpr std::size_t kKeywords = 4;

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view kSpace = " \t\n\v\f\r";
  const std::size_t first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpace) + 1 - first);
}

void addTag(std::string_view tag, DesktopCopies& copies) {
  tag = trimmed(tag);
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
  const StoredValue keywords = storedValue(values[kKeywords]);
  if (keywords.kind == StoredValue::Kind::kString) {
    for (std::size_t start = 0; start <= keywords.text.size();) {
      const std::size_t comma = std::min(keywords.text.find(',', start), keywords.text.size());
      addTag(std::string_view(keywords.text).substr(start, comma - start), copies);
      start = comma + 1;
    }
  } else if (keywords.kind == StoredValue::Kind::kStringArray) {
    for (const std::string& item : keywords.items) addTag(item, copies);
  }
  const StoredValue description = storedValue(values[kDescription]);
  if ((description.kind == StoredValue::Kind::kString && !description.text.empty()) ||
      (description.kind == StoredValue::Kind::kStringArray && !description.items.empty())) {
    copies.comment = describeStoredValue(description);
  }
  return copies;
}

}  // namespace quillmark

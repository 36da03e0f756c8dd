// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/tags.h"

#include <algorithm>

#include "attrstore/codec.h"
#include "attrstore/string_array.h"

namespace quillmark {

namespace {

bool contains(const std::vector<std::string>& names, std::string_view name) {
  return std::ranges::find(names, name) != names.end();
}

char folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::optional<TagColour> tagColourNamed(std::string_view name) {
  if (name.size() == 1 && name[0] >= '0' && name[0] <= '7') return static_cast<TagColour>(name[0] - '0');
  std::string lower(name);
  std::ranges::transform(lower, lower.begin(), folded);
  if (lower == "gray") return TagColour::kGrey;
  const auto found = std::ranges::find(kTagColourNames, lower);
  if (found == kTagColourNames.end()) return std::nullopt;
  return static_cast<TagColour>(found - kTagColourNames.begin());
}

std::string storedTag(const Tag& tag) {
  if (tag.colour == TagColour::kNone) return tag.name;  // as a Mac writes an uncoloured tag
  return tag.name + '\n' + static_cast<char>('0' + static_cast<int>(tag.colour));
}

Tag tagOf(std::string_view stored) {
  Tag tag;
  const std::size_t size = stored.size();
  if (size >= 2 && stored[size - 2] == '\n' && stored[size - 1] >= '0' && stored[size - 1] <= '9') {
    const int digit = stored[size - 1] - '0';
    tag.name = stored.substr(0, size - 2);
    tag.digitOutOfRange = digit >= static_cast<int>(kTagColours);
    if (!tag.digitOutOfRange) tag.colour = static_cast<TagColour>(digit);
  } else {
    tag.name = stored;
  }
  return tag;
}

std::optional<std::vector<Tag>> tagsOf(const FoundValue& found) {
  if (!found.present) return std::vector<Tag>{};
  const StoredValue stored = found.stored();
  if (stored.kind != StoredValue::Kind::kStringArray) return std::nullopt;
  std::vector<Tag> tags;
  for (const std::string& item : stored.items) tags.push_back(tagOf(item));
  return tags;
}

TagColour labelColour(const std::vector<Tag>& tags) {
  const auto last = std::ranges::find_if(tags.rbegin(), tags.rend(),
                                         [](const Tag& tag) { return tag.colour != TagColour::kNone; });
  return last == tags.rend() ? TagColour::kNone : last->colour;
}

std::string tagsKeptAs(const StoredValue& stored) {
  // One string is a string, whatever it says.
  const auto kind = std::ranges::find(kKindWords, stored.kind, &KindWords::kind);
  return kind != std::end(kKindWords) ? std::string(kind->words) : describeStoredValue(stored);
}

ValueEdit tagEdit(const FoundValue& found, const TagChange& change, Data& storage, KeywordRefusal* refusal) {
  storage.clear();
  const StoredValue stored = found.stored();
  if (found.present && stored.kind != StoredValue::Kind::kStringArray) {
    if (refusal != nullptr) *refusal = {.keptAs = tagsKeptAs(stored), .commaWord = {}};
    return {.action = ValueEdit::Action::kWrite, .value = &storage};
  }
  // The strings as stored, so that a tag not touched keeps its exact form.
  std::vector<std::string> items = stored.items;
  const std::size_t before = items.size();
  std::erase_if(items, [&](const std::string& item) { return contains(change.remove, tagOf(item).name); });
  bool changed = items.size() != before;
  const auto colour = [&](const Tag& wanted) {
    for (std::string& item : items) {
      const Tag tag = tagOf(item);
      if (tag.name != wanted.name) continue;
      if (tag.colour != wanted.colour || tag.digitOutOfRange) {
        item = storedTag(wanted);
        changed = true;
      }
      return true;
    }
    return false;
  };
  for (const Tag& tag : change.add) {
    if (tag.name.empty() || contains(change.remove, tag.name)) continue;
    // One already there keeps its place, and takes the colour given with it.
    if (std::ranges::any_of(items, [&](const std::string& item) { return tagOf(item).name == tag.name; })) {
      if (tag.colour != TagColour::kNone) colour(tag);
      continue;
    }
    items.push_back(storedTag(tag));
    changed = true;
  }
  for (const Tag& tag : change.recolour) colour(tag);
  if (!changed) return {};
  if (items.empty()) return {.action = ValueEdit::Action::kRemove};
  storage = encodeStringArray(items);
  return {.action = ValueEdit::Action::kWrite, .value = &storage};
}

}  // namespace quillmark

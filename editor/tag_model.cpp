// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/tag_model.h"

#include <string_view>
#include <unordered_set>

namespace quillmark {

namespace {

std::vector<ValueCount> namesOf(const std::vector<TagCount>& tags) {
  std::vector<ValueCount> names;
  names.reserve(tags.size());
  for (const TagCount& tag : tags) names.push_back({tag.name, tag.items});
  return names;
}

}  // namespace

void TagModel::reset(const std::vector<TagCount>& stored, std::size_t items) {
  chosen_.clear();
  names_.reset({}, items);
  restore(stored, items);
}

void TagModel::restore(const std::vector<TagCount>& stored, std::size_t items) {
  names_.restore(namesOf(stored), items);
  stored_.clear();
  mixed_.clear();
  for (const TagCount& tag : stored) {
    stored_.emplace(tag.name, tag.colour);
    if (tag.mixedColours) mixed_.insert(tag.name);
  }
  rebuild();
}

void TagModel::rebuild() {
  rows_.clear();
  for (const ValueCount& row : names_.rows()) {
    const auto chosen = chosen_.find(row.text);
    const auto stored = stored_.find(row.text);
    rows_.push_back({.name = row.text,
                     .items = row.items,
                     .colour = chosen != chosen_.end()   ? chosen->second
                               : stored != stored_.end() ? stored->second
                                                         : TagColour::kNone,
                     .mixedColours = chosen == chosen_.end() && mixed_.contains(row.text),
                     .changedElsewhere = false});
  }
}

void TagModel::remove(std::size_t row) {
  if (row >= rows_.size()) return;
  chosen_.erase(rows_[row].name);
  names_.remove(row);
  rebuild();
}

void TagModel::giveToAll(std::size_t row) {
  names_.giveToAll(row);
  rebuild();
}

void TagModel::recolour(std::size_t row, TagColour colour) {
  if (row >= rows_.size()) return;
  const std::string& name = rows_[row].name;
  // Over items that differ, even the colour most give it is a change: all of them take it.
  const auto stored = stored_.find(name);
  if (stored != stored_.end() && stored->second == colour && !mixed_.contains(name)) {
    chosen_.erase(name);
  } else {
    chosen_.insert_or_assign(name, colour);
  }
  rebuild();
}

void TagModel::add(const std::vector<Tag>& typed) {
  if (names_.items() == 0) return;
  for (const Tag& tag : typed) {
    names_.addTyped(tag.name);
    if (tag.colour != TagColour::kNone) chosen_.insert_or_assign(tag.name, tag.colour);
  }
  rebuild();
}

TagChange TagModel::change() const {
  const KeywordChange words = names_.change();
  const std::unordered_set<std::string_view> adding(words.add.begin(), words.add.end());
  TagChange change{.add = {}, .remove = words.remove, .recolour = {}};
  for (const TagCount& row : rows_) {
    const auto chosen = chosen_.find(row.name);
    const auto stored = stored_.find(row.name);
    if (adding.contains(row.name)) {
      change.add.push_back({row.name, row.colour, false});
    } else if (chosen != chosen_.end() &&
               (stored == stored_.end() || stored->second != chosen->second || mixed_.contains(row.name))) {
      change.recolour.push_back({row.name, chosen->second, false});
    }
  }
  return change;
}

}  // namespace quillmark

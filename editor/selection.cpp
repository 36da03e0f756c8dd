// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/selection.h"

#include <algorithm>
#include <utility>

#include "attrstore/codec.h"
#include "attrstore/item_at.h"
#include "attrstore/names.h"
#include "editor/report.h"

namespace quillmark {

namespace {

// Each keyword of `item` once, as an item naming one twice still carries it once.
std::vector<std::string> distinctKeywords(const SelectedItem& item) {
  std::vector<std::string> words = keywordsOf(item.values[kKeywords].stored());
  std::vector<std::string> distinct;
  for (auto word = words.begin(); word != words.end(); ++word) {
    if (std::find(words.begin(), word, *word) == word) distinct.push_back(std::move(*word));
  }
  return distinct;
}

// Each of `tags` once, the first of a name standing for it.
std::vector<Tag> distinctTags(std::vector<Tag> tags) {
  std::vector<Tag> distinct;
  for (auto tag = tags.begin(); tag != tags.end(); ++tag) {
    if (std::none_of(tags.begin(), tag,
                     [&](const Tag& before) { return before.name == tag->name; }))
      distinct.push_back(std::move(*tag));
  }
  return distinct;
}

}  // namespace

std::string_view SelectedItem::imageText(std::size_t position) const {
  return imageTexts != nullptr ? std::string_view((*imageTexts)[position]) : std::string_view();
}

bool SelectedItem::hinted(std::size_t position) const {
  // A stored value, even one that is not a string, is what a Mac shows.
  return !values[position].present && !imageText(position).empty();
}

TagChange SelectionEdit::tagsFor(std::size_t item) const {
  const auto left = tagsLeft.find(item);
  if (left == tagsLeft.end()) return tags;
  const auto isLeft = [&left](const std::string& name) {
    return std::ranges::count(left->second, name) > 0;
  };
  TagChange change = tags;
  std::erase_if(change.add, [&isLeft](const Tag& tag) { return isLeft(tag.name); });
  std::erase_if(change.remove, isLeft);
  std::erase_if(change.recolour, [&isLeft](const Tag& tag) { return isLeft(tag.name); });
  return change;
}

void SelectionEdit::encode() {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].action == ValueEdit::Action::kWrite || fields[i].action == ValueEdit::Action::kAdd)
      encoded[i] = encodeAttributeValue(fields[i].text);  // empty: not UTF-8, refused
  }
}

std::size_t Selection::Counts::add(const std::string& text, int change) {
  auto known = index.find(text);
  if (known == index.end()) {
    counts.push_back({text, 0});
    known = index.emplace(counts.back().text, counts.size() - 1).first;
  }
  std::size_t& items = counts[known->second].items;
  const std::size_t before = items;
  items = change > 0 ? items + 1 : items - 1;
  return before;
}

std::vector<ValueCount> Selection::Counts::nonZero(bool withEmpty) const {
  std::vector<ValueCount> out;
  for (const ValueCount& count : counts) {
    if (count.items > 0 && (withEmpty || !count.text.empty())) out.push_back(count);
  }
  return out;
}

Selection::Selection(std::vector<std::filesystem::path> paths) {
  items_.resize(paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    items_[i].path = std::move(paths[i]).native();
    paths[i].clear();  // its list of components, which the string does not need
  }
}

void Selection::readAll() {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].read) continue;
    EmbeddedValues embedded = readEmbeddedValues(items_[i].path);
    setRead(i, readValues(itemAtPath(items_[i].path)), &embedded);
  }
}

void Selection::count(const SelectedItem& item, int change) {
  const auto classChange = [this, change](std::size_t position, std::size_t before) {
    if (change > 0 && before == 0) ++summaries_[position].classes;
    if (change < 0 && before == 1) --summaries_[position].classes;
  };
  for (std::size_t position = 0; position < kFieldCount; ++position) {
    Summary& summary = summaries_[position];
    const auto step = [change](std::size_t& counter) {
      const std::size_t before = counter;
      counter = change > 0 ? counter + 1 : counter - 1;
      return before;
    };
    if (item.hinted(position)) step(summary.hinted);
    if (!item.values[position].present) {
      classChange(position, step(summary.absent));
      continue;
    }
    step(summary.present);
    const StoredValue value = item.values[position].stored();
    if (value.kind == StoredValue::Kind::kString) {
      classChange(position, summary.texts.add(value.text, change));
    } else {
      classChange(position, summary.kinds.add(describeStoredValue(value), change));
    }
  }
  for (const std::string& word : distinctKeywords(item)) keywords_.add(word, change);
  std::optional<std::vector<Tag>> tags = tagsOf(item.values[kTags]);
  if (!tags) tagKinds_.add(describeStoredValue(item.values[kTags].stored()), change);
  for (const Tag& tag : distinctTags(std::move(tags).value_or(std::vector<Tag>{}))) {
    tags_.add(tag.name, change);
    const std::size_t at = tags_.index.find(tag.name)->second;
    if (at >= tagColours_.size()) tagColours_.resize(at + 1);
    std::size_t& coloured = tagColours_[at][static_cast<std::size_t>(tag.colour)];
    coloured = change > 0 ? coloured + 1 : coloured - 1;
  }
}

void Selection::setRead(std::size_t index, std::array<FoundValue, kValueCount> values, const EmbeddedValues* embedded) {
  SelectedItem& item = items_[index];
  if (item.read) count(item, -1);
  item.values = std::move(values);
  if (embedded != nullptr) {
    item.imageTexts = embedded->any() ? std::make_unique<const std::array<std::string, kFieldCount>>(embedded->texts)
                                      : nullptr;
  }
  if (!item.read) ++read_;
  item.read = true;
  count(item, 1);
}

void Selection::setValue(std::size_t index, std::size_t position, const FoundValue& value) {
  std::array<FoundValue, kValueCount> values = items_[index].values;
  values[position] = value;
  setRead(index, values);
}

void Selection::dropUnread() {
  std::erase_if(items_, [](const SelectedItem& item) { return !item.read; });
}

std::vector<ValueCount> Selection::distinctTexts(std::size_t position) const {
  return summaries_[position].texts.nonZero(false);
}

std::vector<ValueCount> Selection::keywords() const { return keywords_.nonZero(false); }

std::vector<TagCount> Selection::tags() const {
  std::vector<TagCount> out;
  for (std::size_t at = 0; at < tags_.counts.size(); ++at) {
    const ValueCount& tag = tags_.counts[at];
    if (tag.items == 0 || tag.text.empty()) continue;
    const auto& colours = tagColours_[at];
    const auto most = std::ranges::max_element(colours);  // the first such colour on a tie
    out.push_back({.name = tag.text,
                   .items = tag.items,
                   .colour = static_cast<TagColour>(most - colours.begin()),
                   .mixedColours = *most != tag.items,
                   .changedElsewhere = false});
  }
  return out;
}

std::string Selection::tagsKeptAs() const {
  const std::vector<ValueCount> kinds = tagKinds_.nonZero(false);
  return kinds.empty() ? std::string() : kinds.front().text;
}

std::string Selection::commonHint(std::size_t position) const {
  if (!anyHinted(position)) return {};
  std::string common;
  for (const SelectedItem& item : items_) {
    if (!item.read || !item.hinted(position)) continue;
    if (!common.empty() && common != item.imageText(position)) return {};
    common = item.imageText(position);
  }
  return common;
}

ValueEdits Selection::editsFor(std::size_t index, const SelectionEdit& edit,
                               std::array<Data, kValueCount>& storage) const {
  using Action = ValueEdit::Action;
  const SelectedItem& item = items_[index];
  ValueEdits edits;
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    const Action action = edit.fields[i].action;
    if (action == Action::kRemove) {
      edits[i].action = action;
    } else if (i == kKeywords) {
      continue;
    } else if (action == Action::kWrite || action == Action::kAdd) {
      edits[i] = {.action = action, .value = &edit.encoded[i]};
    } else if (edit.fromImage[i] && item.hinted(i)) {
      storage[i] = encodeAttributeValue(item.imageText(i));
      edits[i] = {.action = ValueEdit::Action::kWrite, .value = &storage[i]};
    }
  }
  for (std::size_t i = 0; i < edits.size(); ++i) {
    if (edits[i].action == ValueEdit::Action::kKeep) continue;
    const FoundValue& shown = item.values[i];
    edits[i].expected = shown.present ? &shown.data : nullptr;
  }
  return edits;
}

KeywordChange Selection::keywordsFor(std::size_t index, const SelectionEdit& edit) const {
  if (edit.fields[kKeywords].action == ValueEdit::Action::kRemove) return {};
  KeywordChange keywords = edit.keywords;
  const SelectedItem& item = items_[index];
  if (edit.fromImage[kKeywords] && item.hinted(kKeywords)) {
    for (std::string& word : typedKeywords(item.imageText(kKeywords))) keywords.add.push_back(std::move(word));
  }
  return keywords;
}

std::array<std::string, kFieldCount> Selection::textsAfter(std::size_t index, const SelectionEdit& edit) const {
  std::array<Data, kValueCount> storage;
  ValueEdits edits = editsFor(index, edit, storage);
  std::array<FoundValue, kValueCount> after = items_[index].values;
  // Untouched keywords are not even looked at: one kept as a number stays as it is.
  if (const KeywordChange keywords = keywordsFor(index, edit); !keywords.empty())
    edits[kKeywords] = keywordEdit(after[kKeywords], keywords, storage[kKeywords]);
  for (std::size_t i = 0; i < after.size(); ++i) {
    // A refused write (no bytes) leaves what is stored.
    if (edits[i].action == ValueEdit::Action::kRemove) {
      after[i] = {};
    } else if (edits[i].action == ValueEdit::Action::kWrite && !edits[i].value->empty()) {
      after[i] = {true, *edits[i].value, 0};
    }
  }
  return reportTexts(after);
}

std::vector<std::string> typedKeywords(std::string_view typed) {
  StoredValue value;
  value.kind = StoredValue::Kind::kString;
  value.text = typed;
  return keywordsOf(value);
}

}  // namespace quillmark

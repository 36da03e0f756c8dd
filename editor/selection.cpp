// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/selection.h"

#include <algorithm>
#include <utility>

#include "attrstore/codec.h"
#include "attrstore/item_at.h"

namespace quillmark {

namespace {

constexpr std::size_t kKeywords = 4;  // the keywords' list position

// Counts `text` once more, keeping the order of first sight.
void count(std::vector<ValueCount>& counts, const std::string& text) {
  const auto known = std::find_if(counts.begin(), counts.end(),
                                  [&](const ValueCount& counted) { return counted.text == text; });
  if (known != counts.end()) {
    ++known->items;
  } else {
    counts.push_back({text, 1});
  }
}

StoredValue storedAt(const SelectedItem& item, std::size_t position) {
  const FoundValue& found = item.values[position];
  return found.present ? readStoredValue(found.data) : StoredValue{};
}

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : ", ") + word;
  return text;
}

}  // namespace

bool SelectedItem::hinted(std::size_t position) const {
  // A stored value, even one that is not a string, is what a Mac shows.
  return !values[position].present && !embedded.texts[position].empty();
}

Selection::Selection(std::vector<std::filesystem::path> paths) {
  items_.reserve(paths.size());
  for (std::filesystem::path& path : paths) {
    SelectedItem& item = items_.emplace_back();
    item.path = std::move(path);
    item.values = readValues(itemAtPath(item.path));
    item.embedded = readEmbeddedValues(item.path);
  }
}

bool Selection::same(std::size_t position) const {
  // What a field would show for one item: nothing, the text, or the other value's description.
  const auto shown = [position](const SelectedItem& item) {
    if (!item.values[position].present) return std::string();
    const StoredValue value = storedAt(item, position);
    std::string text = value.kind == StoredValue::Kind::kString ? "s" : "k";
    text += describeStoredValue(value);
    return text;
  };
  return std::all_of(items_.begin(), items_.end(),
                     [&](const SelectedItem& item) { return shown(item) == shown(items_.front()); });
}

std::vector<ValueCount> Selection::distinctTexts(std::size_t position) const {
  std::vector<ValueCount> counts;
  for (const SelectedItem& item : items_) {
    const StoredValue value = storedAt(item, position);
    if (value.kind == StoredValue::Kind::kString && !value.text.empty()) count(counts, value.text);
  }
  return counts;
}

std::vector<ValueCount> Selection::keywords() const {
  std::vector<ValueCount> counts;
  for (const SelectedItem& item : items_) {
    std::vector<std::string> words = keywordsOf(storedAt(item, kKeywords));
    // An item naming a keyword twice still carries it once.
    for (auto word = words.begin(); word != words.end(); ++word) {
      if (std::find(words.begin(), word, *word) == word) count(counts, *word);
    }
  }
  return counts;
}

std::string Selection::commonHint(std::size_t position) const {
  std::string common;
  for (const SelectedItem& item : items_) {
    if (!item.hinted(position)) continue;
    if (!common.empty() && common != item.embedded.texts[position]) return {};
    common = item.embedded.texts[position];
  }
  return common;
}

ValueEdits Selection::editsFor(std::size_t index, const SelectionEdit& edit,
                               std::array<Data, 5>& storage) const {
  const SelectedItem& item = items_[index];
  std::array<ValueChange, 5> changes = edit.fields;
  for (std::size_t i = 0; i < changes.size(); ++i) {
    if (i != kKeywords && changes[i].action == ValueChange::Action::kKeep && edit.fromImage[i] &&
        item.hinted(i))
      changes[i] = {ValueChange::Action::kWrite, item.embedded.texts[i]};
  }
  changes[kKeywords].action = edit.fields[kKeywords].action == ValueChange::Action::kRemove
                                  ? ValueChange::Action::kRemove
                                  : ValueChange::Action::kKeep;
  ValueEdits edits = editsOf(changes, storage);
  if (changes[kKeywords].action == ValueChange::Action::kRemove) return edits;
  KeywordChange keywords = edit.keywords;
  if (edit.fromImage[kKeywords] && item.hinted(kKeywords)) {
    for (std::string& word : typedKeywords(item.embedded.texts[kKeywords]))
      keywords.add.push_back(std::move(word));
  }
  // Untouched keywords are not even looked at: one kept as a number stays as it is.
  if (!keywords.empty()) edits[kKeywords] = keywordEdit(item.values[kKeywords], keywords, storage[kKeywords]);
  return edits;
}

std::array<std::string, 5> Selection::textsAfter(std::size_t index, const SelectionEdit& edit) const {
  std::array<Data, 5> storage;
  const ValueEdits edits = editsFor(index, edit, storage);
  std::array<std::string, 5> texts;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    // A refused write (no bytes) leaves what is stored.
    const bool writing = edits[i].action == ValueEdit::Action::kWrite && !edits[i].value->empty();
    if (edits[i].action == ValueEdit::Action::kRemove) continue;
    const StoredValue value = writing ? readStoredValue(*edits[i].value) : storedAt(items_[index], i);
    texts[i] = i == kKeywords ? joined(keywordsOf(value))
               : value.kind == StoredValue::Kind::kString ? value.text
                                                          : std::string();
  }
  return texts;
}

std::vector<std::string> typedKeywords(std::string_view typed) {
  StoredValue value;
  value.kind = StoredValue::Kind::kString;
  value.text = typed;
  return keywordsOf(value);
}

}  // namespace quillmark

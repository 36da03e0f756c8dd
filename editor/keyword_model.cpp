// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/keyword_model.h"

#include <algorithm>
#include <utility>

#include "editor/selection.h"

namespace quillmark {

void KeywordModel::reset(std::vector<ValueCount> stored, std::size_t items) {
  edits_.clear();
  restore(std::move(stored), items);
}

void KeywordModel::restore(std::vector<ValueCount> stored, std::size_t items) {
  stored_ = std::move(stored);
  items_ = items;
  storedIndex_.clear();
  storedIndex_.reserve(stored_.size());
  for (std::size_t i = 0; i < stored_.size(); ++i) storedIndex_.emplace(stored_[i].text, i);
  rebuild();
}

std::size_t KeywordModel::storedCount(const std::string& word) const {
  const auto found = storedIndex_.find(word);
  return found == storedIndex_.end() ? 0 : stored_[found->second].items;
}

void KeywordModel::act(const std::string& word, Action action) {
  edits_.insert_or_assign(word, Edit{action, actions_++});
}

void KeywordModel::rebuild() {
  rows_.clear();
  for (const ValueCount& keyword : stored_) {
    const auto edit = edits_.find(keyword.text);
    if (edit == edits_.end()) {
      rows_.push_back(keyword);
    } else if (edit->second.action == Action::kGiven) {
      rows_.push_back({keyword.text, items_});
    }
  }
  // Added ones, and ones given to all that the stored set no longer holds, which stay given.
  std::vector<const std::pair<const std::string, Edit>*> atEnd;
  for (const auto& entry : edits_) {
    const Action action = entry.second.action;
    if (action == Action::kAdded || (action == Action::kGiven && !storedIndex_.contains(entry.first)))
      atEnd.push_back(&entry);
  }
  std::ranges::sort(atEnd, {}, [](const auto* entry) { return entry->second.order; });
  for (const auto* entry : atEnd) rows_.push_back({entry->first, items_});
}

void KeywordModel::remove(std::size_t row) {
  if (row >= rows_.size()) return;
  const std::string word = rows_[row].text;
  if (storedCount(word) > 0) {
    act(word, Action::kRemoved);
  } else {
    edits_.erase(word);  // added, then removed: as stored, which is without it
  }
  rebuild();
}

void KeywordModel::giveToAll(std::size_t row) {
  if (row >= rows_.size() || rows_[row].items >= items_) return;
  act(rows_[row].text, Action::kGiven);
  rebuild();
}

void KeywordModel::addTyped(std::string_view typed) {
  if (items_ == 0) return;
  for (const std::string& word : typedKeywords(typed)) {
    const std::size_t had = storedCount(word);
    const auto edit = edits_.find(word);
    if (edit == edits_.end()) {
      if (had == 0) {
        act(word, Action::kAdded);
      } else if (had < items_) {
        act(word, Action::kGiven);  // listed: raised where it stands
      }
    } else if (edit->second.action == Action::kRemoved) {
      // Back on every item that had it is as stored; anything else is a new row at the end.
      if (had >= items_) {
        edits_.erase(edit);
      } else {
        act(word, Action::kAdded);
      }
    }
  }
  rebuild();
}

KeywordChange KeywordModel::change() const {
  KeywordChange change;
  // A stored keyword is unlisted exactly when removed: given or added ones stay listed.
  for (const ValueCount& keyword : stored_) {
    const auto edit = edits_.find(keyword.text);
    if (edit != edits_.end() && edit->second.action == Action::kRemoved) change.remove.push_back(keyword.text);
  }
  // Raised to every item, or new; a partial keyword left partial stays where it is.
  for (const ValueCount& row : rows_) {
    if (row.items >= items_ && storedCount(row.text) < row.items) change.add.push_back(row.text);
  }
  return change;
}

}  // namespace quillmark

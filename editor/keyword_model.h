// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The keyword list as the window edits it: the keywords as stored, each with how many of the
// selection's items carry it, and the user's edits kept as one action per keyword, so that the
// rows shown and Save's change both come from here, and the stored set can be replaced under the
// edits (another program stored new keywords while the window is open): a keyword the user did not
// touch follows the new set, one removed stays removed, one given to all stays given, one added
// stays added.
//
// Untouched means as stored: an action that leaves a keyword as it is stored (given to all where
// every item has it, typed back after a removal where every item had it, added then removed)
// records nothing. Keywords are compared exactly. Each action and change() take time in
// proportion to the rows, never to their square.
#ifndef QUILLMARK_EDITOR_KEYWORD_MODEL_H_
#define QUILLMARK_EDITOR_KEYWORD_MODEL_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "attrstore/keywords.h"
#include "editor/controls.h"

namespace quillmark {

class KeywordModel {
 public:
  // The keywords as stored over `items` items (each once, first seen first); drops every edit.
  void reset(std::vector<ValueCount> stored, std::size_t items);
  // The same, keeping the user's edits on top of the new stored set.
  void restore(std::vector<ValueCount> stored, std::size_t items);

  // The rows as shown: the stored keywords not removed (one given to all counted on every item),
  // then the ones added (or given to all and no longer stored), in the order of the user's actions.
  const std::vector<ValueCount>& rows() const { return rows_; }
  std::size_t items() const { return items_; }

  // The user's actions: row `row` off every item; given to every item; each keyword typed (split
  // on commas and trimmed) given to every item where listed, else added at the end. A row out of
  // range, or typing with no items, does nothing.
  void remove(std::size_t row);
  void giveToAll(std::size_t row);
  void addTyped(std::string_view typed);

  // What Save applies: the stored keywords no longer listed are removed; the rows raised to every
  // item or new are added, in row order. Empty when every keyword is as stored.
  KeywordChange change() const;
  bool edited() const { return !change().empty(); }

 private:
  enum class Action { kRemoved, kGiven, kAdded };  // kAdded: listed at the end even if stored

  // How many items the stored set gives `word`; 0 for none.
  std::size_t storedCount(const std::string& word) const;
  // Records `action` on `word`, which then comes after the keywords acted on before.
  void act(const std::string& word, Action action);
  void rebuild();

  struct Edit {
    Action action;
    std::uint64_t order;  // when, so that the rows at the end keep the order of the actions
  };

  std::vector<ValueCount> stored_;
  std::unordered_map<std::string_view, std::size_t> storedIndex_;  // into stored_
  std::size_t items_ = 0;
  std::unordered_map<std::string, Edit> edits_;
  std::uint64_t actions_ = 0;
  std::vector<ValueCount> rows_;
};

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_KEYWORD_MODEL_H_

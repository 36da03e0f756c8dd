// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The items one window edits together, as read at Open, and what Save does to each.
//
// Per field the window learns whether every item holds the same value and, where they differ,
// each distinct text with how many items hold it; per keyword how many items carry it. Save's
// edits are built per item from what the user changed: a field not changed is never written, so
// each item keeps its own value byte for byte; keywords go through the item's own stored form
// (attrstore/keywords.h). No toolkit.
#ifndef QUILLMARK_EDITOR_SELECTION_H_
#define QUILLMARK_EDITOR_SELECTION_H_

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "attrstore/keywords.h"
#include "attrstore/places.h"
#include "editor/controls.h"
#include "editor/item_changes.h"
#include "imagemeta/embedded_values.h"

namespace quillmark {

struct SelectedItem {
  std::filesystem::path path;
  std::array<FoundValue, 5> values;  // as read at Open, or as stored by the last Save
  EmbeddedValues embedded;           // what its image says, read once at Open
  // Whether the image's own text stands in for the absent value at list position `position`.
  bool hinted(std::size_t position) const;
};

// What Save applies to every item of a selection.
struct SelectionEdit {
  std::array<ValueChange, 5> fields;  // kKeep for a field the user did not change; keywords: kRemove only
  KeywordChange keywords;
  std::array<bool, 5> fromImage{};  // each hinted item takes its own image's text here
};

class Selection {
 public:
  Selection() = default;
  // Reads every item's values and its image's (a damaged image only gives no hints).
  explicit Selection(std::vector<std::filesystem::path> paths);

  std::size_t size() const { return items_.size(); }
  const std::vector<SelectedItem>& items() const { return items_; }

  // Whether every item holds the same value at `position` (the same text, the same kind of
  // other value, or none).
  bool same(std::size_t position) const;
  // The distinct texts at `position` with their counts, first seen first; items holding no
  // text there are not counted.
  std::vector<ValueCount> distinctTexts(std::size_t position) const;
  // Every keyword with how many items carry it, first seen first.
  std::vector<ValueCount> keywords() const;
  // The image text every hinted item agrees on at `position`; "" when none is hinted or they differ.
  std::string commonHint(std::size_t position) const;

  // Item `item`'s edits for `edit`, their bytes in `storage` (which must outlive them).
  ValueEdits editsFor(std::size_t item, const SelectionEdit& edit, std::array<Data, 5>& storage) const;
  // Item `item`'s five texts as they would be after `edit`, keywords joined with ", ".
  std::array<std::string, 5> textsAfter(std::size_t item, const SelectionEdit& edit) const;
  // Records what Save left stored on item `item`.
  void stored(std::size_t item, const std::array<FoundValue, 5>& values) { items_[item].values = values; }

 private:
  std::vector<SelectedItem> items_;
};

// The keywords in `typed`, split on commas and trimmed, as the window's keyword field has always taken them.
std::vector<std::string> typedKeywords(std::string_view typed);

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_SELECTION_H_

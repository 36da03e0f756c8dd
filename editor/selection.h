// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The items one window edits together, as last read or stored, and what Save does to each.
//
// Items arrive one by one (the window fills as they are read) and may be read again when others
// change them; per field the selection keeps, as it goes, whether every item read holds the same
// value and each distinct text with how many items hold it, and per keyword how many items carry
// it (per tag, how many carry it in each colour), so that neither showing nor following a change
// costs a pass over every item. Save's edits are built per item from what the user changed: a
// field not changed is never written, so each item keeps its own value byte for byte; keywords go
// through the item's own stored form (attrstore/keywords.h); each edit expects the value the
// window last read, so that a value stored elsewhere meanwhile is never replaced unseen. No
// toolkit.
#ifndef QUILLMARK_EDITOR_SELECTION_H_
#define QUILLMARK_EDITOR_SELECTION_H_

#include <array>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "attrstore/keywords.h"
#include "attrstore/places.h"
#include "attrstore/tags.h"
#include "editor/controls.h"
#include "editor/item_changes.h"
#include "imagemeta/embedded_values.h"

namespace quillmark {

// One item. A window holds tens of thousands: its path is kept as the string it is (a
// std::filesystem::path would add a list of its components), and image texts only for an image
// that has some.
struct SelectedItem {
  std::string path;
  std::array<FoundValue, kValueCount> values;  // as last read, or as stored by the last Save
  // What its image says, read with its values, in list order; null where it says nothing.
  std::unique_ptr<const std::array<std::string, kFieldCount>> imageTexts;
  bool read = false;
  // The image's text at list position `position` ("" for none).
  std::string_view imageText(std::size_t position) const;
  // Whether the image's own text stands in for the absent value at list position `position`.
  bool hinted(std::size_t position) const;
};

// What Save applies to every item of a selection.
struct SelectionEdit {
  std::array<ValueChange, kValueCount> fields;  // kKeep for a field the user did not change; keywords: kRemove only
  KeywordChange keywords;
  TagChange tags;
  // Per item, the tags whose change is left out there: another program changed them meanwhile.
  std::map<std::size_t, std::vector<std::string>> tagsLeft{};
  std::array<bool, kFieldCount> fromImage{};  // each hinted item takes its own image's text here
  std::array<Data, kValueCount> encoded;      // the texts of `fields` to write, encoded once for every item
  // Encodes the texts to write; needed once the fields are set, before editsFor.
  void encode();
  // The tag change made on item `item`: `tags`, but for the tags left there.
  TagChange tagsFor(std::size_t item) const;
};

class Selection {
 public:
  Selection() = default;
  // The items at `paths`, none read yet.
  explicit Selection(std::vector<std::filesystem::path> paths);

  std::size_t size() const { return items_.size(); }
  const std::vector<SelectedItem>& items() const { return items_; }
  std::size_t readCount() const { return read_; }
  bool allRead() const { return read_ == items_.size(); }
  // Reads every item not read yet, one after another on this thread.
  void readAll();

  // Item `item` as read now (its values and image), or, with `embedded` null, its values as
  // stored again; the counts follow.
  void setRead(std::size_t item, std::array<FoundValue, kValueCount> values, const EmbeddedValues* embedded = nullptr);
  // One value of item `item` as it now is (the others unchanged).
  void setValue(std::size_t item, std::size_t position, const FoundValue& value);
  // Leaves out the items not read (a read that was stopped).
  void dropUnread();

  // Whether every item read holds the same value at `position` (the same text, the same kind of
  // other value, or none).
  bool same(std::size_t position) const { return summaries_[position].classes <= 1; }
  // The distinct texts at `position` with their counts, first seen first; items holding no
  // text there are not counted.
  std::vector<ValueCount> distinctTexts(std::size_t position) const;
  // Every keyword with how many items carry it, first seen first.
  std::vector<ValueCount> keywords() const;
  // Every tag with how many items carry it and the colour most of them give it, first seen first.
  std::vector<TagCount> tags() const;
  // What some item keeps its tags as when not as a list of strings ("a number"); "" for none.
  std::string tagsKeptAs() const;
  // Whether some item read shows its image's text at `position`.
  bool anyHinted(std::size_t position) const { return summaries_[position].hinted > 0; }
  // Whether some item read holds a value at `position`.
  bool anyPresent(std::size_t position) const { return summaries_[position].present > 0; }
  // The image text every hinted item agrees on at `position`; "" when none is hinted or they differ.
  std::string commonHint(std::size_t position) const;

  // Item `item`'s edits for `edit` (encoded), each expecting the item's value as last read; the
  // bytes of its own image's texts in `storage` (which must outlive them). Of the keywords only a
  // removal: their change is keywordsFor's, made on the keywords the store finds.
  ValueEdits editsFor(std::size_t item, const SelectionEdit& edit, std::array<Data, kValueCount>& storage) const;
  // The keyword change `edit` makes on item `item`: its own, and its image's keywords where taken;
  // none where the keywords are removed.
  KeywordChange keywordsFor(std::size_t item, const SelectionEdit& edit) const;
  // Item `item`'s five texts as they would be after `edit`, as the report gives them (reportTexts).
  std::array<std::string, kFieldCount> textsAfter(std::size_t item, const SelectionEdit& edit) const;

 private:
  // Counts of first-seen texts, kept in place so the index can point into them.
  struct Counts {
    std::deque<ValueCount> counts;
    std::unordered_map<std::string_view, std::size_t> index;
    // Adds `change` (1 or -1) to `text`'s count; returns the count before.
    std::size_t add(const std::string& text, int change);
    std::vector<ValueCount> nonZero(bool withEmpty) const;
  };
  // What the items read hold at one position.
  struct Summary {
    std::size_t absent = 0, present = 0, hinted = 0;
    Counts texts;  // strings, the empty one included
    Counts kinds;  // any other value, by its description
    std::size_t classes = 0;  // distinct values held (absent counting as one)
  };
  // Adds (`change` 1) or takes away (-1) item `item`'s values from the summaries.
  void count(const SelectedItem& item, int change);

  std::vector<SelectedItem> items_;
  std::size_t read_ = 0;
  std::array<Summary, kFieldCount> summaries_;
  Counts keywords_;
  // Tags by name; beside each name in tags_, how many items give it each colour; and tags kept
  // as anything but a list of strings, by what they are.
  Counts tags_;
  std::vector<std::array<std::size_t, kTagColours>> tagColours_;
  Counts tagKinds_;
};

// The keywords in `typed`, split on commas and trimmed, as the window's keyword field has always taken them.
std::vector<std::string> typedKeywords(std::string_view typed);

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_SELECTION_H_

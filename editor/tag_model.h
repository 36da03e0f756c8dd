// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The tag list as the window edits it: which tags the items carry follows the keyword list's rules
// (KeywordModel: removed, given to all, added, each kept on top of a stored set that others
// change), and each tag's colour is the one stored, or the one the user chose, on top. Save's
// change comes from here: a tag given to all or added goes with its colour, a listed one whose
// colour the user changed is recoloured where it is.
#ifndef QUILLMARK_EDITOR_TAG_MODEL_H_
#define QUILLMARK_EDITOR_TAG_MODEL_H_

#include <cstddef>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "attrstore/tags.h"
#include "editor/controls.h"
#include "editor/keyword_model.h"

namespace quillmark {

class TagModel {
 public:
  // The tags as stored over `items` items; drops every edit.
  void reset(const std::vector<TagCount>& stored, std::size_t items);
  // The same, keeping the user's edits on top of the new stored set.
  void restore(const std::vector<TagCount>& stored, std::size_t items);

  // As KeywordModel's rows, each in its colour.
  const std::vector<TagCount>& rows() const { return rows_; }

  // The user's actions, as on keywords; a row out of range does nothing.
  void remove(std::size_t row);
  void giveToAll(std::size_t row);
  void recolour(std::size_t row, TagColour colour);
  // Each typed tag given to every item where listed, else added at the end; one with a colour
  // also takes that colour. Nothing without items.
  void add(const std::vector<Tag>& typed);

  // What Save applies; empty when every tag is as stored.
  TagChange change() const;

 private:
  void rebuild();

  KeywordModel names_;
  std::unordered_map<std::string, TagColour> stored_;  // each stored tag's colour
  std::unordered_map<std::string, TagColour> chosen_;  // the colours the user gave
  std::unordered_set<std::string> mixed_;              // stored tags whose items differ in colour
  std::vector<TagCount> rows_;
};

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_TAG_MODEL_H_

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What a file manager shows of an item: its five values and its Finder tags as display text, read
// through the store in every place Macs keep them.
//
// Runs inside another program's process, so it never throws and never aborts: a hostile sidecar
// or value shows as what it is ("unreadable"), and a failure of memory as no value. Each text is bounded (kShownBytes, cut
// on a character boundary), and so is the number of tags, so a 64 KiB value costs a file manager
// no more than a short one once read.
#ifndef QUILLMARK_EXTENSIONS_CORE_SHOWN_VALUES_H_
#define QUILLMARK_EXTENSIONS_CORE_SHOWN_VALUES_H_

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "attrstore/names.h"
#include "attrstore/tags.h"

namespace quillmark {

inline constexpr std::size_t kShownBytes = 4096;  // of one value's text, "…" included
inline constexpr std::size_t kColumnBytes = 256;  // of a column's line: a column grows to its text
inline constexpr std::size_t kShownTags = 64;     // more are counted in ShownValues::moreTags

struct ShownText {
  std::string text;        // UTF-8: the value, keywords joined with ", "; empty: none
  bool described = false;  // `text` is the English words for what the value is (codec.h's kKindWords), to translate
};

struct ShownValues {
  std::array<ShownText, kFieldCount> fields;  // list order (attrstore/names.h)
  std::vector<Tag> tags;                      // in stored order, at most kShownTags
  std::size_t moreTags = 0;                   // tags past those
  ShownText tagsKeptAs;                       // tags stored as something else: what, described
  bool any() const;                           // anything to show at all
};

// The values of the item at `path`; none for an item that is not there. Never throws.
ShownValues readShownValues(const std::string& path) noexcept;

// `text` as one line for a list view's column: line breaks and tabs as spaces, runs of them as one,
// cut at kColumnBytes.
std::string columnLine(std::string_view text);

// The tags as one line, each colour given by `colourNames` (by TagColour, kNone unused):
// "Work (red), Harbour", and "+ 3" for tags past those shown.
std::string tagsLine(const ShownValues& values, const std::array<std::string, kTagColours>& colourNames);

}  // namespace quillmark

#endif  // QUILLMARK_EXTENSIONS_CORE_SHOWN_VALUES_H_

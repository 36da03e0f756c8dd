// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The columns and rows a file manager shows: the five values in the window's order, then the
// tags, each under the window's name for it (attrstore/names.h). Texts here are English; the
// adapters translate them.
#ifndef QUILLMARK_EXTENSIONS_CORE_SHOWN_COLUMNS_H_
#define QUILLMARK_EXTENSIONS_CORE_SHOWN_COLUMNS_H_

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "attrstore/names.h"

namespace quillmark {

struct ShownColumn {
  std::size_t position;          // in attrstore/names.h's list; kTags for the tags
  std::string_view description;  // the column chooser's line for it
  std::string_view label() const { return kValueNames[position].label; }
  // The name the file manager keeps its text under: "quillmark_headline".
  std::string attribute() const { return "quillmark_" + std::string(kValueNames[position].flag); }
};
inline constexpr std::array<ShownColumn, kValueCount> kShownColumns = {{
    {kPositionsInWindowOrder[0], "The headline in the item's metadata"},
    {kPositionsInWindowOrder[1], "The description in the item's metadata"},
    {kPositionsInWindowOrder[2], "The creator in the item's metadata"},
    {kPositionsInWindowOrder[3], "The copyright in the item's metadata"},
    {kPositionsInWindowOrder[4], "The keywords in the item's metadata"},
    {kTags, "The item's Finder tags and their colours"},
}};

}  // namespace quillmark

#endif  // QUILLMARK_EXTENSIONS_CORE_SHOWN_COLUMNS_H_

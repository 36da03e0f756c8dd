// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The one way an item is changed, for the window's Save, `set`, `set --from-image`, `import` and
// Write Folder: each value written, removed or left as it is, in every place Mac peers keep it
// (attrstore/places.h), the desktop copies with them where asked, and every failure reported as
// the user reads it: the values in list order (Copyright, Creator, Description, Headline,
// Keywords), at most one each, then the copies.
#ifndef QUILLMARK_EDITOR_ITEM_CHANGES_H_
#define QUILLMARK_EDITOR_ITEM_CHANGES_H_

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "attrstore/places.h"

namespace quillmark {

struct ValueChange {
  enum class Action { kKeep, kWrite, kRemove, kAdd };  // kAdd: written where the item has none
  Action action = Action::kKeep;
  std::string text;  // kWrite, kAdd: the text to store (UTF-8; anything else is refused with EINVAL)
};

// The messages the user reads: a prefix naming the failed call, then the system's text.
inline constexpr std::string_view kWriteFailed = "setxattr error: ";
inline constexpr std::string_view kRemoveFailed = "remxattr error: ";
inline constexpr std::string_view kListFailed = "opendir error: ";
// What follows the write failure's prefix for a tag holding a comma, before the quoted tag.
inline constexpr std::string_view kCommaInTag = "a desktop tag cannot hold a comma: ";
std::string failureMessage(std::string_view prefix, int error);

// `changes` as edits, each text to write encoded into `storage` (which must outlive them).
ValueEdits editsOf(const std::array<ValueChange, 5>& changes, std::array<Data, 5>& storage);

struct ItemChange {
  std::array<FoundValue, 5> values;  // as stored afterwards (ChangeResult::values)
  std::array<int, 5> errors{};       // each value's errno (ChangeResult::errors)
  std::vector<std::pair<std::size_t, std::string>> failures;  // list position, message
};

// Applies `edits` to the item at `at` (changeValues) and says what failed.
ItemChange changeItem(const ItemAt& at, const ValueEdits& edits, const ChangeOptions& options = {});
// What changing with `edits` came to (changeValues, or prepareChange to finishChange), as above.
ItemChange itemChangeOf(ChangeResult&& changed, const ValueEdits& edits);

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_ITEM_CHANGES_H_

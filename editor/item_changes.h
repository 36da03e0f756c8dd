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
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "attrstore/keywords.h"
#include "attrstore/places.h"

namespace quillmark {

// A value's change as the user asked for it, its text not yet encoded.
struct ValueChange {
  ValueEdit::Action action = ValueEdit::Action::kKeep;  // kAdd: written where the item has none
  std::string text;  // kWrite, kAdd: the text to store (UTF-8; anything else is refused with EINVAL)
};

// A value, or its desktop copy, not stored, as data for the window and the command line to word.
struct Failure {
  enum class Call { kWrite, kRemove, kList };  // setxattr, remxattr, opendir (a folder of a walk)
  Call call = Call::kWrite;
  int error = 0;         // the errno; 0 for a comma tag
  std::string commaTag;  // a keyword left out of the desktop tags, as it holds a comma
  std::optional<KeywordRefusal> keywordRefusal{};  // a keyword change refused (EINVAL): why
  std::optional<std::string> tagsKeptAs{};  // a tag change refused (EINVAL): what the tags are kept as
};
// The English words, as the command line prints them: a prefix naming the failed call, then the
// system's text ("setxattr error: Operation not permitted") or the comma tag's reason.
inline constexpr std::string_view kWriteFailed = "setxattr error: ";
inline constexpr std::string_view kRemoveFailed = "remxattr error: ";
inline constexpr std::string_view kListFailed = "opendir error: ";
inline constexpr std::string_view kCommaInTag = "a desktop tag cannot hold a comma: ";
std::string describeFailure(const Failure& failure);

// `changes` as edits, each text to write encoded into `storage` (which must outlive them).
ValueEdits editsOf(const std::array<ValueChange, kValueCount>& changes, std::array<Data, kValueCount>& storage);

struct ItemChange {
  std::array<FoundValue, kValueCount> values;  // as stored afterwards (ChangeResult::values)
  std::array<int, kValueCount> errors{};       // each value's errno (ChangeResult::errors)
  std::vector<std::pair<std::size_t, Failure>> failures;  // list position, what failed
};

// Applies `edits` to the item at `at` (changeValues) and says what failed. A keyword or tag change
// (options.keywords, options.tags) that met a list stored anew in the sidecar meanwhile is made
// again on top of it, up to three times.
ItemChange changeItem(const ItemAt& at, const ValueEdits& edits, const ChangeOptions& options = {});
// What changing with `edits` came to (changeValues, or a PreparedChange written), as above.
ItemChange itemChangeOf(ChangeResult&& changed, const ValueEdits& edits);

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_ITEM_CHANGES_H_

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/item_changes.h"

#include <cerrno>

#include "attrstore/codec.h"
#include "attrstore/names.h"

namespace quillmark {

std::string describeFailure(const Failure& failure) {
  if (!failure.commaTag.empty()) return std::string(kWriteFailed) + std::string(kCommaInTag) + '"' + failure.commaTag + '"';
  if (const auto& why = failure.keywordRefusal) {
    return std::string(kWriteFailed) +
           (why->keptAs.empty() ? "keywords kept as one string cannot hold \"" + why->commaWord + "\": it would read as two"
                                : "the keywords are kept as " + why->keptAs + ", not as strings: left as they are");
  }
  if (failure.tagsKeptAs)
    return std::string(kWriteFailed) + "the tags are kept as " + *failure.tagsKeptAs + ", not as strings: left as they are";
  const std::string_view prefix = failure.call == Failure::Call::kWrite    ? kWriteFailed
                                  : failure.call == Failure::Call::kRemove ? kRemoveFailed
                                                                           : kListFailed;
  return std::string(prefix) + makePosixError(failure.error).code().message();
}

ValueEdits editsOf(const std::array<ValueChange, kValueCount>& changes, std::array<Data, kValueCount>& storage) {
  ValueEdits edits;
  for (std::size_t i = 0; i < changes.size(); ++i) {
    edits[i].action = changes[i].action;
    if (changes[i].action == ValueEdit::Action::kWrite || changes[i].action == ValueEdit::Action::kAdd) {
      storage[i] = encodeAttributeValue(changes[i].text);  // empty: not UTF-8, refused
      edits[i].value = &storage[i];
    }
  }
  return edits;
}

ItemChange changeItem(const ItemAt& at, const ValueEdits& edits, const ChangeOptions& options) {
  ChangeResult result = changeValues(at, edits, options);
  // A list stored anew in the sidecar between its first read and its lock: its change once more,
  // on top of it (the other values' edits are done).
  for (int round = 0; round < 3; ++round) {
    const bool keywords = options.keywords != nullptr && result.errors[kKeywords] == kChangedElsewhere;
    const bool tags = options.tags != nullptr && result.errors[kTags] == kChangedElsewhere;
    if (!keywords && !tags) break;
    ChangeOptions retry = options;
    if (!keywords) retry.keywords = nullptr;
    if (!tags) retry.tags = nullptr;
    ChangeResult again = changeValues(at, {}, retry);
    for (const std::size_t position : {kKeywords, kTags}) {
      if (!(position == kKeywords ? keywords : tags)) continue;
      result.errors[position] = again.errors[position];
      result.values[position] = std::move(again.values[position]);
    }
    if (keywords) {
      result.keywordAction = again.keywordAction;
      result.keywordRefusal = std::move(again.keywordRefusal);
    }
    if (tags) {
      result.tagAction = again.tagAction;
      result.tagRefusal = std::move(again.tagRefusal);
    }
  }
  return itemChangeOf(std::move(result), edits);
}

ItemChange itemChangeOf(ChangeResult&& changed, const ValueEdits& edits) {
  ItemChange change{std::move(changed.values), changed.errors, {}};
  for (std::size_t i = 0; i < edits.size(); ++i) {
    if (changed.errors[i] == 0) continue;
    const ValueEdit::Action action = edits[i].action != ValueEdit::Action::kKeep ? edits[i].action
                                     : i == kKeywords                          ? changed.keywordAction
                                     : i == kTags                              ? changed.tagAction
                                                                               : edits[i].action;
    const bool writing = action != ValueEdit::Action::kRemove;
    change.failures.push_back({i, {writing ? Failure::Call::kWrite : Failure::Call::kRemove, changed.errors[i], {}}});
    if (i == kKeywords && changed.errors[i] == EINVAL) change.failures.back().second.keywordRefusal = changed.keywordRefusal;
    if (i == kTags && changed.errors[i] == EINVAL && changed.tagRefusal)
      change.failures.back().second.tagsKeptAs = changed.tagRefusal->keptAs;
  }
  for (CopyFailure& copy : changed.copyFailures) {
    change.failures.push_back(
        {copy.position,
         {copy.removing ? Failure::Call::kRemove : Failure::Call::kWrite, copy.error, std::move(copy.commaTag)}});
  }
  return change;
}

}  // namespace quillmark

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/item_changes.h"

#include "attrstore/codec.h"

namespace quillmark {

std::string describeFailure(const Failure& failure) {
  if (!failure.commaTag.empty()) return std::string(kWriteFailed) + std::string(kCommaInTag) + '"' + failure.commaTag + '"';
  const std::string_view prefix = failure.call == Failure::Call::kWrite    ? kWriteFailed
                                  : failure.call == Failure::Call::kRemove ? kRemoveFailed
                                                                           : kListFailed;
  return std::string(prefix) + makePosixError(failure.error).code().message();
}

ValueEdits editsOf(const std::array<ValueChange, 5>& changes, std::array<Data, 5>& storage) {
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
  return itemChangeOf(changeValues(at, edits, options), edits);
}

ItemChange itemChangeOf(ChangeResult&& changed, const ValueEdits& edits) {
  ItemChange change{std::move(changed.values), changed.errors, {}};
  for (std::size_t i = 0; i < edits.size(); ++i) {
    if (changed.errors[i] == 0) continue;
    const bool writing = edits[i].action != ValueEdit::Action::kRemove;
    change.failures.push_back({i, {writing ? Failure::Call::kWrite : Failure::Call::kRemove, changed.errors[i], {}}});
  }
  for (CopyFailure& copy : changed.copyFailures) {
    change.failures.push_back(
        {copy.position,
         {copy.removing ? Failure::Call::kRemove : Failure::Call::kWrite, copy.error, std::move(copy.commaTag)}});
  }
  return change;
}

}  // namespace quillmark

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

ItemChange changeItemKeywords(const ItemAt& at, ValueEdits edits, const KeywordChange& keywords,
                              const FoundValue& shown, const ChangeOptions& options) {
  Data storage;
  std::optional<KeywordRefusal> refusal;
  const auto editOn = [&](const FoundValue& found) {
    KeywordRefusal why;
    ValueEdit edit = keywordEdit(found, keywords, storage, &why);
    refusal.reset();
    // A write with no bytes and no reason holds a text with no stored form: EINVAL alone says so.
    if (!why.keptAs.empty() || !why.commaWord.empty()) refusal = std::move(why);
    if (edit.action != ValueEdit::Action::kKeep) edit.expected = found.present ? &found.data : nullptr;
    return edit;
  };
  edits[kKeywords] = editOn(shown);
  ChangeResult result = changeValues(at, edits, options);
  for (int round = 0; round < 3 && result.errors[kKeywords] == kChangedElsewhere; ++round) {
    // Stored anew meanwhile: the same change, once more, on top of them.
    const FoundValue found = result.values[kKeywords];
    ValueEdits again;
    again[kKeywords] = edits[kKeywords] = editOn(found);
    if (again[kKeywords].action == ValueEdit::Action::kKeep) {
      result.errors[kKeywords] = 0;
      break;
    }
    ChangeResult retried = changeValues(at, again, options);
    result.errors[kKeywords] = retried.errors[kKeywords];
    if (options.readAll) {
      result.values = std::move(retried.values);
    } else {
      result.values[kKeywords] = std::move(retried.values[kKeywords]);
    }
  }
  ItemChange change = itemChangeOf(std::move(result), edits);
  for (auto& [position, failure] : change.failures) {
    if (position == kKeywords && failure.error == EINVAL && refusal) failure.keywordRefusal = refusal;
  }
  return change;
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

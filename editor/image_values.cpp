// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/image_values.h"

#include "attrstore/item_at.h"
#include "attrstore/places.h"

namespace quillmark {

std::string imageProblemMessage(const EmbeddedValues& embedded) {
  return std::string(kImageUnreadable) + embedded.problem;
}

EmbeddedValues storeImageValues(const ItemAt& at, const std::filesystem::path& path,
                                const ImageValuesOptions& options, ItemChange& change) {
  EmbeddedValues embedded = readEmbeddedValues(path);
  if (embedded.outcome != EmbeddedValues::Outcome::kRead) return embedded;
  std::array<ValueChange, kValueCount> changes;
  for (std::size_t i = 0; i < embedded.texts.size(); ++i) {
    if (!embedded.texts[i].empty())
      changes[i] = {options.replace ? ValueEdit::Action::kWrite : ValueEdit::Action::kAdd, embedded.texts[i]};
  }
  std::array<Data, kValueCount> storage;
  change = changeItem(at, editsOf(changes, storage), {.desktopCopies = options.desktopCopies});
  return embedded;
}

}  // namespace quillmark

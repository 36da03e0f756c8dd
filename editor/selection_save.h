// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Save over a selection: each item changed as Save changes one (changeItem), on a few threads
// through the ordered pool Write Folder uses, and every failure gathered to be shown together.
// Everything the caller hears comes on the calling thread in item order; a stop starts no
// further item, and those not started keep their values.
#ifndef QUILLMARK_EDITOR_SELECTION_SAVE_H_
#define QUILLMARK_EDITOR_SELECTION_SAVE_H_

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "editor/controls.h"
#include "editor/selection.h"

namespace quillmark {

struct SelectionFailure {
  std::size_t item;
  std::size_t position;  // list position
  Failure failure;
};

struct SelectionSaveOptions {
  // Asked between items whenever `progressInterval` has passed; null never stops the save.
  WalkProgress* progress = nullptr;
  std::chrono::nanoseconds progressInterval = std::chrono::milliseconds(30);
  bool desktopCopies = false;
};

struct SelectionSaved {
  std::vector<SelectionFailure> failures;  // in item order
  // Values another program stored since they were read (item, list position), left as they are;
  // the selection now holds what they are.
  std::vector<std::pair<std::size_t, std::size_t>> changedElsewhere;
};

// Applies `edit` (encoded) to every item, or to the items `only` lists (ascending), records what
// each has stored afterwards in `selection`, and says what failed and what was left to another
// program. Keywords and tags stored anew elsewhere take the change on top of them, never replacing
// them.
SelectionSaved saveSelection(Selection& selection, const SelectionEdit& edit,
                             const SelectionSaveOptions& options = {},
                             const std::vector<std::size_t>* only = nullptr);

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_SELECTION_SAVE_H_

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/selection_save.h"


#include <memory>

#include "attrstore/item_at.h"
#include "attrstore/names.h"
#include "editor/entry_batches.h"
#include "editor/folder_write.h"
#include "editor/ordered_pool.h"

namespace quillmark {

namespace {
}  // namespace

SelectionSaved saveSelection(Selection& selection, const SelectionEdit& edit,
                             const SelectionSaveOptions& options, const std::vector<std::size_t>* only) {
  SelectionSaved saved;
  const std::size_t count = only != nullptr ? only->size() : selection.size();
  if (count == 0) return saved;
  const auto itemAt = [only](std::size_t n) { return only != nullptr ? (*only)[n] : n; };
  const std::size_t jobs = jobsForPath(selection.items()[itemAt(0)].path.c_str());
  using Clock = std::chrono::steady_clock;
  Clock::time_point lastReport = Clock::now();
  std::size_t done = 0;
  {
    OrderedPool pool(jobs, jobs * 4);
    for (std::size_t n = 0; n < count; ++n) {
      const std::size_t index = itemAt(n);
      const bool queued = pool.submit([&, index]() -> OrderedPool::Delivery {
        std::array<Data, kValueCount> storage;
        const ItemAt at = itemAtPath(selection.items()[index].path);
        const ValueEdits edits = selection.editsFor(index, edit, storage);
        // Keyword and tag changes are made on the lists as found, so they land on what others
        // stored.
        const KeywordChange keywords = selection.keywordsFor(index, edit);
        const TagChange tags = edit.tagsFor(index);
        const ChangeOptions change{.readAll = true,
                                   .desktopCopies = options.desktopCopies,
                                   .keywords = keywords.empty() ? nullptr : &keywords,
                                   .tags = tags.empty() ? nullptr : &tags};
        auto outcome = std::make_shared<ItemChange>(changeItem(at, edits, change));
        return [&, outcome, index] {
          selection.setRead(index, outcome->values);
          for (std::size_t position = 0; position < outcome->errors.size(); ++position)
            if (outcome->errors[position] == kChangedElsewhere) saved.changedElsewhere.emplace_back(index, position);
          for (auto& [position, failure] : outcome->failures) {
            if (outcome->errors[position] != kChangedElsewhere)
              saved.failures.push_back({index, position, std::move(failure)});
          }
          ++done;
          if (options.progress == nullptr || done == count ||
              Clock::now() - lastReport < options.progressInterval)
            return true;
          lastReport = Clock::now();
          return options.progress->walkProgressed(done, selection.items()[itemAt(done)].path);
        };
      });
      if (!queued) break;
    }
    pool.finish();
  }
  return saved;
}

}  // namespace quillmark

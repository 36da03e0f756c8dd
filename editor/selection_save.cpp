// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/selection_save.h"

#include <sys/statfs.h>

#include <memory>

#include "attrstore/item_at.h"
#include "attrstore/names.h"
#include "editor/folder_write.h"
#include "editor/ordered_pool.h"

namespace quillmark {

std::string failureLine(const Selection& selection, const SelectionFailure& failure) {
  return selection.items()[failure.item].path.string() + std::string(kItemField) +
         std::string(kValueNames[failure.position].label) + ": " + failure.message;
}

std::vector<SelectionFailure> saveSelection(Selection& selection, const SelectionEdit& edit,
                                            const SelectionSaveOptions& options) {
  std::vector<SelectionFailure> failures;
  if (selection.size() == 0) return failures;
  struct statfs info;
  const long type = statfs(selection.items().front().path.c_str(), &info) == 0 ? info.f_type : 0;
  const std::size_t jobs = jobsForFilesystem(type);
  using Clock = std::chrono::steady_clock;
  Clock::time_point lastReport = Clock::now();
  std::size_t done = 0;
  {
    OrderedPool pool(jobs, jobs * 4);
    for (std::size_t index = 0; index < selection.size(); ++index) {
      const bool queued = pool.submit([&selection, &edit, &options, &failures, &done, &lastReport,
                                       index]() -> OrderedPool::Delivery {
        std::array<Data, 5> storage;
        const ItemAt at = itemAtPath(selection.items()[index].path);
        auto change = std::make_shared<ItemChange>(
            changeItem(at, selection.editsFor(index, edit, storage),
                       {.readAll = true, .desktopCopies = options.desktopCopies}));
        return [&, change, index] {
          selection.stored(index, change->values);
          for (auto& [position, message] : change->failures)
            failures.push_back({index, position, std::move(message)});
          ++done;
          if (options.progress == nullptr || done == selection.size() ||
              Clock::now() - lastReport < options.progressInterval)
            return true;
          lastReport = Clock::now();
          return options.progress->walkProgressed(done, selection.items()[done].path);
        };
      });
      if (!queued) break;
    }
    pool.finish();
  }
  return failures;
}

}  // namespace quillmark

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/selection_reader.h"


#include <chrono>
#include <memory>
#include <utility>

#include "attrstore/item_at.h"
#include "editor/entry_batches.h"
#include "editor/ordered_pool.h"

namespace quillmark {

namespace {
// Results are handed over at most this often: each hand-over redraws the window's fields.
constexpr auto kHandOver = std::chrono::milliseconds(40);
}  // namespace

SelectionReader::SelectionReader(std::vector<std::pair<std::size_t, std::string>> items,
                                 std::function<void()> ready)
    : ready_(std::move(ready)), thread_(&SelectionReader::run, this, std::move(items)) {}

SelectionReader::~SelectionReader() {
  stop();
  thread_.join();
}

std::vector<SelectionReader::Read> SelectionReader::take() {
  std::lock_guard lock(mutex_);
  return std::exchange(waiting_, {});
}

void SelectionReader::wait() {
  // The thread ends right after the last read is handed over.
  while (!finished_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void SelectionReader::run(std::vector<std::pair<std::size_t, std::string>> items) {
  using Clock = std::chrono::steady_clock;
  Clock::time_point told = Clock::now() - kHandOver;
  if (!items.empty()) {
    const std::size_t jobs = jobsForPath(items.front().second.c_str());
    OrderedPool pool(jobs, jobs * 4);
    for (const auto& item : items) {
      if (stopping_) break;
      const bool queued = pool.submit([this, &told, &item]() -> OrderedPool::Delivery {
        const std::string& path = item.second;
        auto read = std::make_shared<Read>(Read{item.first, readValues(itemAtPath(path)), readEmbeddedValues(path)});
        return [this, &told, read] {
          {
            std::lock_guard lock(mutex_);
            waiting_.push_back(std::move(*read));
          }
          if (Clock::now() - told >= kHandOver) {
            told = Clock::now();
            ready_();
          }
          return !stopping_;
        };
      });
      if (!queued) break;
    }
    pool.finish();
  }
  finished_ = true;
  ready_();
}

}  // namespace quillmark

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reads items' values (shown_values.h) on a few threads of its own, so that a file manager's
// main thread never waits on a disk or a mount.
//
// request() never blocks. The workers take the queue in batches of one folder's items, so the
// requests a folder's listing makes stay together and finish in about the order given. Results
// wait until takeDone(); descriptor() is readable meanwhile, for the caller's main loop. A request
// cancelled before it is taken never comes back. Thread-safe; the destructor drops what is queued
// and waits for the reads under way.
#ifndef QUILLMARK_EXTENSIONS_CORE_SHOWN_POOL_H_
#define QUILLMARK_EXTENSIONS_CORE_SHOWN_POOL_H_

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "extensions/core/shown_values.h"

namespace quillmark {

class ShownPool {
 public:
  using Ticket = std::uint64_t;  // never 0
  struct Done {
    Ticket ticket;
    ShownValues values;
  };

  // `threads` at least 1; `batch` items of one folder at most per take.
  explicit ShownPool(std::size_t threads = 4, std::size_t batch = 16);
  ~ShownPool();
  ShownPool(const ShownPool&) = delete;
  ShownPool& operator=(const ShownPool&) = delete;

  // Queues a read of `path`; its ticket, or 0 when the pool could not start (nothing will come).
  Ticket request(std::string path) noexcept;
  // Its result will not be delivered (whether queued, under way or done).
  void cancel(Ticket ticket) noexcept;
  // Readable while results wait; -1 when the pool could not start.
  int descriptor() const { return wake_; }
  // Every result ready, in the order finished; clears descriptor().
  std::vector<Done> takeDone() noexcept;

 private:
  struct Request {
    Ticket ticket;
    std::string path;
  };
  void work();

  int wake_ = -1;  // an eventfd
  std::size_t batch_;
  std::mutex mutex_;
  std::condition_variable wanted_;
  std::deque<Request> queue_;
  std::unordered_set<Ticket> underWay_;
  std::unordered_set<Ticket> cancelled_;  // under way when cancelled
  std::vector<Done> done_;
  Ticket next_ = 1;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace quillmark

#endif  // QUILLMARK_EXTENSIONS_CORE_SHOWN_POOL_H_

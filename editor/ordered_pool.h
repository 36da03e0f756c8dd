// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Jobs run on a few threads while the calling thread hands them out and takes
// their results back in the order it gave them.
//
// A job runs on a worker and returns its delivery, which runs on the calling
// thread, in submission order, inside submit() or finish(); a delivery that
// returns false stops the pool: jobs not yet started are dropped, those
// running finish, and no later delivery runs. At most `maxInFlight` jobs are
// queued or running at once, so memory stays flat however many are given.
// With fewer than two threads there are no workers: each job runs inside
// submit() and is delivered at once, exactly one after another.
#ifndef QUILLMARK_EDITOR_ORDERED_POOL_H_
#define QUILLMARK_EDITOR_ORDERED_POOL_H_

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace quillmark {

class OrderedPool {
 public:
  using Delivery = std::function<bool()>;
  using Job = std::function<Delivery()>;

  OrderedPool(std::size_t threads, std::size_t maxInFlight);
  // Drops what has not started and waits for the rest; nothing more is delivered.
  ~OrderedPool();
  OrderedPool(const OrderedPool&) = delete;
  OrderedPool& operator=(const OrderedPool&) = delete;

  // Queues `job` as number submitted() after delivering what is ready (waiting
  // for room when full); false, and nothing queued, once stopped.
  bool submit(Job job);
  // Delivers, in order, every job up to number `job` (counted from 0).
  void waitFor(std::uint64_t job);
  // Delivers everything still queued or running, in order.
  void finish();
  // Drops the jobs not yet started; those running still finish and are delivered.
  void dropQueued();

  // Jobs submitted so far, and those among them delivered (or passed over after a stop).
  std::uint64_t submitted() const { return submitted_; }
  std::uint64_t delivered() const { return delivered_; }
  bool stopped() const { return stopped_; }

 private:
  struct Slot {
    Job job;
    Delivery delivery;
    bool done = false;
  };

  void work();
  // With the lock held: delivers the finished jobs at the front, in order.
  void deliverReady(std::unique_lock<std::mutex>& lock);
  void dropQueuedLocked();

  const std::size_t maxInFlight_;
  std::mutex mutex_;
  std::condition_variable jobQueued_, jobDone_;
  std::deque<Slot> slots_;   // jobs delivered_ .. submitted_-1, in order
  std::size_t started_ = 0;  // slots_ before this index have been taken by a worker
  bool closing_ = false;
  std::uint64_t submitted_ = 0, delivered_ = 0;
  bool stopped_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_ORDERED_POOL_H_

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/ordered_pool.h"

#include <algorithm>
#include <utility>

namespace quillmark {

OrderedPool::OrderedPool(std::size_t threads, std::size_t maxInFlight)
    : maxInFlight_(std::max<std::size_t>(maxInFlight, 1)) {
  if (threads < 2) return;
  workers_.reserve(threads);
  for (std::size_t i = 0; i < threads; ++i) workers_.emplace_back([this] { work(); });
}

OrderedPool::~OrderedPool() {
  {
    std::unique_lock lock(mutex_);
    stopped_ = true;
    dropQueuedLocked();
    closing_ = true;
  }
  jobQueued_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

bool OrderedPool::submit(Job job) {
  if (stopped_) return false;
  if (workers_.empty()) {
    ++submitted_;
    const Delivery delivery = job();
    ++delivered_;
    stopped_ = !delivery();
    return true;
  }
  std::unique_lock lock(mutex_);
  deliverReady(lock);
  while (!stopped_ && slots_.size() >= maxInFlight_) {
    jobDone_.wait(lock);
    deliverReady(lock);
  }
  if (stopped_) return false;
  slots_.push_back({std::move(job), {}, false});
  ++submitted_;
  lock.unlock();
  jobQueued_.notify_one();
  return true;
}

void OrderedPool::waitFor(std::uint64_t job) {
  std::unique_lock lock(mutex_);
  deliverReady(lock);
  while (delivered_ <= job && delivered_ < submitted_) {
    jobDone_.wait(lock);
    deliverReady(lock);
  }
}

void OrderedPool::finish() {
  if (submitted_ > 0) waitFor(submitted_ - 1);
}

void OrderedPool::dropQueued() {
  std::unique_lock lock(mutex_);
  dropQueuedLocked();
}

void OrderedPool::dropQueuedLocked() {
  submitted_ -= slots_.size() - started_;
  slots_.resize(started_);
}

void OrderedPool::deliverReady(std::unique_lock<std::mutex>& lock) {
  while (!slots_.empty() && slots_.front().done) {
    const Delivery delivery = std::move(slots_.front().delivery);
    slots_.pop_front();
    --started_;
    ++delivered_;
    if (stopped_) continue;
    lock.unlock();
    const bool goOn = delivery();
    lock.lock();
    if (!goOn) {
      stopped_ = true;
      dropQueuedLocked();
    }
  }
}

void OrderedPool::work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    jobQueued_.wait(lock, [this] { return closing_ || started_ < slots_.size(); });
    if (started_ == slots_.size()) return;  // closing, and nothing left to start
    const std::uint64_t number = delivered_ + started_;
    Job job = std::move(slots_[started_].job);
    ++started_;
    lock.unlock();
    Delivery delivery = job();
    job = nullptr;  // what it holds goes with it, here rather than on the calling thread
    lock.lock();
    Slot& slot = slots_[number - delivered_];
    slot.delivery = std::move(delivery);
    slot.done = true;
    jobDone_.notify_all();
  }
}

}  // namespace quillmark

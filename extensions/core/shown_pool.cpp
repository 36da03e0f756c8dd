// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "extensions/core/shown_pool.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <utility>

namespace quillmark {

namespace {

std::string_view folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string_view() : std::string_view(path).substr(0, slash);
}

}  // namespace

ShownPool::ShownPool(std::size_t threads, std::size_t batch)
    : wake_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), batch_(std::max<std::size_t>(batch, 1)) {
  if (wake_ < 0) return;
  try {
    for (std::size_t i = 0; i < std::max<std::size_t>(threads, 1); ++i) threads_.emplace_back([this] { work(); });
  } catch (...) {
    // No thread to be had: whatever started serves alone, or the pool reads nothing.
    if (threads_.empty()) {
      close(wake_);
      wake_ = -1;
    }
  }
}

ShownPool::~ShownPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    queue_.clear();
  }
  wanted_.notify_all();
  for (std::thread& thread : threads_) thread.join();
  if (wake_ >= 0) close(wake_);
}

ShownPool::Ticket ShownPool::request(std::string path) noexcept {
  if (wake_ < 0) return 0;
  try {
    std::lock_guard lock(mutex_);
    queue_.push_back({next_, std::move(path)});
  } catch (...) {
    return 0;
  }
  wanted_.notify_one();
  return next_++;
}

void ShownPool::cancel(Ticket ticket) noexcept {
  std::lock_guard lock(mutex_);
  if (std::erase_if(queue_, [&](const Request& request) { return request.ticket == ticket; }) > 0) return;
  if (std::erase_if(done_, [&](const Done& done) { return done.ticket == ticket; }) > 0) return;
  if (underWay_.contains(ticket)) cancelled_.insert(ticket);
}

std::vector<ShownPool::Done> ShownPool::takeDone() noexcept {
  std::uint64_t count;
  while (read(wake_, &count, sizeof count) < 0 && errno == EINTR) {
  }
  std::lock_guard lock(mutex_);
  return std::exchange(done_, {});
}

void ShownPool::work() {
  std::vector<Request> batch;
  for (;;) {
    batch.clear();
    {
      std::unique_lock lock(mutex_);
      wanted_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      // The first waiting request and those of its folder after it, up to a batch: a folder's
      // listing is read together, and other folders' requests still get their turn.
      const std::string_view folder = folderOf(queue_.front().path);
      for (auto it = queue_.begin(); it != queue_.end() && batch.size() < batch_;) {
        if (folderOf(it->path) != folder) {
          ++it;
          continue;
        }
        underWay_.insert(it->ticket);
        batch.push_back(std::move(*it));
        it = queue_.erase(it);
      }
    }
    for (Request& request : batch) {
      ShownValues values = readShownValues(request.path);
      std::lock_guard lock(mutex_);
      underWay_.erase(request.ticket);
      if (cancelled_.erase(request.ticket) > 0 || stopping_) continue;
      try {
        done_.push_back({request.ticket, std::move(values)});
      } catch (...) {
        continue;  // out of memory: this one is not shown
      }
      const std::uint64_t one = 1;
      [[maybe_unused]] const ssize_t written = write(wake_, &one, sizeof one);
    }
  }
}

}  // namespace quillmark

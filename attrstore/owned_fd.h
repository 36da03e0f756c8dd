// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A file descriptor with one owner: closed when its owner goes or takes another, never twice,
// never copied. Standard library and POSIX only.
#ifndef QUILLMARK_ATTRSTORE_OWNED_FD_H_
#define QUILLMARK_ATTRSTORE_OWNED_FD_H_

#include <unistd.h>

#include <utility>

namespace quillmark {

// -1 holds none.
class OwnedFd {
 public:
  explicit OwnedFd(int fd = -1) : fd_(fd) {}
  OwnedFd(OwnedFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  OwnedFd& operator=(OwnedFd&& other) noexcept {
    if (this != &other) {
      closeHeld();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  ~OwnedFd() { closeHeld(); }
  int get() const { return fd_; }

 private:
  void closeHeld() {
    if (fd_ >= 0) close(fd_);
  }
  int fd_;
};

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_OWNED_FD_H_

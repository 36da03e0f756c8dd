// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Write Folder's progress on a terminal: one status line on standard error,
// redrawn at most ten times a second (entries done, their rate, the current
// path, escaped and cut to the terminal's width), cleared before an error line
// and when the walk ends. Off a terminal nothing is drawn. Ctrl+C, noted by a
// signal handler, stops the walk at the next entry.
#ifndef QUILLMARK_CLI_PROGRESS_LINE_H_
#define QUILLMARK_CLI_PROGRESS_LINE_H_

#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>

#include "editor/folder_walk.h"

namespace quillmark::cli {

// Set by the SIGINT handler that stopOnInterrupt() installs.
extern volatile std::sig_atomic_t interrupted;

// From now on Ctrl+C only sets `interrupted`.
void stopOnInterrupt();

// After a walk stopped by Ctrl+C: ends the process as the shell expects of it.
void endIfInterrupted();

class ProgressLine : public WalkProgress {
 public:
  ProgressLine();
  ~ProgressLine() override;
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  bool walkProgressed(std::uint64_t done, const std::filesystem::path& current) override;

 private:
  bool shown_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point next_ = start_;
};

}  // namespace quillmark::cli

#endif  // QUILLMARK_CLI_PROGRESS_LINE_H_

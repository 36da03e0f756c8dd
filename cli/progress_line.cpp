// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/progress_line.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "cli/output.h"

namespace quillmark::cli {

volatile std::sig_atomic_t interrupted = 0;

namespace {

void noteInterrupt(int) { interrupted = 1; }

}  // namespace

void stopOnInterrupt() {
  struct sigaction action {};
  action.sa_handler = noteInterrupt;
  sigaction(SIGINT, &action, nullptr);
}

void endIfInterrupted() {
  if (!interrupted) return;
  std::signal(SIGINT, SIG_DFL);
  std::raise(SIGINT);
}

ProgressLine::ProgressLine() : shown_(isTerminal(STDERR_FILENO)) {}

ProgressLine::~ProgressLine() { clearStatusLine(); }

bool ProgressLine::walkProgressed(std::uint64_t done, const std::filesystem::path& current) {
  if (interrupted) return false;
  const auto now = std::chrono::steady_clock::now();
  if (!shown_ || now < next_) return true;
  next_ = now + std::chrono::milliseconds(100);
  const double seconds = std::chrono::duration<double>(now - start_).count();
  winsize size{};
  const std::size_t width =
      ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
  char counts[64];
  std::snprintf(counts, sizeof counts, "%llu entries, %.0f/s  ",
                static_cast<unsigned long long>(done), seconds > 0 ? done / seconds : 0.0);
  const std::string line = counts + escapedForTerminal(current.native());
  // One column spare, so that the terminal never wraps it: a byte takes at most one column.
  drawStatusLine(cutAtCharacter(line, width - 1));
  return true;
}

}  // namespace quillmark::cli

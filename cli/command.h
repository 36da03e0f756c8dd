// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// One quillmark-cli command: it adds itself and its options to the command
// line, then runs once they are parsed. Each command lives in a file of its
// own; main.cpp only dispatches to the one the user named.
#ifndef QUILLMARK_CLI_COMMAND_H_
#define QUILLMARK_CLI_COMMAND_H_

#include <memory>
#include <stdexcept>

namespace CLI {
class App;
}

namespace quillmark::cli {

// Exit statuses: all done, something failed (or output was closed), bad usage.
enum Status { kDone = 0, kFailed = 1, kUsage = 2 };

// Bad input found before anything was written: the message says what is wrong.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Command {
 public:
  virtual ~Command() = default;
  // Adds the command as a subcommand of `app`; parsed options land in this object.
  virtual CLI::App* addTo(CLI::App& app) = 0;
  // Runs with the parsed options; returns a Status. Throws UsageError or OutputClosed.
  virtual int run() = 0;
};

std::unique_ptr<Command> showCommand();
std::unique_ptr<Command> setCommand();
std::unique_ptr<Command> writeFolderCommand();
std::unique_ptr<Command> reportCommand();
std::unique_ptr<Command> exportCommand();
std::unique_ptr<Command> importCommand();
std::unique_ptr<Command> findCommand();
std::unique_ptr<Command> checkCommand();

}  // namespace quillmark::cli

#endif  // QUILLMARK_CLI_COMMAND_H_

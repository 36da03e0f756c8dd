// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// quillmark-cli: the five metadata values of files and folders, from a shell.
// This file only dispatches to the command the user named; each command lives
// in a file of its own (cli/command.h). Failures are one line each on standard
// error, "PATH: " and the window's alert text, and the command goes on. Exit
// status: 0 all done, 1 something failed (or standard output was closed), 2 a
// usage error, which writes and removes nothing. See cli/quillmark-cli.1.
#include <CLI/CLI.hpp>
#include <csignal>
#include <iostream>
#include <memory>
#include <vector>

#include "cli/command.h"
#include "cli/output.h"

namespace {

constexpr const char* kUsageText =
    "usage: quillmark-cli show [--json] PATH...\n"
    "       quillmark-cli set [FIELD OPTIONS] [--remove FIELD]... [--desktop-copies] PATH...\n"
    "       quillmark-cli set --json FILE [--desktop-copies] [PATH...]\n"
    "       quillmark-cli set --from-image [--replace] [--desktop-copies] PATH...\n"
    "       quillmark-cli write-folder FIELD OPTIONS [--desktop-copies] FOLDER\n"
    "       quillmark-cli report [--output FILE] PATH\n"
    "       quillmark-cli export [--recursive] [--output FILE] PATH...\n"
    "       quillmark-cli import [--root DIR] [--dry-run] FILE|-\n"
    "       quillmark-cli find [--recursive] [FIELD OPTIONS] [--any TEXT] [-0|--json] PATH...\n"
    "       quillmark-cli check [--recursive] [--json] PATH...\n"
    "FIELD OPTIONS: --headline, --description, --creator, --copyright, --keywords TEXT\n"
    "Try 'quillmark-cli --help' or 'man quillmark-cli' for more.\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace quillmark::cli;
  std::signal(SIGPIPE, SIG_IGN);  // a closed pipe shows as a write error, and ends quietly
  CLI::App app{
      "The headline, description, creator, copyright and keywords of files and "
      "folders, as Quillmark keeps them in extended attributes.",
      "quillmark-cli"};
  app.require_subcommand(1);
  app.set_version_flag("--version", QUILLMARK_VERSION);
  std::vector<std::unique_ptr<Command>> commands;
  commands.push_back(showCommand());
  commands.push_back(setCommand());
  commands.push_back(writeFolderCommand());
  commands.push_back(reportCommand());
  commands.push_back(exportCommand());
  commands.push_back(importCommand());
  commands.push_back(findCommand());
  commands.push_back(checkCommand());
  std::vector<CLI::App*> parsers;
  for (const std::unique_ptr<Command>& command : commands) parsers.push_back(command->addTo(app));

  try {
    app.parse(argc, argv);
    for (std::size_t i = 0; i < commands.size(); ++i) {
      if (!parsers[i]->parsed()) continue;
      const int status = commands[i]->run();
      flushOutput();  // output still buffered may fail to go out: that is a failure too
      return status;
    }
    return kUsage;  // not reached: CLI11 requires one command
  } catch (const CLI::Success& help) {  // --help, --version
    return app.exit(help);
  } catch (const CLI::ParseError& error) {
    std::cerr << "quillmark-cli: " << error.what() << '\n' << kUsageText;
    return kUsage;
  } catch (const UsageError& error) {
    std::cerr << "quillmark-cli: " << error.what() << '\n' << kUsageText;
    return kUsage;
  } catch (const OutputClosed&) {
    return kFailed;
  }
}

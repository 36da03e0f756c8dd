// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// quillmark-cli: the five metadata values and the Finder tags of files and folders, from a shell.
// This file only dispatches to the command the user named; each command lives
// in a file of its own (cli/command.h). Failures are one line each on standard
// error, "PATH: " and the window's alert text, and the command goes on. Exit
// status: 0 all done, 1 something failed (or standard output was closed), 2 a
// usage error, which writes and removes nothing. Help and usage are made from
// the commands' own options and descriptions. See cli/quillmark-cli.1.
#include <CLI/CLI.hpp>
#include <csignal>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/output.h"

namespace {

// What a usage error prints after saying what is wrong: the usage of the
// command named, or with none, the overview of every command.
std::string usageAfterError(const CLI::App& app, const CLI::Formatter& formatter) {
  const std::vector<CLI::App*> named = app.get_subcommands();
  if (named.empty()) return app.help();
  const std::string command = "quillmark-cli " + named.back()->get_name();
  return formatter.make_usage(named.back(), command) + "Try '" + command +
         " --help' or 'man quillmark-cli' for more.\n";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quillmark::cli;
  std::signal(SIGPIPE, SIG_IGN);  // a closed pipe shows as a write error, and ends quietly
  CLI::App app{
      "The headline, description, creator, copyright, keywords and Finder tags of "
      "files and folders, as Quillmark keeps them in extended attributes.",
      "quillmark-cli"};
  app.require_subcommand(1);
  const auto formatter = std::make_shared<CLI::Formatter>();
  formatter->label("SUBCOMMAND", "COMMAND");
  formatter->column_width(24);
  app.formatter(formatter);  // before the commands are added: each takes it from here
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
  for (const std::unique_ptr<Command>& command : commands) {
    parsers.push_back(command->addTo(app)->group("Commands"));
  }
  app.footer(  // after the commands, which would take it too
      "Run 'quillmark-cli COMMAND --help' for a command's options, 'man quillmark-cli' for more.\n"
      "Exit status: 0 all done, 1 something failed, 2 a usage error (nothing written).");

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
    std::cerr << "quillmark-cli: " << error.what() << '\n' << usageAfterError(app, *formatter);
    return kUsage;
  } catch (const UsageError& error) {
    std::cerr << "quillmark-cli: " << error.what() << '\n' << usageAfterError(app, *formatter);
    return kUsage;
  } catch (const OutputClosed&) {
    return kFailed;
  }
}

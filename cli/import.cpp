// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// import: writes back what export printed, item by item below --root, where
// the volume there keeps values (attributes, streams, sidecars), as set does.
// A line that does not parse or names an item that is not there is reported
// with its line number, and the rest goes on. Read a line at a time.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>
#include <string>

#include "attrstore/item_at.h"
#include "attrstore/names.h"
#include "attrstore/xattr.h"
#include "cli/command.h"
#include "cli/fields.h"
#include "cli/item_json.h"
#include "cli/output.h"

namespace quillmark::cli {

namespace {

namespace fs = std::filesystem;

// Whether `path` stays below the folder it is taken relative to.
bool staysBelow(const fs::path& path) {
  if (path.is_absolute()) return false;
  return std::none_of(path.begin(), path.end(), [](const fs::path& part) { return part == ".."; });
}

class Import : public Command {
 public:
  CLI::App* addTo(CLI::App& app) override {
    CLI::App* command = app.add_subcommand("import", "write back the values export printed");
    command->add_option("--root", root_, "the folder the paths are relative to (default: .)")
        ->type_name("DIR");
    command->add_flag("-n,--dry-run", dryRun_, "print which items would change; change nothing");
    addDesktopCopiesFlag(command, desktopCopies_);
    command->add_option("FILE", file_, "the lines export printed ('-': stdin)")->required();
    return command;
  }

  int run() override {
    std::ifstream opened;
    if (file_ != "-") {
      opened.open(file_, std::ios::binary);
      if (!opened) {
        failed(file_, makePosixError(errno).code().message());
        return kFailed;
      }
    }
    std::istream& in = file_ == "-" ? std::cin : opened;
    int status = kDone;
    std::string line;
    for (std::size_t number = 1; std::getline(in, line); ++number) {
      if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
      const std::string where = (file_ == "-" ? "stdin" : file_) + ":" + std::to_string(number);
      if (!importLine(line, where)) status = kFailed;
    }
    return status;
  }

 private:
  // Writes (or with --dry-run, tells of) one line's item; false when anything failed.
  bool importLine(const std::string& line, const std::string& where) {
    ItemFromJson item;
    try {
      item = itemFromJson(Json::parse(line));
      if (!item.path) throw UsageError("no \"path\"");
      if (!staysBelow(*item.path)) throw UsageError("\"path\" leads out of the root folder");
    } catch (const Json::exception& error) {
      failed(where, error.what());
      return false;
    } catch (const UsageError& error) {
      failed(where, error.what());
      return false;
    }
    const fs::path target = fs::path(root_) / *item.path;
    if (const int error = unreachable(target)) {
      failed(where + ": " + target.native(), makePosixError(error).code().message());
      return false;
    }
    if (dryRun_) return tellChanges(target, item);
    bool done = true;
    writeItem(itemAtPath(target), item, [&](const std::string& message) {
      failed(where + ": " + target.native(), message);
      done = false;
    }, desktopCopies_);
    return done;
  }

  // Prints "PATH: field, field" for the values that differ from those stored.
  static bool tellChanges(const fs::path& target, const ItemFromJson& item) {
    const std::array<FoundValue, 5> stored = readValues(itemAtPath(target));
    std::string changes;
    for (std::size_t i : kPositionsInWindowOrder) {
      if (!item.values[i] || (stored[i].present && stored[i].data == *item.values[i])) continue;
      changes += (changes.empty() ? "" : ", ") + std::string(kValueNames[i].flag);
    }
    if (changes.empty()) return true;
    const std::string line = target.native() + ": " + changes;
    print((isTerminal(STDOUT_FILENO) ? escapedForTerminal(line) : line) + "\n");
    return true;
  }

  std::string root_ = ".";
  bool dryRun_ = false, desktopCopies_ = false;
  std::string file_;
};

}  // namespace

std::unique_ptr<Command> importCommand() { return std::make_unique<Import>(); }

}  // namespace quillmark::cli

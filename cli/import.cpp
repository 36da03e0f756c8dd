// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// import: writes back what export printed, item by item below --root, where
// the volume there keeps values (attributes, streams, sidecars), as set does.
// The input may come from anywhere, so each path is resolved beneath the root
// following no symbolic link (exports never hold a path through one), and the
// item is then reached only through its folder held open. A line that does not
// parse, is too long, or names an item that is not there or lies through a
// link is reported with its line number, and the rest goes on. Input is read a
// line at a time, in bounded memory.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <functional>
#include <string>
#include <system_error>

#include "attrstore/item_at.h"
#include "attrstore/names.h"
#include "attrstore/xattr.h"
#include "cli/bounded_input.h"
#include "cli/command.h"
#include "cli/fields.h"
#include "cli/folder_beneath.h"
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
    command
        ->add_option("--root", root_,
                     "the folder the paths are below (default: .); a path through a symbolic link "
                     "is refused")
        ->type_name("DIR");
    command->add_flag("-n,--dry-run", dryRun_, "print which items would change; change nothing");
    addDesktopCopiesFlag(command, desktopCopies_);
    command
        ->add_option("FILE", file_,
                     "the lines export printed ('-': stdin), each at most " +
                         std::to_string(kLineLimit >> 20) + " MiB")
        ->required();
    return command;
  }

  int run() override {
    rootFolder_ = OwnedFd(open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (rootFolder_.get() < 0) {
      failed(root_, makePosixError(errno).code().message());
      return kFailed;
    }
    const OwnedFd opened(file_ == "-" ? -1 : open(file_.c_str(), O_RDONLY | O_CLOEXEC));
    if (file_ != "-" && opened.get() < 0) {
      failed(file_, makePosixError(errno).code().message());
      return kFailed;
    }
    const std::string name = file_ == "-" ? "stdin" : file_;
    LineReader lines(file_ == "-" ? STDIN_FILENO : opened.get(), kLineLimit);
    int status = kDone;
    std::string line;
    try {
      for (std::size_t number = 1;; ++number) {
        const LineReader::Got got = lines.next(line);
        if (got == LineReader::Got::kEnd) break;
        const std::string where = name + ":" + std::to_string(number);
        if (got == LineReader::Got::kTooLong) {
          failed(where, "longer than " + std::to_string(kLineLimit >> 20) + " MiB; passed over");
          status = kFailed;
        } else if (line.find_first_not_of(" \t\r") != std::string::npos &&
                   !importLine(line, where)) {
          status = kFailed;
        }
      }
    } catch (const std::system_error& error) {
      failed(name, error.code().message());
      return kFailed;
    }
    return status;
  }

 private:
  // Writes (or with --dry-run, tells of) one line's item; false when anything failed.
  bool importLine(const std::string& line, const std::string& where) {
    ItemFromJson item;
    try {
      parseItem(line, [&](const Json& object) { item = itemFromJson(object); });
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
    const auto report = [&](const std::string& message) {
      failed(where + ": " + target.native(), message);
    };
    std::string relative = item.path->lexically_normal().native();
    while (relative.ends_with('/')) relative.pop_back();
    // The root itself is the user's own choice, reached as set reaches a PATH.
    if (relative.empty() || relative == ".") {
      return importInto(itemAtPath(root_), item, target, report);
    }
    // Resolved once, its folder then held: nothing met later can be swapped for a link.
    const std::size_t slash = relative.rfind('/');
    const std::string name = relative.substr(slash == std::string::npos ? 0 : slash + 1);
    const FolderBeneath parent = openFolderBeneath(
        rootFolder_.get(), slash == std::string::npos ? "" : relative.substr(0, slash));
    struct stat entry;
    int error = parent.error;
    if (!error && fstatat(parent.folder.get(), name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
      error = errno;
    }
    if (!error && S_ISLNK(entry.st_mode)) error = ELOOP;
    if (error) {
      report(error == ELOOP ? "passes through a symbolic link"
                            : makePosixError(error).code().message());
      return false;
    }
    struct statfs volume;
    const Volume kind = fstatfs(parent.folder.get(), &volume) == 0
                            ? volumeOfFilesystem(volume.f_type)
                            : Volume::kOrdinary;
    return importInto(itemInFolder(parent.folder.get(), name.c_str(), kind), item, target, report);
  }

  // Writes `item`'s values to `at`, or with --dry-run prints "PATH: field, field" for those
  // that differ from the values stored; false when anything failed.
  bool importInto(const ItemAt& at, const ItemFromJson& item, const fs::path& target,
                  const std::function<void(const std::string&)>& report) {
    if (!dryRun_) {
      bool done = true;
      writeItem(
          at, item,
          [&](const std::string& message) {
            report(message);
            done = false;
          },
          desktopCopies_);
      return done;
    }
    const std::array<FoundValue, 5> stored = readValues(at);
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
  OwnedFd rootFolder_;
};

}  // namespace

std::unique_ptr<Command> importCommand() { return std::make_unique<Import>(); }

}  // namespace quillmark::cli

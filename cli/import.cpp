// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// import: writes back what export printed, item by item below --root, where
// the volume there keeps values (attributes, streams, sidecars), as set does.
// The input may come from anywhere, so each path is resolved beneath the root
// following no symbolic link (exports never hold a path through one), and the
// item is then reached only through its folder held open. A line that does not
// parse, is too long, or names an item that is not there or lies through a
// link is reported with its line number, and the rest goes on. Input is read a
// line at a time, in bounded memory; items are written on a few threads, lines
// naming one item never at once, and reports come in line order, exactly as
// from one line after another.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <system_error>

#include "attrstore/finder_info.h"
#include "attrstore/item_at.h"
#include "attrstore/names.h"
#include "attrstore/xattr.h"
#include "cli/bounded_input.h"
#include "cli/command.h"
#include "cli/fields.h"
#include "cli/folder_beneath.h"
#include "cli/item_json.h"
#include "cli/item_walk.h"
#include "cli/output.h"
#include "editor/entry_batches.h"

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
    addJobsOption(command, jobs_);
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
    const std::size_t jobs = jobs_ > 0 ? jobs_ : jobsForFolder(rootFolder_.get());
    // Lines are read and parsed here, in order; their items are written on a few threads, lines
    // naming one item never at once, and what each reports is delivered here in line order.
    EntryBatches items(jobs, 0);
    std::string line;
    try {
      for (std::size_t number = 1;; ++number) {
        const LineReader::Got got = lines.next(line);
        if (got == LineReader::Got::kEnd) break;
        std::string where = name + ":" + std::to_string(number);
        if (got == LineReader::Got::kTooLong) {
          items.submit(reported(std::move(where), "longer than " + std::to_string(kLineLimit >> 20) + " MiB; passed over"));
        } else if (line.find_first_not_of(" \t\r") != std::string::npos) {
          while (linesHeld_ + line.size() > kHeldLimit && items.deliverOldest()) {
          }
          submitLine(items, line, std::move(where));
        }
        if (items.stopped()) break;
      }
    } catch (const std::system_error& error) {
      items.finish();
      failed(name, error.code().message());
      return kFailed;
    }
    items.finish();
    if (outputClosed_) throw OutputClosed{};
    return status_;
  }

 private:
  // A job that only reports `message` for `where`, in its place.
  OrderedPool::Job reported(std::string where, std::string message) {
    return [this, where = std::move(where), message = std::move(message)]() -> OrderedPool::Delivery {
      return [this, where, message] {
        failed(where, message);
        status_ = kFailed;
        return true;
      };
    };
  }

  // Parses one line and hands its item to `items`.
  void submitLine(EntryBatches& items, const std::string& line, std::string where) {
    auto item = std::make_shared<ItemFromJson>();
    try {
      parseItem(line, [&](const Json& object) { *item = itemFromJson(object); });
      if (!item->path) throw UsageError("no \"path\"");
      if (!staysBelow(*item->path)) throw UsageError("\"path\" leads out of the root folder");
    } catch (const Json::exception& error) {
      items.submit(reported(std::move(where), error.what()));
      return;
    } catch (const UsageError& error) {
      items.submit(reported(std::move(where), error.what()));
      return;
    }
    std::string relative = item->path->lexically_normal().native();
    while (relative.ends_with('/')) relative.pop_back();
    if (relative == ".") relative.clear();
    const std::size_t slash = relative.rfind('/');
    const std::string_view folder = slash == std::string::npos ? "" : std::string_view(relative).substr(0, slash);
    const std::uint64_t key = itemKey(itemKey(1, folder), std::string_view(relative).substr(slash + 1));
    linesHeld_ += line.size();
    items.submit(
        [this, item, where = std::move(where), relative = std::move(relative),
         size = line.size()]() -> OrderedPool::Delivery {
          const fs::path target = fs::path(root_) / *item->path;
          Outcome outcome = importItem(*item, relative);
          return [this, where, target, size, outcome = std::move(outcome)] {
            linesHeld_ -= size;
            for (const std::string& message : outcome.failures) failed(where + ": " + target.native(), message);
            if (!outcome.failures.empty()) status_ = kFailed;
            if (outcome.changes.empty()) return true;
            const std::string line = target.native() + ": " + outcome.changes;
            try {
              print((isTerminal(STDOUT_FILENO) ? escapedForTerminal(line) : line) + "\n");
            } catch (const OutputClosed&) {
              outputClosed_ = true;
              return false;
            }
            return true;
          };
        },
        key);
  }

  // What one line's item came to: its failures, and with --dry-run the fields that would change.
  struct Outcome {
    std::vector<std::string> failures;
    std::string changes;
  };

  // On a worker: writes (or with --dry-run, compares) the item at `relative` below the root.
  Outcome importItem(const ItemFromJson& item, const std::string& relative) const {
    // The root itself is the user's own choice, reached as set reaches a PATH.
    if (relative.empty()) return importInto(itemAtPath(root_), item);
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
      return {{error == ELOOP ? "passes through a symbolic link" : makePosixError(error).code().message()}, {}};
    }
    return importInto(itemInFolder(parent.folder.get(), name.c_str()), item);
  }

  // Writes `item`'s values to `at`, or with --dry-run names the fields ("field, field") that
  // differ from the values stored.
  Outcome importInto(const ItemAt& at, const ItemFromJson& item) const {
    Outcome outcome;
    if (!dryRun_) {
      writeItem(at, item, [&](const std::string& message) { outcome.failures.push_back(message); },
                desktopCopies_);
      return outcome;
    }
    const std::array<FoundValue, kValueCount> stored = readValues(at);
    const auto differs = [&](std::string_view name) {
      outcome.changes += (outcome.changes.empty() ? "" : ", ") + std::string(name);
    };
    for (std::size_t i : kPositionsInOutputOrder) {
      if (item.values[i] && !(stored[i].present && stored[i].data == *item.values[i])) differs(kValueNames[i].flag);
    }
    if (item.label && static_cast<TagColour>(*item.label) != readLabel(at)) differs("label");
    return outcome;
  }

  std::string root_ = ".";
  bool dryRun_ = false, desktopCopies_ = false;
  std::string file_;
  std::size_t jobs_ = 0;
  OwnedFd rootFolder_;
  int status_ = kDone;
  bool outputClosed_ = false;
  // Lines parsed and not yet written hold about their size: on a slow mount, where many items
  // are in flight, long lines wait for room rather than fill memory.
  static constexpr std::size_t kHeldLimit = 16 << 20;
  std::size_t linesHeld_ = 0;  // calling thread only
};

}  // namespace

std::unique_ptr<Command> importCommand() { return std::make_unique<Import>(); }

}  // namespace quillmark::cli

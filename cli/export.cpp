// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// export: the values of items (the five, the tags and the colour label), one
// JSON line per item that carries any, with its path relative to the PATH it
// was found under, for import to write back elsewhere (after a copy that
// dropped them, onto a volume that keeps them in another place). Lines go out
// as items are read: memory stays flat.
#include <fcntl.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "attrstore/finder_info.h"
#include "attrstore/names.h"
#include "attrstore/owned_fd.h"
#include "attrstore/xattr.h"
#include "cli/bounded_input.h"
#include "cli/command.h"
#include "cli/item_json.h"
#include "cli/item_walk.h"
#include "cli/output.h"

namespace quillmark::cli {

namespace {

class Export : public Command {
 public:
  CLI::App* addTo(CLI::App& app) override {
    CLI::App* command = app.add_subcommand("export", "print the values of items as JSON lines");
    command->add_flag("-r,--recursive", recursive_, "also every file and folder below each PATH");
    command->add_option("-o,--output", output_, "write the lines to FILE")->type_name("FILE");
    addJobsOption(command, jobs_);
    command->add_option("PATH", paths_, "items to export")->required();
    return command;
  }

  int run() override {
    if (!output_.empty()) {
      const OwnedFd file(open(output_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
      if (file.get() < 0 || dup2(file.get(), STDOUT_FILENO) < 0) {
        failed(output_, makePosixError(errno).code().message());
        return kFailed;
      }
    }
    int status = kDone;
    const int walked = walkItems(
        paths_,
        [&status](const std::string& path, std::string_view relative, const ItemAt& at) -> ItemReport {
          // One listing for the values and the label.
          const ChangeResult read = changeValues(at, {}, {.readAll = true, .readLabel = true});
          const std::array<FoundValue, kValueCount>& values = read.values;
          const auto label = static_cast<TagColour>(read.label.value_or(0));
          std::vector<std::string> unreadable;
          for (std::size_t i = 0; i < values.size(); ++i) {
            if (values[i].present && !values[i].readable())
              unreadable.push_back(std::string(kValueNames[i].label) + ": kept in a form that cannot be read; not exported");
          }
          std::string line;
          if (label != TagColour::kNone ||
              std::any_of(values.begin(), values.end(), [](const FoundValue& v) { return v.readable(); }))
            line = itemToJson(pathToJson(std::string(relative)), values, JsonUse::kStoring, label).dump();
          if (unreadable.empty() && line.empty()) return nullptr;
          return [&status, path, unreadable = std::move(unreadable), line = std::move(line)] {
            for (const std::string& message : unreadable) failed(path, message);
            if (!unreadable.empty()) status = kFailed;
            if (line.empty()) return;
            // Possible only for values full of control characters, each escaped in six bytes.
            if (line.size() > kLineLimit) {
              failed(path, "its line would pass import's " + std::to_string(kLineLimit >> 20) +
                               " MiB; not exported");
              status = kFailed;
              return;
            }
            print(line + "\n");
          };
        },
        {.recursive = recursive_, .jobs = jobs_});
    return std::max(status, walked);
  }

 private:
  bool recursive_ = false;
  std::string output_;
  std::vector<std::string> paths_;
  std::size_t jobs_ = 0;
};

}  // namespace

std::unique_ptr<Command> exportCommand() { return std::make_unique<Export>(); }

}  // namespace quillmark::cli

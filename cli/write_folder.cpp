// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// write-folder: the window's Write Folder, with a progress line on a terminal
// and Ctrl+C stopping between entries; or, with --from-image, each image below
// the folder given the values embedded in it.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <string>

#include "attrstore/names.h"
#include "attrstore/tags.h"
#include "cli/command.h"
#include "cli/fields.h"
#include "cli/item_walk.h"
#include "cli/output.h"
#include "cli/progress_line.h"
#include "cli/tag_options.h"
#include "editor/folder_write.h"
#include "editor/image_values.h"
#include "editor/item_changes.h"

namespace quillmark::cli {

namespace {

class WriteFolder : public Command {
 public:
  CLI::App* addTo(CLI::App& app) override {
    CLI::App* command =
        app.add_subcommand("write-folder", "write values to every file and folder below FOLDER");
    const std::vector<CLI::Option*> fields = addFieldOptions(command, texts_);
    CLI::Option* addTag =
        command
            ->add_option("--add-tag", addTags_,
                         "add the tag NAME to each entry's tags, given COLOUR if one follows (repeatable)")
            ->allow_extra_args(false)
            ->type_name("NAME[:COLOUR]");
    addDesktopCopiesFlag(command, desktopCopies_);
    CLI::Option* fromImage = command->add_flag(
        "--from-image", fromImage_, "store in each image below FOLDER the values embedded in it, where it has none of its own");
    for (CLI::Option* other : fields) fromImage->excludes(other);
    fromImage->excludes(addTag);
    command->add_flag("--replace", replace_, "with --from-image: over the item's own values too")->needs(fromImage);
    command->add_option("FOLDER", folder_, "the folder whose entries get the values")->required();
    addJobsOption(command, jobs_);
    return command;
  }

  int run() override {
    if (fromImage_) return storeFromImages();
    const TagChange tags{.add = tagsGiven(addTags_, "--add-tag", tagGiven), .remove = {}, .recolour = {}};
    if (tags.empty() && std::all_of(texts_.begin(), texts_.end(), [](auto& t) { return t.empty(); })) {
      throw UsageError("nothing to write: give at least one field option or --add-tag");
    }
    stopOnInterrupt();
    int status = kDone;
    {
      ProgressLine progress;
      // Asked every few milliseconds: Ctrl+C stops at the next entry after that.
      if (const int error = writeFolder(
              folder_, [this](std::size_t i) { return texts_[i]; },
              [&](const std::string& path, const Failure& failure) {
                failed(path, describeFailure(failure));
                status = kFailed;
                return interrupted == 0;
              },
              {.progress = &progress,
               .progressInterval = std::chrono::milliseconds(10),
               .jobs = jobs_,
               .desktopCopies = desktopCopies_,
               .tags = tags.empty() ? nullptr : &tags})) {
        failed(folder_, describeFailure({Failure::Call::kList, error, {}}));
        status = kFailed;
      }
    }
    endIfInterrupted();
    return status;
  }

 private:
  // Folders and files that are not images are passed over without a word: a tree holds many.
  int storeFromImages() {
    int failures = 0;
    const int status = walkItems({folder_}, [&](const std::string& path, std::string_view relative,
                                                const ItemAt& at) -> ItemReport {
      if (relative == ".") return nullptr;  // Write Folder writes below the folder, not to it
      ItemChange change;
      const EmbeddedValues embedded =
          storeImageValues(at, path, {.replace = replace_, .desktopCopies = desktopCopies_}, change);
      std::vector<std::string> messages;
      for (const auto& failure : change.failures) messages.push_back(describeFailure(failure.second));
      if (embedded.outcome != EmbeddedValues::Outcome::kRead &&
          embedded.outcome != EmbeddedValues::Outcome::kNotAnImage) {
        messages.push_back(imageProblemMessage(embedded));
      }
      if (messages.empty()) return nullptr;
      return [&failures, path, messages = std::move(messages)] {
        for (const std::string& message : messages) failed(path, message);
        failures += static_cast<int>(messages.size());
      };
    }, {.recursive = true, .jobs = jobs_});
    return failures > 0 ? kFailed : status;
  }

  bool fromImage_ = false, replace_ = false;
  std::array<std::string, kFieldCount> texts_;
  std::vector<std::string> addTags_;
  std::string folder_;
  std::size_t jobs_ = 0;  // 0: chosen by writeFolder
  bool desktopCopies_ = false;
};

}  // namespace

std::unique_ptr<Command> writeFolderCommand() { return std::make_unique<WriteFolder>(); }

}  // namespace quillmark::cli

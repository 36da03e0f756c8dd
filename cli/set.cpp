// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// set: writes and removes values as the window's Save does, from field
// options or from the JSON that `show --json` prints. Every usage error is
// found before the first item is touched.
#include <fcntl.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "attrstore/codec.h"
#include "attrstore/keywords.h"
#include "attrstore/names.h"
#include "attrstore/owned_fd.h"
#include "attrstore/tags.h"
#include "attrstore/xattr.h"
#include "cli/bounded_input.h"
#include "cli/command.h"
#include "cli/fields.h"
#include "cli/item_json.h"
#include "cli/output.h"
#include "cli/tag_options.h"
#include "editor/image_values.h"
#include "editor/item_changes.h"

namespace quillmark::cli {

namespace {

namespace fs = std::filesystem;


// The changes of one `set` and the item they go to.
struct SetJob {
  fs::path path;
  std::array<ValueChange, kValueCount> changes;
  KeywordChange keywords;  // applied to the item's own keywords, in their own form
  TagChange tags;          // applied to the item's own tags, each other tag kept as stored
};

// The tag options as one change; throws UsageError for a tag or colour that cannot be.
TagChange tagChangeOf(const std::vector<std::string>& add, const std::vector<std::string>& remove,
                      const std::vector<std::string>& recolour) {
  TagChange change{.add = tagsGiven(add, "--add-tag", tagGiven), .remove = remove,
                   .recolour = tagsGiven(recolour, "--tag-colour", recolouringGiven)};
  for (const std::string& name : remove) {
    if (const std::string problem = tagNameProblem(name); !problem.empty())
      throw UsageError("--remove-tag \"" + name + "\": " + problem);
  }
  return change;
}

// The text of the --json document `file` ('-': stdin), read no further than its limit.
std::string jsonDocument(const std::string& file) {
  const OwnedFd opened(file == "-" ? -1 : open(file.c_str(), O_RDONLY | O_CLOEXEC));
  const int fd = file == "-" ? STDIN_FILENO : opened.get();
  if (fd < 0) throw UsageError(file + ": " + makePosixError(errno).code().message());
  std::optional<std::string> text;
  try {
    text = readAtMost(fd, kDocumentLimit);
  } catch (const std::system_error& error) {
    throw UsageError(file + ": " + error.code().message());
  }
  if (!text) {
    throw UsageError((file == "-" ? "stdin" : file) + " is longer than " +
                     std::to_string(kDocumentLimit >> 20) + " MiB; export and import take more");
  }
  return std::move(*text);
}

// Writes the items of the --json document `file`, each to its own path or, with `paths`, the one
// item's values to each of them; `write` gets each path and item. Every item is read and
// checked before the first is written.
void writeJsonItems(const std::string& file, const std::vector<std::string>& paths,
                    const std::function<void(const fs::path&, const ItemFromJson&)>& write) {
  try {
    const std::string document = jsonDocument(file);
    std::size_t count = 0;
    forEachItem(document, [&](const Json& object) {
      const ItemFromJson item = itemFromJson(object);
      if (paths.empty() && !item.path) throw UsageError("an item has no \"path\"");
      ++count;
    });
    if (!paths.empty() && count != 1) throw UsageError("with PATHs, the list must hold one item");
    forEachItem(document, [&](const Json& object) {
      const ItemFromJson item = itemFromJson(object);
      if (paths.empty()) write(*item.path, item);
      for (const std::string& path : paths) write(path, item);
    });
  } catch (const Json::exception& error) {  // also a number out of range, such as 1e999
    throw UsageError(std::string("--json: ") + error.what());
  } catch (const UsageError& error) {
    throw UsageError(std::string("--json: ") + error.what());
  }
}

std::vector<SetJob> jobsFromOptions(const std::array<std::string, kFieldCount>& texts,
                                    const std::vector<std::string>& removals,
                                    const KeywordChange& keywords, const TagChange& tags,
                                    const std::vector<std::string>& paths) {
  std::array<ValueChange, kValueCount> changes;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (!texts[i].empty()) changes[i] = {ValueEdit::Action::kWrite, texts[i]};
  }
  for (const std::string& field : removals) {
    const std::size_t i = *positionOfFlag(field);  // CLI11 let only field names through
    if (changes[i].action == ValueEdit::Action::kWrite) {
      throw UsageError("--" + field + " and --remove " + field + " together");
    }
    changes[i].action = ValueEdit::Action::kRemove;
  }
  if (!keywords.empty() && changes[kKeywords].action != ValueEdit::Action::kKeep)
    throw UsageError("--add-keyword or --remove-keyword with --keywords or --remove keywords");
  if (!tags.empty() && changes[kTags].action != ValueEdit::Action::kKeep)
    throw UsageError("--add-tag, --remove-tag or --tag-colour with --remove tags");
  if (keywords.empty() && tags.empty() &&
      std::all_of(changes.begin(), changes.end(),
                  [](const ValueChange& c) { return c.action == ValueEdit::Action::kKeep; })) {
    throw UsageError("nothing to change: give a field option, --remove, a keyword or tag option or --json");
  }
  if (paths.empty()) throw UsageError("no PATH given");
  std::vector<SetJob> jobs;
  for (const std::string& path : paths) jobs.push_back({path, changes, keywords, tags});
  return jobs;
}

class Set : public Command {
 public:
  CLI::App* addTo(CLI::App& app) override {
    CLI::App* command = app.add_subcommand("set", "write and remove values as Save does");
    const std::vector<CLI::Option*> fields = addFieldOptions(command, texts_);
    CLI::Option* remove =
        command->add_option("--remove", removals_, "remove the value of FIELD")
            ->allow_extra_args(false)
            ->type_name("FIELD")
            ->check(CLI::Validator(
                [](std::string& name) {
                  return positionOfFlag(name) ? std::string() : "not a field: " + name;
                },
                ""));
    json_ = command
                ->add_option("--json", jsonFile_,
                             "take the values from show --json or export output ('-': stdin), "
                             "at most " +
                                 std::to_string(kDocumentLimit >> 20) + " MiB")
                ->type_name("FILE");
    CLI::Option* addKeyword =
        command->add_option("--add-keyword", keywords_.add, "add WORD to the keywords (repeatable)")
            ->allow_extra_args(false)
            ->type_name("WORD");
    CLI::Option* removeKeyword =
        command->add_option("--remove-keyword", keywords_.remove, "take WORD out of the keywords (repeatable)")
            ->allow_extra_args(false)
            ->type_name("WORD");
    const std::vector<CLI::Option*> tagOptions = {
        command->add_option("--add-tag", addTags_, "add the tag NAME, given COLOUR if one follows (repeatable)")
            ->allow_extra_args(false)
            ->type_name("NAME[:COLOUR]"),
        command->add_option("--remove-tag", removeTags_, "take the tag NAME off (repeatable)")
            ->allow_extra_args(false)
            ->type_name("NAME"),
        command->add_option("--tag-colour", recolourTags_, "give the tag NAME, where it is, COLOUR (repeatable)")
            ->allow_extra_args(false)
            ->type_name("NAME:COLOUR")};
    for (CLI::Option* field : fields) json_->excludes(field);
    for (CLI::Option* tag : tagOptions) json_->excludes(tag);
    json_->excludes(remove)->excludes(addKeyword)->excludes(removeKeyword);
    addDesktopCopiesFlag(command, desktopCopies_);
    CLI::Option* fromImage =
        command->add_flag("--from-image", fromImage_,
                          "store the values embedded in each image, where it has none of its own");
    for (CLI::Option* other : fields) fromImage->excludes(other);
    for (CLI::Option* tag : tagOptions) fromImage->excludes(tag);
    fromImage->excludes(remove)->excludes(json_)->excludes(addKeyword)->excludes(removeKeyword);
    command->add_flag("--replace", replace_, "with --from-image: over the item's own values too")
        ->needs(fromImage);
    command->add_option("PATH", paths_, "items to change");
    return command;
  }

  int run() override {
    if (fromImage_) return storeFromImages();
    int status = kDone;
    if (json_->count() > 0) {
      writeJsonItems(jsonFile_, paths_, [&](const fs::path& path, const ItemFromJson& item) {
        writeItem(
            itemAtPath(path), item,
            [&](const std::string& message) {
              failed(path.native(), message);
              status = kFailed;
            },
            desktopCopies_);
      });
      return status;
    }
    const TagChange tags = tagChangeOf(addTags_, removeTags_, recolourTags_);
    for (const SetJob& job : jobsFromOptions(texts_, removals_, keywords_, tags, paths_)) {
      const ItemAt at = itemAtPath(job.path);
      std::array<Data, kValueCount> storage;
      const ValueEdits edits = editsOf(job.changes, storage);
      // Each item's keywords change in the form it keeps them in, its tags on the tags it holds.
      const ItemChange change =
          changeItem(at, edits,
                     {.desktopCopies = desktopCopies_,
                      .keywords = job.keywords.empty() ? nullptr : &job.keywords,
                      .tags = job.tags.empty() ? nullptr : &job.tags});
      for (const auto& failure : change.failures) {
        failed(job.path.native(), describeFailure(failure.second));
        status = kFailed;
      }
    }
    return status;
  }

 private:
  int storeFromImages() {
    if (paths_.empty()) throw UsageError("no PATH given");
    int status = kDone;
    for (const fs::path path : paths_) {
      const auto report = [&](const std::string& message) {
        failed(path.native(), message);
        status = kFailed;
      };
      ItemChange change;
      const EmbeddedValues embedded = storeImageValues(
          itemAtPath(path), path, {.replace = replace_, .desktopCopies = desktopCopies_}, change);
      for (const auto& failure : change.failures) report(describeFailure(failure.second));
      if (embedded.outcome == EmbeddedValues::Outcome::kNotAnImage) {
        report("not an image whose metadata can be read");
      } else if (embedded.outcome != EmbeddedValues::Outcome::kRead) {
        report(imageProblemMessage(embedded));
      }
    }
    return status;
  }

  bool fromImage_ = false, replace_ = false;
  std::array<std::string, kFieldCount> texts_;
  std::vector<std::string> removals_, paths_;
  KeywordChange keywords_;
  std::vector<std::string> addTags_, removeTags_, recolourTags_;
  std::string jsonFile_;
  CLI::Option* json_ = nullptr;
  bool desktopCopies_ = false;
};

}  // namespace

std::unique_ptr<Command> setCommand() { return std::make_unique<Set>(); }

}  // namespace quillmark::cli

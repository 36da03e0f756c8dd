// set: writes and removes values as the window's Save does, from field
// options or from the JSON that `show --json` prints. Every usage error is
// found before the first item is touched.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "attrstore/xattr.h"
#include "cli/command.h"
#include "cli/fields.h"
#include "cli/json_path.h"
#include "cli/output.h"
#include "editor/item_changes.h"

namespace quillmark::cli {

namespace {

namespace fs = std::filesystem;

// The changes of one `set` and the item they go to.
struct SetJob {
  fs::path path;
  std::array<ValueChange, 5> changes;
};

std::vector<SetJob> jobsFromJson(const std::string& file, const std::vector<std::string>& paths) {
  Json document;
  try {
    if (file == "-") {
      document = Json::parse(std::cin);
    } else {
      std::ifstream in(file, std::ios::binary);
      if (!in) throw UsageError("--json: " + file + ": " + makePosixError(errno).code().message());
      document = Json::parse(in);
    }
  } catch (const Json::exception& error) {  // also a number out of range, such as 1e999
    throw UsageError(std::string("--json: ") + error.what());
  }
  if (document.is_object()) document = Json::array({document});
  if (!document.is_array() || (!paths.empty() && document.size() != 1)) {
    throw UsageError(paths.empty() ? "--json: expected the list that show --json prints"
                                   : "--json: with PATHs, the list must hold one item");
  }
  std::vector<SetJob> jobs;
  for (const Json& item : document) {
    if (!item.is_object()) throw UsageError("--json: every item must be an object");
    SetJob job;
    for (const auto& [key, value] : item.items()) {
      if (key == "path") {
        job.path = pathFromJson(value);
        continue;
      }
      const std::optional<std::size_t> field = positionOfFlag(key);
      if (!field) throw UsageError("--json: unknown field \"" + key + "\"");
      // null leaves the value alone, and so does a list: only strings are written.
      if (value.is_null() ||
          (value.is_array() &&
           std::all_of(value.begin(), value.end(), [](const Json& v) { return v.is_string(); }))) {
        continue;
      }
      if (!value.is_string()) throw UsageError("--json: \"" + key + "\" must be a string or null");
      job.changes[*field] = {ValueChange::Action::kWrite, value.get<std::string>()};
    }
    if (paths.empty()) {
      if (!item.contains("path")) throw UsageError("--json: an item has no \"path\"");
      jobs.push_back(std::move(job));
    } else {
      for (const std::string& path : paths) jobs.push_back({path, job.changes});
    }
  }
  return jobs;
}

std::vector<SetJob> jobsFromOptions(const std::array<std::string, 5>& texts,
                                    const std::vector<std::string>& removals,
                                    const std::vector<std::string>& paths) {
  std::array<ValueChange, 5> changes;
  for (std::size_t i = 0; i < changes.size(); ++i) {
    if (!texts[i].empty()) changes[i] = {ValueChange::Action::kWrite, texts[i]};
  }
  for (const std::string& field : removals) {
    const std::size_t i = *positionOfFlag(field);  // CLI11 let only field names through
    if (changes[i].action == ValueChange::Action::kWrite) {
      throw UsageError("--" + field + " and --remove " + field + " together");
    }
    changes[i].action = ValueChange::Action::kRemove;
  }
  if (std::all_of(changes.begin(), changes.end(),
                  [](const ValueChange& c) { return c.action == ValueChange::Action::kKeep; })) {
    throw UsageError("nothing to change: give a field option, --remove or --json");
  }
  if (paths.empty()) throw UsageError("no PATH given");
  std::vector<SetJob> jobs;
  for (const std::string& path : paths) jobs.push_back({path, changes});
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
                             "take the values from show --json output ('-': stdin)")
                ->type_name("FILE");
    for (CLI::Option* field : fields) json_->excludes(field);
    json_->excludes(remove);
    addDesktopCopiesFlag(command, desktopCopies_);
    command->add_option("PATH", paths_, "items to change");
    return command;
  }

  int run() override {
    const std::vector<SetJob> jobs = json_->count() > 0
                                         ? jobsFromJson(jsonFile_, paths_)
                                         : jobsFromOptions(texts_, removals_, paths_);
    int status = kDone;
    for (const SetJob& job : jobs) {
      changeItem(
          job.path, job.changes,
          [&](std::size_t, const std::string& message) {
            failed(job.path.native(), message);
            status = kFailed;
          },
          desktopCopies_);
    }
    return status;
  }

 private:
  std::array<std::string, 5> texts_;
  std::vector<std::string> removals_, paths_;
  std::string jsonFile_;
  CLI::Option* json_ = nullptr;
  bool desktopCopies_ = false;
};

}  // namespace

std::unique_ptr<Command> setCommand() { return std::make_unique<Set>(); }

}  // namespace quillmark::cli

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// show: an item's five values in the window's order, as labelled lines (on a
// terminal, escaped) or as one exact JSON list whose objects `set --json` takes
// back; for an image, what it says itself too (in brackets, or as "embedded").
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "attrstore/item_at.h"
#include "attrstore/xattr.h"
#include "cli/command.h"
#include "cli/fields.h"
#include "cli/item_json.h"
#include "cli/output.h"
#include "editor/image_values.h"

namespace quillmark::cli {

namespace {

namespace fs = std::filesystem;

// Text as one field line: every line after the first indented by a tab.
std::string indented(const std::string& text) {
  std::string out;
  for (char c : text) {
    out += c;
    if (c == '\n') out += '\t';
  }
  return out;
}

// A value found as one field line: anything but a string described in brackets, one that cannot
// be read with the system's reason where it gave one.
std::string plainValue(const FoundValue& found) {
  const StoredValue value = readStoredValue(found.data);
  if (value.kind == StoredValue::Kind::kString) return indented(value.text);
  const std::string reason = found.error != 0 && value.kind == StoredValue::Kind::kUnreadable
                                 ? ": " + makePosixError(found.error).code().message()
                                 : "";
  return "[" + describeStoredValue(value) + reason + "]";
}

class Show : public Command {
 public:
  CLI::App* addTo(CLI::App& app) override {
    CLI::App* command = app.add_subcommand("show", "print the five values of each item");
    command->add_flag("--json", asJson_, "print one JSON list with an object per item");
    command->add_option("PATH", paths_, "items to read")->required();
    return command;
  }

  int run() override {
    int status = kDone;
    Json items = Json::array();
    bool first = true;
    const bool toTerminal = isTerminal(STDOUT_FILENO);
    for (const fs::path path : paths_) {
      if (const int error = unreachable(path)) {
        failed(path.native(), makePosixError(error).code().message());
        status = kFailed;
        continue;
      }
      const EmbeddedValues embedded = readEmbeddedValues(path);
      if (embedded.outcome == EmbeddedValues::Outcome::kDamaged) {
        failed(path.native(), imageProblemMessage(embedded));
        status = kFailed;
      }
      if (asJson_) {
        Json item = itemToJson(pathToJson(path), readValues(itemAtPath(path)), true);
        // Only an image has an "embedded" object, damaged or not.
        if (embedded.outcome == EmbeddedValues::Outcome::kRead ||
            embedded.outcome == EmbeddedValues::Outcome::kDamaged) {
          Json& inImage = item["embedded"] = Json::object();
          for (std::size_t i : kPositionsInWindowOrder) {
            const std::string& text = embedded.texts[i];
            inImage[std::string(kValueNames[i].flag)] = text.empty() ? Json() : Json(text);
          }
        }
        items.push_back(std::move(item));
        continue;
      }
      const std::array<FoundValue, 5> values = readValues(itemAtPath(path));
      std::string text = (first ? "" : "\n") + path.native() + "\n";
      for (std::size_t i : kPositionsInWindowOrder) {
        text += std::string(kValueNames[i].label) + ":";
        if (values[i].present) {
          text += " " + plainValue(values[i]);
        } else if (!embedded.texts[i].empty()) {
          text += " [in the image: " + indented(embedded.texts[i]) + "]";
        }
        text += "\n";
      }
      first = false;
      print(toTerminal ? escapedForTerminal(text) : text);
      flushOutput();
    }
    if (asJson_) print(items.dump(2) + "\n");
    return status;
  }

 private:
  bool asJson_ = false;
  std::vector<std::string> paths_;
};

}  // namespace

std::unique_ptr<Command> showCommand() { return std::make_unique<Show>(); }

}  // namespace quillmark::cli

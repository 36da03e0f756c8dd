// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// show: an item's five values in the window's order and then its Finder tags,
// as labelled lines (on a terminal, escaped) or as one exact JSON list whose
// objects `set --json` takes back; for an image, what it says itself too (in
// brackets, or as "embedded").
// The items are read on Write Folder's threads (editor/ordered_pool.h), each on
// a worker, and printed on the calling thread in argument order, exactly as one
// item after another.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "attrstore/item_at.h"
#include "attrstore/names.h"
#include "attrstore/tags.h"
#include "attrstore/xattr.h"
#include "cli/command.h"
#include "cli/fields.h"
#include "cli/item_json.h"
#include "cli/output.h"
#include "editor/entry_batches.h"
#include "editor/folder_write.h"
#include "editor/image_values.h"
#include "editor/ordered_pool.h"

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
  const StoredValue value = found.stored();
  if (value.kind == StoredValue::Kind::kString) return indented(value.text);
  const std::string reason = found.error != 0 && value.kind == StoredValue::Kind::kUnreadable
                                 ? ": " + makePosixError(found.error).code().message()
                                 : "";
  return "[" + describeStoredValue(value) + reason + "]";
}

// The tags found as one line: each name, and its colour in brackets where it has one ("Work
// (red), Harbour"), empty for none; tags kept as anything but a list of strings are described in
// brackets, as plainValue does.
std::string plainTags(const FoundValue& found) {
  const StoredValue stored = found.stored();
  if (stored.kind == StoredValue::Kind::kString) return "[a string: " + indented(stored.text) + "]";
  if (stored.kind != StoredValue::Kind::kStringArray) return plainValue(found);
  std::string line;
  for (const std::string& item : stored.items) {
    const Tag tag = tagOf(item);
    line += (&item == &stored.items.front() ? "" : ", ") + indented(tag.name);
    if (tag.digitOutOfRange) {
      line += std::string(" (colour ") + item.back() + ")";  // as stored: no colour a Mac knows
    } else if (tag.colour != TagColour::kNone) {
      line += " (" + std::string(kTagColourNames[static_cast<std::size_t>(tag.colour)]) + ")";
    }
  }
  return line;
}

class Show : public Command {
 public:
  CLI::App* addTo(CLI::App& app) override {
    CLI::App* command = app.add_subcommand("show", "print the five values and the tags of each item");
    command->add_flag("--json", asJson_, "print one JSON list with an object per item");
    command->add_option("PATH", paths_, "items to read")->required();
    return command;
  }

  int run() override {
    int status = kDone;
    Json items = Json::array();
    bool first = true;
    bool outputClosed = false;
    const bool toTerminal = isTerminal(STDOUT_FILENO);
    // What a worker reads of one item; unreachable: the errno, and nothing else is read.
    struct Read {
      int unreachable = 0;
      EmbeddedValues embedded;
      std::array<FoundValue, kValueCount> values;
    };
    // Printed on the calling thread, in argument order: a closed output stops the reading.
    const auto deliver = [&](const fs::path& path, const Read& read) {
      if (read.unreachable != 0) {
        failed(path.native(), makePosixError(read.unreachable).code().message());
        status = kFailed;
        return;
      }
      const EmbeddedValues& embedded = read.embedded;
      if (embedded.outcome == EmbeddedValues::Outcome::kDamaged) {
        failed(path.native(), imageProblemMessage(embedded));
        status = kFailed;
      }
      if (asJson_) {
        Json item = itemToJson(pathToJson(path), read.values, JsonUse::kReading);
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
        return;
      }
      const std::array<FoundValue, kValueCount>& values = read.values;
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
      const std::string tags = values[kTags].present ? plainTags(values[kTags]) : "";
      text += std::string(kValueNames[kTags].label) + ":" + (tags.empty() ? "" : " " + tags) + "\n";
      first = false;
      print(toTerminal ? escapedForTerminal(text) : text);
      flushOutput();
    };
    {
      const std::size_t jobs = jobsForPath(paths_.front().c_str());
      OrderedPool pool(jobs, jobs * 4);
      for (const std::string& name : paths_) {
        const bool queued = pool.submit([&, &item = name]() -> OrderedPool::Delivery {
          auto read = std::make_shared<Read>();
          const fs::path path = item;
          read->unreachable = unreachable(path);
          if (read->unreachable == 0) {
            read->embedded = readEmbeddedValues(path);
            read->values = readValues(itemAtPath(path));
          }
          return [&, read, path] {
            try {
              deliver(path, *read);
            } catch (const OutputClosed&) {
              outputClosed = true;
              return false;
            }
            return true;
          };
        });
        if (!queued) break;
      }
      pool.finish();
    }
    if (outputClosed) throw OutputClosed{};
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

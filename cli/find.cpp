// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// find: the items whose values contain every TEXT given, compared with
// Unicode case folding (utf8proc) after composing both sides, so "STRASSE"
// finds "straße" and a decomposed "é" finds a composed one. A keyword list
// matches when one of its strings does. A tag matches by its whole name,
// folded alike, and a colour when some tag has it. Prints paths (or NUL-ended
// ones for xargs -0, or the items as show --json does) as they are found.
#include <unistd.h>
#include <utf8proc.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "attrstore/codec.h"
#include "attrstore/names.h"
#include "attrstore/tags.h"
#include "attrstore/utf.h"
#include "cli/command.h"
#include "cli/item_json.h"
#include "cli/item_walk.h"
#include "cli/output.h"
#include "cli/tag_options.h"

namespace quillmark::cli {

namespace {

// `text` composed and case-folded.
std::string folded(std::string_view text) {
  // Most values are ASCII, which composing leaves alone and folding lowers.
  if (std::ranges::all_of(text, [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    std::string lowered(text);
    for (char& c : lowered) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    return lowered;
  }
  utf8proc_uint8_t* out = nullptr;
  const utf8proc_ssize_t length =
      utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                   static_cast<utf8proc_ssize_t>(text.size()), &out,
                   static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE | UTF8PROC_CASEFOLD));
  std::string result = length < 0 ? std::string(text) : std::string(reinterpret_cast<char*>(out), static_cast<std::size_t>(length));
  std::free(out);
  return result;
}

// One condition: `text` (folded) in the field at `position`, or in any field.
struct Condition {
  std::optional<std::size_t> position;
  std::string text;
};

bool contains(const FoundValue& found, const std::string& text) {
  if (!found.present || found.data.empty()) return false;
  const StoredValue value = found.stored();
  if (value.kind == StoredValue::Kind::kString) return folded(value.text).find(text) != std::string::npos;
  if (value.kind != StoredValue::Kind::kStringArray) return false;
  return std::any_of(value.items.begin(), value.items.end(),
                     [&](const std::string& item) { return folded(item).find(text) != std::string::npos; });
}

bool matches(const std::array<FoundValue, kValueCount>& values, const Condition& condition) {
  if (condition.position) return contains(values[*condition.position], condition.text);
  return std::any_of(values.begin(), values.begin() + kFieldCount,
                     [&](const FoundValue& found) { return contains(found, condition.text); });
}

// What the tags must hold: a tag of each name (folded), and one of each colour.
struct TagConditions {
  std::vector<std::string> names;
  std::vector<TagColour> colours;
  bool empty() const { return names.empty() && colours.empty(); }
};

bool matches(const FoundValue& found, const TagConditions& wanted) {
  if (wanted.empty()) return true;
  const std::optional<std::vector<Tag>> tags = tagsOf(found);
  if (!tags) return false;
  std::vector<std::string> names;
  for (const Tag& tag : *tags) names.push_back(folded(tag.name));
  return std::ranges::all_of(wanted.names,
                             [&](const std::string& name) { return std::ranges::find(names, name) != names.end(); }) &&
         std::ranges::all_of(wanted.colours, [&](TagColour colour) {
           return std::ranges::any_of(*tags, [&](const Tag& tag) { return tag.colour == colour && !tag.digitOutOfRange; });
         });
}

class Find : public Command {
 public:
  CLI::App* addTo(CLI::App& app) override {
    CLI::App* command = app.add_subcommand("find", "print the items whose values contain TEXT");
    const auto utf8 = CLI::Validator(
        [](std::string& text) { return utf::isValidUtf8(text) ? std::string() : "not UTF-8 text"; }, "");
    for (std::size_t i : kPositionsInWindowOrder) {
      const std::string flag(kValueNames[i].flag);
      command->add_option("--" + flag, texts_[i], "the " + flag + " contains TEXT")
          ->type_name("TEXT")
          ->check(utf8);
    }
    command->add_option("--any", texts_[kFieldCount], "some of the five values contains TEXT")
        ->type_name("TEXT")
        ->check(utf8);
    command->add_option("--tag", tagNames_, "a tag is named NAME, case folded")->type_name("NAME")->check(utf8);
    command->add_option("--colour", tagColours_, "a tag has COLOUR")->type_name("COLOUR");
    command->add_flag("-r,--recursive", recursive_, "also every file and folder below each PATH");
    CLI::Option* nul = command->add_flag("-0,--null", nul_, "end each path with NUL, for xargs -0");
    command->add_flag("--json", asJson_, "print the items as show --json does")->excludes(nul);
    addJobsOption(command, jobs_);
    command->add_option("PATH", paths_, "where to look")->required();
    return command;
  }

  int run() override {
    std::vector<Condition> conditions;
    for (std::size_t i = 0; i < texts_.size(); ++i) {
      for (const std::string& text : texts_[i]) {
        conditions.push_back({i < kFieldCount ? std::optional<std::size_t>(i) : std::nullopt, folded(text)});
      }
    }
    TagConditions tags;
    for (const std::string& name : tagNames_) tags.names.push_back(folded(name));
    for (const std::string& colour : tagColours_) tags.colours.push_back(colourNamed(colour, "--colour"));
    if (conditions.empty() && tags.empty())
      throw UsageError("nothing to find: give a field option, --any, --tag or --colour");
    const bool toTerminal = isTerminal(STDOUT_FILENO);
    bool first = true;
    if (asJson_) print("[");
    const int status = walkItems(
        paths_,
        [&](const std::string& path, std::string_view, const ItemAt& at) -> ItemReport {
          const std::array<FoundValue, kValueCount> values = readValues(at);
          if (!std::all_of(conditions.begin(), conditions.end(),
                           [&](const Condition& c) { return matches(values, c); }) ||
              !matches(values[kTags], tags)) {
            return nullptr;
          }
          std::string found;
          if (asJson_) {
            found = itemToJson(pathToJson(path), values, JsonUse::kReading).dump();
          } else if (nul_) {
            found = path + '\0';
          } else {
            found = (toTerminal ? escapedForTerminal(path) : path) + "\n";
          }
          return [&, found = std::move(found)] {
            print(asJson_ ? (first ? "\n" : ",\n") + found : found);
            first = false;
          };
        },
        {.recursive = recursive_, .jobs = jobs_});
    if (asJson_) print(first ? "]\n" : "\n]\n");
    return status;
  }

 private:
  std::array<std::vector<std::string>, kFieldCount + 1> texts_;  // list positions, then --any
  std::vector<std::string> tagNames_, tagColours_;
  bool recursive_ = false, nul_ = false, asJson_ = false;
  std::size_t jobs_ = 0;
  std::vector<std::string> paths_;
};

}  // namespace

std::unique_ptr<Command> findCommand() { return std::make_unique<Find>(); }

}  // namespace quillmark::cli

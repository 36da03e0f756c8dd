// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// check: what a Mac or a peer will fail to read, one line per finding, and
// nothing changed. Findings: a value whose places disagree, a user.
// value whose netatalk 0x00 differs from the item's other values, a stream
// continued elsewhere, a sidecar that does not parse, a value past netatalk's
// 3,802 bytes, a sidecar with no item beside it, tags a Mac shows none of or
// one whose colour it does not know, and (for information only) a value that
// holds no string, or keywords kept as one string where the item's other Mac
// values are lists.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <string>
#include <vector>

#include "attrstore/item_survey.h"
#include "attrstore/item_at.h"
#include "attrstore/listing.h"
#include "attrstore/names.h"
#include "attrstore/place_table.h"
#include "attrstore/places.h"
#include "attrstore/sidecar_file.h"
#include "attrstore/tags.h"
#include "cli/command.h"
#include "cli/fields.h"
#include "cli/item_json.h"
#include "cli/item_walk.h"
#include "cli/output.h"

namespace quillmark::cli {

namespace {

// What AFP clients of netatalk can read of one value; longer ones reach them cut.
constexpr std::uint64_t kNetatalkLimit = 3802;

struct Finding {
  std::string field;  // empty: the item as a whole
  std::string text;
  bool information = false;  // not a fault, nothing to fix
};

std::string placeLabel(Place place) { return std::string(kPlaces[static_cast<std::size_t>(place)].label); }

// The property list each place holds for the value at `position`, as far as it can be read (a
// sidecar keeps the list as it is).
std::vector<std::pair<Place, Data>> placeLists(const ItemAt& at, std::size_t position,
                                              const std::vector<HeldValue>& held, const SidecarFile& sidecar) {
  std::vector<std::pair<Place, Data>> lists;
  for (const HeldValue& value : held) {
    if (value.error != 0 || value.continued) continue;
    if (value.place == Place::kSidecar) {
      if (const auto& bytes = sidecar.values[position].bytes) lists.emplace_back(value.place, *bytes);
      continue;
    }
    try {
      const Data raw = readXattr(at.item, attributeName(position, value.place));
      const RawForm form = understand(value.place, raw);
      lists.emplace_back(value.place, Data(form.list.begin(), form.list.end()));
    } catch (const std::system_error&) {
      // Gone or changed since the survey: compared as what it was is unknown.
    }
  }
  return lists;
}

// Whether the item keeps another com.apple.metadata value (kMDItemWhereFroms, user tags...) as a
// list of strings: then the Mac tools that wrote it keep lists, keywords included.
bool keepsOtherValuesAsLists(const ItemAt& at) {
  for (const std::string& name : listAttributes(at.item).otherMetadataValues) {
    try {
      if (readStoredValue(readXattr(at.item, name.c_str())).kind == StoredValue::Kind::kStringArray)
        return true;
    } catch (const std::system_error&) {
    }
  }
  return false;
}

// What a Mac cannot read of the tags held as `held`: Finder shows no tag of a value that is not
// a list of strings, and no colour for a digit past 7.
void tagFindings(const ItemAt& at, const std::vector<HeldValue>& held, const SidecarFile& sidecar,
                 std::vector<Finding>& found) {
  if (held.empty() || held.front().error != 0 || held.front().continued) return;
  const std::string field(kValueNames[kTags].flag);
  using Kind = StoredValue::Kind;
  const Kind kind = held.front().kind;
  if (kind == Kind::kArray) {
    found.push_back({field, "a list holding other values than strings: a Mac shows none of its tags"});
  } else if (kind != Kind::kStringArray) {
    StoredValue value;
    value.kind = kind;
    const std::string keptAs = kind == Kind::kString        ? "a string"
                               : kind == Kind::kData        ? "data"
                               : kind == Kind::kUnreadable ? "bytes no reader understands"
                                                           : describeStoredValue(value);
    found.push_back({field, "kept as " + keptAs + ", not as a list of strings: a Mac shows no tags"});
  } else {
    for (const auto& list : placeLists(at, kTags, {held.front()}, sidecar)) {
      for (const std::string& item : readStoredValue(list.second).items) {
        const Tag tag = tagOf(item);
        if (tag.digitOutOfRange)
          found.push_back({field, "the tag \"" + tag.name + "\" has the colour digit " + item.back() + ": a Mac knows 0 to 7"});
      }
    }
  }
}

bool keptAsList(const std::vector<HeldValue>& held) {
  return !held.empty() && held.front().error == 0 && held.front().kind == StoredValue::Kind::kStringArray;
}

std::vector<Finding> findings(const ItemAt& at) {
  const ItemSurvey item = surveyItem(at);
  std::vector<Finding> found;
  if (item.listingError != 0 && item.listingError != EOPNOTSUPP && item.listingError != ENOTSUP)
    found.push_back({"", "its attributes cannot be listed: " + makePosixError(item.listingError).code().message()});
  const SidecarFile sidecar =
      item.sidecarPresent && item.sidecarParses ? readSidecar(at.folder, sidecarName(at)) : SidecarFile{};
  if (item.sidecarError != 0)
    found.push_back({"", "its sidecar cannot be read: " + makePosixError(item.sidecarError).code().message()});
  if (item.sidecarPresent && !item.sidecarParses)
    found.push_back({"", "its sidecar does not parse: Macs and this program cannot use it"});
  std::size_t userValues = 0, userWithNul = 0;
  for (const auto& held : item.values)
    for (const HeldValue& value : held)
      if (value.place == Place::kUser && value.error == 0) {
        ++userValues;
        userWithNul += value.trailingNul ? 1 : 0;
      }
  for (std::size_t i : kPositionsInOutputOrder) {
    const std::string field(kValueNames[i].flag);
    const std::vector<HeldValue>& held = item.values[i];
    for (const HeldValue& value : held) {
      const std::string place = placeLabel(value.place);
      if (value.error != 0) {
        found.push_back({field, "the " + place + " value cannot be read: " + makePosixError(value.error).code().message()});
        continue;
      }
      if (value.continued) found.push_back({field, "the " + place + " is continued in other attributes"});
      if (value.size > kNetatalkLimit)
        found.push_back({field, "the " + place + " value is " + std::to_string(value.size) +
                                    " bytes: netatalk gives AFP clients only 3802"});
      if (value.place == Place::kUser && userWithNul > 0 && userWithNul < userValues)
        found.push_back({field, value.trailingNul ? "the user. value ends in 0x00 where the item's others do not"
                                                  : "the user. value lacks the 0x00 the item's others carry"});
    }
    // Places can only disagree where there are two; one holding it alone is not read again.
    const std::vector<std::pair<Place, Data>> lists =
        held.size() > 1 ? placeLists(at, i, held, sidecar) : std::vector<std::pair<Place, Data>>{};
    for (std::size_t k = 1; k < lists.size(); ++k) {
      if (lists[k].second != lists[0].second)
        found.push_back({field, "the " + placeLabel(lists[0].first) + " and the " + placeLabel(lists[k].first) +
                                    " hold different values"});
    }
    if (i == kTags) {
      tagFindings(at, held, sidecar, found);
    } else if (!held.empty() && held.front().error == 0 && !held.front().continued &&
               held.front().kind != StoredValue::Kind::kString &&
               held.front().kind != StoredValue::Kind::kStringArray) {
      StoredValue kind;
      kind.kind = held.front().kind;
      found.push_back({field, "holds no string but " + describeStoredValue(kind), true});
    }
    if (i == kKeywords && !held.empty() && held.front().error == 0 &&
        held.front().kind == StoredValue::Kind::kString &&
        (keptAsList(item.values[kTags]) || keepsOtherValuesAsLists(at)))
      found.push_back({field, "kept as one string where the item's other Mac values are lists", true});
  }
  return found;
}

class Check : public Command {
 public:
  CLI::App* addTo(CLI::App& app) override {
    CLI::App* command = app.add_subcommand("check", "report values a Mac or a peer cannot read");
    command->add_flag("-r,--recursive", recursive_, "also every file and folder below each PATH");
    command->add_flag("--json", asJson_, "print each finding as a JSON line");
    addJobsOption(command, jobs_);
    command->add_option("PATH", paths_, "items to check")->required();
    return command;
  }

  int run() override {
    const bool toTerminal = isTerminal(STDOUT_FILENO);
    bool faulty = false;
    const auto report = [&](const std::string& path, const std::vector<Finding>& found) {
      for (const Finding& finding : found) {
        faulty = faulty || !finding.information;
        if (asJson_) {
          print(Json{{"path", pathToJson(path)}, {"field", finding.field}, {"finding", finding.text},
                     {"information", finding.information}}.dump() + "\n");
          continue;
        }
        const std::string line = path + ": " + (finding.field.empty() ? "" : finding.field + ": ") +
                                 (finding.information ? "note: " : "") + finding.text;
        print((toTerminal ? escapedForTerminal(line) : line) + "\n");
      }
    };
    const int status = walkItems(
        paths_,
        [&](const std::string& path, std::string_view, const ItemAt& at) -> ItemReport {
          std::vector<Finding> found = findings(at);
          if (found.empty()) return nullptr;
          return [&report, path, found = std::move(found)] { report(path, found); };
        },
        {.recursive = recursive_,
         .sidecarSeen = [&](const std::string& path, int folder, const char* name) -> ItemReport {
           struct stat item;
           if (fstatat(folder, name + 2, &item, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT) return nullptr;
           return [&report, path] { report(path, {{"", "a sidecar with no item beside it: nothing reads it"}}); };
         },
         .jobs = jobs_});
    return faulty ? kFailed : status;
  }

 private:
  bool recursive_ = false, asJson_ = false;
  std::vector<std::string> paths_;
  std::size_t jobs_ = 0;
};

}  // namespace

std::unique_ptr<Command> checkCommand() { return std::make_unique<Check>(); }

}  // namespace quillmark::cli

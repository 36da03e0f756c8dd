// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// One item as JSON, the same for show --json, set --json, find --json, export
// and import: {"path": PATH, "headline": VALUE, ..., "tags": TAGS} with the
// fields in the window's order, then the Finder tags. A VALUE is a string, an
// array of strings, or for any other property list {"plist": "<base64 of its
// bytes>"}; null (or a field left out) is no value. Strings and arrays are
// stored again as the platform writes them, other values byte for byte, so a
// Mac's values come back unchanged.
//
// The tags are a VALUE too, their array holding each tag as stored ("Work\n6"),
// which is how export writes them: bare names and "\n0" come back as they were.
// To be read (show, find) a list of tags is [{"name": "Work", "colour": "red"},
// ...] instead, "none" for no colour and null for a digit no Mac knows; set and
// import take either. Export adds "label": COLOUR, the item's colour label,
// where it has one; set and import give the item that label.
#ifndef QUILLMARK_CLI_ITEM_JSON_H_
#define QUILLMARK_CLI_ITEM_JSON_H_

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "attrstore/places.h"
#include "attrstore/tags.h"
#include "cli/json_path.h"

namespace quillmark::cli {

// The values to write to one item, in list order; nothing leaves a value as it is.
struct ItemFromJson {
  std::optional<std::filesystem::path> path;
  std::array<std::optional<Data>, kValueCount> values;
  std::optional<std::uint8_t> label;  // the colour label to give it, 0-7
};

// What an item's JSON is for: to be read (show, find: every value, null where there is none, the
// tags by name and colour), or to be stored again (export: only the values found, each exactly,
// and the colour label).
enum class JsonUse { kReading, kStoring };

// `path` (already in JSON form) with the values found, for `use`; with kStoring, `label` too
// unless it is none. A value found but unreadable is null, or left out with kStoring.
Json itemToJson(Json path, const std::array<FoundValue, kValueCount>& values, JsonUse use,
                TagColour label = TagColour::kNone);

// The item `object` describes; throws UsageError saying what is wrong with it.
ItemFromJson itemFromJson(const Json& object);

// Writes `item.values` to the item at `at` as Save does (with `desktopCopies`, bringing
// its desktop copies in step too); reports each failure through `failed`.
void writeItem(const ItemAt& at, const ItemFromJson& item,
               const std::function<void(const std::string& message)>& failed,
               bool desktopCopies = false);

}  // namespace quillmark::cli

#endif  // QUILLMARK_CLI_ITEM_JSON_H_

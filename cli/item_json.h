// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// One item as JSON, the same for show --json, set --json, find --json, export
// and import: {"path": PATH, "headline": VALUE, ...} with the fields in the
// window's order. A VALUE is a string, an array of strings, or for any other
// property list {"plist": "<base64 of its bytes>"}; null (or a field left out)
// is no value. Strings and arrays are stored again as the platform writes
// them, other values byte for byte, so a Mac's values come back unchanged.
#ifndef QUILLMARK_CLI_ITEM_JSON_H_
#define QUILLMARK_CLI_ITEM_JSON_H_

#include <array>
#include <filesystem>
#include <optional>

#include "attrstore/places.h"
#include "cli/json_path.h"

namespace quillmark::cli {

// The values to write to one item, in list order; nothing leaves a value as it is.
struct ItemFromJson {
  std::optional<std::filesystem::path> path;
  std::array<std::optional<Data>, kValueCount> values;
};

// `path` (already in JSON form) with the values found; those not present are
// null when `withNulls`, else left out. A value found but unreadable is null.
Json itemToJson(Json path, const std::array<FoundValue, kValueCount>& values, bool withNulls);

// The item `object` describes; throws UsageError saying what is wrong with it.
ItemFromJson itemFromJson(const Json& object);

// Writes `item.values` to the item at `at` as Save does (with `desktopCopies`, bringing
// its desktop copies in step too); reports each failure through `failed`.
void writeItem(const ItemAt& at, const ItemFromJson& item,
               const std::function<void(const std::string& message)>& failed,
               bool desktopCopies = false);

}  // namespace quillmark::cli

#endif  // QUILLMARK_CLI_ITEM_JSON_H_

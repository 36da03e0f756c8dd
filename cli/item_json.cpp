// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/item_json.h"

#include <algorithm>

#include "attrstore/codec.h"
#include "attrstore/item_at.h"
#include "attrstore/names.h"
#include "attrstore/string_array.h"
#include "cli/command.h"
#include "cli/fields.h"
#include "editor/item_changes.h"

namespace quillmark::cli {

namespace {

Json valueToJson(const Data& bytes) {
  const StoredValue value = readStoredValue(bytes);
  if (value.kind == StoredValue::Kind::kString) return value.text;
  if (value.kind == StoredValue::Kind::kStringArray) return value.items;
  return Json{{"plist", base64(std::string_view(reinterpret_cast<const char*>(bytes.data()),
                                                bytes.size()))}};
}

// The property list `value` stands for; nothing for null. Throws UsageError.
std::optional<Data> valueFromJson(const Json& value, std::string_view field) {
  if (value.is_null()) return std::nullopt;
  if (value.is_string()) return encodeAttributeValue(value.get<std::string>());
  if (value.is_array() &&
      std::all_of(value.begin(), value.end(), [](const Json& item) { return item.is_string(); })) {
    return encodeStringArray(value.get<std::vector<std::string>>());
  }
  if (value.is_object() && value.size() == 1 && value.contains("plist") &&
      value["plist"].is_string()) {
    const std::optional<std::string> bytes = unbase64(value["plist"].get<std::string>());
    if (bytes && !bytes->empty()) return Data(bytes->begin(), bytes->end());
  }
  throw UsageError("\"" + std::string(field) +
                   "\" must be a string, a list of strings, {\"plist\": \"BASE64\"} or null");
}

}  // namespace

Json itemToJson(Json path, const std::array<FoundValue, kValueCount>& values, bool withNulls) {
  Json item = {{"path", std::move(path)}};
  for (std::size_t i : kPositionsInWindowOrder) {
    const bool readable = values[i].readable();
    if (readable || withNulls)
      item[std::string(kValueNames[i].flag)] = readable ? valueToJson(values[i].data) : nullptr;
  }
  return item;
}

ItemFromJson itemFromJson(const Json& object) {
  if (!object.is_object()) throw UsageError("every item must be an object");
  ItemFromJson item;
  for (const auto& [key, value] : object.items()) {
    if (key == "path") {
      item.path = pathFromJson(value);
      continue;
    }
    if (key == "embedded") continue;  // what show says of an image; never stored from here
    const std::optional<std::size_t> field = positionOfFlag(key);
    if (!field) throw UsageError("unknown field \"" + key + "\"");
    item.values[*field] = valueFromJson(value, key);
  }
  return item;
}

void writeItem(const ItemAt& at, const ItemFromJson& item,
               const std::function<void(const std::string& message)>& failed,
               bool desktopCopies) {
  ValueEdits edits;
  for (std::size_t i = 0; i < edits.size(); ++i) {
    if (item.values[i]) edits[i] = {.action = ValueEdit::Action::kWrite, .value = &*item.values[i]};
  }
  for (const auto& failure : changeItem(at, edits, {.desktopCopies = desktopCopies}).failures)
    failed(describeFailure(failure.second));
}

}  // namespace quillmark::cli

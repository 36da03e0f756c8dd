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
#include "cli/tag_options.h"
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

// The tags found, to be read: a list of them by name and colour, anything else as what it is.
Json tagsToRead(const FoundValue& found) {
  const std::optional<std::vector<Tag>> tags = tagsOf(found);
  if (!tags) return valueToJson(found.data);
  Json list = Json::array();
  for (const Tag& tag : *tags) {
    list.push_back({{"name", tag.name},
                    {"colour", tag.digitOutOfRange ? Json() : Json(kTagColourNames[static_cast<std::size_t>(tag.colour)])}});
  }
  return list;
}

// The tags `value` stands for: as a VALUE, or a list of {"name", "colour"} objects as tagsToRead
// writes them (a colour left out or null: none). Throws UsageError.
std::optional<Data> tagsFromJson(const Json& value) {
  if (!value.is_array() || std::none_of(value.begin(), value.end(), [](const Json& tag) { return tag.is_object(); }))
    return valueFromJson(value, "tags");
  std::vector<std::string> stored;
  for (const Json& tag : value) {
    const bool sound = tag.is_object() && tag.contains("name") && tag["name"].is_string() &&
                       std::ranges::all_of(tag.items(), [](const auto& entry) {
                         return entry.key() == "name" ||
                                (entry.key() == "colour" && (entry.value().is_null() || entry.value().is_string()));
                       });
    if (!sound)
      throw UsageError("\"tags\" must be a list of strings or of {\"name\": NAME, \"colour\": COLOUR}, "
                       "{\"plist\": \"BASE64\"} or null");
    const std::string name = tag["name"].get<std::string>();
    if (const std::string problem = tagNameProblem(name); !problem.empty()) throw UsageError("\"tags\": " + problem);
    const Json colour = tag.value("colour", Json());
    stored.push_back(storedTag(
        {.name = name, .colour = colour.is_null() ? TagColour::kNone : colourNamed(colour.get<std::string>(), "\"tags\"")}));
  }
  return encodeStringArray(stored);
}

}  // namespace

Json itemToJson(Json path, const std::array<FoundValue, kValueCount>& values, JsonUse use, TagColour label) {
  const bool reading = use == JsonUse::kReading;
  Json item = {{"path", std::move(path)}};
  const auto put = [&](std::size_t position, Json (*toJson)(const FoundValue&)) {
    const bool readable = values[position].readable();
    if (readable || reading)
      item[std::string(kValueNames[position].flag)] = readable ? toJson(values[position]) : nullptr;
  };
  const auto exactly = [](const FoundValue& found) { return valueToJson(found.data); };
  for (std::size_t i : kPositionsInWindowOrder) put(i, exactly);
  put(kTags, reading ? tagsToRead : +exactly);
  if (!reading && label != TagColour::kNone) item["label"] = kTagColourNames[static_cast<std::size_t>(label)];
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
    if (key == "label") {
      if (!value.is_null() && !value.is_string()) throw UsageError("\"label\" must be a colour or null");
      if (value.is_string()) item.label = static_cast<std::uint8_t>(colourNamed(value.get<std::string>(), "\"label\""));
      continue;
    }
    const std::optional<std::size_t> field = positionOfFlag(key);
    if (!field) throw UsageError("unknown field \"" + key + "\"");
    item.values[*field] = *field == kTags ? tagsFromJson(value) : valueFromJson(value, key);
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
  for (const auto& failure : changeItem(at, edits, {.desktopCopies = desktopCopies, .label = item.label}).failures)
    failed(describeFailure(failure.second));
}

}  // namespace quillmark::cli

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "extensions/core/shown_values.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "attrstore/codec.h"
#include "attrstore/item_at.h"
#include "attrstore/keywords.h"
#include "attrstore/places.h"
#include "attrstore/utf.h"

namespace quillmark {

namespace {

// `text` cut to at most `limit` bytes, on a character boundary, "…" marking the cut.
std::string bounded(std::string text, std::size_t limit = kShownBytes) {
  if (text.size() <= limit) return text;
  static constexpr std::string_view kEllipsis = "\xE2\x80\xA6";
  std::size_t end = limit - kEllipsis.size();
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text.append(kEllipsis);
}

ShownText shownText(const FoundValue& found) {
  if (!found.present) return {};
  const StoredValue value = found.stored();
  if (value.kind == StoredValue::Kind::kString) return {bounded(value.text)};
  if (value.kind == StoredValue::Kind::kStringArray && !value.items.empty())
    return {bounded(joinKeywords(value.items))};
  return {describeStoredValue(value), true};
}

}  // namespace

bool ShownValues::any() const {
  for (const ShownText& field : fields)
    if (!field.text.empty()) return true;
  return !tags.empty() || !tagsKeptAs.text.empty();
}

ShownValues readShownValues(const std::string& path) noexcept {
  ShownValues shown;
  try {
    const std::filesystem::path item(path);
    const std::array<FoundValue, kValueCount> found = readValues(itemAtPath(item));
    // An item gone meanwhile (a file manager's listing is older than its reads) has no values.
    if (std::ranges::all_of(found, [](const FoundValue& value) { return value.error == ENOENT; })) return {};
    for (std::size_t i = 0; i < kFieldCount; ++i) shown.fields[i] = shownText(found[i]);
    if (std::optional<std::vector<Tag>> tags = tagsOf(found[kTags])) {
      if (tags->size() > kShownTags) shown.moreTags = tags->size() - kShownTags;
      tags->resize(std::min(tags->size(), kShownTags));
      for (Tag& tag : *tags) tag.name = bounded(std::move(tag.name));
      shown.tags = std::move(*tags);
    } else {
      shown.tagsKeptAs = {tagsKeptAs(found[kTags].stored()), true};
    }
  } catch (...) {
    // Out of memory, or a path the library refuses: nothing is shown rather than the file
    // manager brought down.
    return {};
  }
  return shown;
}

std::string columnLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  bool space = false;
  for (const char c : text) {
    if (c == '\n' || c == '\r' || c == '\t') {
      space = true;
      continue;
    }
    if (space && !line.empty()) line += ' ';
    space = false;
    line += c;
  }
  return bounded(std::move(line), kColumnBytes);
}

std::string tagsLine(const ShownValues& values, const std::array<std::string, kTagColours>& colourNames) {
  std::string line;
  for (const Tag& tag : values.tags) {
    if (!line.empty()) line += ", ";
    line += tag.name;
    if (tag.colour != TagColour::kNone)
      line.append(" (").append(colourNames[static_cast<std::size_t>(tag.colour)]).append(")");
  }
  if (values.moreTags > 0) line.append(line.empty() ? "+ " : ", + ").append(std::to_string(values.moreTags));
  return line;
}

}  // namespace quillmark

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/tag_options.h"

#include "attrstore/utf.h"
#include "cli/command.h"

namespace quillmark::cli {

namespace {

std::string colourList() {
  std::string names;
  for (std::string_view name : kTagColourNames) names += (names.empty() ? "" : ", ") + std::string(name);
  return names;
}

Tag named(std::string_view name, TagColour colour, std::string_view text, std::string_view option) {
  if (const std::string problem = tagNameProblem(name); !problem.empty())
    throw UsageError(std::string(option) + " \"" + std::string(text) + "\": " + problem);
  return {.name = std::string(name), .colour = colour};
}

}  // namespace

TagColour colourNamed(std::string_view text, std::string_view option) {
  if (const std::optional<TagColour> colour = tagColourNamed(text)) return *colour;
  throw UsageError(std::string(option) + ": \"" + std::string(text) + "\" is not a colour (" + colourList() +
                   ", or 0-7)");
}

Tag tagGiven(std::string_view text, std::string_view option) {
  const std::size_t colon = text.rfind(':');
  if (colon != std::string_view::npos) {
    if (const std::optional<TagColour> colour = tagColourNamed(text.substr(colon + 1)))
      return named(text.substr(0, colon), *colour, text, option);
  }
  return named(text, TagColour::kNone, text, option);
}

Tag recolouringGiven(std::string_view text, std::string_view option) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos)
    throw UsageError(std::string(option) + " \"" + std::string(text) + "\": give NAME:COLOUR");
  return named(text.substr(0, colon), colourNamed(text.substr(colon + 1), option), text, option);
}

std::vector<Tag> tagsGiven(const std::vector<std::string>& texts, std::string_view option,
                           Tag (*parse)(std::string_view, std::string_view)) {
  std::vector<Tag> tags;
  for (const std::string& text : texts) tags.push_back(parse(text, option));
  return tags;
}

std::string tagNameProblem(std::string_view name) {
  if (name.empty()) return "a tag needs a name";
  if (!utf::isValidUtf8(name)) return "not UTF-8 text";
  if (name.find('\n') != std::string_view::npos) return "a tag name cannot hold a line feed";
  return {};
}

}  // namespace quillmark::cli

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "extensions/glib/texts.h"

#include <dlfcn.h>
#include <libintl.h>

#include <array>
#include <filesystem>

#include "extensions/core/shown_columns.h"

namespace quillmark {

namespace {

constexpr const char* kDomain = "quillmark";

// Finder's colour names, as the window calls them.
constexpr std::array<const char*, kTagColours> kColourNames = {"None",   "Grey", "Green", "Purple",
                                                               "Blue",   "Yellow", "Red", "Orange"};

void bindCatalogue() {
  std::filesystem::path where = QUILLMARK_LOCALEDIR;
  Dl_info module;
  if (dladdr(reinterpret_cast<void*>(&bindCatalogue), &module) != 0 && module.dli_fname != nullptr) {
    std::error_code error;
    const std::filesystem::path beside = std::filesystem::path(module.dli_fname).parent_path() / "locale";
    if (std::filesystem::is_directory(beside, error)) where = beside;
  }
  bindtextdomain(kDomain, where.c_str());
  bind_textdomain_codeset(kDomain, "UTF-8");
}

std::string described(const ShownText& shown) {
  return shown.described ? "[" + std::string(translated(shown.text.c_str())) + "]" : shown.text;
}

std::string tagsText(const ShownValues& values) {
  if (!values.tagsKeptAs.text.empty()) return described(values.tagsKeptAs);
  std::array<std::string, kTagColours> colours;
  for (std::size_t i = 0; i < kTagColours; ++i) colours[i] = translated(kColourNames[i]);
  return tagsLine(values, colours);
}

}  // namespace

const char* translated(const char* english) {
  static const bool bound = (bindCatalogue(), true);
  (void)bound;
  return dgettext(kDomain, english);
}

std::vector<std::pair<std::string, std::string>> shownRows(const ShownValues& values) {
  std::vector<std::pair<std::string, std::string>> rows;
  for (const ShownColumn& column : kShownColumns) {
    const std::string label(column.label());
    rows.emplace_back(translated(label.c_str()), column.position == kTags
                                                     ? tagsText(values)
                                                     : described(values.fields[column.position]));
  }
  return rows;
}

std::string columnText(const ShownValues& values, std::size_t position) {
  return columnLine(position == kTags ? tagsText(values) : described(values.fields[position]));
}

}  // namespace quillmark

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The five fields and the tags as quillmark-cli names them (attrstore/names.h),
// the fields' options, and an item's stored values.
#ifndef QUILLMARK_CLI_FIELDS_H_
#define QUILLMARK_CLI_FIELDS_H_

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "attrstore/codec.h"
#include "attrstore/names.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace quillmark::cli {

// Every value's list position in the order quillmark-cli prints them: the five
// in the window's order, then the tags.
inline constexpr std::array<std::size_t, kValueCount> kPositionsInOutputOrder = [] {
  std::array<std::size_t, kValueCount> positions{};
  for (std::size_t i = 0; i < kFieldCount; ++i) positions[i] = kPositionsInWindowOrder[i];
  positions[kFieldCount] = kTags;
  return positions;
}();

// The list position (attrstore/names.h) of the field whose option and JSON
// name is `flag`; nothing for any other name.
std::optional<std::size_t> positionOfFlag(std::string_view flag);

// The errno when `path` itself cannot be reached, else 0.
int unreachable(const std::filesystem::path& path);

// Adds --headline ... --keywords TEXT to `command`, in window order, each one
// refusing empty and non-UTF-8 text; `texts` is in list order.
std::vector<CLI::Option*> addFieldOptions(CLI::App* command, std::array<std::string, kFieldCount>& texts);

// Adds --desktop-copies to `command`: the desktop tags and comment are also
// kept in step (attrstore/desktop_copies.h).
void addDesktopCopiesFlag(CLI::App* command, bool& on);

}  // namespace quillmark::cli

#endif  // QUILLMARK_CLI_FIELDS_H_

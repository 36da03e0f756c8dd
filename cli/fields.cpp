// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/fields.h"

#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <cerrno>

#include "attrstore/item_at.h"
#include "attrstore/places.h"
#include "attrstore/utf.h"

namespace quillmark::cli {

std::optional<std::size_t> positionOfFlag(std::string_view flag) {
  for (std::size_t i = 0; i < kValueNames.size(); ++i) {
    if (kValueNames[i].flag == flag) return i;
  }
  return std::nullopt;
}

int unreachable(const std::filesystem::path& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0 ? 0 : errno;
}

std::vector<CLI::Option*> addFieldOptions(CLI::App* command, std::array<std::string, kFieldCount>& texts) {
  const auto notEmpty = CLI::Validator(
      [](std::string& text) {
        if (text.empty()) return std::string("an empty value; to remove one, use --remove");
        return utf::isValidUtf8(text) ? std::string() : std::string("not UTF-8 text");
      },
      "");
  std::vector<CLI::Option*> options;
  for (std::size_t i : kPositionsInWindowOrder) {
    const std::string flag(kValueNames[i].flag);
    options.push_back(
        command->add_option("--" + flag, texts[i], "store TEXT as the " + flag)->check(notEmpty));
  }
  return options;
}

void addDesktopCopiesFlag(CLI::App* command, bool& on) {
  command->add_flag("--desktop-copies", on,
                    "also replace each item's desktop tags with its keywords and its desktop "
                    "comment with its description");
}

}  // namespace quillmark::cli

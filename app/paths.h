// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// File names between the file system, which knows bytes, and Qt, which knows
// Unicode text.
//
// A Linux name need not be UTF-8 (an archive from an old machine has names like
// "caf\xe9.jpg"). Such bytes are kept exactly from wherever a path comes in (the
// command line, a file: URI, a drop) to every system call; only text shown to
// the user turns them into U+FFFD. A name that Qt already turned into U+FFFD
// (in a file dialog) is found again in its folder's listing.
#ifndef QUILLMARK_APP_PATHS_H_
#define QUILLMARK_APP_PATHS_H_

#include <QString>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace quillmark {

// A path as given on the command line, or the local path of a file: URI
// (percent-escapes decoded to bytes; an empty or "localhost" host only).
std::optional<std::filesystem::path> pathFromArgument(std::string_view argument);

// The local paths of the file: URIs in a text/uri-list, in order.
std::vector<std::filesystem::path> pathsFromUriList(std::string_view list);

// The path on disk that a dialog shows as `shown` (absolute). Each name shown
// with U+FFFD is looked up in its folder: `ambiguous` when several names there
// show the same way, and the path cannot be told.
struct PathOnDisk {
  std::filesystem::path path;
  bool ambiguous = false;
};
PathOnDisk pathOnDisk(const QString& shown);

// A path as text to show: names that are not UTF-8 get U+FFFD.
QString fromPath(const std::filesystem::path& path);

}  // namespace quillmark

#endif  // QUILLMARK_APP_PATHS_H_

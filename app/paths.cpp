// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/paths.h"

#include <dirent.h>

#include <QByteArray>
#include <QStringList>

namespace quillmark {

namespace {

std::string percentDecoded(std::string_view text) {
  const QByteArray raw(text.data(), static_cast<qsizetype>(text.size()));
  return QByteArray::fromPercentEncoding(raw).toStdString();
}

}  // namespace

std::optional<std::filesystem::path> pathFromArgument(std::string_view argument) {
  if (!argument.starts_with("file:")) return std::filesystem::path(argument);
  std::string_view rest = argument.substr(5);
  if (rest.starts_with("//")) {
    rest.remove_prefix(2);
    const std::size_t slash = rest.find('/');
    const std::string_view host = rest.substr(0, slash);
    if (slash == std::string_view::npos || !(host.empty() || host == "localhost")) return {};
    rest.remove_prefix(slash);
  }
  if (!rest.starts_with('/')) return {};
  return std::filesystem::path(percentDecoded(rest.substr(0, rest.find_first_of("?#"))));
}

std::vector<std::filesystem::path> pathsFromUriList(std::string_view list) {
  std::vector<std::filesystem::path> paths;
  while (!list.empty()) {
    const std::size_t end = list.find('\n');
    std::string_view line = list.substr(0, end);
    list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!line.starts_with("file:")) continue;  // comments and other schemes
    if (std::optional<std::filesystem::path> path = pathFromArgument(line)) paths.push_back(*path);
  }
  return paths;
}

PathOnDisk pathOnDisk(const QString& shown) {
  PathOnDisk found;
  std::string raw;
  for (const QString& name : shown.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
    // A name without U+FFFD came from UTF-8, which converts back exactly.
    std::string match = name.toUtf8().toStdString();
    if (name.contains(QChar::ReplacementCharacter)) {
      int matches = 0;
      if (DIR* folder = opendir(raw.empty() ? "/" : raw.c_str())) {
        while (const dirent* entry = readdir(folder)) {
          if (QString::fromUtf8(entry->d_name) != name) continue;
          if (++matches == 1) match = entry->d_name;
        }
        closedir(folder);
      }
      found.ambiguous = found.ambiguous || matches > 1;
    }
    raw += '/';
    raw += match;
  }
  found.path = raw.empty() ? "/" : raw;
  return found;
}

QString fromPath(const std::filesystem::path& path) {
  const std::string& bytes = path.native();
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace quillmark

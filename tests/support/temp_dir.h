// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh temporary folder per test, removed with everything in it (immutable
// flags cleared first), plus small helpers for files and raw attributes.
#ifndef QUILLMARK_TESTS_SUPPORT_TEMP_DIR_H_
#define QUILLMARK_TESTS_SUPPORT_TEMP_DIR_H_

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "attrstore/xattr.h"

namespace quillmark::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Creates (or replaces) file `relative` with `content`, making parent folders; returns its path.
  std::filesystem::path writeFile(std::string_view relative, std::string_view content = {}) const;

 private:
  std::filesystem::path path_;
};

// Opens a chain of `levels` new folders of 200-byte names below `under`;
// returns the deepest, open (its path is longer than PATH_MAX past 20 levels).
int makeDeepFolder(const std::filesystem::path& under, int levels);
// The raw value of `user.` + `name` at `path` (links not followed), or nothing.
std::optional<Data> rawAttribute(const std::filesystem::path& path, std::string_view name);
// Sets `user.` + `name` at `path` to raw `value` (fails the test on error).
void setRawAttribute(const std::filesystem::path& path, std::string_view name,
                     std::string_view value);
inline void setRawAttribute(const std::filesystem::path& path, std::string_view name,
                            const Data& value) {
  setRawAttribute(path, name,
                  std::string_view(reinterpret_cast<const char*>(value.data()), value.size()));
}
std::string readFile(const std::filesystem::path& path);
Data bytes(std::string_view text);
std::string hex(const Data& data);
// Runs a shell command, returning its exit status and (optionally) its standard output.
int runCommand(const std::string& command, std::string* output = nullptr);
// Writes the smallest JPEG at `path` and has the exiv2 command apply each of
// `commands` ("set Iptc.Application2.Headline String Harbour").
inline constexpr std::string_view kIptcUtf8 = "set Iptc.Envelope.CharacterSet String \x1B%G";
void writeJpeg(const std::filesystem::path& path, std::initializer_list<std::string_view> commands);

}  // namespace quillmark::testing

#endif  // QUILLMARK_TESTS_SUPPORT_TEMP_DIR_H_

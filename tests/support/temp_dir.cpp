// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/temp_dir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace quillmark::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "quillmark-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed: " << pattern;
  path_ = pattern;
}

TempDir::~TempDir() {
  // A test that made something immutable or unreadable may have failed before undoing it.
  runCommand("chattr -R -i '" + path_.string() + "' 2>/dev/null; chmod -R u+rwx '" +
             path_.string() + "' 2>/dev/null");
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

fs::path TempDir::writeFile(std::string_view relative, std::string_view content) const {
  fs::path file = path_ / relative;
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
  return file;
}

int makeDeepFolder(const fs::path& under, int levels) {
  const std::string name(200, 'n');
  int folder = open(under.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (int depth = 0; depth < levels && folder >= 0; ++depth) {
    const int next = mkdirat(folder, name.c_str(), 0755) == 0
                         ? openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                         : -1;
    close(folder);
    folder = next;
  }
  EXPECT_GE(folder, 0) << "could not make deep folders below " << under;
  return folder;
}

std::optional<Data> rawAttribute(const fs::path& path, std::string_view name) {
  const std::string key = "user." + std::string(name);
  Data value(70000);
  const ssize_t size = lgetxattr(path.c_str(), key.c_str(), value.data(), value.size());
  if (size < 0) return std::nullopt;
  value.resize(static_cast<size_t>(size));
  return value;
}

void setRawAttribute(const fs::path& path, std::string_view name, std::string_view value) {
  const std::string key = "user." + std::string(name);
  ASSERT_EQ(setxattr(path.c_str(), key.c_str(), value.data(), value.size(), 0), 0)
      << path << " " << key << ": " << std::strerror(errno);
}

std::string readFile(const fs::path& path) {
  std::ostringstream content;
  content << std::ifstream(path, std::ios::binary).rdbuf();
  return content.str();
}

Data bytes(std::string_view text) { return Data(text.begin(), text.end()); }

std::string hex(const Data& data) {
  std::string out;
  for (std::uint8_t b : data) out += "0123456789abcdef"[b >> 4], out += "0123456789abcdef"[b & 15];
  return out;
}

int runCommand(const std::string& command, std::string* output) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    if (output != nullptr) output->append(buffer, n);
  }
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void writeJpeg(const fs::path& path, std::initializer_list<std::string_view> commands) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << "\xFF\xD8\xFF\xD9";
  std::ofstream script(path.native() + ".exiv2", std::ios::trunc);
  for (const std::string_view command : commands) script << command << '\n';
  script.close();
  EXPECT_EQ(runCommand("exiv2 -q -m '" + path.native() + ".exiv2' '" + path.native() + "'"), 0);
  fs::remove(path.native() + ".exiv2");
}

}  // namespace quillmark::testing

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace quillmark::testing {

namespace fs = std::filesystem;

TempDir::TempDir(const fs::path& parent) {
  fs::path base = parent.empty() ? fs::temp_directory_path() : parent;
  std::string pattern = (base / "quillmark-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "mkdtemp failed under " << base;
  }
  path_ = pattern;
}

TempDir::~TempDir() {
  // A test that made something immutable may have failed before undoing it.
  runCommand("chattr -R -i '" + path_.string() + "' >/dev/null 2>&1");
  runCommand("chmod -R u+rwx '" + path_.string() + "' >/dev/null 2>&1");
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

fs::path TempDir::writeFile(std::string_view relative, std::string_view content) const {
  fs::path file = path_ / relative;
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << content;
  return file;
}

fs::path TempDir::makeDir(std::string_view relative) const {
  fs::path dir = path_ / relative;
  fs::create_directories(dir);
  return dir;
}

std::optional<Data> rawAttribute(const fs::path& path, std::string_view name) {
  std::string systemName = systemAttributeName(name);
  ssize_t size = getxattr(path.c_str(), systemName.c_str(), nullptr, 0);
  if (size < 0) return std::nullopt;
  Data value(static_cast<size_t>(size));
  size = getxattr(path.c_str(), systemName.c_str(), value.data(), value.size());
  if (size < 0) return std::nullopt;
  value.resize(static_cast<size_t>(size));
  return value;
}

void setRawAttribute(const fs::path& path, std::string_view name, std::string_view value) {
  std::string systemName = systemAttributeName(name);
  ASSERT_EQ(setxattr(path.c_str(), systemName.c_str(), value.data(), value.size(), 0), 0)
      << "setxattr " << path << " " << name << ": " << std::strerror(errno);
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

Data bytes(std::string_view text) { return Data(text.begin(), text.end()); }

std::string hex(const Data& data) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (std::uint8_t b : data) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

int runCommand(const std::string& command, std::string* output) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
    if (output != nullptr) output->append(buffer.data(), n);
  }
  int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace quillmark::testing

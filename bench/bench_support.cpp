#include "bench/bench_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <thread>

#include "attrstore/codec.h"
#include "attrstore/resource_list.h"

namespace quillmark::bench {

namespace {

constexpr const char* kScratchPrefix = "quillmark-bench-";

[[noreturn]] void throwErrno() { throw makePosixError(errno); }

bool isDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Type of a listed entry, asking the filesystem only when readdir did not say.
unsigned char entryType(int folder, const dirent* entry) {
  if (entry->d_type != DT_UNKNOWN) return entry->d_type;
  struct stat status;
  if (fstatat(folder, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) return DT_UNKNOWN;
  return S_ISLNK(status.st_mode) ? DT_LNK : S_ISDIR(status.st_mode) ? DT_DIR : DT_REG;
}

// Empties the folder open as `fd` (which it closes), depth first.
void removeContents(int fd) {
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    close(fd);
    throwErrno();
  }
  while (const dirent* entry = readdir(dir)) {
    if (isDotOrDotDot(entry->d_name)) continue;
    if (entryType(dirfd(dir), entry) == DT_DIR) {
      const int child = openat(dirfd(dir), entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
      if (child >= 0) removeContents(child);
      unlinkat(dirfd(dir), entry->d_name, AT_REMOVEDIR);
    } else {
      unlinkat(dirfd(dir), entry->d_name, 0);
    }
  }
  closedir(dir);
}

// Runs `work(index)` for index 0 and 1 on two threads, passing on the first failure.
void onTwoThreads(const std::function<void(int)>& work) {
  std::exception_ptr failures[2];
  std::thread other([&] {
    try {
      work(1);
    } catch (...) {
      failures[1] = std::current_exception();
    }
  });
  try {
    work(0);
  } catch (...) {
    failures[0] = std::current_exception();
  }
  other.join();
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
}

void writeBelow(std::string& path, const std::vector<RawAttribute>& attributes,
                std::uint64_t& count) {
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) throwErrno();
  const std::size_t length = path.size();
  while (const dirent* entry = readdir(dir)) {
    if (isDotOrDotDot(entry->d_name)) continue;
    const unsigned char type = entryType(dirfd(dir), entry);
    if (type == DT_LNK || type == DT_UNKNOWN) continue;
    path.resize(length);
    path += '/';
    path += entry->d_name;
    for (const RawAttribute& attribute : attributes) {
      if (lsetxattr(path.c_str(), attribute.systemName.c_str(), attribute.value.data(),
                    attribute.value.size(), 0) != 0) {
        const int error = errno;
        closedir(dir);
        throw makePosixError(error);
      }
    }
    ++count;
    if (type == DT_DIR) writeBelow(path, attributes, count);
  }
  path.resize(length);
  closedir(dir);
}

std::string jsonString(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + '"';
}

}  // namespace

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::vector<std::string> sampleTexts() {
  return {
      "\u00a9 2024 Maren Holt. All rights reserved.",
      "Maren Holt",
      "Fishing boats leaving the inner harbour as the street lamps go out.",
      "Harbour lights at dawn",
      "harbour, dawn, boats, pier, long exposure",
  };
}

bool chooseFolderWithSampleTexts(testing::FakeEditor& editor, const std::string& root) {
  editor.editor->selectFolderButton();
  if (!editor.openPanel.answer(kModalResponseOK, root)) return false;
  const std::vector<std::string> texts = sampleTexts();
  const std::vector<testing::FakeTextField*> fields = editor.fieldsInListOrder();
  for (std::size_t i = 0; i < fields.size(); ++i) fields[i]->text_ = texts[i];
  return true;
}

std::vector<RawAttribute> sampleAttributes() {
  const std::vector<std::string> texts = sampleTexts();
  std::vector<RawAttribute> attributes;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    attributes.push_back(
        {systemAttributeName(ResourceList::kListOrder[i]), encodeAttributeValue(texts[i])});
  }
  return attributes;
}

ScratchDir::ScratchDir() {
  const char* configured = std::getenv("QUILLMARK_BENCH_DIR");
  const std::string base = configured != nullptr && *configured != '\0' ? configured : "/var/tmp";
  // Folders are named after the process that owns them; one whose owner is
  // gone was left by a killed run.
  if (DIR* dir = opendir(base.c_str())) {
    const std::size_t prefixLength = std::strlen(kScratchPrefix);
    while (const dirent* entry = readdir(dir)) {
      if (std::strncmp(entry->d_name, kScratchPrefix, prefixLength) != 0) continue;
      const long owner = std::strtol(entry->d_name + prefixLength, nullptr, 10);
      if (owner <= 0 || kill(static_cast<pid_t>(owner), 0) == 0 || errno != ESRCH) continue;
      removeTree(base + "/" + entry->d_name);
    }
    closedir(dir);
  }
  std::string pattern = base + "/" + kScratchPrefix + std::to_string(getpid()) + "-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throwErrno();
  path_ = pattern;
}

ScratchDir::~ScratchDir() { removeTree(path_); }

std::string ScratchDir::filesystem() const {
  struct statfs info;
  if (statfs(path_.c_str(), &info) != 0) return "unknown";
  switch (static_cast<unsigned long>(info.f_type)) {
    case 0xEF53:
      return "ext4";
    case 0x01021994:
      return "tmpfs";
    case 0x58465342:
      return "xfs";
    case 0x9123683E:
      return "btrfs";
    case 0x794C7630:
      return "overlayfs";
    default: {
      char text[32];
      std::snprintf(text, sizeof text, "type 0x%lx", static_cast<unsigned long>(info.f_type));
      return text;
    }
  }
}

std::uint64_t makeTree(const std::string& root, int folders, int filesPerFolder) {
  if (mkdir(root.c_str(), 0755) != 0) throwErrno();
  const int rootFd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (rootFd < 0) throwErrno();
  onTwoThreads([&](int half) {
    char name[32];
    for (int folder = half; folder < folders; folder += 2) {
      std::snprintf(name, sizeof name, "folder-%05d", folder);
      if (mkdirat(rootFd, name, 0755) != 0) throwErrno();
      const int folderFd = openat(rootFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (folderFd < 0) throwErrno();
      for (int file = 0; file < filesPerFolder; ++file) {
        std::snprintf(name, sizeof name, "file-%05d.jpg", file);
        // One call per empty file rather than open and close.
        if (mknodat(folderFd, name, S_IFREG | 0644, 0) != 0) {
          const int error = errno;
          close(folderFd);
          throw makePosixError(error);
        }
      }
      close(folderFd);
    }
  });
  close(rootFd);
  return static_cast<std::uint64_t>(folders) * (static_cast<std::uint64_t>(filesPerFolder) + 1);
}

void anchorPartialSets(const std::string& folder, const std::vector<RawAttribute>& attributes) {
  if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) throwErrno();
  for (std::size_t count = 1; count < attributes.size(); ++count) {
    const std::string path = folder + "/partial-" + std::to_string(count);
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) throwErrno();
    for (std::size_t i = 0; i < count; ++i) {
      if (fsetxattr(fd, attributes[i].systemName.c_str(), attributes[i].value.data(),
                    attributes[i].value.size(), 0) != 0) {
        const int error = errno;
        close(fd);
        throw makePosixError(error);
      }
    }
    close(fd);
  }
}

void removeTree(const std::string& root) {
  const int rootFd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (rootFd < 0) {
    unlink(root.c_str());
    return;
  }
  // The top level is listed first and shared out, so both threads have work.
  std::vector<std::string> names;
  if (DIR* dir = fdopendir(dup(rootFd))) {
    while (const dirent* entry = readdir(dir)) {
      if (!isDotOrDotDot(entry->d_name)) names.emplace_back(entry->d_name);
    }
    closedir(dir);
  }
  onTwoThreads([&](int half) {
    for (std::size_t i = static_cast<std::size_t>(half); i < names.size(); i += 2) {
      const int child = openat(rootFd, names[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
      if (child >= 0) {
        removeContents(child);
        unlinkat(rootFd, names[i].c_str(), AT_REMOVEDIR);
      } else {
        unlinkat(rootFd, names[i].c_str(), 0);
      }
    }
  });
  close(rootFd);
  rmdir(root.c_str());
}

std::uint64_t plainWrite(const std::string& root, const std::vector<RawAttribute>& attributes) {
  std::string path = root;
  std::uint64_t count = 0;
  writeBelow(path, attributes, count);
  return count;
}

int runGuarded(const std::function<int()>& body) {
  std::fflush(nullptr);  // or buffered output would be printed twice
  const pid_t child = fork();
  if (child < 0) throwErrno();
  if (child == 0) {
    int status = 1;
    try {
      status = body();
    } catch (const std::exception& error) {
      std::fprintf(stderr, "benchmark failed: %s\n", error.what());
    }
    std::fflush(nullptr);
    _exit(status);
  }
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction oldInt, oldTerm, oldHup;
  sigaction(SIGINT, &ignore, &oldInt);
  sigaction(SIGTERM, &ignore, &oldTerm);
  sigaction(SIGHUP, &ignore, &oldHup);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGTERM, &oldTerm, nullptr);
  sigaction(SIGHUP, &oldHup, nullptr);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string withCommas(std::uint64_t value) {
  const std::string digits = std::to_string(value);
  std::string text;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return text;
}

std::string format(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

Figures::Figures(int argc, char** argv) {
  const std::string_view option = "--benchmark_out=";
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument.substr(0, option.size()) == option) outPath_ = argument.substr(option.size());
  }
}

bool Figures::finish() const {
  std::size_t width = 6;
  for (const Figure& figure : figures_) width = std::max(width, figure.name.size());
  const int w = static_cast<int>(width);
  std::printf("\n%-*s %12s  %s\n", w, "figure", "value", "goal");
  for (const Figure& figure : figures_) {
    std::printf("%-*s %12s  %s%s\n", w, figure.name.c_str(), figure.value.c_str(),
                figure.goal.c_str(), figure.goal.empty() || figure.met ? "" : "  (missed)");
  }
  std::fflush(stdout);
  if (outPath_.empty()) return true;
  std::ofstream out(outPath_);
  out << "{\"benchmarks\": [], \"figures\": [";
  for (std::size_t i = 0; i < figures_.size(); ++i) {
    const Figure& figure = figures_[i];
    out << (i == 0 ? "\n" : ",\n") << "  {\"name\": " << jsonString(figure.name)
        << ", \"value\": " << jsonString(figure.value) << ", \"goal\": " << jsonString(figure.goal)
        << ", \"met\": " << (figure.met ? "true" : "false") << "}";
  }
  out << "\n]}\n";
  return static_cast<bool>(out);
}

}  // namespace quillmark::bench

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/folder_beneath.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string_view>
#include <vector>

namespace quillmark::cli {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

// The components of `relative` that name something, "" and "." left out.
std::vector<std::string> componentsOf(std::string_view relative) {
  std::vector<std::string> parts;
  while (!relative.empty()) {
    const std::size_t slash = relative.find('/');
    const std::string_view part = relative.substr(0, slash);
    if (!part.empty() && part != ".") parts.emplace_back(part);
    relative.remove_prefix(slash == std::string_view::npos ? relative.size() : slash + 1);
  }
  return parts;
}

// One component at a time, for kernels without openat2 (before 5.6) and
// sandboxes that refuse it. O_NOFOLLOW makes a link fail to open, as ELOOP or,
// with O_DIRECTORY, ENOTDIR: which of them it was is asked of the entry itself.
FolderBeneath walkBeneath(int root, const std::vector<std::string>& parts) {
  FolderBeneath at{OwnedFd(openat(root, ".", kFolderFlags))};
  if (at.folder.get() < 0) return {OwnedFd(), errno};
  for (const std::string& part : parts) {
    OwnedFd next(openat(at.folder.get(), part.c_str(), kFolderFlags | O_NOFOLLOW));
    if (next.get() < 0) {
      int error = errno;
      struct stat entry;
      if (fstatat(at.folder.get(), part.c_str(), &entry, AT_SYMLINK_NOFOLLOW) == 0 &&
          S_ISLNK(entry.st_mode)) {
        error = ELOOP;
      }
      return {OwnedFd(), error};
    }
    at.folder = std::move(next);
  }
  return at;
}

}  // namespace

FolderBeneath openFolderBeneath(int root, const std::string& relative) {
  const std::vector<std::string> parts = componentsOf(relative);
  for (const std::string& part : parts) {
    if (part == "..") return {OwnedFd(), EXDEV};
  }
  // Once refused, openat2 is not asked again: a sandbox refuses it every time.
  static std::atomic<bool> openat2Refused = false;
  if (!openat2Refused) {
    open_how how{};
    how.flags = kFolderFlags;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    const long fd =
        syscall(SYS_openat2, root, relative.empty() ? "." : relative.c_str(), &how, sizeof how);
    if (fd >= 0) return {OwnedFd(static_cast<int>(fd))};
    if (errno != ENOSYS && errno != EPERM) return {OwnedFd(), errno};
    openat2Refused = true;
  }
  return walkBeneath(root, parts);
}

}  // namespace quillmark::cli

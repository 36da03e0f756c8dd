// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/item_at.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>

#include "attrstore/sidecar_file.h"

namespace quillmark {

Volume volumeOfFilesystem(long type) {
  constexpr long kHfsPlus = 0x482b, kApfs = 0x4253584e;  // statfs f_type ("NXSB" for apfs)
  return type == kHfsPlus || type == kApfs ? Volume::kMacDisk : Volume::kOrdinary;
}

ItemAt itemAtPath(const std::filesystem::path& path) {
  std::string_view text = path.native();
  std::shared_ptr<const std::string> resolved;
  if (char* real = realpath(path.c_str(), nullptr)) {
    resolved = std::make_shared<const std::string>(real);
    free(real);
    text = *resolved;
  }
  while (text.size() > 1 && text.ends_with('/')) text.remove_suffix(1);
  const std::size_t slash = text.rfind('/');
  const std::size_t nameAt = slash == std::string_view::npos ? 0 : slash + 1;
  const char* item = resolved ? resolved->c_str() : path.c_str();
  ItemAt at{Item::atPath(item), AT_FDCWD, text.substr(0, nameAt), text.substr(nameAt)};
  at.resolved = std::move(resolved);
  struct statfs info;
  if (statfs(item, &info) == 0) at.volume = volumeOfFilesystem(info.f_type);
  if (!at.resolved) return at;
  struct stat itself, folder;
  if (at.name.empty() || (stat(item, &itself) == 0 &&
                          stat(std::string(at.directory).c_str(), &folder) == 0 &&
                          itself.st_dev != folder.st_dev)) {
    at.sidecarError = EXDEV;
  } else if (isSidecarFile(AT_FDCWD, item)) {
    at.sidecarError = EINVAL;
  }
  return at;
}

ItemAt itemInFolder(int folder, const char* name, Volume folderVolume, dev_t folderDevice) {
  ItemAt at{Item::inFolder(folder, name), folder, {}, name, folderVolume};
  struct stat itself;
  if (fstatat(folder, name, &itself, AT_SYMLINK_NOFOLLOW) == 0 && itself.st_dev != folderDevice) {
    at.sidecarError = EXDEV;
    // A drive mounted inside a tree is of its own kind: a Mac disk below an ordinary one, say.
    const int fd = openat(folder, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    struct statfs info;
    if (fd >= 0 && fstatfs(fd, &info) == 0) at.volume = volumeOfFilesystem(info.f_type);
    if (fd >= 0) close(fd);
  } else if (isSidecarFile(folder, name)) {
    at.sidecarError = EINVAL;
  }
  return at;
}

ItemAt itemInFolder(int folder, const char* name) {
  struct stat itself;
  struct statfs info;
  if (fstat(folder, &itself) != 0) return itemInFolder(folder, name, Volume::kOrdinary, 0);
  const Volume volume = fstatfs(folder, &info) == 0 ? volumeOfFilesystem(info.f_type) : Volume::kOrdinary;
  return itemInFolder(folder, name, volume, itself.st_dev);
}

std::string lastPathComponent(const std::filesystem::path& path) {
  const std::string& text = path.native();
  const size_t end = text.find_last_not_of('/');
  // Only slashes: the root names itself.
  if (end == std::string::npos) return text.empty() ? std::string() : std::string("/");
  const size_t slash = text.rfind('/', end);
  const size_t begin = slash == std::string::npos ? 0 : slash + 1;
  return text.substr(begin, end + 1 - begin);
}

}  // namespace quillmark

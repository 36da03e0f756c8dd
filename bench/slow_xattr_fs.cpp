// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A FUSE filesystem for the Write Folder benchmark: SOURCE passed through at
// MOUNTPOINT, read-only but for extended attributes, each attribute call
// waiting 1 ms first, as on a network mount where every call waits on a server.
// It stays in the foreground with up to 64 threads until unmounted.
//
//   slow_xattr_fs SOURCE MOUNTPOINT
#define FUSE_USE_VERSION 312
#include <dirent.h>
#include <fcntl.h>
#include <fuse.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

std::string source;

std::string under(const char* path) { return source + path; }

int result(long value) { return value < 0 ? -errno : static_cast<int>(value); }

void waitAsAServerWould() {
  const timespec pause{0, 1000000};
  nanosleep(&pause, nullptr);
}

int getStatus(const char* path, struct stat* status, fuse_file_info*) {
  return result(lstat(under(path).c_str(), status));
}

int listFolder(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*,
               fuse_readdir_flags) {
  DIR* dir = opendir(under(path).c_str());
  if (dir == nullptr) return -errno;
  while (const dirent* entry = ::readdir(dir)) {
    struct stat status {};
    status.st_ino = entry->d_ino;
    status.st_mode = DTTOIF(entry->d_type);
    if (fill(buffer, entry->d_name, &status, 0, static_cast<fuse_fill_dir_flags>(0)) != 0) break;
  }
  closedir(dir);
  return 0;
}

int openFile(const char* path, fuse_file_info* file) {
  const int fd = ::open(under(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -errno;
  file->fh = static_cast<std::uint64_t>(fd);
  return 0;
}

int readFile(const char*, char* buffer, std::size_t size, off_t offset, fuse_file_info* file) {
  return result(pread(static_cast<int>(file->fh), buffer, size, offset));
}

int closeFile(const char*, fuse_file_info* file) {
  return result(close(static_cast<int>(file->fh)));
}

int statFilesystem(const char* path, struct statvfs* info) {
  return result(statvfs(under(path).c_str(), info));
}

int setAttribute(const char* path, const char* name, const char* value, std::size_t size,
                 int flags) {
  waitAsAServerWould();
  return result(lsetxattr(under(path).c_str(), name, value, size, flags));
}

int getAttribute(const char* path, const char* name, char* value, std::size_t size) {
  waitAsAServerWould();
  return result(lgetxattr(under(path).c_str(), name, value, size));
}

int listAttributes(const char* path, char* list, std::size_t size) {
  waitAsAServerWould();
  return result(llistxattr(under(path).c_str(), list, size));
}

int removeAttribute(const char* path, const char* name) {
  waitAsAServerWould();
  return result(lremovexattr(under(path).c_str(), name));
}

}  // namespace

int main(int argc, char** argv) {
  char resolved[PATH_MAX];
  if (argc != 3 || realpath(argv[1], resolved) == nullptr) {
    std::fputs("usage: slow_xattr_fs SOURCE MOUNTPOINT\n", stderr);
    return 2;
  }
  source = resolved;
  fuse_operations operations{};
  operations.getattr = getStatus;
  operations.readdir = listFolder;
  operations.open = openFile;
  operations.read = readFile;
  operations.release = closeFile;
  operations.statfs = statFilesystem;
  operations.setxattr = setAttribute;
  operations.getxattr = getAttribute;
  operations.listxattr = listAttributes;
  operations.removexattr = removeAttribute;
  fuse_args arguments = FUSE_ARGS_INIT(1, argv);
  fuse* filesystem = fuse_new(&arguments, &operations, sizeof operations, nullptr);
  if (filesystem == nullptr || fuse_mount(filesystem, argv[2]) != 0) return 1;
  fuse_set_signal_handlers(fuse_get_session(filesystem));
  // Enough threads that calls from many of the client's threads all wait at once.
  fuse_loop_config* config = fuse_loop_cfg_create();
  fuse_loop_cfg_set_max_threads(config, 64);
  fuse_loop_cfg_set_idle_threads(config, 64);
  const int status = fuse_loop_mt(filesystem, config);
  fuse_loop_cfg_destroy(config);
  fuse_remove_signal_handlers(fuse_get_session(filesystem));
  fuse_unmount(filesystem);
  fuse_destroy(filesystem);
  return status == 0 ? 0 : 1;
}

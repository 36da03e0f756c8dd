// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/folder_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <vector>

namespace quillmark {

namespace {

using Clock = std::chrono::steady_clock;

// Folders below the root are never entered through a link, not even one that
// replaced a folder after it was listed.
constexpr int kSubfolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool isDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The folder went away or was replaced by a link or a file since it was listed.
bool replacedSinceListed(int error) {
  return error == ENOENT || error == ELOOP || error == ENOTDIR;
}

// One folder being listed.
struct Level {
  DIR* dir = nullptr;          // null while closed to spare descriptors
  long resumeAt = 0;           // telldir() position to go on from once reopened
  std::size_t pathLength = 0;  // length of its path in the buffer, trailing '/' included
  long filesystemType = 0;
  dev_t device = 0;
  std::uint64_t serial = 0;
};

// A folder just opened.
Level openedLevel(DIR* dir, std::size_t pathLength, std::uint64_t serial) {
  Level level{dir, 0, pathLength, 0, 0, serial};
  struct statfs info;
  if (fstatfs(dirfd(dir), &info) == 0) level.filesystemType = info.f_type;
  struct stat itself;
  if (fstat(dirfd(dir), &itself) == 0) level.device = itself.st_dev;
  return level;
}

class Walk {
 public:
  Walk(FolderVisitor& visitor, const FolderWalkOptions& options)
      : visitor_(visitor),
        progress_(options.progress),
        interval_(options.progressInterval),
        maxOpen_(std::max<std::size_t>(options.maxOpenFolders, 3)) {}

  ~Walk() {
    for (Level& level : levels_) {
      if (level.dir != nullptr) closedir(level.dir);
    }
  }

  Walk(const Walk&) = delete;
  Walk& operator=(const Walk&) = delete;

  int run(const std::filesystem::path& root) {
    path_ = root.native();
    // The chosen folder itself may be reached through a link; only what lies below is guarded.
    const int fd = open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
      const int error = errno;
      close(fd);
      return error;
    }
    rootPath_ = path_;
    if (path_.back() != '/') path_ += '/';
    levels_.push_back(openedLevel(dir, path_.size(), ++folders_));
    firstOpen_ = 1;
    nextReport_ = Clock::now() + interval_;

    while (!levels_.empty()) {
      Level& level = levels_.back();
      errno = 0;
      const dirent* entry = readdir(level.dir);
      if (entry == nullptr) {
        const int error = errno;
        if (error != 0 && !visitor_.folderUnlistable(folderPath(levels_.size() - 1), error)) {
          return 0;
        }
        if (!leaveFolder()) return 0;
        continue;
      }
      const char* name = entry->d_name;
      if (isDotOrDotDot(name)) continue;

      unsigned char type = entry->d_type;
      if (type == DT_UNKNOWN) {
        // Some filesystems do not say; a failure means the entry is gone, so
        // there is nothing to write and nothing worth an alert.
        struct stat status;
        if (fstatat(dirfd(level.dir), name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
        type = S_ISDIR(status.st_mode) ? DT_DIR : S_ISREG(status.st_mode) ? DT_REG : DT_LNK;
      }
      if (type != DT_REG && type != DT_DIR) continue;

      path_.resize(level.pathLength);
      path_ += name;
      if (progress_ != nullptr && Clock::now() >= nextReport_) {
        if (!progress_->walkProgressed(done_, std::filesystem::path(path_))) {
          return 0;
        }
        nextReport_ = Clock::now() + interval_;
      }
      if (!visitor_.visitEntry(
              {dirfd(level.dir), name, path_, level.filesystemType, level.device, level.serial})) {
        return 0;
      }
      ++done_;
      if (type == DT_DIR && !enterFolder(name)) return 0;
    }
    return 0;
  }

 private:
  std::size_t openCount() const { return 1 + levels_.size() - firstOpen_; }

  std::string folderPath(std::size_t index) const {
    return index == 0 ? rootPath_ : path_.substr(0, levels_[index].pathLength - 1);
  }

  // Opens the folder `name` of the current one, whose path is in the buffer;
  // false when the visitor asked to end the walk.
  bool enterFolder(const char* name) {
    if (openCount() >= maxOpen_) closeShallowest();
    const int fd = openat(dirfd(levels_.back().dir), name, kSubfolderFlags);
    if (fd < 0) {
      const int error = errno;
      return replacedSinceListed(error) || visitor_.folderUnlistable(path_, error);
    }
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
      const int error = errno;
      close(fd);
      return visitor_.folderUnlistable(path_, error);
    }
    path_ += '/';
    levels_.push_back(openedLevel(dir, path_.size(), ++folders_));
    return true;
  }

  // Frees a descriptor by closing the shallowest open folder below the root,
  // noting where its listing stood.
  void closeShallowest() {
    Level& level = levels_[firstOpen_];
    level.resumeAt = telldir(level.dir);
    closedir(level.dir);
    level.dir = nullptr;
    ++firstOpen_;
  }

  // False when the visitor asked to end the walk.
  bool leaveFolder() {
    if (levels_.back().dir != nullptr) closedir(levels_.back().dir);
    levels_.pop_back();
    firstOpen_ = std::min(firstOpen_, levels_.size());
    // The folder we are back in was closed to make room: open it again.
    while (levels_.size() > 1 && firstOpen_ == levels_.size()) {
      const int error = reopen(levels_.size() - 1);
      if (error == 0) {
        firstOpen_ = levels_.size() - 1;
        break;
      }
      if (!replacedSinceListed(error) &&
          !visitor_.folderUnlistable(folderPath(levels_.size() - 1), error)) {
        return false;
      }
      levels_.pop_back();
      firstOpen_ = levels_.size();
    }
    return true;
  }

  // Reopens level `index` from the root, one name at a time and never through
  // a link, then resumes its listing; returns 0 or the errno of the failure.
  int reopen(std::size_t index) {
    Level& level = levels_[index];
    int fd = dirfd(levels_[0].dir);
    bool ownFd = false;
    std::size_t begin = levels_[0].pathLength;
    std::string name;
    while (begin < level.pathLength) {
      const std::size_t end = path_.find('/', begin);
      name.assign(path_, begin, end - begin);
      const int next = openat(fd, name.c_str(), kSubfolderFlags);
      const int error = errno;
      if (ownFd) close(fd);
      if (next < 0) return error;
      fd = next;
      ownFd = true;
      begin = end + 1;
    }
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
      const int error = errno;
      close(fd);
      return error;
    }
    seekdir(dir, level.resumeAt);
    level.dir = dir;
    return 0;
  }

  FolderVisitor& visitor_;
  WalkProgress* progress_;
  std::chrono::nanoseconds interval_;
  std::size_t maxOpen_;
  std::vector<Level> levels_;
  // Levels 1 .. firstOpen_-1 are closed; the root and the rest are open.
  std::size_t firstOpen_ = 1;
  std::string rootPath_;
  std::string path_;  // the current entry's path, rebuilt in place for each entry
  std::uint64_t done_ = 0;
  std::uint64_t folders_ = 0;  // folders opened so far, each numbered in turn
  Clock::time_point nextReport_;
};

}  // namespace

int walkFolder(const std::filesystem::path& root, FolderVisitor& visitor,
               const FolderWalkOptions& options) {
  Walk walk(visitor, options);
  return walk.run(root);
}

}  // namespace quillmark

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/item_walk.h"

#include <sys/stat.h>

#include <cerrno>

#include "attrstore/item_at.h"
#include "attrstore/sidecar_file.h"
#include "attrstore/xattr.h"
#include "cli/command.h"
#include "cli/output.h"
#include "cli/progress_line.h"
#include "editor/folder_walk.h"
#include "editor/item_changes.h"

namespace quillmark::cli {

namespace {

class ItemVisitor : public FolderVisitor {
 public:
  ItemVisitor(const std::string& root, const ItemVisit& visit, const SidecarSeen& sidecarSeen, int& status)
      : prefix_(root.ends_with('/') ? root.size() : root.size() + 1),
        visit_(visit),
        sidecarSeen_(sidecarSeen),
        status_(status) {}

  bool visitEntry(const WalkEntry& entry) override {
    // A sidecar, or one being replaced, is read through its item.
    if (isSidecarTemporary(entry.name)) return true;
    if (isSidecarFile(entry.folder, entry.name)) {
      if (sidecarSeen_) sidecarSeen_(entry.path, entry.folder, entry.name);
      return interrupted == 0;
    }
    const ItemAt at = itemInFolder(entry.folder, entry.name, volumeOfFilesystem(entry.filesystemType));
    try {
      visit_(entry.path, std::string_view(entry.path).substr(prefix_), at);
    } catch (const OutputClosed&) {
      outputClosed = true;  // thrown again once the walk has closed its folders
      return false;
    }
    return interrupted == 0;
  }

  bool outputClosed = false;

  bool folderUnlistable(const std::string& path, int error) override {
    failed(path, failureMessage(kListFailed, error));
    status_ = kFailed;
    return interrupted == 0;
  }

 private:
  std::size_t prefix_;
  const ItemVisit& visit_;
  const SidecarSeen& sidecarSeen_;
  int& status_;
};

}  // namespace

int walkItems(const std::vector<std::string>& roots, bool recursive, const ItemVisit& visit,
              const SidecarSeen& sidecarSeen) {
  stopOnInterrupt();
  int status = kDone;
  {
    ProgressLine progress;
    for (const std::string& root : roots) {
      struct stat item;
      if (stat(root.c_str(), &item) != 0) {
        failed(root, makePosixError(errno).code().message());
        status = kFailed;
        continue;
      }
      visit(root, ".", itemAtPath(root));
      if (!recursive || !S_ISDIR(item.st_mode)) continue;
      ItemVisitor visitor(root, visit, sidecarSeen, status);
      if (const int error = walkFolder(root, visitor, {&progress, std::chrono::milliseconds(10)})) {
        failed(root, failureMessage(kListFailed, error));
        status = kFailed;
      }
      if (visitor.outputClosed) throw OutputClosed{};
      if (interrupted) break;
    }
  }
  endIfInterrupted();
  return status;
}

}  // namespace quillmark::cli

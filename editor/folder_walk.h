// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The walk behind Write Folder: every entry below a folder, once, in pre-order.
//
// walkFolder hands each entry below `root` (the root itself excluded) to a
// visitor, a folder before its contents, hidden entries and the insides of
// packages included, as a name inside an open folder, so depth is no limit.
// Symbolic links, FIFOs, sockets and device nodes (which can never hold these
// values on Linux) are neither visited nor followed; an entry or folder that
// vanished or became a link since it was listed is passed over without a word.
// A folder below the root that cannot be listed for another reason is
// reported and the walk goes on with the rest.
//
// Memory stays flat however many entries there are: one reused path buffer and
// one open folder per level of depth, of which at most `maxOpenFolders` hold a
// descriptor at once (deeper levels close the shallow ones and reopen them,
// link by link without following links, on the way back up).
#ifndef QUILLMARK_EDITOR_FOLDER_WALK_H_
#define QUILLMARK_EDITOR_FOLDER_WALK_H_

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "editor/controls.h"

namespace quillmark {

// An entry as the walk hands it over; all valid only during the call.
struct WalkEntry {
  int folder;                  // the folder holding it, open
  const char* name;            // its name there
  const std::string& path;     // its full path (possibly longer than PATH_MAX)
  long filesystemType;         // statfs f_type of its folder
  dev_t folderDevice;          // st_dev of its folder
  std::uint64_t folderSerial;  // its folder's number in this walk, from 1, never reused
};

class FolderVisitor {
 public:
  virtual ~FolderVisitor() = default;
  // Returns false to end the walk.
  virtual bool visitEntry(const WalkEntry& entry) = 0;
  // Folder `path` below the root could not be listed (errno `error`); its
  // contents are skipped. Returns false to end the walk.
  virtual bool folderUnlistable(const std::string& path, int error) = 0;
};

struct FolderWalkOptions {
  // Asked before an entry whenever `progressInterval` has passed; null never stops the walk.
  WalkProgress* progress = nullptr;
  std::chrono::nanoseconds progressInterval = std::chrono::milliseconds(30);
  // Folders the walk may hold open at once (at least 3).
  std::size_t maxOpenFolders = 64;
};

// Walks below `root` (its own links followed) until done or told to stop;
// returns 0, or the errno of opening `root` itself.
int walkFolder(const std::filesystem::path& root, FolderVisitor& visitor,
               const FolderWalkOptions& options = {});

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_FOLDER_WALK_H_

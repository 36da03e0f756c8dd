// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Write Folder's work, shared by the window and the command line's
// `write-folder`: every non-empty value written to every file and folder below
// a folder (see folder_walk.h for which entries) in each place Mac peers keep
// it (see attrstore/places.h), and any tags added to each entry's own, nothing
// removed. A valid sidecar "._x" beside
// "x" is part of "x", not an entry of its own. Failures are reported as data
// (item_changes.h: a write, or a folder that cannot be listed) and the walk
// goes on unless the report says stop.
//
// The walk is one ordered pass on the calling thread; the entries' attribute
// work runs on a few threads, at most a bounded number of entries at a time.
// Everything the caller hears (texts asked, failures, progress) comes on the
// calling thread in walk order, exactly as from a run one entry after another,
// and the final state is the same. A stop (a report or the progress listener
// saying so) starts no further entry; those already started finish, and their
// failures are still reported unless a report said stop. Entries that are one
// item (x, "._x", and names equal but for case or Unicode form, as on a volume
// that ignores them) are never worked on at the same time.
#ifndef QUILLMARK_EDITOR_FOLDER_WRITE_H_
#define QUILLMARK_EDITOR_FOLDER_WRITE_H_

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

#include "editor/controls.h"
#include "editor/entry_batches.h"
#include "editor/item_changes.h"

namespace quillmark {

// The text for list position `position`, asked afresh for every entry (the
// window's fields may change while the walk reports progress); empty: none.
using TextAt = std::function<std::string(std::size_t position)>;
// A failure at `path` (the entry or folder); returns false to end the walk.
using FolderWriteFailed = std::function<bool(const std::string& path, const Failure& failure)>;

struct FolderWriteOptions {
  // Asked between entries whenever `progressInterval` has passed, with the
  // number of entries finished; null never stops the walk.
  WalkProgress* progress = nullptr;
  std::chrono::nanoseconds progressInterval = std::chrono::milliseconds(30);
  // Entries worked on at once; 0: jobsForFilesystem() of the folder's filesystem.
  std::size_t jobs = 0;
  // Each entry's desktop copies are also brought in step (attrstore/desktop_copies.h).
  bool desktopCopies = false;
  // Consecutive entries of a folder handed to a thread together; 0: as suits the filesystem.
  std::size_t entriesPerHandOff = 0;
  // Made on each entry's tags as found (ChangeOptions::tags); null: the tags are left alone. Must
  // outlive the walk.
  const TagChange* tags = nullptr;
};

// Writes below `root`; returns 0, or the errno of opening `root` itself.
int writeFolder(const std::filesystem::path& root, const TextAt& textAt,
                const FolderWriteFailed& failed, const FolderWriteOptions& options = {});

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_FOLDER_WRITE_H_

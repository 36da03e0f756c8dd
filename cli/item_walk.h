// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The items a tree command (export, find, check, write-folder --from-image)
// goes through: each PATH itself and, with --recursive, every file and folder
// below it as Write Folder walks them (links, FIFOs and vanished entries
// passed over, a sidecar taken as part of its item, memory flat however deep
// or wide the tree), on Write Folder's threads (editor/entry_batches.h). Each
// item is read on a worker; what it reports runs on the calling thread in walk
// order, so output is exactly as from one item after another. Ctrl+C stops it
// between entries, as it stops write-folder.
#ifndef QUILLMARK_CLI_ITEM_WALK_H_
#define QUILLMARK_CLI_ITEM_WALK_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "attrstore/places.h"

namespace CLI {
class App;
}

namespace quillmark::cli {

// Adds -j/--jobs to `command`: items worked on at once (0 until given).
void addJobsOption(CLI::App* command, std::size_t& jobs);

// What the calling thread does with an item's results (prints them); null: nothing.
using ItemReport = std::function<void()>;

// Runs on a worker, several at once: an item reached, its path as given or
// found, the same relative to the PATH it was found under ("." for the PATH
// itself), and the item itself (valid during the call only; an entry deeper
// than PATH_MAX is reached through it).
using ItemVisit =
    std::function<ItemReport(const std::string& path, std::string_view relative, const ItemAt& at)>;

// Runs on a worker: an AppleDouble file "._x" met below a PATH (never visited
// as an item), its path, and its name in the folder open as `folder`.
using SidecarSeen = std::function<ItemReport(const std::string& path, int folder, const char* name)>;

struct ItemWalkOptions {
  bool recursive = false;     // every file and folder below each PATH too
  SidecarSeen sidecarSeen{};  // null: sidecars pass unseen
  std::size_t jobs = 0;       // items worked on at once; 0: as suits the PATHs' filesystem (editor/entry_batches.h)
};

// Visits the items of `roots`; reports what cannot be reached or listed and returns kFailed if
// anything was, else kDone.
int walkItems(const std::vector<std::string>& roots, const ItemVisit& visit, const ItemWalkOptions& options = {});

}  // namespace quillmark::cli

#endif  // QUILLMARK_CLI_ITEM_WALK_H_

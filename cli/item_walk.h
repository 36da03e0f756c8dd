// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The items a reading command (export, find) goes through: each PATH itself
// and, with --recursive, every file and folder below it as Write Folder walks
// them (links, FIFOs and vanished entries passed over, a sidecar taken as part
// of its item, memory flat however deep or wide the tree). Ctrl+C stops it
// between entries, as it stops write-folder.
#ifndef QUILLMARK_CLI_ITEM_WALK_H_
#define QUILLMARK_CLI_ITEM_WALK_H_

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "attrstore/places.h"

namespace quillmark::cli {

// An item reached: its path as given or found, the same relative to the PATH
// it was found under ("." for the PATH itself), and the item itself (valid
// during the call only; an entry deeper than PATH_MAX is reached through it).
using ItemVisit =
    std::function<void(const std::string& path, std::string_view relative, const ItemAt& at)>;

// An AppleDouble file "._x" met below a PATH (never visited as an item): its
// path, and its name in the folder open as `folder`.
using SidecarSeen = std::function<void(const std::string& path, int folder, const char* name)>;

// Visits the items of `roots`; reports what cannot be reached or listed and
// returns kFailed if anything was, else kDone.
int walkItems(const std::vector<std::string>& roots, bool recursive, const ItemVisit& visit,
              const SidecarSeen& sidecarSeen = {});

}  // namespace quillmark::cli

#endif  // QUILLMARK_CLI_ITEM_WALK_H_

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a folder below a root folder without following a symbolic link
// anywhere on the way, for paths that come from input rather than from the
// user (an import file made elsewhere, perhaps by someone hostile): whatever a
// link points to, nothing is reached through it. The folder is held open, so a
// folder swapped for a link afterwards cannot redirect what is done inside it.
#ifndef QUILLMARK_CLI_FOLDER_BENEATH_H_
#define QUILLMARK_CLI_FOLDER_BENEATH_H_

#include <string>

#include "attrstore/owned_fd.h"

namespace quillmark::cli {

// The folder `relative` names (components separated by '/'; "" and "." stand
// for the folder itself, ".." is refused with EXDEV) below the folder open as
// `root`, opened for reading; else the errno of what failed, ELOOP when a
// component is a symbolic link.
struct FolderBeneath {
  OwnedFd folder;
  int error = 0;
};
FolderBeneath openFolderBeneath(int root, const std::string& relative);

}  // namespace quillmark::cli

#endif  // QUILLMARK_CLI_FOLDER_BENEATH_H_

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// How the store reaches an item: the item itself for its attributes, and the folder and name
// where its AppleDouble sidecar "._name" lies, or why it can have none; and the name the item goes
// by. Nothing here opens or changes the item.
#ifndef QUILLMARK_ATTRSTORE_ITEM_AT_H_
#define QUILLMARK_ATTRSTORE_ITEM_AT_H_

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "attrstore/xattr.h"

namespace quillmark {

// How a filesystem names a Mac's own attributes.
enum class Volume { kOrdinary, kMacDisk };
// The kind of the filesystem whose statfs f_type is `type`: hfsplus and apfs are Mac disks.
Volume volumeOfFilesystem(long type);

// An item as the store reaches it, and where its sidecar "._name" is: in the
// folder open as `folder`, or with AT_FDCWD in `directory` ("" or ending in
// '/'). The strings must outlive the calls.
struct ItemAt {
  Item item;
  int folder;
  std::string_view directory;
  std::string_view name;
  Volume volume = Volume::kOrdinary;
  int sidecarError = 0;  // not 0: it can have no sidecar, and a value needing one fails so
  std::shared_ptr<const std::string> resolved = nullptr;  // what they point into, if not the caller's
};
// The item at `path`, its links, ".", ".." and trailing slashes resolved first, so that its
// sidecar is the one beside the item whose attributes are read and written. A path that cannot be
// resolved is taken as it is (its calls then fail with the system's reason). The root and a
// mount point can have no sidecar (EXDEV: it would land on the filesystem above), nor can an
// AppleDouble file "._x" itself (EINVAL). `path` must outlive the result.
ItemAt itemAtPath(const std::filesystem::path& path);
// Entry `name` of the folder open as `folder` (of kind `folderVolume`, on device `folderDevice`,
// as a walk learns once per folder), its final link not followed, under the same rules as
// itemAtPath: a mount point can have no sidecar (EXDEV) and takes its own filesystem's kind, an
// AppleDouble file "._x" none (EINVAL). `name` must outlive the result.
ItemAt itemInFolder(int folder, const char* name, Volume folderVolume, dev_t folderDevice);
// The same, the folder's kind and device learnt from `folder` itself.
ItemAt itemInFolder(int folder, const char* name);

// The item's own name: the last non-empty component of `path`, so that a
// folder given with a trailing slash is still named after the folder.
std::string lastPathComponent(const std::filesystem::path& path);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_ITEM_AT_H_

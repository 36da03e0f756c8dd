// How the store reaches an item: the item itself for its attributes, and the folder and name
// where its AppleDouble sidecar "._name" lies. Nothing here opens or changes the item.
#ifndef QUILLMARK_ATTRSTORE_ITEM_AT_H_
#define QUILLMARK_ATTRSTORE_ITEM_AT_H_

#include <filesystem>
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
  bool sidecarMayExist = true;  // false when the folder's listing has shown there is none
};
// The item at `path`, which must outlive it; its final link is followed for
// attributes, its sidecar is the one beside it.
ItemAt itemAtPath(const std::filesystem::path& path);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_ITEM_AT_H_

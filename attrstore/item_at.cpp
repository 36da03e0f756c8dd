#include "attrstore/item_at.h"

#include <sys/statfs.h>

namespace quillmark {

Volume volumeOfFilesystem(long type) {
  constexpr long kHfsPlus = 0x482b, kApfs = 0x4253584e;  // statfs f_type ("NXSB" for apfs)
  return type == kHfsPlus || type == kApfs ? Volume::kMacDisk : Volume::kOrdinary;
}

ItemAt itemAtPath(const std::filesystem::path& path) {
  std::string_view text = path.native();
  while (text.size() > 1 && text.ends_with('/')) text.remove_suffix(1);
  const std::size_t slash = text.rfind('/');
  const std::size_t nameAt = slash == std::string_view::npos ? 0 : slash + 1;
  ItemAt at{Item::atPath(path.c_str()), AT_FDCWD, text.substr(0, nameAt), text.substr(nameAt)};
  struct statfs info;
  if (statfs(path.c_str(), &info) == 0) at.volume = volumeOfFilesystem(info.f_type);
  return at;
}

}  // namespace quillmark

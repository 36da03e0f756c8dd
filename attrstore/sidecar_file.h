// Reading and writing an item's AppleDouble sidecar `._name` as a file: the only code that opens,
// creates or replaces one. A sidecar is read through the folder's own lookup, and replaced whole
// and atomically, so a reader sees the old one or the new one, never part of either.
#ifndef QUILLMARK_ATTRSTORE_SIDECAR_FILE_H_
#define QUILLMARK_ATTRSTORE_SIDECAR_FILE_H_

#include <sys/stat.h>

#include <optional>
#include <string>

#include "attrstore/appledouble.h"

namespace quillmark {

// A sidecar as found on disk.
struct SidecarFile {
  bool exists = false;
  std::optional<appledouble::Sidecar> parsed;  // nothing: there, but it cannot be rewritten
  bool appleDouble = false;                    // it at least starts as one
  struct stat status {};
};

// The sidecar `name` of the folder open as `folder` (AT_FDCWD: `name` is a path).
SidecarFile readSidecar(int folder, const std::string& name);

// Writes `sidecar` beside the old one and renames it over, so a reader sees
// the old or the new, never half of either; owner and mode are kept where
// the filesystem allows. Returns 0 or the errno.
int writeSidecar(int folder, const std::string& name, const appledouble::Sidecar& sidecar,
                 const struct stat* previous);

// Whether entry `name` of `folder` is a sidecar ("._x", AppleDouble) of an entry "x" beside it.
bool isSidecarOfSibling(int folder, const char* name);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_SIDECAR_FILE_H_

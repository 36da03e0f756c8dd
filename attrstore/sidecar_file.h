// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and changing an item's AppleDouble sidecar `._name` as a file: the only code that opens,
// creates or replaces one.
//
// A sidecar is always found through the folder's own lookup, never through a listing, so a volume
// that ignores case finds `._photo.jpg` for `Photo.JPG`. A change is written to a temporary file
// beside it (created exclusively, given the old owner and mode before any content, synced), which
// then replaces the old sidecar in one rename, or takes the name of one that did not exist without
// replacing anything that appeared meanwhile; the folder is synced last. A process killed at any
// point leaves the old sidecar or the new one, never part of one, and at most a stale temporary
// file, which the next change of that sidecar removes. A file there that is not a sidecar this
// code can rewrite faithfully is never changed. Reading one costs a fixed amount of memory, however
// large the file: its headers, then only the five values, each at most kValueLimit bytes.
#ifndef QUILLMARK_ATTRSTORE_SIDECAR_FILE_H_
#define QUILLMARK_ATTRSTORE_SIDECAR_FILE_H_

#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "attrstore/appledouble.h"
#include "attrstore/names.h"
#include "attrstore/xattr.h"

namespace quillmark {

// One of the values in a sidecar.
struct SidecarValue {
  bool present = false;
  std::uint64_t size = 0;
  std::optional<Data> bytes;  // nothing: over kValueLimit, or its read failed
};

// A sidecar as found on disk.
struct SidecarFile {
  bool exists = false;       // a file has the name (an empty one, an interrupted write's claim, not)
  bool parses = false;       // false: there, but it cannot be rewritten
  bool appleDouble = false;  // it at least starts as one
  int error = 0;  // why it could not be opened (ELOOP: a link) or read; 0 when it was, or is absent
  struct stat status {};
  std::array<SidecarValue, kValueCount> values;  // in kValueNames order, when it parses
  std::array<std::uint8_t, 32> finderInfo{};      // when it parses (all zero: none)
};

// The sidecar `name` of the folder open as `folder` (AT_FDCWD: `name` is a path); a file that
// would not parse reads as one that does not, exactly as updateSidecar refuses it.
SidecarFile readSidecar(int folder, const std::string& name);

// Changes sidecar `name` of `folder` (AT_FDCWD: `name` is a path): `change` edits the current one
// (an empty one where there is none) and returns whether anything changed; it may be called again,
// on a fresh copy, when a sidecar appeared meanwhile. Returns 0 or the errno: EINVAL when a file
// there cannot be rewritten faithfully or the result breaks the format's limits.
int updateSidecar(int folder, const std::string& name,
                  const std::function<bool(appledouble::Sidecar&)>& change);

// Whether entry `name` of `folder` (AT_FDCWD: a path) is an AppleDouble file "._x", or an empty
// file by such a name (an interrupted updateSidecar's claim), with or without an "x" beside it:
// part of another item, never an item of its own.
bool isSidecarFile(int folder, const char* name);

// Whether `name` is the name of a temporary file of updateSidecar, live or stale.
bool isSidecarTemporary(std::string_view name);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_SIDECAR_FILE_H_

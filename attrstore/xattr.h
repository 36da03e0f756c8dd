// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Extended-attribute access: read, write, remove and list the attributes of one
// file-system item, with failures thrown as std::system_error.
//
// Each operation is one system call (two when a value or a list outgrows the
// first buffer) with no state or cache.
// `errno` is captured immediately after the failing call and thrown unchanged
// (generic category, so code().message() is the system's own text); no code is
// treated specially (an absent attribute is ENODATA on Linux, the platform's
// ENOATTR). Names are the kernel's own ("user.com.apple.metadata:...").
//
// An item is reached by path (a final link followed) or as an entry of an open
// folder (a final link not followed, and no full path looked up, so items
// deeper than PATH_MAX are reached). The latter uses the *xattrat calls of
// Linux 6.13 and later, and on older kernels (or under a seccomp filter that
// refuses them) the same calls on /proc/self/fd/N/name, which the kernel also
// resolves from the open folder.
#ifndef QUILLMARK_ATTRSTORE_XATTR_H_
#define QUILLMARK_ATTRSTORE_XATTR_H_

#include <fcntl.h>

#include <cstdint>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace quillmark {

// An owned byte buffer with value semantics: an attribute's raw value.
using Data = std::vector<std::uint8_t>;

// The error thrown for errno `code`; its code().message() is strerror(code).
std::system_error makePosixError(int code);

// Where an attribute call finds its item; `name` must outlive the calls.
struct Item {
  // The item at `path`, its final link followed.
  static Item atPath(const char* path) { return {AT_FDCWD, path}; }
  // Entry `name` of the folder open as `folder`, its final link not followed.
  static Item inFolder(int folder, const char* name) { return {folder, name}; }

  int folder;
  const char* name;
};

// The whole value of attribute `name`.
Data readXattr(const Item& item, const char* name);

// Creates or replaces attribute `name` with exactly `value`.
void writeXattr(const Item& item, std::span<const std::uint8_t> value, const char* name);

// Removes attribute `name` (ENODATA when absent).
void removeXattr(const Item& item, const char* name);

// Sets `names` to the names of the item's attributes, each followed by a NUL
// (its capacity is reused: a walk lists every entry).
void listXattr(const Item& item, std::string& names);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_XATTR_H_

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/xattr.h"

#include <linux/limits.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>

namespace quillmark {

namespace {

#if !defined(__linux__)
#error "extended-attribute access is only implemented for Linux"
#endif

// The *xattrat calls (Linux 6.13), which glibc does not wrap yet; the same
// numbers on every architecture that uses the generic table, x86_64 included.
constexpr long kSetxattrat = 463, kGetxattrat = 464, kListxattrat = 465, kRemovexattrat = 466;
struct XattrArgs {
  std::uint64_t value;
  std::uint32_t size;
  std::uint32_t flags;
};
// Whether the kernel has them, asked once with an invalid folder: a kernel that has them answers
// EBADF; one without, ENOSYS; a seccomp filter that does not know them, whatever it was told to
// (EPERM, often), never EBADF. Any other answer would make every call fail the same way.
bool haveAtCalls() {
  static const bool have = [] {
    XattrArgs args{0, 0, 0};
    return ::syscall(kGetxattrat, -1, "x", 0, "user.x", &args, sizeof args) < 0 && errno == EBADF;
  }();
  return have;
}

// /proc/self/fd/N/name: the entry as the older calls can reach it.
class ProcPath {
 public:
  explicit ProcPath(const Item& item) {
    std::snprintf(text_, sizeof text_, "/proc/self/fd/%d/%s", item.folder, item.name);
  }
  const char* c_str() const { return text_; }

 private:
  char text_[PATH_MAX];
};

// Each call: by path when the item has one, else the *xattrat call where the kernel has it, else
// the older call on the /proc path.
ssize_t getAttribute(const Item& item, const char* name, void* buffer, std::size_t size) {
  if (item.folder == AT_FDCWD) return ::getxattr(item.name, name, buffer, size);
  if (haveAtCalls()) {
    XattrArgs args{reinterpret_cast<std::uintptr_t>(buffer), static_cast<std::uint32_t>(size), 0};
    return ::syscall(kGetxattrat, item.folder, item.name, AT_SYMLINK_NOFOLLOW, name, &args,
                     sizeof args);
  }
  return ::lgetxattr(ProcPath(item).c_str(), name, buffer, size);
}

long setAttribute(const Item& item, const char* name, std::span<const std::uint8_t> value) {
  if (item.folder == AT_FDCWD) return ::setxattr(item.name, name, value.data(), value.size(), 0);
  if (haveAtCalls()) {
    XattrArgs args{reinterpret_cast<std::uintptr_t>(value.data()),
                   static_cast<std::uint32_t>(value.size()), 0};
    return ::syscall(kSetxattrat, item.folder, item.name, AT_SYMLINK_NOFOLLOW, name, &args,
                     sizeof args);
  }
  return ::lsetxattr(ProcPath(item).c_str(), name, value.data(), value.size(), 0);
}

long removeAttribute(const Item& item, const char* name) {
  if (item.folder == AT_FDCWD) return ::removexattr(item.name, name);
  if (haveAtCalls()) {
    return ::syscall(kRemovexattrat, item.folder, item.name, AT_SYMLINK_NOFOLLOW, name);
  }
  return ::lremovexattr(ProcPath(item).c_str(), name);
}

ssize_t listAttributes(const Item& item, char* buffer, std::size_t size) {
  if (item.folder == AT_FDCWD) return ::listxattr(item.name, buffer, size);
  if (haveAtCalls()) {
    return ::syscall(kListxattrat, item.folder, item.name, AT_SYMLINK_NOFOLLOW, buffer, size);
  }
  return ::llistxattr(ProcPath(item).c_str(), buffer, size);
}

[[noreturn]] void throwLastError() {
  const int code = errno;
  throw makePosixError(code);
}

}  // namespace

std::system_error makePosixError(int code) {
  return std::system_error(code, std::generic_category());
}

Data readXattr(const Item& item, const char* name) {
  // Most values are short, and the kernel clears a buffer of the size asked
  // for before reading into it: a page first, and only a longer value is read
  // again into a buffer of the kernel's limit, which always holds it whole.
  std::uint8_t page[4096];
  ssize_t length = getAttribute(item, name, page, sizeof page);
  if (length >= 0) return Data(page, page + length);
  if (errno != ERANGE) throwLastError();
  thread_local std::vector<std::uint8_t> buffer(XATTR_SIZE_MAX);
  length = getAttribute(item, name, buffer.data(), buffer.size());
  if (length < 0) throwLastError();
  return Data(buffer.begin(), buffer.begin() + length);
}

void writeXattr(const Item& item, std::span<const std::uint8_t> value, const char* name) {
  if (setAttribute(item, name, value) != 0) throwLastError();
}

void removeXattr(const Item& item, const char* name) {
  if (removeAttribute(item, name) != 0) throwLastError();
}

void listXattr(const Item& item, std::string& names) {
  // One call with room to spare is the common case; a list longer than the
  // buffer is asked for again with more room (the kernel caps it at 64 KiB).
  names.resize(std::max<std::size_t>(names.capacity(), 256));
  for (;;) {
    const ssize_t length = listAttributes(item, names.data(), names.size());
    if (length >= 0) {
      names.resize(static_cast<std::size_t>(length));
      return;
    }
    if (errno != ERANGE || names.size() > (1u << 16)) throwLastError();
    names.resize(names.size() * 4);
  }
}

}  // namespace quillmark

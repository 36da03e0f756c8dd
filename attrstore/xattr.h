// Extended-attribute access: read, write and remove one named attribute of one
// file-system item, with failures thrown as std::system_error.
//
// Each operation is one or two system calls with no state, cache or retry.
// `errno` is captured immediately after the failing call and thrown unchanged
// (generic category, so code().message() is the system's own text); no code is
// treated specially (an absent attribute is ENODATA on Linux, the platform's
// ENOATTR). Calls follow symbolic links except writeXattrNoFollow.
//
// Attribute names are the portable names ("com.apple.metadata:kMDItemHeadline");
// xattr.cpp maps them to what the kernel stores (on Linux, the `user.` namespace).
#ifndef QUILLMARK_ATTRSTORE_XATTR_H_
#define QUILLMARK_ATTRSTORE_XATTR_H_

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

namespace quillmark {

// An owned byte buffer with value semantics: an attribute's raw value.
using Data = std::vector<std::uint8_t>;

// The error thrown for errno `code`; its code().message() is strerror(code).
std::system_error makePosixError(int code);

// Returns the whole value of attribute `name` of `path`.
Data readXattr(const std::filesystem::path& path, std::string_view name);

// Creates or replaces attribute `name` of `path` with exactly `value`.
void writeXattr(const std::filesystem::path& path, const Data& value, std::string_view name);

// As writeXattr, but a final symbolic link is not followed.
void writeXattrNoFollow(const std::filesystem::path& path, const Data& value,
                        std::string_view name);

// Removes attribute `name` of `path` (ENODATA when absent).
void removeXattr(const std::filesystem::path& path, std::string_view name);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_XATTR_H_

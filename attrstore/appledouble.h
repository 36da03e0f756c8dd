// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// AppleDouble sidecars: the `._name` file a Mac keeps beside `name` on a volume without extended
// attributes (exFAT and FAT drives, SMB shares without streams, `__MACOSX/` in zip files). It holds
// the Finder info, the resource fork and every extended attribute of `name`.
//
// parse reads the 4,096-byte form the Mac kernel writes beside a file and the packed form zip and
// tar write, with the kernel's own checks, and refuses anything it could not write back without
// losing something. serialize always writes the kernel's form. Between the two, every attribute
// keeps its name, bytes, flags and place, and the Finder info and resource fork keep their bytes:
// parse(serialize(s)) == s for every `s` that parse returned or that serialize accepts. Nothing
// here reads outside its input or throws anything but std::bad_alloc.
#ifndef QUILLMARK_ATTRSTORE_APPLEDOUBLE_H_
#define QUILLMARK_ATTRSTORE_APPLEDOUBLE_H_

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillmark::appledouble {

// One sidecar's content: what a Mac keeps beside a file on a volume without attributes.
struct Sidecar {
  struct Attribute {
    std::string name;  // UTF-8 as the Mac wrote it; 1 to 254 bytes, no NUL
    std::vector<std::uint8_t> value;
    std::uint16_t flags = 0;
    bool operator==(const Attribute&) const = default;
  };

  std::array<std::uint8_t, 32> finderInfo{};  // all zero: no Finder info
  // Empty: none. The blank fork macOS puts in every new sidecar reads as empty too, and
  // serialize writes it back for an empty one, so a Mac sees exactly what it wrote.
  std::vector<std::uint8_t> resourceFork;
  std::vector<Attribute> attributes;  // in file order; names unique

  bool operator==(const Sidecar&) const = default;
};

// The sidecar in `file`, or nullopt when `file` is not one that can be rewritten faithfully.
std::optional<Sidecar> parse(std::span<const std::uint8_t> file);

// A byte range of a sidecar file; sums of 32-bit fields in 64 bits cannot overflow.
struct Extent {
  std::uint64_t offset = 0, length = 0;
  std::uint64_t end() const { return offset + length; }
  bool operator==(const Extent&) const = default;
};

// Where the parts of a sidecar lie, for reading a value without holding the whole file.
struct Layout {
  struct Entry {
    std::string name;
    std::uint16_t flags = 0;
    Extent value;  // {0, 0} when empty
  };
  Extent finderInfo;  // {0, 0}: none
  std::vector<Entry> attributes;  // in file order
  Extent fork;
};

// The headers and attribute entries lie within a file's first kLayoutSpan bytes.
inline constexpr std::size_t kLayoutSpan = 64 * 1024;

// The layout of a sidecar of `fileSize` bytes from its first min(fileSize, kLayoutSpan) bytes
// `head`, with parse's own checks: nullopt exactly when parse of the whole file is.
std::optional<Layout> parseLayout(std::span<const std::uint8_t> head, std::uint64_t fileSize);

// `sidecar` in the layout the Mac kernel writes beside a file: headers, attributes and zero fill up
// to offset 3,810 (or the end of the values, if later), then the fork; 4,096 bytes with the blank
// fork and small values.
// Empty when `sidecar` breaks the format's limits: a name empty, over 254 bytes, holding a NUL or
// repeated, attribute entries past 64 KiB, or a file past 4 GiB.
std::vector<std::uint8_t> serialize(const Sidecar& sidecar);

// The entry of attribute `name`, or nullptr when absent.
const Layout::Entry* find(const Layout& layout, std::string_view name);

// The value of attribute `name`, or nullptr when absent.
const std::vector<std::uint8_t>* find(const Sidecar& sidecar, std::string_view name);

// Replaces the value of `name` where it stands (its flags kept), or appends it with flags 0.
void set(Sidecar& sidecar, std::string_view name, std::vector<std::uint8_t> value);

// Removes attribute `name`; false when it was absent.
bool remove(Sidecar& sidecar, std::string_view name);

}  // namespace quillmark::appledouble

#endif  // QUILLMARK_ATTRSTORE_APPLEDOUBLE_H_

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// One listing of an item's attributes, and what it tells about the five
// values: which attribute places hold each, how Samba names the item's
// streams, and which other Mac values the item carries. A
// listing never proves a sidecar absent: sidecars are found by name.
#ifndef QUILLMARK_ATTRSTORE_LISTING_H_
#define QUILLMARK_ATTRSTORE_LISTING_H_

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "attrstore/names.h"
#include "attrstore/place_table.h"
#include "attrstore/xattr.h"

namespace quillmark {

struct Listing {
  int error = 0;              // errno of a listing that failed (0: it did not)
  bool unsupported = false;   // it failed because the filesystem keeps no attributes here
  bool sambaManaged = false;  // Samba keeps DOS attributes or streams on it
  bool colonStreams = false, privateStreams = false;  // how its metadata streams are named
  bool userAttributes = false;  // it has some user. attribute, so the filesystem keeps them
  bool desktopTags = false, desktopComment = false;  // user.xdg.tags, user.xdg.comment
  std::array<bool, kFinderInfoNames.size()> finderInfo{};  // [FinderInfoPlace]: it has that attribute
  std::array<std::array<bool, kAttributePlaces>, kValueCount> has{};  // [list position][attribute place]
  // The item's user.com.apple.* attributes but the five values' own, names without "user.".
  std::vector<std::string> otherAppleValues;
  // The item's other com.apple.metadata values (kMDItemWhereFroms, user tags...), user. and
  // osx., as full attribute names in listing order.
  std::vector<std::string> otherMetadataValues;

  bool holds(std::size_t position, Place place) const {
    return has[position][static_cast<std::size_t>(place)];
  }
  bool inAnyAttribute(std::size_t position) const;
};

// What the attribute names `names` (each followed by a NUL, as the kernel lists them) tell.
Listing readListing(std::string_view names);

// The item's listing: one system call. A failure is kept in `error`, never taken for "none".
Listing listAttributes(const Item& item);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_LISTING_H_

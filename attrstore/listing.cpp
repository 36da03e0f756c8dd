// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/listing.h"

#include <algorithm>
#include <cerrno>

#include "attrstore/names.h"

namespace quillmark {

namespace {

// The list position of metadata key `key` ("kMDItemHeadline"), or 5.
std::size_t positionOfKey(std::string_view key) {
  std::size_t position = 0;
  while (position < kValueNames.size() && kValueNames[position].key != key) ++position;
  return position;
}

}  // namespace

bool Listing::inAnyAttribute(std::size_t position) const {
  return std::find(has[position].begin(), has[position].end(), true) != has[position].end();
}

Listing readListing(std::string_view names) {
  Listing listing;
  const auto mark = [&listing](Place place, std::string_view key) {
    const std::size_t position = positionOfKey(key);
    if (position < 5) listing.has[position][static_cast<std::size_t>(place)] = true;
    return position < 5;
  };
  constexpr std::string_view kMetadata = "com.apple.metadata";
  while (!names.empty()) {
    const std::string_view name = names.substr(0, names.find('\0'));
    names.remove_prefix(std::min(names.size(), name.size() + 1));
    listing.userAttributes = listing.userAttributes || name.starts_with("user.");
    listing.desktopTags = listing.desktopTags || name == "user.xdg.tags";
    listing.desktopComment = listing.desktopComment || name == "user.xdg.comment";
    if (name.starts_with("osx.com.apple.metadata:")) {
      mark(Place::kOsx, name.substr(23));
    } else if (name.starts_with("user.com.apple.")) {
      const bool ours = name.starts_with("user.com.apple.metadata:") && mark(Place::kUser, name.substr(24));
      if (!ours) listing.otherAppleValues.emplace_back(name.substr(5));
    } else if (name.starts_with("user.DosStream.")) {
      listing.sambaManaged = true;
      std::string_view stream = name.substr(15);
      if (!stream.starts_with(kMetadata) || !stream.ends_with(":$DATA")) continue;
      stream = stream.substr(kMetadata.size(), stream.size() - kMetadata.size() - 6);
      if (stream.starts_with(':')) {
        listing.colonStreams = true;
        mark(Place::kColonStream, stream.substr(1));
      } else if (stream.starts_with("\xEF\x80\xA2")) {
        listing.privateStreams = true;
        mark(Place::kStream, stream.substr(3));
      }
    } else if (name == "user.DOSATTRIB") {
      listing.sambaManaged = true;
    }
  }
  return listing;
}

Listing listAttributes(const Item& item) {
  // Reused: a walk lists every entry.
  thread_local std::string names;
  try {
    listXattr(item, names);
  } catch (const std::system_error& failure) {
    Listing failed;
    failed.error = failure.code().value();
    failed.unsupported = failed.error == EOPNOTSUPP || failed.error == ENOTSUP;
    return failed;
  }
  return readListing(names);
}

}  // namespace quillmark

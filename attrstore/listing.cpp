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
    if (position < kValueCount) listing.has[position][static_cast<std::size_t>(place)] = true;
    return position < kValueCount;
  };
  while (!names.empty()) {
    const std::string_view name = names.substr(0, names.find('\0'));
    names.remove_prefix(std::min(names.size(), name.size() + 1));
    listing.userAttributes = listing.userAttributes || name.starts_with(kUserPrefix);
    listing.desktopTags = listing.desktopTags || name == kDesktopTags;
    listing.desktopComment = listing.desktopComment || name == kDesktopComment;
    for (std::size_t place = 0; place < kFinderInfoNames.size(); ++place)
      listing.finderInfo[place] = listing.finderInfo[place] || name == kFinderInfoNames[place];
    if (name.starts_with(kOsxMetadataPrefix)) {
      if (!mark(Place::kOsx, name.substr(kOsxMetadataPrefix.size())))
        listing.otherMetadataValues.emplace_back(name);
    } else if (name.starts_with(kUserApplePrefix)) {
      const bool metadata = name.starts_with(kUserMetadataPrefix);
      if (metadata && mark(Place::kUser, name.substr(kUserMetadataPrefix.size()))) continue;
      if (metadata) listing.otherMetadataValues.emplace_back(name);
      listing.otherAppleValues.emplace_back(name.substr(kUserPrefix.size()));
    } else if (name.starts_with(kStreamPrefix)) {
      listing.sambaManaged = true;
      std::string_view stream = name.substr(kStreamPrefix.size());
      if (!stream.starts_with(kMetadataDomain) || !stream.ends_with(kStreamSuffix)) continue;
      stream.remove_prefix(kMetadataDomain.size());
      stream.remove_suffix(kStreamSuffix.size());
      if (stream.starts_with(':')) {
        listing.colonStreams = true;
        mark(Place::kColonStream, stream.substr(1));
      } else if (stream.starts_with(kPrivateColon)) {
        listing.privateStreams = true;
        mark(Place::kStream, stream.substr(kPrivateColon.size()));
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

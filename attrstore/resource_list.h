// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A snapshot of the five metadata values of one file-system item, wherever
// Mac peers keep them (see places.h).
//
// ResourceList reads the five values when it is constructed and never again;
// it always holds exactly five ResourceItems in list order (Copyright,
// Creator, Description, Headline, Keywords), an absent or unreadable value
// giving an empty field. Construction never fails.
#ifndef QUILLMARK_ATTRSTORE_RESOURCE_LIST_H_
#define QUILLMARK_ATTRSTORE_RESOURCE_LIST_H_

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "attrstore/codec.h"
#include "attrstore/names.h"
#include "attrstore/places.h"

namespace quillmark {

// One value as found, as its field shows it.
class ResourceItem {
 public:
  // Decodes the value once, for both texts below.
  explicit ResourceItem(const FoundValue& found);

  // decodeAttributeValue of the stored bytes: "" for none or a value holding no string.
  std::string textValue() const;
  // What an empty field shows for a stored value that is not one string
  // (describeStoredValue, cut to kPlaceholderLimit bytes and an ellipsis;
  // "unreadable: " and the system's reason where it gave one);
  // "" for a string or for no value at all.
  std::string placeholder() const;
  static constexpr std::size_t kPlaceholderLimit = 1024;
  // Whether placeholder() names the value's kind in words ("a number") rather
  // than showing its strings.
  bool placeholderNamesKind() const;
  // Whether the item carries this value at all, in whatever form.
  bool present() const { return present_; }

 private:
  bool present_;
  int error_;  // why a value found could not be read, where the system said
  StoredValue value_;
};

// The attribute set of one item, read once at construction.
class ResourceList {
 public:
  static constexpr std::string_view itemCopyright = kValueNames[0].portable;
  static constexpr std::string_view itemCreator = kValueNames[1].portable;
  static constexpr std::string_view itemDescription = kValueNames[2].portable;
  static constexpr std::string_view itemHeadline = kValueNames[3].portable;
  static constexpr std::string_view itemKeywords = kValueNames[4].portable;
  // The five names in list order.
  static constexpr std::array<std::string_view, 5> kListOrder = {
      itemCopyright, itemCreator, itemDescription, itemHeadline, itemKeywords};

  // Reads the five attributes of the item at `url`; every read error gives empty bytes.
  explicit ResourceList(const std::filesystem::path& url);
  // The values as already read (ChangeResult::values).
  explicit ResourceList(const std::array<FoundValue, 5>& values);

  // One item per name of kListOrder, at the same position.
  const std::vector<ResourceItem>& children() const { return children_; }

 private:
  std::vector<ResourceItem> children_;
};

// The item's own name: the last non-empty component of `path`, so that a
// folder given with a trailing slash is still named after the folder.
std::string lastPathComponent(const std::filesystem::path& path);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_RESOURCE_LIST_H_

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What a field shows for one value as found: its text when it is one string, or a placeholder
// naming what else the item keeps there. The value is decoded once, at construction; nothing
// here reads or changes the item.
#ifndef QUILLMARK_EDITOR_RESOURCE_ITEM_H_
#define QUILLMARK_EDITOR_RESOURCE_ITEM_H_

#include <cstddef>
#include <string>

#include "attrstore/codec.h"
#include "attrstore/places.h"

namespace quillmark {

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

 private:
  bool present_;
  int error_;  // why a value found could not be read, where the system said
  StoredValue value_;
};

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_RESOURCE_ITEM_H_

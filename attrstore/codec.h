// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The attribute value codec: a field's text <-> the stored value, a binary
// property list ("bplist00") whose one object is a string.
//
// encodeAttributeValue writes exactly the bytes the platform's own serializer
// (and Python's plistlib) writes for one string. readStoredValue accepts what
// the platform's property-list reader accepts (binary, XML and the old text
// format) and tells what the top object is: its text when it is a string, its
// items when it is an array of strings (as other tools store keywords), and
// otherwise only its kind. decodeAttributeValue is its text, or "". All are
// pure, never throw, never recurse into nested objects, and run in time linear
// in their input.
#ifndef QUILLMARK_ATTRSTORE_CODEC_H_
#define QUILLMARK_ATTRSTORE_CODEC_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "attrstore/xattr.h"

namespace quillmark {

// What a stored value holds, as far as a field can tell.
struct StoredValue {
  enum class Kind {
    kString,
    kStringArray,
    kNumber,  // an integer or a real, of any width
    kDate,
    kData,
    kBoolean,
    kDictionary,
    // An array (or set) not all of strings, or a binary one whose strings, counted at every
    // reference to them, would come to more than 16 bytes per byte of input.
    kArray,
    kUnreadable,  // empty, corrupt, or an object no field can name (null, uid)
  };
  Kind kind = Kind::kUnreadable;
  std::string text;                // kString: the text (UTF-8)
  std::vector<std::string> items;  // kStringArray: the strings (UTF-8), in order
  std::uint64_t dataSize = 0;      // kData: the number of bytes
};

// The stored value for UTF-8 `text`; empty bytes only when `text` is not valid UTF-8.
Data encodeAttributeValue(std::string_view text);

// What the property list `data` holds at its top; kUnreadable for empty or corrupt bytes.
StoredValue readStoredValue(std::span<const std::uint8_t> data);

// What a field shows for `value`: a string's text, an array of strings' items joined with ", ",
// otherwise the kind in words: kKindWords, or data with its size ("data of 3 bytes").
std::string describeStoredValue(const StoredValue& value);
struct KindWords {
  StoredValue::Kind kind;
  std::string_view words;
};
inline constexpr KindWords kKindWords[] = {
    {StoredValue::Kind::kNumber, "a number"},
    {StoredValue::Kind::kDate, "a date"},
    {StoredValue::Kind::kBoolean, "a true or false value"},
    {StoredValue::Kind::kDictionary, "a dictionary"},
    {StoredValue::Kind::kArray, "a list"},
    {StoredValue::Kind::kStringArray, "an empty list"},
    {StoredValue::Kind::kString, "a string"},  // where what a string says is not the point
    {StoredValue::Kind::kUnreadable, "unreadable"},
};
inline constexpr std::string_view kDataOf = "data of ";  // then "1 byte", "3 bytes"

// The UTF-8 text of the string that `data` holds as a property list, or "".
std::string decodeAttributeValue(std::span<const std::uint8_t> data);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_CODEC_H_

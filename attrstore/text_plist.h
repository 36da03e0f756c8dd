// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reader for the old text property-list format, reduced to what an attribute
// value asks: is the document a single string, an array of strings, or what?
//
// Apart from whitespace (U+2028 and U+2029 included) and // or /* */ comments,
// a document is a string when it is one quoted string ("..." or '...', with
// backslash escapes) or one unquoted word of [A-Za-z0-9_$/:.-]; an array when
// it is "( ... )" of such strings separated by commas (a list when an element
// is itself in brackets); data when it is "<hex digits>"; a dictionary when it
// is "{ ... }" with balanced brackets. Anything else (a strings file, empty
// input, broken quoting, text after the object) is unreadable. Input is UTF-8,
// or UTF-16 with a BOM. Linear time, no recursion.
#ifndef QUILLMARK_ATTRSTORE_TEXT_PLIST_H_
#define QUILLMARK_ATTRSTORE_TEXT_PLIST_H_

#include <cstdint>
#include <span>
#include <string>

#include "attrstore/codec.h"

namespace quillmark::textplist {

// Sets `value` to what `data` holds.
void readTopObject(std::span<const std::uint8_t> data, StoredValue& value);

}  // namespace quillmark::textplist

#endif  // QUILLMARK_ATTRSTORE_TEXT_PLIST_H_

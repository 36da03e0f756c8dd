// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The binary property-list format ("bplist00"), limited to what an attribute
// value needs: writing a document whose one object is a string, and telling
// what the top object of any document is.
//
// The writer produces the canonical layout byte for byte (ASCII strings as
// bytes, others as UTF-16BE, smallest integer widths). The reader validates the
// trailer and offset table before touching an object, never reads outside its
// input, and looks one level into an array (to collect its strings) but never
// further.
#ifndef QUILLMARK_ATTRSTORE_BPLIST_H_
#define QUILLMARK_ATTRSTORE_BPLIST_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "attrstore/codec.h"
#include "attrstore/xattr.h"

namespace quillmark::bplist {

// The document holding just `utf8`; empty when it is not well-formed UTF-8.
Data writeString(std::string_view utf8);

// False when `data` has no header, or a trailer or offset table that does not
// hold (try other formats); otherwise true with `value` describing the top
// object (kUnreadable when the object itself is corrupt). An array whose string
// elements, shared ones counted each time, outweigh the input many times over
// is kArray, so repeated references cannot inflate the result.
bool readTopObject(std::span<const std::uint8_t> data, StoredValue& value);

}  // namespace quillmark::bplist

#endif  // QUILLMARK_ATTRSTORE_BPLIST_H_

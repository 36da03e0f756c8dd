// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reader for XML property lists, reduced to the questions an attribute value
// asks: what is the top object, and when it is a string or an array of
// strings, what is their text?
//
// It is a single forward scan with no document tree: the prolog (declaration,
// comments, DOCTYPE) is skipped, the first element is either <plist> holding
// exactly one object or an object element itself. A <string>, at the top or as
// a child of a top <array>, has its content decoded (entities, character
// references and CDATA; nothing trimmed or normalised); a top <data> has its
// base64 bytes counted. Other objects are skipped with a depth counter, never
// by recursion. Input may be UTF-8 or UTF-16 (with or without a BOM). Time is
// linear in the input; nothing is read out of bounds.
#ifndef QUILLMARK_ATTRSTORE_XML_READER_H_
#define QUILLMARK_ATTRSTORE_XML_READER_H_

#include <cstdint>
#include <span>
#include <string>

#include "attrstore/codec.h"

namespace quillmark::xml {

// False when `data` is not a well-formed XML property list (try other
// formats); otherwise true with `value` describing the top object. `value` may
// be partly written either way.
bool readTopObject(std::span<const std::uint8_t> data, StoredValue& value);

}  // namespace quillmark::xml

#endif  // QUILLMARK_ATTRSTORE_XML_READER_H_

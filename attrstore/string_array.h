// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The stored form of an array of strings (as other tools keep keywords): a
// binary property list laid out as the platform's own serializer (and Python's
// plistlib) writes it, so that an array read and written back is the same bytes.
#ifndef QUILLMARK_ATTRSTORE_STRING_ARRAY_H_
#define QUILLMARK_ATTRSTORE_STRING_ARRAY_H_

#include <string>
#include <vector>

#include "attrstore/xattr.h"

namespace quillmark {

// The document holding the array of UTF-8 `items`; empty when one is not UTF-8.
Data encodeStringArray(const std::vector<std::string>& items);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_STRING_ARRAY_H_

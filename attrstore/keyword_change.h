// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A change of an item's keywords as words added and removed, made on the keywords as found in the
// form the item keeps them in (keywords.h), and why one can be refused. Plain data.
#ifndef QUILLMARK_ATTRSTORE_KEYWORD_CHANGE_H_
#define QUILLMARK_ATTRSTORE_KEYWORD_CHANGE_H_

#include <string>
#include <vector>

namespace quillmark {

struct KeywordChange {
  std::vector<std::string> add;     // appended where not there yet
  std::vector<std::string> remove;  // taken out wherever they are
  bool empty() const { return add.empty() && remove.empty(); }
};

// Why a keyword change cannot be kept: the keywords are kept as `keptAs` (describeStoredValue's
// words) rather than as strings, or, with `keptAs` empty, as one string, in which the added
// `commaWord` would come back as two.
struct KeywordRefusal {
  std::string keptAs;
  std::string commaWord;
};

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_KEYWORD_CHANGE_H_

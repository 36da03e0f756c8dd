// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Keywords as a list of separate keywords, whichever form an item keeps them in: a list of strings
// (as Macs keep kMDItemKeywords) or one string of comma-separated keywords (as the window has
// always written them). Adding and removing keeps the item's form: a list stays a list, its order
// kept and new keywords appended, in the platform writer's bytes; one string stays one string
// joined with ", "; an item without keywords gets one string. Keywords are compared exactly (case
// as given). Pure.
#ifndef QUILLMARK_ATTRSTORE_KEYWORDS_H_
#define QUILLMARK_ATTRSTORE_KEYWORDS_H_

#include <string>
#include <string_view>
#include <vector>

#include "attrstore/codec.h"
#include "attrstore/keyword_change.h"
#include "attrstore/places.h"

namespace quillmark {

// `text` without the white space around it.
std::string_view trimmedKeyword(std::string_view text);

// The keywords `stored` holds: a list's strings, or one string split on commas and trimmed (empty
// ones dropped); none for any other value.
std::vector<std::string> keywordsOf(const StoredValue& stored);

// `words` joined with ", ", each kept as it is: how keywords read as one line and as one string.
std::string joinKeywords(const std::vector<std::string>& words);

// The edit applying `change` to keywords found as `found`, the new bytes in `storage` (which must
// outlive it): kKeep when nothing changes, kRemove when no keyword is left. Where the change
// cannot be kept, the edit is a write with no bytes, which the store refuses (EINVAL), and
// `refusal`, where given, says why.
ValueEdit keywordEdit(const FoundValue& found, const KeywordChange& change, Data& storage,
                      KeywordRefusal* refusal = nullptr);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_KEYWORDS_H_

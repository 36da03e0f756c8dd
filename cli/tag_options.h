// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Finder tags as quillmark-cli takes and prints them (attrstore/tags.h). A colour is one of
// kTagColourNames, "gray", or its digit 0-7, case folded. NAME[:COLOUR] takes the text after the
// last ':' as the colour only when it names one, so "Project: X" and "Ratio 4:3" stay names, and
// "Note:red:none" is the uncoloured tag "Note:red". A name is UTF-8, not empty, and holds no line
// feed (a Mac would read "name\n3" as the name with a colour).
#ifndef QUILLMARK_CLI_TAG_OPTIONS_H_
#define QUILLMARK_CLI_TAG_OPTIONS_H_

#include <string>
#include <string_view>
#include <vector>

#include "attrstore/tags.h"

namespace quillmark::cli {

// The colour `text` names; throws UsageError saying so, after `option`.
TagColour colourNamed(std::string_view text, std::string_view option);

// NAME[:COLOUR] as given to `option`; throws UsageError for a name that cannot be a tag.
Tag tagGiven(std::string_view text, std::string_view option);
// NAME:COLOUR as given to `option`, the colour required; throws UsageError.
Tag recolouringGiven(std::string_view text, std::string_view option);

// Each of `texts` through `parse`, for `option`.
std::vector<Tag> tagsGiven(const std::vector<std::string>& texts, std::string_view option,
                           Tag (*parse)(std::string_view, std::string_view));

// Why `name` cannot be a tag's name, or "".
std::string tagNameProblem(std::string_view name);

}  // namespace quillmark::cli

#endif  // QUILLMARK_CLI_TAG_OPTIONS_H_

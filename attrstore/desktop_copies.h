// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's own copies of three of the values, for file managers and
// desktop search that read only the freedesktop.org-style attributes:
// user.xdg.tags (the keywords, then the Finder tags' names not among them, as
// tags joined with ",") and user.xdg.comment (the description). They are made from the values as they are once a change
// is made (changeValues plans them with it), replace whatever the item held
// under those names, go when their value goes, and are never read back into
// the values: the tags stay the Mac's.
//
// Keywords stored as one string are split on commas; stored as a list, each
// item is one tag. Tags are trimmed and empty ones dropped. A tag that holds
// a comma cannot be kept (readers split on every comma): it is left out and
// reported, never split. A description stored as a list is kept as the
// window shows it (items joined with ", "); a value holding no text, like no
// value at all, removes its copy.
#ifndef QUILLMARK_ATTRSTORE_DESKTOP_COPIES_H_
#define QUILLMARK_ATTRSTORE_DESKTOP_COPIES_H_

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "attrstore/places.h"

namespace quillmark {

// What the copies should hold; nothing: the copy is removed.
struct DesktopCopies {
  std::optional<std::string> tags;
  std::optional<std::string> comment;
  std::vector<std::string> commaTags;  // left out of `tags`: each holds a comma
};
DesktopCopies desktopCopiesOf(const std::array<FoundValue, kValueCount>& values);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_DESKTOP_COPIES_H_

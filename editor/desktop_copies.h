// The desktop's own copies of two of the five values, for file managers and
// desktop search that read only the freedesktop.org-style attributes:
// user.xdg.tags (the keywords as tags joined with ",") and user.xdg.comment
// (the description). They are made from the values as stored, replace
// whatever the item held under those names, go when their value goes, and
// are never read back into the five values.
//
// Keywords stored as one string are split on commas; stored as a list, each
// item is one tag. Tags are trimmed and empty ones dropped. A tag that holds
// a comma cannot be kept (readers split on every comma): it is left out and
// reported, never split. A description stored as a list is kept as the
// window shows it (items joined with ", "); a value holding no text, like no
// value at all, removes its copy.
#ifndef QUILLMARK_EDITOR_DESKTOP_COPIES_H_
#define QUILLMARK_EDITOR_DESKTOP_COPIES_H_

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "attrstore/places.h"

namespace quillmark {

inline constexpr const char* kDesktopTags = "user.xdg.tags";
inline constexpr const char* kDesktopComment = "user.xdg.comment";
// What follows the write failure's prefix for a tag holding a comma, before the quoted tag.
inline constexpr std::string_view kCommaInTag = "a desktop tag cannot hold a comma: ";

// What the copies should hold; nothing: the copy is removed.
struct DesktopCopies {
  std::optional<std::string> tags;
  std::optional<std::string> comment;
  std::vector<std::string> commaTags;  // left out of `tags`: each holds a comma
};
DesktopCopies desktopCopiesOf(const std::array<FoundValue, 5>& values);

// A copy that could not be kept: the list position of its value (Description
// or Keywords) and the message the user reads.
struct CopyFailure {
  std::size_t position;
  std::string message;
};
// Brings the copies of the item at `at` in step with its values as stored now.
std::vector<CopyFailure> updateDesktopCopies(const ItemAt& at);

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_DESKTOP_COPIES_H_

// Reader for the old text property-list format, reduced to one question: is
// the whole document a single string?
//
// A document is a string when, apart from whitespace (U+2028 and U+2029
// included) and // or /* */ comments, it is one quoted string ("..." or '...',
// with backslash escapes) or one unquoted word of [A-Za-z0-9_$/:.-]. Anything
// else (a dictionary, array, data, a strings file, empty input, broken quoting)
// is not. Input is UTF-8, or UTF-16 with a BOM. Linear time, no recursion.
#ifndef QUILLMARK_ATTRSTORE_TEXT_PLIST_H_
#define QUILLMARK_ATTRSTORE_TEXT_PLIST_H_

#include <cstdint>
#include <span>
#include <string>

namespace quillmark::textplist {

// True when `data` is a single string; `text` then holds it as UTF-8.
bool readTopString(std::span<const std::uint8_t> data, std::string& text);

}  // namespace quillmark::textplist

#endif  // QUILLMARK_ATTRSTORE_TEXT_PLIST_H_

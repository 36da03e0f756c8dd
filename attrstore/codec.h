// The attribute value codec: a field's text <-> the stored value, a binary
// property list ("bplist00") whose one object is a string.
//
// encodeAttributeValue writes exactly the bytes the platform's own serializer
// (and Python's plistlib) writes for one string. decodeAttributeValue accepts
// what the platform's property-list reader accepts (binary, XML and the old
// text format) and returns the top object when it is a string, "" otherwise.
// Both are pure, never throw, and run in time linear in their input.
#ifndef QUILLMARK_ATTRSTORE_CODEC_H_
#define QUILLMARK_ATTRSTORE_CODEC_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "attrstore/xattr.h"

namespace quillmark {

// The stored value for UTF-8 `text`; empty bytes only when `text` is not valid UTF-8.
Data encodeAttributeValue(std::string_view text);

// The UTF-8 text of the string that `data` holds as a property list, or "".
std::string decodeAttributeValue(std::span<const std::uint8_t> data);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_CODEC_H_

// The binary property-list format ("bplist00"), limited to what an attribute
// value needs: writing a document whose one object is a string, and reading the
// top object of any document when it is a string.
//
// The writer produces the canonical layout byte for byte (ASCII strings as
// bytes, others as UTF-16BE, smallest integer widths). The reader validates the
// trailer and offset table before touching an object, never reads outside its
// input, and never parses containers.
#ifndef QUILLMARK_ATTRSTORE_BPLIST_H_
#define QUILLMARK_ATTRSTORE_BPLIST_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "attrstore/xattr.h"

namespace quillmark::bplist {

// What the binary reader made of its input.
enum class ReadResult {
  kNotBinary,  // no header, or a trailer/offset table that does not hold: try other formats
  kString,     // a binary property list whose top object is a string
  kOther       // a binary property list whose top object is anything else, or is corrupt
};

// The document holding just `utf8`, which must be well-formed UTF-8.
Data writeString(std::string_view utf8);

// Reads `data`; on kString, `text` holds the top string as UTF-8.
ReadResult readTopString(std::span<const std::uint8_t> data, std::string& text);

}  // namespace quillmark::bplist

#endif  // QUILLMARK_ATTRSTORE_BPLIST_H_

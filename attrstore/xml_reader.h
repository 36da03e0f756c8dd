// Reader for XML property lists, reduced to the question an attribute value
// asks: is the top object a string, and what is its text?
//
// It is a single forward scan with no document tree: the prolog (declaration,
// comments, DOCTYPE) is skipped, the first element is either <plist> holding
// exactly one object or an object element itself, and only a <string> has its
// content decoded (entities, character references and CDATA; nothing trimmed
// or normalised). Other objects are skipped with a depth counter, never by
// recursion. Input may be UTF-8 or UTF-16 (with or without a BOM). Time is
// linear in the input; nothing is read out of bounds.
#ifndef QUILLMARK_ATTRSTORE_XML_READER_H_
#define QUILLMARK_ATTRSTORE_XML_READER_H_

#include <cstdint>
#include <span>
#include <string>

namespace quillmark::xml {

// What the XML reader made of its input.
enum class ReadResult {
  kMalformed,  // not an XML property list: try other formats
  kString,     // the top object is a string
  kOther       // the top object is well formed but not a string
};

// Reads `data`; on kString, `text` holds the top string as UTF-8.
ReadResult readTopString(std::span<const std::uint8_t> data, std::string& text);

}  // namespace quillmark::xml

#endif  // QUILLMARK_ATTRSTORE_XML_READER_H_

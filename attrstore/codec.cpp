#include "attrstore/codec.h"

#include "attrstore/bplist.h"
#include "attrstore/text_plist.h"
#include "attrstore/utf.h"
#include "attrstore/xml_reader.h"

namespace quillmark {

Data encodeAttributeValue(std::string_view text) {
  // Well-formed UTF-8 is exactly what the XML form of the value would parse
  // back to, so it is written as it is; anything else has no stored form.
  if (!utf::isValidUtf8(text)) return {};
  return bplist::writeString(text);
}

std::string decodeAttributeValue(std::span<const std::uint8_t> data) {
  std::string text;
  switch (bplist::readTopString(data, text)) {
    case bplist::ReadResult::kString:
      return text;
    case bplist::ReadResult::kOther:
      return {};
    case bplist::ReadResult::kNotBinary:
      break;
  }
  switch (xml::readTopString(data, text)) {
    case xml::ReadResult::kString:
      return text;
    case xml::ReadResult::kOther:
      return {};
    case xml::ReadResult::kMalformed:
      break;
  }
  text.clear();
  if (textplist::readTopString(data, text)) return text;
  return {};
}

}  // namespace quillmark

#include "attrstore/codec.h"

#include "attrstore/bplist.h"
#include "attrstore/text_plist.h"
#include "attrstore/utf.h"
#include "attrstore/xml_reader.h"

namespace quillmark {

namespace {

constexpr std::string_view kXmlHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n"
    "<string>";
constexpr std::string_view kXmlTail = "</string>\n</plist>";

// One pass gives the same result as replacing "&", then ">", then "<": no
// replacement introduces a character that a later step would replace.
void appendEscaped(std::string& out, std::string_view text) {
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::string_view replacement;
    switch (text[i]) {
      case '&':
        replacement = "&amp;";
        break;
      case '>':
        replacement = "&gt;";
        break;
      case '<':
        replacement = "&lt;";
        break;
      default:
        continue;
    }
    out.append(text.data() + runStart, i - runStart);
    out.append(replacement);
    runStart = i + 1;
  }
  out.append(text.data() + runStart, text.size() - runStart);
}

std::span<const std::uint8_t> asBytes(std::string_view s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

}  // namespace

std::string escapeXmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  appendEscaped(out, text);
  return out;
}

Data encodeAttributeValue(std::string_view text) {
  if (!utf::isValidUtf8(text)) return {};
  // The value goes through the XML form and our XML reader before being
  // written as binary, so what is stored is exactly what that reader yields;
  // for well-formed UTF-8 the two are the same text.
  thread_local std::string document;
  thread_local std::string parsed;
  document.clear();
  document.reserve(kXmlHead.size() + text.size() + text.size() / 4 + kXmlTail.size());
  document.append(kXmlHead);
  appendEscaped(document, text);
  document.append(kXmlTail);
  if (xml::readTopString(asBytes(document), parsed) != xml::ReadResult::kString) return {};
  Data value = bplist::writeString(parsed);
  if (document.capacity() > (1u << 16)) {
    // Do not pin a large buffer to the thread after a one-off long value.
    std::string().swap(document);
    std::string().swap(parsed);
  }
  return value;
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

#include "attrstore/codec.h"

#include <algorithm>
#include <cstring>

#include "attrstore/bplist.h"
#include "attrstore/byte_scan.h"
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
// replacement introduces a character that a later step would replace. The
// output is sized first, then runs between special characters are copied.
void appendEscaped(std::string& out, std::string_view text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const std::size_t n = text.size();
  std::size_t extra = 0;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const std::uint64_t word = scan::load(bytes + i);
    extra += 4 * scan::countFlagged(scan::bytesEqual(word, '&')) +
             3 * scan::countFlagged(scan::bytesEqual(word, '<') | scan::bytesEqual(word, '>'));
  }
  for (; i < n; ++i) extra += bytes[i] == '&' ? 4 : (bytes[i] == '<' || bytes[i] == '>') ? 3 : 0;
  const std::size_t start = out.size();
  out.resize(start + n + extra);
  if (extra == 0) {
    std::memcpy(out.data() + start, text.data(), n);
    return;
  }
  char* w = out.data() + start;
  i = 0;
  while (i < n) {
    if (i + 8 <= n) {
      std::uint64_t word = scan::load(bytes + i);
      if (!scan::hasByte(word, '&') && !scan::hasByte(word, '<') && !scan::hasByte(word, '>')) {
        std::memcpy(w, &word, 8);
        w += 8;
        i += 8;
        continue;
      }
    }
    for (const std::size_t stop = std::min(n, i + 8); i < stop; ++i) {
      switch (text[i]) {
        case '&':
          w = std::copy_n("&amp;", 5, w);
          break;
        case '>':
          w = std::copy_n("&gt;", 4, w);
          break;
        case '<':
          w = std::copy_n("&lt;", 4, w);
          break;
        default:
          *w++ = text[i];
      }
    }
  }
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
  if (document.capacity() > (1u << 20)) {
    // Reusing the buffers saves two allocations per call; only a one-off very
    // long value is not worth keeping memory for.
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

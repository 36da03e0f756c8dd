// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/xml_reader.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include "attrstore/byte_scan.h"
#include "attrstore/utf.h"

namespace quillmark::xml {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

using Kind = StoredValue::Kind;

// Object elements whose content a field does not need, and what each is.
std::optional<Kind> kindOfSkippedObject(std::string_view name) {
  static constexpr std::pair<std::string_view, Kind> kKinds[] = {
      {"dict", Kind::kDictionary}, {"integer", Kind::kNumber}, {"real", Kind::kNumber},
      {"date", Kind::kDate},       {"true", Kind::kBoolean},   {"false", Kind::kBoolean},
      {"key", Kind::kUnreadable},  // a key is no value on its own
  };
  for (const auto& [known, kind] : kKinds) {
    if (name == known) return kind;
  }
  return std::nullopt;
}

bool isBase64Digit(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '/';
}

int digitValue(char c, int base) {
  if (c >= '0' && c <= '9') return c - '0';
  if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A forward-only cursor over the document. Every helper either advances or
// fails, and every search starts where the previous one stopped, so the whole
// read is linear.
class Parser {
 public:
  explicit Parser(std::string_view doc) : s_(doc) {}

  bool parse(StoredValue& value) {
    // Nearly every document opens with this exact declaration and DOCTYPE;
    // one comparison then replaces scanning them (the result is the same).
    static constexpr std::string_view kStandardProlog =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n";
    if (lookingAt(kStandardProlog)) pos_ = kStandardProlog.size();
    for (;;) {
      if (!skipMisc()) return false;
      if (!lookingAt("<!DOCTYPE")) break;
      if (!skipDoctype()) return false;
    }
    std::string_view name;
    bool empty = false;
    if (!lookingAt("<") || !readStartTag(name, empty)) return false;
    if (name != "plist") return readObject(name, empty, value);  // rest of input ignored

    // <plist> holds exactly one object, then only comments until </plist>.
    if (empty || !skipMisc() || !lookingAt("<") || lookingAt("</") || lookingAt("<!") ||
        !readStartTag(name, empty)) {
      return false;
    }
    return readObject(name, empty, value) && skipMisc() && readEndTag("plist");
  }

 private:
  bool atEnd() const { return pos_ >= s_.size(); }
  bool lookingAt(std::string_view prefix) const { return s_.substr(pos_).starts_with(prefix); }
  void skipSpace() {
    while (!atEnd() && isSpace(s_[pos_])) ++pos_;
  }

  // Moves just past the next `terminator`; false when there is none.
  bool skipPast(std::string_view terminator) {
    std::size_t at = s_.find(terminator, pos_);
    if (at == std::string_view::npos) return false;
    pos_ = at + terminator.size();
    return true;
  }

  // Skips whitespace, comments and processing instructions (the declaration
  // among them); false when one is unterminated.
  bool skipMisc() {
    for (;;) {
      skipSpace();
      if (lookingAt("<!--")) {
        pos_ += 4;
        if (!skipPast("-->")) return false;
      } else if (lookingAt("<?")) {
        pos_ += 2;
        if (!skipPast("?>")) return false;
      } else {
        return true;
      }
    }
  }

  // At "<!DOCTYPE": moves past its closing '>', stepping over quoted literals,
  // comments and an internal subset in brackets.
  bool skipDoctype() {
    pos_ += 9;
    bool inSubset = false;
    while (!atEnd()) {
      switch (s_[pos_]) {
        case '<':
          if (lookingAt("<!--")) {
            pos_ += 4;
            if (!skipPast("-->")) return false;
            continue;
          }
          break;
        case '"':
        case '\'': {
          const char quote = s_[pos_++];
          if (!skipPast(std::string_view(&quote, 1))) return false;
          continue;
        }
        case '[':
          inSubset = true;
          break;
        case ']':
          inSubset = false;
          break;
        case '>':
          if (!inSubset) {
            ++pos_;
            return true;
          }
          break;
        default:
          break;
      }
      ++pos_;
    }
    return false;
  }

  // At '<' of a start tag: reads its name, moves past its '>' (attributes are
  // stepped over) and tells whether it was written "<name .../>".
  bool readStartTag(std::string_view& name, bool& empty) {
    std::size_t start = ++pos_;
    while (!atEnd() && !isSpace(s_[pos_]) && s_[pos_] != '>' && s_[pos_] != '/') ++pos_;
    name = s_.substr(start, pos_ - start);
    if (name.empty()) return false;
    char previous = 0;
    while (!atEnd()) {
      char c = s_[pos_++];
      if (c == '>') {
        empty = previous == '/';
        return true;
      }
      if ((c == '"' || c == '\'') && !skipPast(std::string_view(&c, 1))) return false;
      previous = c;
    }
    return false;
  }

  // Expects "</name", optional whitespace and '>'.
  bool readEndTag(std::string_view name) {
    if (!lookingAt("</")) return false;
    pos_ += 2;
    if (!lookingAt(name)) return false;
    pos_ += name.size();
    skipSpace();
    if (!lookingAt(">")) return false;
    ++pos_;
    return true;
  }

  // Moves to the next '<' of element content, past any comment, CDATA section
  // or processing instruction; false at the end of input or on other "<!"
  // markup. Text between the tags is passed over.
  bool nextTag() {
    for (;;) {
      std::size_t lt = s_.find('<', pos_);
      if (lt == std::string_view::npos) return false;
      pos_ = lt;
      if (lookingAt("<!--")) {
        pos_ += 4;
        if (!skipPast("-->")) return false;
      } else if (lookingAt("<![CDATA[")) {
        pos_ += 9;
        if (!skipPast("]]>")) return false;
      } else if (lookingAt("<?")) {
        pos_ += 2;
        if (!skipPast("?>")) return false;
      } else {
        return !lookingAt("<!");
      }
    }
  }

  // Just after a non-empty start tag: moves past its matching end tag. Nesting
  // is followed with a counter rather than recursion, so depth costs nothing.
  bool skipElementContent() {
    std::size_t depth = 1;
    while (depth > 0) {
      if (!nextTag()) return false;
      if (lookingAt("</")) {
        if (!skipPast(">")) return false;
        --depth;
      } else {
        std::string_view name;
        bool empty = false;
        if (!readStartTag(name, empty)) return false;
        if (!empty) ++depth;
      }
    }
    return true;
  }

  // Just after the start tag of the top object `name`: reads it into `value`.
  bool readObject(std::string_view name, bool empty, StoredValue& value) {
    if (name == "string") {
      value.kind = Kind::kString;
      value.text.clear();
      if (empty) return true;
      value.text.resize(s_.size() - pos_);
      char* end = readStringContent(value.text.data());
      if (end == nullptr) return false;
      value.text.resize(static_cast<std::size_t>(end - value.text.data()));
      return true;
    }
    if (name == "array") {
      value.kind = Kind::kStringArray;
      return empty || readArrayContent(value);
    }
    if (name == "data") {
      value.kind = Kind::kData;
      return empty || readDataContent(value.dataSize);
    }
    const std::optional<Kind> kind = kindOfSkippedObject(name);
    if (!kind) return false;
    value.kind = *kind;
    return empty || skipElementContent();
  }

  // Just after <array>: collects its strings in `value.items` while every
  // child is a <string>; at the first other child, skips the rest and makes
  // `value` a list. Each string's text fits in the input left when the first
  // one starts, so one buffer of that size serves them all.
  bool readArrayContent(StoredValue& value) {
    std::string buffer;
    for (;;) {
      if (!nextTag()) return false;
      if (lookingAt("</")) return readEndTag("array");
      std::string_view name;
      bool empty = false;
      if (!readStartTag(name, empty)) return false;
      if (name != "string") {
        value.kind = Kind::kArray;
        value.items.clear();
        return (empty || skipElementContent()) && skipElementContent();
      }
      std::string& item = value.items.emplace_back();
      if (empty) continue;
      if (buffer.empty()) buffer.resize(s_.size() - pos_);
      char* end = readStringContent(buffer.data());
      if (end == nullptr) return false;
      item.assign(buffer.data(), end);
    }
  }

  // Just after <data>: counts the bytes its base64 content stands for and
  // moves past </data>. Whitespace may fall anywhere, '=' only at the end.
  bool readDataContent(std::uint64_t& size) {
    std::uint64_t digits = 0;
    bool padding = false;
    for (; !atEnd() && s_[pos_] != '<'; ++pos_) {
      const char c = s_[pos_];
      if (c == '=') {
        padding = true;
      } else if (!isSpace(c) && (padding || !isBase64Digit(c))) {
        return false;
      } else if (!isSpace(c)) {
        ++digits;
      }
    }
    if (digits % 4 == 1) return false;  // six bits cannot end a byte
    size = digits * 3 / 4;              // each digit is six bits; a partial byte is padding
    return readEndTag("data");
  }

  // Copies the run of character data at the cursor to `out`, stopping at the
  // next '<' or '&' or the end; nullptr when the run is not well-formed UTF-8.
  // Plain ASCII goes eight bytes at a time; a word that needs a closer look is
  // then taken byte by byte, so no byte is examined more than twice. Writes
  // exactly the bytes consumed.
  char* copyCharacterData(char* out) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(s_.data());
    const std::size_t n = s_.size();
    std::size_t i = pos_;
    while (i < n) {
      if (i + 8 <= n) {
        std::uint64_t word = scan::load(bytes + i);
        if (scan::allAscii(word) && !scan::hasByte(word, '<') && !scan::hasByte(word, '&')) {
          std::memcpy(out, &word, 8);
          out += 8;
          i += 8;
          continue;
        }
      }
      for (const std::size_t stop = std::min(n, i + 8); i < stop;) {
        std::uint8_t b = bytes[i];
        if (b == '<' || b == '&') {
          pos_ = i;
          return out;
        }
        if (b < 0x80) {
          *out++ = static_cast<char>(b);
          ++i;
          continue;
        }
        char32_t c = 0;
        std::size_t len = utf::decodeUtf8(bytes + i, n - i, c);
        if (len == 0) return nullptr;
        out = std::copy_n(s_.data() + i, len, out);
        i += len;
      }
    }
    pos_ = n;
    return out;
  }

  // Just after <string>: decodes the content up to and past </string> to
  // `out`, returning the end of what was written, or nullptr when malformed.
  // Text is kept exactly as written (line ends and control characters
  // included). The text is never longer than the markup it comes from (a
  // reference takes at least as many bytes as the UTF-8 it stands for), so
  // `out` needs room for the rest of the input, no more.
  char* readStringContent(char* out) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(s_.data());
    for (;;) {
      out = copyCharacterData(out);
      if (out == nullptr || atEnd()) return nullptr;
      if (s_[pos_] == '&') {
        out = readReference(out);
        if (out == nullptr) return nullptr;
      } else if (lookingAt("<![CDATA[")) {
        pos_ += 9;
        std::size_t close = s_.find("]]>", pos_);
        if (close == std::string_view::npos || !utf::isValidUtf8(bytes + pos_, close - pos_)) {
          return nullptr;
        }
        std::memcpy(out, s_.data() + pos_, close - pos_);
        out += close - pos_;
        pos_ = close + 3;
      } else {
        // A comment or any other markup here is an error.
        return readEndTag("string") ? out : nullptr;
      }
    }
  }

  // At '&': writes the character of a predefined entity or a character
  // reference at `out`; returns the end of what was written, or nullptr.
  char* readReference(char* out) {
    std::string_view rest = s_.substr(pos_ + 1);
    auto entity = [&](std::string_view name, char value) {
      if (!rest.starts_with(name)) return false;
      pos_ += 1 + name.size();
      *out++ = value;
      return true;
    };
    bool found = false;
    switch (rest.empty() ? '\0' : rest[0]) {
      case 'l':
        found = entity("lt;", '<');
        break;
      case 'g':
        found = entity("gt;", '>');
        break;
      case 'a':
        found = entity("amp;", '&') || entity("apos;", '\'');
        break;
      case 'q':
        found = entity("quot;", '"');
        break;
      case '#':
        break;
      default:
        return nullptr;
    }
    if (found) return out;
    if (!lookingAt("&#")) return nullptr;
    pos_ += 2;
    int base = 10;
    if (lookingAt("x")) {
      base = 16;
      ++pos_;
    }
    char32_t value = 0;
    std::size_t digits = 0;
    for (; !atEnd() && s_[pos_] != ';'; ++pos_, ++digits) {
      int digit = digitValue(s_[pos_], base);
      if (digit < 0) return nullptr;
      value = value * base + digit;
      if (value > 0x10FFFF) value = 0x110000;  // saturate: stays invalid, cannot wrap
    }
    if (atEnd() || digits == 0) return nullptr;
    ++pos_;
    if (value == 0 || value > 0x10FFFF || utf::isSurrogate(value)) return nullptr;
    return utf::putUtf8(out, value);
  }

  std::string_view s_;
  std::size_t pos_ = 0;
};

}  // namespace

bool readTopObject(std::span<const std::uint8_t> data, StoredValue& value) {
  std::string storage;
  std::optional<std::string_view> doc =
      utf::documentAsUtf8(data, utf::Utf16Detection::kByteOrderMarkOrNul, storage);
  return doc && Parser(*doc).parse(value);
}

}  // namespace quillmark::xml

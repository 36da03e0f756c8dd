// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/text_plist.h"

#include <string_view>
#include <vector>

#include "attrstore/utf.h"

namespace quillmark::textplist {

namespace {

using Kind = StoredValue::Kind;

bool isSpace(char c) { return (c >= '\t' && c <= '\r') || c == ' '; }

bool isUnquotedChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$' || c == '/' || c == ':' || c == '.' || c == '-';
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class Parser {
 public:
  explicit Parser(std::string_view doc) : s_(doc) {}

  // What the document holds; `value` gets its text, items or data size.
  Kind parse(StoredValue& value) {
    if (!skipSpaceAndComments()) return Kind::kUnreadable;  // blank
    const char first = s_[pos_];
    Kind kind = Kind::kUnreadable;
    if (readString(value.text)) {
      kind = Kind::kString;
    } else if (first == '(') {
      kind = readArray(value.items);
    } else if (first == '<') {
      kind = readData(value.dataSize) ? Kind::kData : Kind::kUnreadable;
    } else if (first == '{') {
      kind = skipBrackets() ? Kind::kDictionary : Kind::kUnreadable;
    }
    // Anything after the object (as in a strings file, "a = b;") leaves no value.
    return skipSpaceAndComments() ? Kind::kUnreadable : kind;
  }

 private:
  bool atEnd() const { return pos_ >= s_.size(); }
  char current() const { return s_[pos_]; }
  bool lookingAt(std::string_view prefix) const { return s_.substr(pos_).starts_with(prefix); }

  // U+2028 LINE SEPARATOR or U+2029 PARAGRAPH SEPARATOR at the cursor.
  bool atUnicodeSeparator() const { return lookingAt("\xE2\x80\xA8") || lookingAt("\xE2\x80\xA9"); }

  // Moves to the next character that is neither whitespace nor inside a
  // comment; false at the end of input (an unterminated /* comment runs to it).
  bool skipSpaceAndComments() {
    while (!atEnd()) {
      if (isSpace(s_[pos_])) {
        ++pos_;
      } else if (atUnicodeSeparator()) {
        pos_ += 3;
      } else if (lookingAt("//")) {
        pos_ += 2;
        while (!atEnd() && s_[pos_] != '\n' && s_[pos_] != '\r' && !atUnicodeSeparator()) ++pos_;
      } else if (lookingAt("/*")) {
        std::size_t close = s_.find("*/", pos_ + 2);
        pos_ = close == std::string_view::npos ? s_.size() : close + 2;
      } else {
        return true;
      }
    }
    return false;
  }

  // At a quoted or unquoted string: reads it into `text`; false when there is
  // none here or its quotes do not close.
  bool readString(std::string& text) {
    if (current() == '"' || current() == '\'') return readQuoted(text);
    const std::size_t start = pos_;
    while (!atEnd() && isUnquotedChar(current())) ++pos_;
    text.assign(s_.data() + start, pos_ - start);
    return pos_ > start;
  }

  // At '(': reads the strings of an array, separated by commas (a last one may
  // trail), into `items`. An element in brackets makes it a list, skipped.
  Kind readArray(std::vector<std::string>& items) {
    ++pos_;
    bool allStrings = true;
    while (skipSpaceAndComments() && current() != ')') {
      if (current() == '(' || current() == '{' || current() == '<') {
        if (!skipBrackets()) return Kind::kUnreadable;
        allStrings = false;
      } else if (!readString(items.emplace_back())) {
        return Kind::kUnreadable;
      }
      if (!skipSpaceAndComments() || (current() != ',' && current() != ')')) {
        return Kind::kUnreadable;
      }
      if (current() == ',') ++pos_;
    }
    if (atEnd()) return Kind::kUnreadable;
    ++pos_;
    return allStrings ? Kind::kStringArray : Kind::kArray;
  }

  // At '<': counts the bytes of "<hex digits>", with whitespace allowed anywhere inside.
  bool readData(std::uint64_t& size) {
    std::uint64_t digits = 0;
    for (++pos_; !atEnd() && current() != '>'; ++pos_) {
      if (hexValue(current()) >= 0) {
        ++digits;
      } else if (!isSpace(current())) {
        return false;
      }
    }
    if (atEnd() || digits % 2 != 0) return false;
    ++pos_;
    size = digits / 2;
    return true;
  }

  // At an opening bracket: moves past its match, stepping over strings and
  // comments; false when brackets do not pair up. The closers still expected
  // are kept in a string, so nesting costs no recursion.
  bool skipBrackets() {
    std::string expected;
    std::string scratch;
    while (skipSpaceAndComments()) {
      const char c = current();
      if (c == '"' || c == '\'') {
        if (!readQuoted(scratch)) return false;
        continue;
      }
      ++pos_;
      if (c == '(' || c == '{' || c == '<') {
        expected += c == '(' ? ')' : c == '{' ? '}' : '>';
      } else if (c == ')' || c == '}' || c == '>') {
        if (expected.empty() || expected.back() != c) return false;
        expected.pop_back();
        if (expected.empty()) return true;
      }
    }
    return false;
  }

  // At the opening quote: decodes up to and past the matching quote. Escapes
  // yield UTF-16 code units (\U can write either half of a surrogate pair), so
  // the output goes through the UTF-16 converter, which pairs them.
  bool readQuoted(std::string& text) {
    const char quote = s_[pos_++];
    text.clear();
    utf::Utf16ToUtf8 units(text);
    for (;;) {
      std::size_t runStart = pos_;
      while (!atEnd() && s_[pos_] != quote && s_[pos_] != '\\') ++pos_;
      if (pos_ > runStart) {
        units.finish();
        text.append(s_.data() + runStart, pos_ - runStart);
      }
      if (atEnd()) return false;  // unterminated
      if (s_[pos_++] == quote) break;
      if (atEnd()) return false;  // a backslash as the last character
      char c = s_[pos_];
      if (c >= '0' && c <= '7') {
        unsigned value = 0;
        for (int i = 0; i < 3 && !atEnd() && s_[pos_] >= '0' && s_[pos_] <= '7'; ++i) {
          value = value * 8 + static_cast<unsigned>(s_[pos_++] - '0');
        }
        units.push(static_cast<char16_t>(value & 0xFF));  // one byte, read as Latin-1
      } else if (c == 'U') {
        ++pos_;
        unsigned value = 0;
        for (int i = 0; i < 4 && !atEnd() && hexValue(s_[pos_]) >= 0; ++i) {
          value = value * 16 + static_cast<unsigned>(hexValue(s_[pos_++]));
        }
        units.push(static_cast<char16_t>(value));
      } else {
        ++pos_;
        switch (c) {
          case 'a':
            units.push(u'\a');
            break;
          case 'b':
            units.push(u'\b');
            break;
          case 'f':
            units.push(u'\f');
            break;
          case 'n':
            units.push(u'\n');
            break;
          case 'r':
            units.push(u'\r');
            break;
          case 't':
            units.push(u'\t');
            break;
          case 'v':
            units.push(u'\v');
            break;
          default: {
            // Any other escaped character stands for itself, whole: step back
            // and copy its complete UTF-8 sequence.
            --pos_;
            char32_t cp = 0;
            std::size_t len = utf::decodeUtf8(
                reinterpret_cast<const std::uint8_t*>(s_.data()) + pos_, s_.size() - pos_, cp);
            units.finish();
            text.append(s_.data() + pos_, len);
            pos_ += len;
          }
        }
      }
    }
    units.finish();
    return true;
  }

  std::string_view s_;
  std::size_t pos_ = 0;
};

}  // namespace

void readTopObject(std::span<const std::uint8_t> data, StoredValue& value) {
  std::string storage;
  std::optional<std::string_view> doc =
      utf::documentAsUtf8(data, utf::Utf16Detection::kByteOrderMarkOnly, storage);
  value.kind = doc && utf::isValidUtf8(*doc) ? Parser(*doc).parse(value) : Kind::kUnreadable;
  if (value.kind != Kind::kString) value.text.clear();
  if (value.kind != Kind::kStringArray) value.items.clear();
}

}  // namespace quillmark::textplist

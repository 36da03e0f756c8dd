// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Every transcoding path this machine runs, on the same texts, against a
// reference that takes one code point (or unit) at a time: mixed scripts,
// ill-formed bytes and lone surrogates, at every offset of the wide windows.
#include "attrstore/utf16be.h"

#include <gtest/gtest.h>

#include <random>

#include "attrstore/utf.h"
#include "tests/support/temp_dir.h"

namespace quillmark {
namespace {

using utf16be::Path;
using namespace std::string_view_literals;

// Fixed seed: texts of 0 to 299 bytes made of `pieces`, each followed by a
// copy with one of `oddPieces` put between two of its pieces.
std::vector<std::string> randomTexts(const std::vector<std::string_view>& pieces,
                                     const std::vector<std::string_view>& oddPieces = {}) {
  std::mt19937 random(7);
  std::vector<std::string> texts;
  for (int i = 0; i < 3000; ++i) {
    std::string text;
    std::size_t oddAt = 0;
    const std::size_t length = random() % 300, oddAfter = random() % 300;
    while (text.size() < length) {
      if (oddAt == 0 && text.size() >= oddAfter) oddAt = text.size() + 1;
      text += pieces[random() % pieces.size()];
    }
    texts.push_back(text);
    if (oddPieces.empty()) continue;
    const std::string_view odd = oddPieces[random() % oddPieces.size()];
    texts.push_back(text.insert(oddAt == 0 ? text.size() : oddAt - 1, odd));
  }
  return texts;
}

// UTF-16BE of `text`, or nullopt when it is not well-formed UTF-8.
std::optional<Data> referenceUtf16(std::string_view text) {
  Data out;
  const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
  for (std::size_t at = 0; at < text.size();) {
    char32_t c = 0;
    const std::size_t length = utf::decodeUtf8(p + at, text.size() - at, c);
    if (length == 0) return std::nullopt;
    at += length;
    const std::u32string units =
        c < 0x10000 ? std::u32string{c}
                    : std::u32string{0xD800 + ((c - 0x10000) >> 10), 0xDC00 + (c & 0x3FF)};
    for (char32_t unit : units)
      out.insert(out.end(), {std::uint8_t(unit >> 8), std::uint8_t(unit)});
  }
  return out;
}

TEST(Utf16be, EveryPathWritesTheReferencesUtf16AndRejectsWhatItRejects) {
  ASSERT_EQ(utf16be::supportedPaths().front(), Path::kScalar);
  // Well-formed pieces of one to four bytes; ill-formed ones: a stray
  // continuation byte, overlong forms, surrogates, cut sequences, bytes no
  // sequence starts with.
  // clang-format off
  const std::vector<std::string_view> valid = {
      "a", "Lorem ipsum ", "<&>", "\u00e9", "\u00df", "\u4e2d", "\u65e5\u672c", "\uffff",
      "\U0001F600", "\u0800"};
  const std::vector<std::string_view> invalid = {
      "\x80", "\xC0\x80", "\xC1\xBF", "\xC2", "\xE0\x80\x80", "\xE0\x9F\xBF", "\xED\xA0\x80",
      "\xED\xBF\xBF", "\xE4\xB8", "\xF0\x9F\x98", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80",
      "\xF5\x80", "\xFF"};
  // clang-format on
  std::size_t rejected = 0;
  for (const std::string& text : randomTexts(valid, invalid)) {
    const std::optional<Data> expected = referenceUtf16(text);
    rejected += !expected;
    const auto* src = reinterpret_cast<const std::uint8_t*>(text.data());
    for (Path path : utf16be::supportedPaths()) {
      const std::size_t units = utf16be::unitsForUtf8(src, text.size(), path);
      if (expected) {
        EXPECT_EQ(2 * units, expected->size()) << testing::hex(testing::bytes(text));
      }
      Data out(2 * units + utf16be::kOutputSlack);
      const std::uint8_t* end = utf16be::utf8ToUtf16(out.data(), src, text.size(), path);
      out.resize(end ? static_cast<std::size_t>(end - out.data()) : 0);
      EXPECT_EQ(end ? std::optional(out) : std::nullopt, expected)
          << "path " << static_cast<int>(path) << ": " << testing::hex(testing::bytes(text));
    }
  }
  EXPECT_GT(rejected, 2500u);
}

TEST(Utf16be, EveryPathPairsSurrogatesAndReplacesLoneOnes) {
  // Units as two bytes each: ASCII, Latin, CJK, pairs, and lone or reversed halves.
  const std::vector<std::string_view> pieces = {
      "\0a"sv,    "\0 "sv,    "\0a\0b\0c\0d"sv,  "\0\xe9"sv,         "\x07\xff",
      "\x08\0"sv, "\x4e\x2d", "\xff\xff",        "\xd8\x3d\xde\0"sv, "\xd8\0"sv,
      "\xdc\0"sv, "\xdb\xff", "\xdf\xff\xd8\0"sv};
  for (const std::string& text : randomTexts(pieces)) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
    std::string expected = "kept ";
    utf::Utf16ToUtf8 reference(expected);
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
      reference.push(static_cast<char16_t>(p[i] << 8 | p[i + 1]));
    }
    reference.finish();
    for (Path path : utf16be::supportedPaths()) {
      std::string out = "kept ";
      utf16be::appendAsUtf8(out, p, text.size() / 2, path);
      EXPECT_TRUE(out == expected)
          << "path " << static_cast<int>(path) << ": " << testing::hex(testing::bytes(text));
    }
  }
}

}  // namespace
}  // namespace quillmark

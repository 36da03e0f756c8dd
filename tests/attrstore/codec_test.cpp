// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the reader makes of binary, XML and old text-format input that Python
// and libplist never write, including what it must reject or fall back from.
// The bytes written are checked against plistlib in codec_differential_test.
#include "attrstore/codec.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace quillmark {
namespace {

using namespace std::string_literals;

std::string decode(std::string_view raw) { return decodeAttributeValue(testing::bytes(raw)); }

// A binary document: header, objects, offset table, then the trailer's offset
// and reference widths, object count, top object and offset-table offset.
std::string binary(std::string objects, std::string table = "\x08", int offsetWidth = 1,
                   std::uint64_t count = 1, std::uint64_t top = 0, std::uint64_t tableAt = 0) {
  std::string trailer(6, '\0');
  trailer += static_cast<char>(offsetWidth);
  trailer += '\x01';
  for (std::uint64_t field : {count, top, tableAt ? tableAt : 8 + objects.size()})
    for (int shift = 56; shift >= 0; shift -= 8) trailer += static_cast<char>(field >> shift);
  return "bplist00" + objects + table + trailer;
}

TEST(DecodeAttributeValue, BinaryReadsStringsAndRejectsBrokenLayouts) {
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {binary("Scab"), "cab"}, {binary("Sca\xe9"), "ca\u00e9"},  // bytes above 0x7F are Latin-1
      {binary("b\xd8\x3d\0a"s), "\uFFFDa"},                     // a high surrogate without its pair
      {binary("\x5f\x13\0\0\0\0\0\0\0\x03" "abc"s), "abc"},      // a non-minimal count
      {binary("\x08" "Sabc", "\x08\x09", 1, 2, 1), "abc"},        // the top object is not the first
      {binary("Sabc", "\0\0\x08"s, 3), "abc"},                    // any offset width
      // Not a string, or cut short: empty, and no other format is tried.
      {binary("\xd0"), ""}, {binary("\x5f\x11"), ""}, {binary("Tabc"), ""},
      // A trailer that does not hold: the text formats are tried, and fail.
      {binary("Sabc", "\x08\x08"), ""}, {binary("Sabc", "\x0c"), ""}, {binary("Sabc", "\x07"), ""},
      {binary("Sabc", "\x08", 1, 1, 1), ""}, {binary("Sabc", "", 8, 1ull << 61), ""},
  };
  // clang-format on
  for (const auto& [data, text] : cases)
    EXPECT_EQ(decode(data), text) << testing::hex(testing::bytes(data));
  // Too short to be binary: the text format reads one word.
  EXPECT_EQ(decode("bplist00"), "bplist00");
}

TEST(DecodeAttributeValue, XmlReadsTheFirstStringAsWritten) {
  const std::string plist =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE plist [ <!ENTITY x \">\"> ]>"
      "<!-- c --><plist version='1.0' a=\">\">\n";
  const std::pair<std::string, std::string> cases[] = {
      {plist + "<string>a</string>\n</plist> anything", "a"},
      {"<string>no plist</string>", "no plist"},
      {plist + "<string>  a\r\nb\rc \x01\t</string><!-- after --></plist>", "  a\r\nb\rc \x01\t"},
      {"<string>&lt;&gt;&amp;&apos;&quot;&#65;&#x42;&#x1f600;</string>", "<>&'\"AB\U0001F600"},
      {"<string>x<![CDATA[<&>]]>y</string >", "x<&>y"},
      {"\xEF\xBB\xBF<string>bom</string>", "bom"},
      {"\xFF\xFE<\0s\0t\0r\0i\0n\0g\0>\0x\0<\0/\0s\0t\0r\0i\0n\0g\0>\0"s, "x"},
      // Malformed, or another top object: empty.
      // clang-format off
      {"<string>&foo;</string>", ""}, {"<string>&#xD800;</string>", ""}, {"<string>\xC3\x28</string>", ""},
      {"<string>a<!-- c -->b</string>", ""}, {"<plist><string>a</string><string>b</string></plist>", ""},
      {"<plist><dict><key>k</key><string>v</string></dict></plist>", ""},
      {"<plist><array><string>a</string></array></plist>", ""},
      // clang-format on
  };
  for (const auto& [doc, text] : cases) EXPECT_EQ(decode(doc), text) << doc;
  std::string deep;  // nesting is counted, not recursed into
  for (int i = 0; i < 200000; ++i) deep += i < 100000 ? "<array>" : "</array>";
  EXPECT_EQ(decode("<plist>" + deep + "</plist>"), "");
}

TEST(DecodeAttributeValue, TextFormatReadsOneStringAndNothingElse) {
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {"a/b:c.d-e_f$9", "a/b:c.d-e_f$9"}, {"  \"quoted\" // comment\n", "quoted"},
      {"\"\\101\\1012\\0\"", "AA2\0"s}, {"'\\a\\n\\t\\\"\\\\\\q'", "\a\n\t\"\\q"},
      {"\"\\U00e9\\UD83D\\UDE00\"", "\u00e9\U0001F600"}, {"\"\\UD83Dx\"", "\uFFFDx"},
      {"\xFF\xFEh\0i\0"s, "hi"}, {" // only a comment", ""}, {"a = b;", ""}, {"{a = b;}", ""},
      {"\"unterminated", ""},
  };
  // clang-format on
  for (const auto& [doc, text] : cases) EXPECT_EQ(decode(doc), text) << doc;
}

TEST(ReadStoredValue, NamesWhatIsNotOneStringWithoutTrustingReferences) {
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {binary("\xa2\x01\x02" "Sabc", "\x08\x0b", 1, 2), "unreadable"},  // there is no object 2
      {binary("\xa1\x00"s), "a list"},                                    // itself, not looked into
      {binary("\xaf\x10\x64" + std::string(100, '\x01') + "\x5f\x10\x3c" + std::string(60, 'a'),
              "\x08\x6f", 1, 2), "a list"},  // its strings, as listed, outweigh the input
      {"<data>AAEC\n AA==</data>", "data of 4 bytes"}, {"<data>A</data>", "unreadable"},
      {"<array><string>&lt;</string><!-- c --><string/></array>", "<, "},
      {"( \"a\", b, )", "a, b"}, {"(a, (b))", "a list"}, {"<0a>", "data of 1 byte"},
      {"{ a = (\"}\"); }", "a dictionary"}, {"{ a = (b; }", "unreadable"}, {"", "unreadable"}};
  // clang-format on
  for (const auto& [raw, description] : cases)
    EXPECT_EQ(describeStoredValue(readStoredValue(testing::bytes(raw))), description) << raw;
}

}  // namespace
}  // namespace quillmark

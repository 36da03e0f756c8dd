// The codec on fixed cases: the exact bytes written, and what the reader makes
// of binary, XML and old text-format input that Python and libplist never
// write, including everything it must reject or fall back from.
#include "attrstore/codec.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <string>

#include "attrstore/bplist.h"
#include "attrstore/xml_reader.h"
#include "tests/support/temp_dir.h"

namespace quillmark {
namespace {

using testing::bytes;
using testing::hex;
using namespace std::string_literals;
using Bin = bplist::ReadResult;
using Xml = xml::ReadResult;

std::string decode(std::string_view raw) { return decodeAttributeValue(bytes(raw)); }

// A binary document from hex parts; the trailer fields default to a
// well-formed one-object layout.
struct Layout {
  std::string_view objects = "53616263";  // the ASCII string "abc"
  std::string_view table = "08";
  int offsetSize = 1, refSize = 1;
  std::uint64_t count = 1, top = 0, tableOffset = 0;  // tableOffset 0: right after the objects
  std::string_view header = "bplist00";
};

Data binary(const Layout& l) {
  char trailer[81];
  std::snprintf(trailer, sizeof trailer,
                "000000000000%02x%02x%016" PRIx64 "%016" PRIx64 "%016" PRIx64, l.offsetSize,
                l.refSize, l.count, l.top,
                l.tableOffset ? l.tableOffset : 8 + l.objects.size() / 2);
  std::string digits =
      hex(bytes(l.header)) + std::string(l.objects) + std::string(l.table) + trailer;
  Data out;
  for (std::size_t i = 0; i < digits.size(); i += 2)
    out.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  return out;
}

// ASCII `text` as UTF-16 in the given byte order, optionally with a BOM.
std::string utf16(std::string_view text, bool bigEndian, bool bom) {
  std::string out = bom ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
  for (char c : text) out += bigEndian ? "\0"s + c : c + "\0"s;
  return out;
}

TEST(EncodeAttributeValue, WritesTheCanonicalBytesAndNothingForMalformedUtf8) {
  // Header, object, offset table, then the trailer: 6 zero bytes, offset and
  // reference widths, object count, top object, offset-table offset.
  const std::pair<std::string_view, std::string> cases[] = {
      // clang-format off
      {"", "62706c6973743030" "50" "08" "000000000000" "0101" "0000000000000001" "0000000000000000" "0000000000000009"},
      {"abc", "62706c6973743030" "53616263" "08" "000000000000" "0101" "0000000000000001" "0000000000000000" "000000000000000c"},
      {"caf\u00e9", "62706c6973743030" "6400630061006600e9" "08" "000000000000" "0101" "0000000000000001" "0000000000000000" "0000000000000011"},
      {"a\U0001F600b", "62706c6973743030" "640061d83dde000062" "08" "000000000000" "0101" "0000000000000001" "0000000000000000" "0000000000000011"},
      // clang-format on
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(hex(encodeAttributeValue(text)), expected);
  const std::string_view malformed[] = {
      // clang-format off
      "\x80", "a\xFF", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80",
      "\xF5\x80\x80\x80", "\xE2\x82", "ok\xC3",
      // clang-format on
  };
  for (std::string_view text : malformed)
    EXPECT_TRUE(encodeAttributeValue(text).empty()) << hex(bytes(text));
}

TEST(BinaryReader, ReadsStringsRejectsBrokenLayoutsAndEmptiesOtherObjects) {
  const std::string long300 = "5f11012c" + std::string(600, '6');  // 300 'f's: table at 312
  const std::string refs256 = "08" + std::string(510, '0');        // 256 offsets, the top one valid
  const struct {
    Layout layout;
    Bin result;
    std::string text = "";
  } cases[] = {
      {{.objects = "536361e9"}, Bin::kString, "ca\u00e9"},   // bytes above 0x7F are Latin-1
      {{.objects = "62d83d0061"}, Bin::kString, "\uFFFDa"},  // high surrogate without its pair
      {{.objects = "61dc00"}, Bin::kString, "\uFFFD"},       // lone low surrogate
      {{.objects = "61d83d"}, Bin::kString, "\uFFFD"},       // high surrogate at the end
      {{.objects = "5f130000000000000003616263"}, Bin::kString, "abc"},  // non-minimal count
      {{.header = "bplist0?"}, Bin::kString, "abc"},                     // any eighth header byte
      {{.table = "000008", .offsetSize = 3}, Bin::kString, "abc"},       // any offset width
      {{.objects = "0853616263", .table = "0809", .count = 2, .top = 1}, Bin::kString, "abc"},
      {{.table = refs256, .refSize = 2, .count = 256}, Bin::kString, "abc"},
      {{.objects = long300, .table = "0008", .offsetSize = 2}, Bin::kString, std::string(300, 'f')},
      // Not a binary property list: the text formats are tried, and fail.
      // clang-format off
      {{.header = "bplist10"}, Bin::kNotBinary}, {{.table = "", .offsetSize = 0}, Bin::kNotBinary},
      {{.refSize = 0}, Bin::kNotBinary}, {{.table = "", .count = 0}, Bin::kNotBinary},
      {{.top = 1}, Bin::kNotBinary}, {{.objects = "", .tableOffset = 8}, Bin::kNotBinary},
      {{.tableOffset = 13}, Bin::kNotBinary},
      {{.table = "0808"}, Bin::kNotBinary},  // one byte more than the layout accounts for
      {{.table = "", .offsetSize = 8, .refSize = 8, .count = 1ull << 61}, Bin::kNotBinary},  // size overflows
      {{.table = refs256, .count = 256}, Bin::kNotBinary},  // one-byte references cannot name 256 objects
      {{.objects = long300}, Bin::kNotBinary},              // one-byte offsets cannot reach 312
      {{.table = "0c"}, Bin::kNotBinary},                   // offset inside the offset table
      {{.table = "07"}, Bin::kNotBinary},                   // offset inside the header
      // A binary property list whose top object is not a string, or is cut short.
      {{.objects = "d0"}, Bin::kOther}, {{.objects = "5f11"}, Bin::kOther}, {{.objects = "5f"}, Bin::kOther},
      {{.objects = "54616263"}, Bin::kOther},  // count runs into the offset table
      {{.objects = "5f14000000000000000000000000000003616263"}, Bin::kOther},  // 16-byte count
      {{.objects = "62d83d00"}, Bin::kOther},  // UTF-16 count needs 4 bytes, 3 present
      // clang-format on
  };
  for (const auto& [layout, result, text] : cases) {
    Data data = binary(layout);
    std::string ignored;
    EXPECT_EQ(bplist::readTopString(data, ignored), result) << hex(data);
    EXPECT_EQ(decodeAttributeValue(data), text) << hex(data);
  }
  // Too short to be binary, or with a nonsense trailer: the text format reads a word.
  EXPECT_EQ(decode("bplist00"), "bplist00");
  EXPECT_EQ(decode("bplist00" + std::string(40, 'x')), "bplist00" + std::string(40, 'x'));
}

TEST(XmlReader, DecodesTheFirstStringAsWritten) {
  const std::string plist =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE plist [ <!ENTITY x \">\"> ]>"
      "<!-- c --><plist version='1.0' a=\">\">\n";
  const std::pair<std::string, std::string> cases[] = {
      {plist + "<string>a</string>\n</plist> anything", "a"},
      {"<string>no plist</string>", "no plist"},
      {"  \n<string/>", ""},
      {plist + "<string>  a\r\nb\rc \x01\t</string><!-- after --></plist>", "  a\r\nb\rc \x01\t"},
      {"<string>&lt;&gt;&amp;&apos;&quot;&#65;&#x42;&#x1f600;</string>", "<>&'\"AB\U0001F600"},
      {"<string>x<![CDATA[<&>]]>y</string >", "x<&>y"},
      {"<string>\u00e9</string>trailing <junk", "\u00e9"},
      {"\xEF\xBB\xBF<string>bom</string>", "bom"},
  };
  for (const auto& [doc, text] : cases) EXPECT_EQ(decode(doc), text) << doc;
  for (bool bigEndian : {false, true}) {
    for (bool bom : {false, true})
      EXPECT_EQ(decode(utf16("<string>x</string>", bigEndian, bom)), "x");
  }
}

TEST(XmlReader, MalformedFallsThroughAndOtherTopObjectsAreEmpty) {
  const std::string_view malformed[] = {
      // clang-format off
      "<string>&foo;</string>", "<string>&#xD800;</string>", "<string>&#x110000;</string>",
      "<string>&#0;</string>", "<string>&#;</string>", "<string>&#12</string>",
      "<string>a<!-- c -->b</string>", "<string>\xC3\x28</string>", "<string>unterminated",
      "<string>a</strin>", "<string><![CDATA[open</string>", "<plist></plist>", "<plist/>",
      "<plist><string>a</string><string>b</string></plist>", "<foo>a</foo>",
      "<!-- unterminated <string>a</string>", "text <string>a</string>",
      "\xFF\xFE<\0",  // odd-length UTF-16
      // clang-format on
  };
  for (std::string_view doc : malformed) {
    std::string ignored;
    EXPECT_EQ(xml::readTopString(bytes(doc), ignored), Xml::kMalformed) << doc;
    EXPECT_EQ(decode(doc), "") << doc;
  }
  std::string deep;  // nesting is counted, not recursed into
  for (int i = 0; i < 200000; ++i) deep += i < 100000 ? "<array>" : "</array>";
  const std::string other[] = {
      // clang-format off
      "<plist><dict><key>k</key><string>v</string></dict></plist>",
      "<plist><array><string>a</string><array/></array></plist>",
      "<true/>", "<integer>1</integer>", "<data>YQ==</data>", "<plist>" + deep + "</plist>",
      // clang-format on
  };
  for (const std::string& doc : other) {
    std::string ignored;
    EXPECT_EQ(xml::readTopString(bytes(doc), ignored), Xml::kOther) << doc.substr(0, 60);
  }
}

TEST(TextFormatReader, ReadsOneStringAndNothingElse) {
  const std::pair<std::string, std::string> strings[] = {
      // clang-format off
      {"hello", "hello"}, {"a/b:c.d-e_f$9", "a/b:c.d-e_f$9"}, {"'single'", "single"},
      {"  \"quoted string\"\n", "quoted string"}, {"\"\\101\\1012\\0\"", "AA2\0"s},
      {"\"\\a\\b\\f\\n\\r\\t\\v\\\"\\\\\\q\\'\"", "\a\b\f\n\r\t\v\"\\q'"},
      {"\"\\U00e9\\UD83D\\UDE00\\U41g\"", "\u00e9\U0001F600Ag"}, {"\"\\UD83Dx\"", "\uFFFDx"},
      {"/* c */ word // trailing", "word"}, {"\u2028word\u2029", "word"},
      {utf16("hi", false, true), "hi"}, {"\xEF\xBB\xBF" "bom", "bom"},
      // clang-format on
  };
  for (const auto& [doc, text] : strings) EXPECT_EQ(decode(doc), text) << doc;
  // Blank, a strings file ("a = b;"), other objects and broken strings.
  const std::string_view empty[] = {
      // clang-format off
      " // only a comment", "a = b;", "{a = b;}", "\"unterminated", "\"abc\\", "caf\xC3\xA9", "\"\xFF\"",
      // clang-format on
  };
  for (std::string_view doc : empty) EXPECT_EQ(decode(doc), "") << doc;
}

}  // namespace
}  // namespace quillmark

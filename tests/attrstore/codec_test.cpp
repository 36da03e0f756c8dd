// The codec on fixed cases: the exact bytes written, round trips, and what the
// reader makes of binary, XML and old text-format input, including everything
// it must reject or fall back from. Cases the differential test cannot reach
// (inputs Python and libplist never write) live here.
#include "attrstore/codec.h"

#include <gtest/gtest.h>

#include <string>

#include "attrstore/bplist.h"
#include "attrstore/xml_reader.h"
#include "tests/support/temp_dir.h"

namespace quillmark {
namespace {

using testing::bytes;
using testing::hex;
using namespace std::string_literals;

Data unhex(std::string_view digits) {
  Data out;
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
    out.push_back(
        static_cast<std::uint8_t>(std::stoi(std::string(digits.substr(i, 2)), nullptr, 16)));
  }
  return out;
}

std::string decode(std::string_view raw) { return decodeAttributeValue(bytes(raw)); }

// A binary document built from hex parts; the trailer fields default to a
// well-formed one-object layout.
struct Layout {
  std::string_view objects = "53616263";  // the ASCII string "abc"
  std::string_view table = "08";
  int offsetSize = 1;
  int refSize = 1;
  std::uint64_t count = 1;
  std::uint64_t top = 0;
  std::uint64_t tableOffset = 0;  // 0: right after the objects
  std::string_view header = "bplist00";
};

Data binary(const Layout& l) {
  Data d = bytes(l.header);
  for (std::string_view part : {l.objects, l.table}) {
    Data b = unhex(part);
    d.insert(d.end(), b.begin(), b.end());
  }
  d.insert(d.end(), 6, 0);
  d.push_back(static_cast<std::uint8_t>(l.offsetSize));
  d.push_back(static_cast<std::uint8_t>(l.refSize));
  std::uint64_t tableOffset = l.tableOffset ? l.tableOffset : 8 + l.objects.size() / 2;
  for (std::uint64_t field : {l.count, l.top, tableOffset}) {
    for (int shift = 56; shift >= 0; shift -= 8)
      d.push_back(static_cast<std::uint8_t>(field >> shift));
  }
  return d;
}

bplist::ReadResult readBinary(const Data& data) {
  std::string ignored;
  return bplist::readTopString(data, ignored);
}

xml::ReadResult readXml(std::string_view doc) {
  std::string ignored;
  return xml::readTopString(bytes(doc), ignored);
}

// ASCII `text` as UTF-16 in the given byte order, optionally with a BOM.
std::string utf16(std::string_view text, bool bigEndian, bool bom) {
  std::string out = bom ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
  for (char c : text) out += bigEndian ? "\0"s + c : c + "\0"s;
  return out;
}

TEST(EscapeXmlText, ReplacesAmpersandFirstThenAngleBrackets) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"", ""},
      {"Tom & Jerry", "Tom &amp; Jerry"},
      {"a<b>c", "a&lt;b&gt;c"},
      {"&lt;&&", "&amp;lt;&amp;&amp;"},
      {"\"quotes' stay\"", "\"quotes' stay\""},
  };
  for (auto [text, escaped] : cases) EXPECT_EQ(escapeXmlText(text), escaped) << text;
}

TEST(EncodeAttributeValue, WritesTheCanonicalBinaryBytes) {
  // Header, object, offset table, then the trailer: 6 zero bytes, offset and
  // reference widths, object count, top object, offset-table offset.
  const std::pair<std::string_view, std::string> cases[] = {
      // clang-format off
      {"", "62706c6973743030" "50" "08"
           "000000000000" "0101" "0000000000000001" "0000000000000000" "0000000000000009"s},
      {"abc", "62706c6973743030" "53616263" "08"
              "000000000000" "0101" "0000000000000001" "0000000000000000" "000000000000000c"s},
      {"caf\u00e9", "62706c6973743030" "6400630061006600e9" "08"
                    "000000000000" "0101" "0000000000000001" "0000000000000000" "0000000000000011"s},
      {"a\U0001F600b", "62706c6973743030" "640061d83dde000062" "08"
                       "000000000000" "0101" "0000000000000001" "0000000000000000" "0000000000000011"s},
      // Fifteen characters: the first count that needs its own integer object.
      {"fifteen chars!!", "62706c6973743030" "5f100f" "6669667465656e2063686172732121" "08"
                          "000000000000" "0101" "0000000000000001" "0000000000000000" "000000000000001a"s},
      // clang-format on
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(hex(encodeAttributeValue(text)), expected) << text;
  }
}

TEST(EncodeAttributeValue, RoundTripsEveryValidText) {
  const std::string cases[] = {
      "Tom & Jerry",
      "a<b>c",
      " ",
      "  padded  ",
      "\t\n",
      "a\r\nb\rc\n",
      "\x01\x1b\x7f",
      "nul\0inside"s,
      "\u00a0\u2028\u3000",
      "\U0001F600\U0010FFFF",
      "\uFFFE\uFEFF",
      "]]>",
      "&amp; stays literal",
      "</string></plist>",
      "<!-- not a comment -->",
      std::string(100000, 'x'),
  };
  for (const std::string& text : cases) {
    Data value = encodeAttributeValue(text);
    EXPECT_FALSE(value.empty()) << text;
    EXPECT_TRUE(decodeAttributeValue(value) == text) << text.substr(0, 40);
  }
}

TEST(EncodeAttributeValue, WritesNothingForMalformedUtf8) {
  const std::string_view cases[] = {
      "\x80",         "a\xFF",        "\xC0\x80",         "\xC1\xBF",         "\xE0\x9F\xBF",
      "\xED\xA0\x80", "\xED\xBF\xBF", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80",
      "\xE2\x82",     "ok\xC3",       "\xF0\x9F\x98",
  };
  for (std::string_view text : cases)
    EXPECT_TRUE(encodeAttributeValue(text).empty()) << hex(bytes(text));
}

TEST(BinaryReader, DecodesStringObjects) {
  const std::pair<Layout, std::string> cases[] = {
      {{}, "abc"},
      {{.objects = "536361e9"}, "ca\u00e9"},  // bytes above 0x7F are Latin-1
      {{.objects = "53000a0d"}, "\0\n\r"s},
      {{.objects = "62d83dde00"}, "\U0001F600"},
      {{.objects = "62d83d0061"}, "\uFFFDa"},  // high surrogate without its pair
      {{.objects = "61dc00"}, "\uFFFD"},       // lone low surrogate
      {{.objects = "61d83d"}, "\uFFFD"},       // high surrogate at the end
      {{.objects = "5f1003616263"}, "abc"},    // counts need not be minimal
      {{.objects = "5f130000000000000003616263"}, "abc"},
      {{.header = "bplist0?"}, "abc"},                // any eighth header byte
      {{.table = "000008", .offsetSize = 3}, "abc"},  // any offset width
      {{.objects = "0853616263", .table = "0809", .count = 2, .top = 1}, "abc"},
  };
  for (const auto& [layout, text] : cases) {
    Data data = binary(layout);
    EXPECT_EQ(decodeAttributeValue(data), text) << hex(data);
  }
}

TEST(BinaryReader, RejectsBrokenStructureSoOtherFormatsAreTried) {
  const std::string long300 = "5f11012c" + std::string(600, '6');  // 300 'f's: table at 312
  const std::string table256(512, '0');                            // 256 entries of 0 ...
  std::string refTable = table256;
  refTable.replace(0, 2, "08");  // ... the top one valid
  const Layout cases[] = {
      {.table = "", .offsetSize = 0},
      {.refSize = 0},
      {.table = "", .count = 0},
      {.top = 1},
      {.objects = "", .tableOffset = 8},
      {.tableOffset = 13},
      {.table = "0808"},  // one byte more than the layout accounts for
      {.table = "", .offsetSize = 8, .refSize = 8, .count = 0x2000000000000000},  // size overflows
      {.table = refTable, .count = 256},    // one-byte references cannot name 256 objects
      {.objects = long300, .table = "08"},  // one-byte offsets cannot reach offset 312
      {.table = "0c"},                      // offset inside the offset table
      {.table = "07"},                      // offset inside the header
      {.header = "bplist1"},
  };
  for (const Layout& layout : cases) {
    EXPECT_EQ(readBinary(binary(layout)), bplist::ReadResult::kNotBinary) << hex(binary(layout));
    EXPECT_EQ(decodeAttributeValue(binary(layout)), "");
  }
  // The same layouts with the limiting field widened are accepted.
  EXPECT_EQ(readBinary(binary({.table = refTable, .refSize = 2, .count = 256})),
            bplist::ReadResult::kString);
  EXPECT_EQ(readBinary(binary({.objects = long300, .table = "0008", .offsetSize = 2})),
            bplist::ReadResult::kString);
  // Too short to be binary: the text-format fallback reads it as a word.
  EXPECT_EQ(decode("bplist00"), "bplist00");
  EXPECT_EQ(decode("bplist00" + std::string(40, 'x')), "bplist00" + std::string(40, 'x'));
}

TEST(BinaryReader, NonStringOrCorruptTopObjectIsEmptyWithoutFallback) {
  const std::string_view objects[] = {
      "1005",                                      // integer
      "d0",                                        // empty dictionary
      "54616263",                                  // count runs into the offset table
      "5f14000000000000000000000000000003616263",  // 16-byte count
      "5f11",                                      // count bytes missing
      "5f",                                        // count marker missing
      "62d83d00",                                  // UTF-16 count needs 4 bytes, 3 present
  };
  for (std::string_view o : objects) {
    EXPECT_EQ(readBinary(binary({.objects = o})), bplist::ReadResult::kOther) << o;
  }
}

TEST(XmlReader, DecodesTheFirstStringAsWritten) {
  const std::string plist =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE plist [ <!ENTITY x \">\"> ]>"
      "<!-- c --><plist version='1.0' a=\">\">\n";
  const std::pair<std::string, std::string> cases[] = {
      {plist + "<string>a</string>\n</plist>", "a"},
      {"<string>no plist</string>", "no plist"},
      {"  \n<string/>", ""},
      {plist + "<string>  a\r\nb\rc \x01\t</string><!-- after --></plist>", "  a\r\nb\rc \x01\t"},
      {"<string>&lt;&gt;&amp;&apos;&quot;&#65;&#x42;&#x1f600;</string>", "<>&'\"AB\U0001F600"},
      {"<string>x<![CDATA[<&>]]>y</string >", "x<&>y"},
      {"<string>\u00e9</string>trailing <junk", "\u00e9"},
      {plist + "<string>a</string></plist> anything", "a"},
      {"\xEF\xBB\xBF<string>bom</string>", "bom"},
      {utf16("<string>le</string>", false, true), "le"},
      {utf16("<string>be</string>", true, true), "be"},
      {utf16("<string>le</string>", false, false), "le"},
      {utf16("<string>be</string>", true, false), "be"},
  };
  for (const auto& [doc, text] : cases) EXPECT_EQ(decode(doc), text) << doc;
}

TEST(XmlReader, MalformedDocumentsFallThrough) {
  const std::string_view cases[] = {
      "<string>&foo;</string>",
      "<string>a & b</string>",
      "<string>&#xD800;</string>",
      "<string>&#x110000;</string>",
      "<string>&#0;</string>",
      "<string>&#;</string>",
      "<string>&#12</string>",
      "<string>a<!-- c -->b</string>",
      "<string>\xC3\x28</string>",
      "<string>unterminated",
      "<string>a</strin>",
      "<string><![CDATA[open</string>",
      "<plist><string>a</string><string>b</string></plist>",
      "<plist><string>a</string>text</plist>",
      "<plist><string>a</string>",
      "<plist></plist>",
      "<plist/>",
      "<foo>a</foo>",
      "<!-- unterminated <string>a</string>",
      "text <string>a</string>",
      "\xFF\xFE<\0",  // odd-length UTF-16
  };
  for (std::string_view doc : cases) {
    EXPECT_EQ(readXml(doc), xml::ReadResult::kMalformed) << doc;
    EXPECT_EQ(decode(doc), "") << doc;
  }
}

TEST(XmlReader, OtherTopObjectsAreEmpty) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<array>";
  for (int i = 0; i < 100000; ++i) deep += "</array>";
  const std::string cases[] = {
      "<plist><dict><key>k</key><string>v</string></dict></plist>",
      "<plist><array><string>a</string><array/></array></plist>",
      "<true/>",
      "<integer>1</integer>",
      "<key>k</key>",
      "<data>YQ==</data>",
      "<plist>" + deep + "</plist>",
  };
  for (const std::string& doc : cases)
    EXPECT_EQ(readXml(doc), xml::ReadResult::kOther) << doc.substr(0, 60);
}

TEST(TextFormatReader, ReadsOneStringAndNothingElse) {
  const std::pair<std::string, std::string> strings[] = {
      {"hello", "hello"},
      {"a/b:c.d-e_f$9", "a/b:c.d-e_f$9"},
      {"  \"quoted string\"\n", "quoted string"},
      {"'single'", "single"},
      {"\"\\a\\b\\f\\n\\r\\t\\v\\\"\\\\\\q\\'\"", "\a\b\f\n\r\t\v\"\\q'"},
      {"\"\\101\\1012\\0\"", "AA2\0"s},
      {"\"\\U00e9\\UD83D\\UDE00\\U41g\"", "\u00e9\U0001F600Ag"},
      {"\"\\UD83Dx\"", "\uFFFDx"},
      {"\"a\\\nb\"", "a\nb"},
      {"/* c */ word // trailing", "word"},
      {"\u2028word\u2029", "word"},
      {"\"caf\u00e9\"", "caf\u00e9"},
      {utf16("hi", false, true), "hi"},
      {"\xEF\xBB\xBF" "bom", "bom"},
  };
  for (const auto& [doc, text] : strings) EXPECT_EQ(decode(doc), text) << doc;

  const std::string_view empty[] = {
      "",    "   ",      "// only a comment", "a = b;",  "hello world", "\"a\" \"b\"", "{a = b;}",
      "(a)", "<616263>", "\"unterminated",    "\"abc\\", "caf\xC3\xA9", "\"\xFF\"",
  };
  for (std::string_view doc : empty) EXPECT_EQ(decode(doc), "") << doc;
}

}  // namespace
}  // namespace quillmark

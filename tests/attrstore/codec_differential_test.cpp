// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The codec against two independent implementations, Python's plistlib and
// libplist's plistutil. A fixed corpus (scripts, control characters, line
// ends, markup characters, lengths around every width boundary of the format)
// goes to one Python process in one batch; the same process runs plistutil.
#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <sstream>

#include "attrstore/codec.h"
#include "tests/support/temp_dir.h"

namespace quillmark {
namespace {

using testing::bytes;

struct Case {
  std::string label, text;
  Data plistlibBinary = {}, plistlibXml = {};  // XML empty when plistlib refuses the text
  std::string verdicts = {};
};

std::vector<Case> makeCorpus() {
  // Lengths in characters, around the count widths (15, 256, 65,536) and the
  // offset-table widths (the table passes offset 256 or 65,536) for one- and
  // two-unit characters.
  constexpr std::size_t kLengths[] = {0,     1,     13,    14,    15,    16,    121,   122,   123,
                                      244,   245,   246,   255,   256,   257,   32761, 32762, 32763,
                                      65523, 65524, 65525, 65535, 65536, 65537, 70000};
  std::vector<std::pair<std::string, std::vector<std::string_view>>> alphabets = {
      {"ascii", {"a", "Z", "0", "~", " ", ".", "/", "_"}},
      {"latin", {"\u00e9", "\u00fc", "\u00df", "\u00f1", "\u00d8", "\u00ff", "a"}},
      {"cjk", {"\u4e2d", "\u65e5", "\u672c", "\ud55c", "\u30fc", "\uff21"}},
      {"astral", {"\U0001F600", "\U0001D11E", "\U00020706", "\U0001F1EB"}},
      {"control", {"\x01", "\x07", "\x1b", "\x1f", "\x7f", "\t", std::string_view("\0", 1)}},
      {"lines", {"\r", "\n", "\r\n", "x"}},
      {"markup", {"&", "<", ">", "&amp;", "]]>", "\"", "'", "<!--"}},
      {"blank", {" ", "\t", "\u00a0", "\u2028", "\u3000"}},
  };
  std::vector<std::string_view> mixed;
  for (const auto& [name, characters] : alphabets)
    mixed.insert(mixed.end(), characters.begin(), characters.end());
  alphabets.emplace_back("mixed", mixed);
  std::mt19937 random(20240601);  // fixed seed: the same corpus on every run
  std::vector<Case> corpus = {{"markup as text", "</string></plist>"},
                              {"edges of the range", "\uFEFF\uFFFE\U0010FFFF"}};
  for (const auto& [name, characters] : alphabets) {
    for (std::size_t length : kLengths) {
      Case& c = corpus.emplace_back(Case{name + " x " + std::to_string(length), ""});
      for (std::size_t i = 0; i < length; ++i) c.text += characters[random() % characters.size()];
    }
  }
  return corpus;
}

// The corpus with plistlib's values and the verdicts on ours, from one Python run.
std::vector<Case> askOracle(bool withPlistutil) {
  std::vector<Case> cases = makeCorpus();
  std::string batch, verdicts;
  for (const Case& c : cases)
    batch += testing::hex(bytes(c.text)) + ' ' + testing::hex(encodeAttributeValue(c.text)) + '\n';
  testing::TempDir dir;
  const int status =
      testing::runCommand("python3 " QUILLMARK_SOURCE_DIR "/tests/attrstore/plist_oracle.py '" +
                              dir.path().string() + "'" + (withPlistutil ? " --plistutil" : "") +
                              " < '" + dir.writeFile("in", batch).string() + "'",
                          &verdicts);
  EXPECT_EQ(status, 0) << "plist_oracle.py failed";
  std::istringstream lines(verdicts);
  for (std::size_t i = 0; i < cases.size() && std::getline(lines, cases[i].verdicts); ++i) {
    cases[i].plistlibBinary = bytes(testing::readFile(dir.path() / (std::to_string(i) + ".bin")));
    cases[i].plistlibXml = bytes(testing::readFile(dir.path() / (std::to_string(i) + ".xml")));
  }
  return cases;
}

TEST(PlistlibOracle, WritesPlistlibsBytesAndReadsPlistlibsBinaryAndXml) {
  std::size_t xmlCases = 0;
  const std::vector<Case> corpus = askOracle(false);
  for (const Case& c : corpus) {
    EXPECT_EQ(c.verdicts, "bytes=same plistlib=ok") << c.label;
    EXPECT_TRUE(decodeAttributeValue(c.plistlibBinary) == c.text) << c.label << " (binary)";
    if (c.plistlibXml.empty()) continue;
    ++xmlCases;
    // plistlib's XML writer turns CR LF and lone CR into LF.
    EXPECT_TRUE(decodeAttributeValue(c.plistlibXml) ==
                std::regex_replace(c.text, std::regex("\r\n?"), "\n"))
        << c.label << " (XML)";
  }
  EXPECT_GT(xmlCases, corpus.size() / 2);
}

TEST(PlistlibOracle, TellsWhatPlistlibWroteWhenItIsNotOneString) {
  using enum StoredValue::Kind;
  const std::pair<StoredValue::Kind, std::string> expected[] = {
      // plist_oracle.py's OTHERS
      {kStringArray, "harbour, dawn, boats"},
      {kNumber, "a number"},
      {kNumber, "a number"},
      {kDate, "a date"},
      {kStringArray, "\u00e9\U0001F600, , \u00e9\U0001F600"},
      {kData, "data of 3 bytes"},
      {kBoolean, "a true or false value"},
      {kArray, "a list"},
      {kDictionary, "a dictionary"},
      {kStringArray, "an empty list"}};
  testing::TempDir dir;
  const std::string command = "python3 " QUILLMARK_SOURCE_DIR "/tests/attrstore/plist_oracle.py '";
  ASSERT_EQ(testing::runCommand(command + dir.path().string() + "' </dev/null >/dev/null"), 0);
  for (std::size_t i = 0; i < 2 * std::size(expected); ++i) {  // each in binary, then XML
    const std::string name = "other" + std::to_string(i / 2) + (i % 2 ? ".xml" : ".bin");
    const StoredValue value = readStoredValue(bytes(testing::readFile(dir.path() / name)));
    EXPECT_EQ(std::pair(value.kind, describeStoredValue(value)), expected[i / 2]) << name;
  }
}

TEST(PlistutilOracle, ReadsOurValuesBack) {
  if (testing::runCommand("command -v plistutil >/dev/null") != 0)
    GTEST_SKIP() << "plistutil not installed (package libplist-utils)";
  for (const Case& c : askOracle(true))
    EXPECT_EQ(c.verdicts, "bytes=same plistlib=ok plistutil=ok") << c.label;
}

}  // namespace
}  // namespace quillmark

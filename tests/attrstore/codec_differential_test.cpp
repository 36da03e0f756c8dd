// The codec against two independent implementations: Python's plistlib and
// libplist's plistutil. A deterministic corpus (scripts, control characters,
// line ends, markup characters, lengths around every width boundary of the
// format) goes to one Python process in one batch file; the same process runs
// plistutil for the readback check.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "attrstore/codec.h"
#include "tests/support/temp_dir.h"

namespace quillmark {
namespace {

using testing::bytes;
using testing::readFile;
using testing::runCommand;
using testing::TempDir;

struct Case {
  std::string label;
  std::string text;
  Data ours;
  Data plistlibBinary;
  Data plistlibXml;  // empty when plistlib refuses the text (control characters)
  std::string verdicts;
};

struct Alphabet {
  std::string_view name;
  std::vector<std::string_view> characters;
};

std::vector<Alphabet> alphabets() {
  std::vector<Alphabet> list = {
      {"ascii", {"a", "Z", "0", "~", " ", ".", "/", "_"}},
      {"latin", {"\u00e9", "\u00fc", "\u00df", "\u00f1", "\u00d8", "\u00ff", "a"}},
      {"cjk", {"\u4e2d", "\u65e5", "\u672c", "\ud55c", "\u30fc", "\uff21"}},
      {"astral", {"\U0001F600", "\U0001D11E", "\U00020706", "\U0001F1EB"}},
      {"control", {"\x01", "\x07", "\x1b", "\x1f", "\x7f", "\t", std::string_view("\0", 1)}},
      {"lines", {"\r", "\n", "\r\n", "x"}},
      {"markup", {"&", "<", ">", "&amp;", "]]>", "\"", "'", "<!--"}},
      {"blank", {" ", "\t", "\u00a0", "\u2028", "\u3000"}},
  };
  Alphabet mixed{"mixed", {}};
  for (const Alphabet& a : list)
    mixed.characters.insert(mixed.characters.end(), a.characters.begin(), a.characters.end());
  list.push_back(mixed);
  return list;
}

// Lengths in characters, around the count widths (15, 256, 65,536) and the
// offset-table widths (the table passes offset 256 or 65,536) for one- and
// two-unit characters.
constexpr std::size_t kLengths[] = {0,     1,     2,     13,    14,    15,    16,    121,   122,
                                    123,   244,   245,   246,   255,   256,   257,   4096,  32761,
                                    32762, 32763, 65523, 65524, 65525, 65535, 65536, 65537, 70000};

std::vector<Case> makeCorpus() {
  std::vector<Case> corpus;
  std::mt19937 random(20240601);  // fixed seed: the same corpus on every run
  for (const Alphabet& alphabet : alphabets()) {
    for (std::size_t length : kLengths) {
      Case c{std::string(alphabet.name) + " x " + std::to_string(length), {}, {}, {}, {}, {}};
      for (std::size_t i = 0; i < length; ++i) {
        c.text += alphabet.characters[random() % alphabet.characters.size()];
      }
      corpus.push_back(std::move(c));
    }
  }
  for (std::string_view text : {"Tom & Jerry", "a<b>c", "  ", "\r\n", "x\ry", "&lt;"}) {
    corpus.push_back({"literal " + std::string(text), std::string(text), {}, {}, {}, {}});
  }
  for (Case& c : corpus) c.ours = encodeAttributeValue(c.text);
  return corpus;
}

void putRecord(std::string& out, std::string_view record) {
  const auto n = static_cast<std::uint32_t>(record.size());
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(n >> shift);
  out += record;
}

std::string takeRecord(std::string_view& in) {
  if (in.size() < 4) return {};
  std::uint32_t n = 0;
  for (int i = 0; i < 4; ++i) n = n << 8 | static_cast<std::uint8_t>(in[i]);
  std::string record(in.substr(4, n));
  in.remove_prefix(std::min<std::size_t>(in.size(), 4 + std::size_t{n}));
  return record;
}

// The corpus with every oracle answer filled in; one Python run per process
// and mode. Fails the current test when the oracle does not answer.
const std::vector<Case>& oracleCorpus(bool withPlistutil) {
  static std::vector<Case> answered[2];
  std::vector<Case>& corpus = answered[withPlistutil];
  if (!corpus.empty()) return corpus;
  const char* sourceDir = std::getenv("QUILLMARK_SOURCE_DIR");
  std::string script = std::string(sourceDir ? sourceDir : QUILLMARK_DEFAULT_SOURCE_DIR) +
                       "/tests/attrstore/plist_oracle.py";
  TempDir dir;
  std::vector<Case> cases = makeCorpus();
  std::string batch;
  for (const Case& c : cases) {
    putRecord(batch, c.text);
    putRecord(batch, std::string_view(reinterpret_cast<const char*>(c.ours.data()), c.ours.size()));
  }
  auto in = dir.writeFile("in", batch), out = dir.path() / "out";
  std::string log;
  int status = runCommand("python3 '" + script + "' '" + in.string() + "' '" + out.string() + "'" +
                              (withPlistutil ? " --plistutil" : "") + " 2>&1",
                          &log);
  if (status != 0) {
    ADD_FAILURE() << "plist_oracle.py failed (" << status << "):\n" << log;
    return corpus;
  }
  std::string answers = readFile(out);
  std::string_view rest = answers;
  for (Case& c : cases) {
    c.plistlibBinary = bytes(takeRecord(rest));
    c.plistlibXml = bytes(takeRecord(rest));
    c.verdicts = takeRecord(rest);
  }
  corpus = std::move(cases);
  return corpus;
}

std::string firstDifference(const Data& a, const Data& b) {
  std::size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  return "sizes " + std::to_string(a.size()) + " vs " + std::to_string(b.size()) +
         ", first difference at byte " + std::to_string(i);
}

// plistlib's XML writer turns CR LF and lone CR into LF before escaping.
std::string withLfLineEnds(std::string text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out += text[i];
    } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
      out += '\n';
    }
  }
  return out;
}

TEST(PlistlibOracle, EncoderWritesPlistlibsBytesWhichPlistlibReadsBack) {
  const std::vector<Case>& corpus = oracleCorpus(false);
  ASSERT_FALSE(corpus.empty());
  for (const Case& c : corpus) {
    EXPECT_TRUE(c.ours == c.plistlibBinary)
        << c.label << ": " << firstDifference(c.ours, c.plistlibBinary);
    EXPECT_EQ(c.verdicts, "plistlib=ok") << c.label;
  }
}

TEST(PlistlibOracle, DecoderReadsPlistlibsBinaryAndXml) {
  const std::vector<Case>& corpus = oracleCorpus(false);
  ASSERT_FALSE(corpus.empty());
  std::size_t xmlCases = 0;
  for (const Case& c : corpus) {
    EXPECT_TRUE(decodeAttributeValue(c.plistlibBinary) == c.text) << c.label << " (binary)";
    if (c.plistlibXml.empty()) continue;
    ++xmlCases;
    EXPECT_TRUE(decodeAttributeValue(c.plistlibXml) == withLfLineEnds(c.text))
        << c.label << " (XML)";
  }
  EXPECT_GT(xmlCases, corpus.size() / 2);
}

TEST(PlistutilOracle, ReadsOurValuesBack) {
  if (runCommand("command -v plistutil >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "plistutil not installed (package libplist-utils)";
  }
  const std::vector<Case>& corpus = oracleCorpus(true);
  ASSERT_FALSE(corpus.empty());
  for (const Case& c : corpus) {
    EXPECT_EQ(c.verdicts, "plistlib=ok plistutil=ok") << c.label;
  }
}

}  // namespace
}  // namespace quillmark

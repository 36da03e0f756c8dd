// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// AppleDouble sidecars against real ones macOS wrote (appledouble/README.md): each is read whole,
// rewritten byte for byte in the kernel's layout, and refused once damaged. (Changing one value in
// each on a real exFAT volume is tested through quillmark-cli, against an independent reader.)
#include "attrstore/appledouble.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace quillmark::appledouble {
namespace {

constexpr char kSamples[] = QUILLMARK_SIDECAR_SAMPLES;
Data sample(const std::string& name) { return testing::bytes(testing::readFile(kSamples + name)); }

// "name=length" for each attribute in order, names from their last '.', '_' or ':'.
std::string summary(const Sidecar& sidecar) {
  std::string text;
  for (const auto& [name, value, flags] : sidecar.attributes)
    text += name.substr(name.find_last_of("._:") + 1) + "=" + std::to_string(value.size()) + " ";
  return text;
}

TEST(AppleDouble, ReadsRealSidecarsAndWritesThemAsTheKernelDoes) {
  // The middle column: written back byte for byte, debug tag aside (no leftovers in padding).
  const std::tuple<std::string, bool, std::string> cases[] = {
      {"kernel-4096-wherefroms-tags-quarantine", false,
       "quarantine=57 lastuseddate#PS=16 kMDItemUserTags=42 kMDItemWhereFroms=349 "},
      {"kernel-resource-fork-78k", true, "kMDItemUserTags=42 "},
      {"kernel-4096-zero-length-value", true,
       "PlistType=0 lastuseddate#PS=16 s5ujg7cl6vikrmitrclhxeuxve=89 "},
      {"kernel-4096-label-opaque-nonascii-tag", true,
       "quarantine=17 lastuseddate#PS=16 kMDItemUserTags=53 yigewygfgxtbiyspageelhavwu=89 "},
      {"zip-compact-wherefroms-macl", false,
       "macl=72 kMDItemWhereFroms=110 provenance=11 quarantine=24 "},
      {"tar-compact-zero-length-offset-0", false, "first=5 second=6 empty=0 last=4 "},
  };
  for (const auto& [file, sameBytes, attributes] : cases) {
    SCOPED_TRACE(file);
    Data bytes = sample(file);
    std::fill_n(bytes.begin() + 88, 4, 0);  // the debug tag, which serialize writes as 0
    const Sidecar original = parse(bytes).value();
    EXPECT_EQ(summary(original), attributes);
    EXPECT_TRUE(!sameBytes || serialize(original) == bytes);
    EXPECT_EQ(parse(serialize(original)), original);
    // From the headers alone (the fork sample is past them), each value found where it lies.
    const auto layout = parseLayout(std::span(bytes).first(std::min(bytes.size(), kLayoutSpan)),
                                    bytes.size());
    for (std::size_t i = 0; i < original.attributes.size(); ++i) {
      const Extent value = layout.value().attributes.at(i).value;
      EXPECT_TRUE(std::equal(bytes.begin() + value.offset, bytes.begin() + value.end(),
                             original.attributes[i].value.begin(), original.attributes[i].value.end()));
    }
  }
}

TEST(AppleDouble, RefusesDamagedSidecars) {
  Data zip = sample("zip-compact-wherefroms-macl");
  EXPECT_FALSE(parse(std::span(zip).first(zip.size() - 1)));  // the last value cut short
  EXPECT_FALSE(parseLayout(zip, zip.size() - 1));
  // One change each: an entry of another kind, a value past the end, values sharing bytes, a
  // name without its NUL, a name twice.
  for (const auto& [at, with] : std::initializer_list<std::pair<std::size_t, std::string_view>>{
           {29, "\3"}, {121, "\1"}, {0x97, "\5"}, {0x91, "x"}, {0xd9, "quarantine"}}) {
    Data damaged = zip;
    std::copy(with.begin(), with.end(), damaged.begin() + at);
    EXPECT_FALSE(parse(damaged) || parseLayout(damaged, damaged.size())) << at;
  }
  // Finder info alone, without an attribute area, is a sidecar with no attributes.
  std::copy_n("\0\x20", 2, zip.begin() + 36);
  EXPECT_EQ(parse(zip), Sidecar{});
}

}  // namespace
}  // namespace quillmark::appledouble

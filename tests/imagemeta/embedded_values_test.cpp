// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "imagemeta/embedded_values.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "attrstore/names.h"

#include "tests/support/temp_dir.h"

namespace quillmark {
namespace {

using namespace testing;
using Outcome = EmbeddedValues::Outcome;
using Texts = std::array<std::string, kFieldCount>;

// XMP wins over IPTC, whose text is UTF-8 only when its marker says so. Only
// images go to exiv2 (a damaged one is the command line's test).
TEST(EmbeddedValuesTest, XmpOverIptcInItsCharacterSetAndOnlyFromImages) {
  TempDir dir;
  const auto utf8 = dir.path() / "harbour.jpg", latin1 = dir.path() / "cafe.jpg";
  writeJpeg(utf8, {kIptcUtf8, "set Iptc.Application2.Headline String Hafen – Zoë",
                   "set Xmp.dc.description LangAlt lang=de-DE Hafenlichter",
                   "set Xmp.dc.description LangAlt lang=x-default Harbour lights at dawn",
                   "add Iptc.Application2.Byline String Ada Lovelace",
                   "add Iptc.Application2.Byline String Zoë Brun",
                   "set Xmp.dc.rights LangAlt lang=de-DE © Hafenamt",
                   "add Iptc.Application2.Keywords String overridden",
                   "set Xmp.dc.subject XmpBag dawn", "set Xmp.dc.subject XmpBag Möwe"});
  writeJpeg(latin1, {"set Iptc.Application2.Headline String Caf\xE9",
                     "add Iptc.Application2.Keywords String boats",
                     "add Iptc.Application2.Keywords String Kr\xE4n"});
  EXPECT_EQ(readEmbeddedValues(utf8).texts,
            (Texts{"© Hafenamt", "Ada Lovelace, Zoë Brun", "Harbour lights at dawn", "Hafen – Zoë",
                   "dawn, Möwe"}));
  EXPECT_EQ(readEmbeddedValues(latin1).texts, (Texts{"", "", "", "Café", "boats, Krän"}));
  const auto fifo = dir.path() / "fifo.jpg";  // must not block
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const auto& path : {fifo, dir.writeFile("x.jpg", "<?xpacket begin=")})
    EXPECT_EQ(readEmbeddedValues(path).outcome, Outcome::kNotAnImage);
  EXPECT_EQ(readEmbeddedValues(dir.path() / "gone.jpg").problem, "No such file or directory");
}

}  // namespace
}  // namespace quillmark

#include "imagemeta/embedded_values.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/temp_dir.h"

namespace quillmark {
namespace {

using namespace testing;
using Outcome = EmbeddedValues::Outcome;
using Texts = std::array<std::string, 5>;

TEST(EmbeddedValuesTest, XmpWinsOverIptcWhoseTextIsUtf8OnlyWhenItsMarkerSaysSo) {
  TempDir dir;
  const auto utf8 = dir.path() / "harbour.jpg", latin1 = dir.path() / "cafe.jpg";
  writeJpeg(utf8, {kIptcUtf8, "set Iptc.Application2.Headline String Hafen – Zoë",
                   "set Iptc.Application2.Caption String overridden",
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
  const EmbeddedValues values = readEmbeddedValues(utf8);
  EXPECT_EQ(values.outcome, Outcome::kRead) << values.problem;
  EXPECT_EQ(values.texts, (Texts{"© Hafenamt", "Ada Lovelace, Zoë Brun", "Harbour lights at dawn",
                                 "Hafen – Zoë", "dawn, Möwe"}));
  EXPECT_EQ(readEmbeddedValues(latin1).texts, (Texts{"", "", "", "Café", "boats, Krän"}));
}

// A damaged image is the editor's test: its alert carries exiv2's reason.
TEST(EmbeddedValuesTest, OnlyImagesGoToExiv2) {
  TempDir dir;
  const auto fifo = dir.path() / "fifo.jpg";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

  EXPECT_EQ(readEmbeddedValues(dir.writeFile("x.jpg", "<?xpacket begin=")).outcome,
            Outcome::kNotAnImage);
  EXPECT_EQ(readEmbeddedValues(fifo).outcome, Outcome::kNotAnImage);
  EXPECT_EQ(readEmbeddedValues(dir.path() / "gone.jpg").problem, "No such file or directory");
}

}  // namespace
}  // namespace quillmark

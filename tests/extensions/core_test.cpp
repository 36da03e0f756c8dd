// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What a file manager is shown of items, read off its main thread, on real files. Which items it
// reads again is proven inside the real file managers (tests/extensions/*_test.py).
#include <gtest/gtest.h>
#include <poll.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "attrstore/codec.h"
#include "attrstore/string_array.h"
#include "extensions/core/shown_pool.h"
#include "extensions/core/shown_values.h"
#include "tests/support/temp_dir.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

constexpr std::string_view kMetadata = "com.apple.metadata:";

void put(const fs::path& path, std::string_view key, const Data& value) {
  testing::setRawAttribute(path, std::string(kMetadata) + std::string(key),
                           std::string_view(reinterpret_cast<const char*>(value.data()), value.size()));
}

Data strings(const std::vector<std::string>& items) { return encodeStringArray(items); }

TEST(ShownValuesTest, ShowsEachValueBoundedAndWhatAnythingElseIs) {
  const TempDir dir;
  const fs::path photo = dir.writeFile("photo.jpg");
  put(photo, "kMDItemKeywords", strings({"Boat", "Harbour"}));
  testing::setRawAttribute(photo, "com.apple.metadata:kMDItemCreator", "not a property list");
  std::vector<std::string> tags{"Work\n6", "Harbour", "Odd\n9"};
  for (int i = 0; i < 70; ++i) tags.push_back("t" + std::to_string(i));
  put(photo, "_kMDItemUserTags", strings(tags));

  const ShownValues shown = readShownValues(photo.native());
  std::string accents;
  while (accents.size() < 300) accents += "é";  // two bytes: a cut must not split one
  EXPECT_EQ(columnLine(accents), accents.substr(0, kColumnBytes - 4) + "\xE2\x80\xA6") << "cut on a character, marked";
  EXPECT_EQ(columnLine("Dunes\r\n\n\tat dusk  here\n"), "Dunes at dusk  here");
  EXPECT_EQ(shown.fields[kKeywords].text, "Boat, Harbour");
  EXPECT_TRUE(shown.fields[kCreator].described);
  EXPECT_EQ(shown.fields[kCreator].text, "unreadable");
  EXPECT_EQ(shown.fields[kCopyright].text, "");
  ASSERT_EQ(shown.tags.size(), kShownTags);
  EXPECT_EQ(shown.moreTags, tags.size() - kShownTags);
  const std::array<std::string, kTagColours> colours{"", "grey", "green", "purple", "blue", "yellow", "red", "orange"};
  EXPECT_TRUE(tagsLine(shown, colours).starts_with("Work (red), Harbour, Odd, t0"));
  EXPECT_TRUE(tagsLine(shown, colours).ends_with(", + 9"));

  put(photo, "_kMDItemUserTags", encodeAttributeValue("Work"));
  EXPECT_EQ(readShownValues(photo.native()).tagsKeptAs.text, "a string");
  EXPECT_FALSE(readShownValues((dir.path() / "missing").native()).any());
}

TEST(ShownValuesTest, AHostileSidecarShowsAsUnreadable) {
  const TempDir dir;
  const fs::path item = dir.writeFile("x");
  // An AppleDouble header whose entries point far past the file's end and wrap around.
  std::string sidecar("\x00\x05\x16\x07\x00\x02\x00\x00", 8);
  sidecar += std::string(16, ' ');
  sidecar += std::string("\x00\x02", 2);
  sidecar += std::string("\x00\x00\x00\x09\xFF\xFF\xFF\xF0\x7F\xFF\xFF\xFF", 12);
  sidecar += std::string("\x00\x00\x00\x02\x00\x00\x00\x10\xFF\xFF\xFF\xFF", 12);
  dir.writeFile("._x", sidecar);
  const ShownValues shown = readShownValues(item.native());
  EXPECT_EQ(shown.fields[kHeadline].text, "unreadable");
  EXPECT_EQ(shown.tagsKeptAs.text, "unreadable");
}

TEST(ShownPoolTest, DeliversEveryReadNotCancelledOnce) {
  const TempDir dir;
  std::vector<std::string> paths;
  for (int i = 0; i < 60; ++i) {
    const fs::path item = dir.writeFile((i % 3 ? "a/" : "b/") + std::to_string(i));
    put(item, "kMDItemHeadline", encodeAttributeValue("Headline " + std::to_string(i)));
    paths.push_back(item.native());
  }
  ShownPool pool(3, 4);
  std::map<ShownPool::Ticket, std::string> wanted;
  std::set<ShownPool::Ticket> cancelled;
  for (const std::string& path : paths) {
    const ShownPool::Ticket ticket = pool.request(path);
    wanted[ticket] = path;
    if (ticket % 7 == 0 && cancelled.insert(ticket).second) pool.cancel(ticket);  // queued, under way or done
  }
  for (std::set<ShownPool::Ticket> delivered; delivered.size() + cancelled.size() < wanted.size();) {
    pollfd readable{pool.descriptor(), POLLIN, 0};
    ASSERT_EQ(poll(&readable, 1, 10000), 1) << "results stopped coming";
    for (ShownPool::Done& done : pool.takeDone()) {
      const std::string& path = wanted[done.ticket];
      EXPECT_FALSE(cancelled.contains(done.ticket)) << path;
      EXPECT_TRUE(delivered.insert(done.ticket).second) << "twice: " << path;
      EXPECT_EQ(done.values.fields[kHeadline].text, "Headline " + path.substr(path.find_last_of('/') + 1));
    }
  }
}

}  // namespace
}  // namespace quillmark

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Which items others' changes are reported for, on real files.
#include "editor/item_watch.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include "tests/support/temp_dir.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using Changed = std::vector<std::size_t>;
using testing::TempDir;

TEST(ItemWatchTest, ReportsEachChangedItemOnceAndNothingElse) {
  const TempDir dir;
  const fs::path& top = dir.path();
  for (const char* name : {"a", "b", "c", "other", "sub/a"}) dir.writeFile(name);
  fs::create_directory(top / "d");
  // "sub/a" shares its name with "a", and "missing" has no folder to watch.
  ItemWatch watch({top / "a", top / "b", top / "c", top / "d", top / "sub/a", top / "missing/x"});
  EXPECT_EQ(watch.unwatched(), Changed{5});
  EXPECT_EQ(watch.takeChanged(), Changed{});

  testing::setRawAttribute(top / "a", "com.apple.metadata:kMDItemHeadline", "Dunes");
  pollfd readable{watch.descriptor(), POLLIN, 0};
  EXPECT_EQ(poll(&readable, 1, 0), 1);
  EXPECT_EQ(watch.takeChanged(), Changed{0});

  dir.writeFile("other", "text");
  testing::setRawAttribute(top / "other", "com.apple.metadata:kMDItemHeadline", "Dunes");
  dir.writeFile("._other");
  EXPECT_EQ(watch.takeChanged(), Changed{});

  dir.writeFile("._b");
  EXPECT_EQ(watch.takeChanged(), Changed{1});
  fs::rename(dir.writeFile("._b.tmp", "sidecar"), top / "._b");
  EXPECT_EQ(watch.takeChanged(), Changed{1});

  fs::rename(dir.writeFile("c.new"), top / "c");
  testing::setRawAttribute(top / "d", "com.apple.metadata:kMDItemHeadline", "Dunes");
  EXPECT_EQ(watch.takeChanged(), (Changed{2, 3}));

  const char* const burst[] = {"a", "b", "sub/a"};
  for (int i = 0; i < 1000; ++i)
    testing::setRawAttribute(top / burst[i % 3], "com.apple.metadata:kMDItemHeadline",
                             std::to_string(i));
  EXPECT_EQ(watch.takeChanged(), (Changed{0, 1, 4}));

  // A watched folder moved away reports its items, whose paths now name nothing watched.
  fs::rename(top / "sub", top / "moved");
  EXPECT_EQ(watch.takeChanged(), Changed{4});
  EXPECT_EQ(watch.unwatched(), (Changed{4, 5}));
}

// Others' writes on a FUSE filesystem never reach this machine's inotify.
TEST(ItemWatchTest, ItemsOnFuseAreUnwatched) {
  const TempDir dir;
  dir.writeFile("source/a");
  fs::create_directory(dir.path() / "mount");
  const std::string source = (dir.path() / "source").native();
  const std::string mount = (dir.path() / "mount").native();
  std::string output;
  if (access("/dev/fuse", R_OK | W_OK) != 0 ||
      testing::runCommand("bindfs '" + source + "' '" + mount + "' 2>&1", &output) != 0)
    GTEST_SKIP() << "bindfs cannot mount here: " << (output.empty() ? "no /dev/fuse" : output);
  Changed unwatched;
  {
    const ItemWatch watch({mount + "/a", source + "/a"});
    unwatched = watch.unwatched();
  }
  testing::runCommand("fusermount3 -u '" + mount + "'");
  EXPECT_EQ(unwatched, Changed{0});
}

}  // namespace
}  // namespace quillmark

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Attribute calls on entries of an open folder deeper than PATH_MAX, through
// the *xattrat calls and through the older calls a kernel or a seccomp filter may
// leave, and a value at the kernel's size limit read whole in one call. (The
// calls' bytes and errors on real faults are checked through the CLI's tests.)
#include "attrstore/xattr.h"

#include <gtest/gtest.h>
#include <linux/limits.h>
#include <unistd.h>

#include <functional>

#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace quillmark;
using namespace quillmark::testing;

constexpr const char* kName = "user.com.apple.metadata:kMDItemHeadline";

int errnoOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const std::system_error& e) {
    return e.code().value();
  }
  return 0;
}

// Run a second time with the *xattrat calls refused as a seccomp filter would (CMakeLists.txt).
TEST(XattrTest, EntriesOfAnOpenFolderAtAnyDepth) {
  TempDir dir;
  const int folder = makeDeepFolder(dir.path(), 30);  // deeper than PATH_MAX
  close(openat(folder, "f", O_CREAT | O_WRONLY, 0644));
  ASSERT_EQ(symlinkat("f", folder, "link"), 0);
  const Item file = Item::inFolder(folder, "f"), link = Item::inFolder(folder, "link");
  writeXattr(file, bytes("value"), kName);
  EXPECT_EQ(readXattr(file, kName), bytes("value"));
  std::string names;
  listXattr(file, names);
  EXPECT_EQ(names, std::string(kName) + '\0');
  EXPECT_EQ(errnoOf([&] { writeXattr(link, bytes("v"), kName); }), EPERM);  // not followed
  removeXattr(file, kName);
  EXPECT_EQ(errnoOf([&] { removeXattr(file, kName); }), ENODATA);
  EXPECT_EQ(errnoOf([&] { readXattr(Item::inFolder(folder, "gone"), kName); }), ENOENT);
  close(folder);
}

TEST(XattrTest, AValueAtTheKernelsLimitIsReadWhole) {
  // tmpfs keeps values up to the kernel's limit (ext4 only one block).
  char path[] = "/dev/shm/quillmark-xattr-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  const Item item = Item::atPath(path);
  // Also either side of the first read's page.
  for (const std::size_t size : {4096, 4097, XATTR_SIZE_MAX}) {
    const Data value(size, 0x5a);
    writeXattr(item, value, kName);
    EXPECT_EQ(readXattr(item, kName), value) << size;
  }
  writeXattr(item, Data{}, kName);
  EXPECT_EQ(readXattr(item, kName), Data{});
  unlink(path);
}

}  // namespace

#include "tests/support/scratch_fs.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace quillmark::testing {

namespace fs = std::filesystem;

std::string scratchFilesystemUnavailableReason() {
  if (geteuid() != 0) return "needs root to mount scratch filesystems";
  if (!fs::exists("/dev/loop-control")) return "needs loop devices (/dev/loop-control missing)";
  if (runCommand("command -v mkfs.ext4 >/dev/null 2>&1") != 0) return "needs mkfs.ext4 (e2fsprogs)";
  return {};
}

ScratchMount::ScratchMount(Kind kind, int sizeKiB) : mountPoint_(work_.path() / "mnt") {
  fs::create_directory(mountPoint_);
  std::string mnt = "'" + mountPoint_.string() + "'";
  std::string command;
  if (kind == Kind::kRamfs) {
    command = "mount -t ramfs ramfs " + mnt;
  } else if (kind == Kind::kTmpfs) {
    command = "mount -t tmpfs -o size=" + std::to_string(sizeKiB) + "k tmpfs " + mnt;
  } else {
    std::string image = "'" + (work_.path() / "fs.img").string() + "'";
    command = "truncate -s " + std::to_string(sizeKiB) + "K " + image +
              " && mkfs.ext4 -q -b 1024 " + image + " && mount -o loop " + image + " " + mnt;
  }
  mounted_ = runCommand(command + " 2>&1") == 0;
  EXPECT_TRUE(mounted_) << "could not mount: " << command;
}

void ScratchMount::makeReadOnly() {
  ASSERT_EQ(runCommand("mount -o remount,ro '" + mountPoint_.string() + "' 2>&1"), 0);
}

ScratchMount::~ScratchMount() {
  if (mounted_) {
    runCommand("umount '" + mountPoint_.string() + "' >/dev/null 2>&1 || umount -l '" +
               mountPoint_.string() + "' >/dev/null 2>&1");
  }
}

}  // namespace quillmark::testing

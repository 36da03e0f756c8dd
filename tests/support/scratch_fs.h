// Real filesystems for fault tests: loop-mounted ext4 images (which can be made
// read-only or be tiny enough to fill), a ramfs without `user.` attributes and
// a tmpfs, which keeps values up to the kernel's 64 KiB limit that an ext4
// block cannot hold.
// They need root and loop devices; QUILLMARK_REQUIRE_SCRATCH_FS() skips the test
// with the reason when those are missing. Everything is unmounted and
// detached in the destructor, also when the test failed.
#ifndef QUILLMARK_TESTS_SUPPORT_SCRATCH_FS_H_
#define QUILLMARK_TESTS_SUPPORT_SCRATCH_FS_H_

#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace quillmark::testing {

// Empty when scratch filesystems can be made here, else why they cannot.
std::string scratchFilesystemUnavailableReason();

#define QUILLMARK_REQUIRE_SCRATCH_FS()                                            \
  do {                                                                            \
    std::string why = ::quillmark::testing::scratchFilesystemUnavailableReason(); \
    if (!why.empty()) GTEST_SKIP() << why;                                        \
  } while (0)

class ScratchMount {
 public:
  enum class Kind { kExt4, kRamfs, kTmpfs };
  // Mounts a fresh filesystem of `kind` (ext4 image of `sizeKiB`, 1 KiB blocks;
  // tmpfs limited to `sizeKiB`).
  explicit ScratchMount(Kind kind, int sizeKiB = 8192);
  ~ScratchMount();
  ScratchMount(const ScratchMount&) = delete;
  ScratchMount& operator=(const ScratchMount&) = delete;

  const std::filesystem::path& root() const { return mountPoint_; }
  bool mounted() const { return mounted_; }
  // Remounts read-only (EROFS on every write from then on).
  void makeReadOnly();

 private:
  TempDir work_;
  std::filesystem::path mountPoint_;
  bool mounted_ = false;
};

}  // namespace quillmark::testing

#endif  // QUILLMARK_TESTS_SUPPORT_SCRATCH_FS_H_

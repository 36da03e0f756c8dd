// Attribute access on real files: the exact bytes under the `user.` name, the
// kernel's own error for each call on real faults, and a value that changes
// between the two calls of a read.
#include "attrstore/xattr.h"

#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/scratch_fs.h"
#include "tests/support/temp_dir.h"

namespace {

// Runs once, right after the next size probe, so that a test can change the
// value exactly where another writer's race would, every time.
std::function<void()> afterNextProbe;

}  // namespace

// Replaces the C library's getxattr for this test program only; the kernel
// still does all the work and produces every error.
extern "C" ssize_t getxattr(const char* path, const char* name, void* value, size_t size) noexcept {
  const long result = syscall(SYS_getxattr, path, name, value, size);
  if (size == 0 && afterNextProbe) {
    const int savedErrno = errno;
    std::exchange(afterNextProbe, nullptr)();
    errno = savedErrno;
  }
  return result;
}

namespace {

namespace fs = std::filesystem;
using quillmark::Data;
using namespace quillmark::testing;

constexpr std::string_view kName = "com.apple.metadata:kMDItemHeadline";

// The value as other programs see it, under its name on disk.
std::optional<std::string> onDisk(const fs::path& path) {
  std::string value(4096, '\0');
  const ssize_t size =
      getxattr(path.c_str(), "user.com.apple.metadata:kMDItemHeadline", value.data(), value.size());
  if (size < 0) return std::nullopt;
  return value.substr(0, size);
}

// The errno `op` failed with, or 0.
int errnoOf(const std::function<void()>& op) {
  try {
    op();
  } catch (const std::system_error& e) {
    return e.code().value();
  }
  return 0;
}

TEST(XattrTest, ValuesKeepTheirExactBytesUnderTheUserName) {
  TempDir dir;
  const fs::path file = dir.writeFile("file"), link = dir.path() / "link";
  fs::create_symlink(file, link);
  // Each value replaces a longer one, so a stale tail would show; empty is a value too.
  for (const std::string& value : {std::string(3000, 'x'), std::string("headline"),
                                   std::string("\0\x01\xff", 3), std::string()}) {
    SCOPED_TRACE(value.size());
    quillmark::writeXattr(link, bytes(value), kName);  // followed to the file
    EXPECT_EQ(onDisk(file), value);
    EXPECT_EQ(quillmark::readXattr(link, kName), bytes(value));
  }
  quillmark::writeXattrNoFollow(file, bytes("direct"), kName);
  EXPECT_EQ(onDisk(file), "direct");
  quillmark::removeXattr(link, kName);
  EXPECT_EQ(onDisk(file), std::nullopt);
}

TEST(XattrTest, EachCallFailsWithTheKernelsOwnError) {
  TempDir dir;
  const fs::path file = dir.writeFile("file"), gone = dir.path() / "gone";
  fs::create_symlink(file, dir.path() / "link");
  fs::create_symlink(gone, dir.path() / "dangling");
  const Data v = bytes("v");
  using quillmark::readXattr, quillmark::writeXattr, quillmark::writeXattrNoFollow,
      quillmark::removeXattr;
  struct Case {
    const char* what;
    std::function<void()> op;
    int code;
  };
  std::vector<Case> cases = {
      {"read absent", [&] { readXattr(file, kName); }, ENODATA},
      {"remove absent", [&] { removeXattr(file, kName); }, ENODATA},
      {"read deleted", [&] { readXattr(gone, kName); }, ENOENT},
      {"write deleted", [&] { writeXattr(gone, v, kName); }, ENOENT},
      {"write no-follow deleted", [&] { writeXattrNoFollow(gone, v, kName); }, ENOENT},
      {"remove deleted", [&] { removeXattr(gone, kName); }, ENOENT},
      {"read dangling link", [&] { readXattr(dir.path() / "dangling", kName); }, ENOENT},
      {"write over 64 KiB", [&] { writeXattr(file, Data(65537), kName); }, E2BIG},
      // The kernel keeps no user attributes on links themselves.
      {"write no-follow link", [&] { writeXattrNoFollow(dir.path() / "link", v, kName); }, EPERM},
  };
  // Faults that need real filesystems: an ext4 with an immutable file and 1 KiB
  // blocks, one remounted read-only, and a ramfs, which has no user attributes.
  std::optional<ScratchMount> ext4, readOnly, ramfs;
  if (scratchFilesystemUnavailableReason().empty()) {
    ext4.emplace(ScratchMount::Kind::kExt4);
    readOnly.emplace(ScratchMount::Kind::kExt4);
    ramfs.emplace(ScratchMount::Kind::kRamfs);
    // The roots themselves take attributes like any folder.
    const fs::path frozen = ext4->root() / "frozen", bare = ext4->root();
    const fs::path ro = readOnly->root(), none = ramfs->root();
    setRawAttribute(ro, kName, "kept");
    EXPECT_EQ(runCommand("touch '" + frozen.string() + "' && chattr +i '" + frozen.string() + "'"),
              0);
    readOnly->makeReadOnly();
    cases.insert(
        cases.end(),
        {
            {"write immutable", [=] { writeXattr(frozen, v, kName); }, EPERM},
            {"remove immutable", [=] { removeXattr(frozen, kName); }, EPERM},
            {"write over a block", [=] { writeXattr(bare, Data(3000), kName); }, ENOSPC},
            {"write read-only", [=] { writeXattr(ro, v, kName); }, EROFS},
            {"write no-follow read-only", [=] { writeXattrNoFollow(ro, v, kName); }, EROFS},
            {"remove read-only", [=] { removeXattr(ro, kName); }, EROFS},
            {"read unsupported", [=] { readXattr(none, kName); }, EOPNOTSUPP},
            {"write unsupported", [=] { writeXattr(none, v, kName); }, EOPNOTSUPP},
            {"remove unsupported", [=] { removeXattr(none, kName); }, EOPNOTSUPP},
        });
  }
  for (const Case& c : cases) EXPECT_EQ(errnoOf(c.op), c.code) << c.what;
  EXPECT_EQ(onDisk(file), std::nullopt);
}

TEST(XattrTest, ValueChangedBetweenSizeProbeAndRead) {
  const struct {
    std::string before, after;
    std::optional<std::string> read;  // nothing: ERANGE
  } cases[] = {
      {"0123456789", "abc", "abc"},
      {"abc", "0123456789", std::nullopt},
      // A zero-length buffer only asks for the size again; that must not pass as a value.
      {"", "abc", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before + " -> " + c.after);
    TempDir dir;
    const fs::path file = dir.writeFile("file");
    setRawAttribute(file, kName, c.before);
    afterNextProbe = [&] { setRawAttribute(file, kName, c.after); };
    if (c.read) {
      EXPECT_EQ(quillmark::readXattr(file, kName), bytes(*c.read));
    } else {
      EXPECT_EQ(errnoOf([&] { quillmark::readXattr(file, kName); }), ERANGE);
    }
    EXPECT_FALSE(afterNextProbe);
    afterNextProbe = nullptr;
  }
}

}  // namespace

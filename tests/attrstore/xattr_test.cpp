#include "attrstore/xattr.h"

#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <utility>

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
using quillmark::PosixError;
using namespace quillmark::testing;

constexpr std::string_view kName = "com.apple.metadata:kMDItemHeadline";

std::string describe(int code) {
  const char* name = strerrorname_np(code);
  return std::string(name != nullptr ? name : "?") + " (" + std::strerror(code) + ")";
}

// Passes when `op` throws the error for `code` that carries the system's own message.
::testing::AssertionResult failsWith(int code, const std::function<void()>& op) {
  try {
    op();
  } catch (const PosixError& e) {
    if (e.domain() == PosixError::kDomain && e.code() == code &&
        e.localizedDescription() == std::strerror(code)) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "got " << e.domain() << " " << e.code() << " \"" << e.localizedDescription()
           << "\", expected " << describe(code);
  }
  return ::testing::AssertionFailure() << "succeeded, expected " << describe(code);
}

fs::path touch(const fs::path& path) {
  std::ofstream{path};
  return path;
}

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

TEST(PosixErrorTest, CarriesCodeAndSystemMessage) {
  for (int code : {ENODATA, EPERM, ENOSPC, EROFS, 0, -1, 100000}) {
    SCOPED_TRACE(code);
    const std::string message = std::strerror(code);
    const PosixError error = quillmark::makePosixError(code);
    EXPECT_EQ(error.domain(), "NSPOSIXErrorDomain");
    EXPECT_EQ(error.code(), static_cast<std::int64_t>(code));
    EXPECT_EQ(error.userInfo(),
              (std::map<std::string, std::string>{{"NSLocalizedDescriptionKey", message}}));
    EXPECT_EQ(error.localizedDescription(), message);
    EXPECT_STREQ(error.what(), message.c_str());
  }
  EXPECT_EQ(PosixError(EIO, {{"other", "x"}}).localizedDescription(), "");
}

TEST(XattrTest, EachWriteLeavesExactlyItsBytes) {
  TempDir dir;
  const fs::path file = dir.writeFile("file");
  // Each value replaces a longer one, so a stale tail would show.
  const std::string values[] = {std::string(3000, 'x'), "headline", std::string("\0\x01\xff", 3),
                                ""};
  for (const std::string& value : values) {
    SCOPED_TRACE(value.size());
    quillmark::writeXattr(file, bytes(value), kName);
    EXPECT_EQ(quillmark::readXattr(file, kName), bytes(value));
    EXPECT_EQ(rawAttribute(file, kName), bytes(value));
  }
  quillmark::removeXattr(file, kName);
  EXPECT_EQ(rawAttribute(file, kName), std::nullopt);
}

TEST(XattrTest, SymbolicLinksAreFollowedExceptByNoFollowWrite) {
  TempDir dir;
  const fs::path target = dir.writeFile("target");
  const fs::path link = dir.path() / "link";
  fs::create_symlink(target, link);
  fs::create_symlink(dir.path() / "nowhere", dir.path() / "dangling");

  quillmark::writeXattr(link, bytes("via link"), kName);
  EXPECT_EQ(rawAttribute(target, kName), bytes("via link"));
  EXPECT_EQ(quillmark::readXattr(link, kName), bytes("via link"));
  // The kernel keeps no user attributes on links themselves.
  EXPECT_TRUE(failsWith(EPERM, [&] { quillmark::writeXattrNoFollow(link, bytes("x"), kName); }));
  EXPECT_EQ(rawAttribute(target, kName), bytes("via link"));
  EXPECT_TRUE(failsWith(ENOENT, [&] { quillmark::readXattr(dir.path() / "dangling", kName); }));

  quillmark::writeXattrNoFollow(target, bytes("direct"), kName);
  EXPECT_EQ(rawAttribute(target, kName), bytes("direct"));
  quillmark::removeXattr(link, kName);
  EXPECT_EQ(rawAttribute(target, kName), std::nullopt);
}

TEST(XattrFaultTest, AbsentAttributeAndVanishedPath) {
  TempDir dir;
  const fs::path file = dir.writeFile("file");
  const fs::path gone = dir.writeFile("gone");
  fs::remove(gone);
  const Data value = bytes("v");
  const Data tooLong(65537, 'x');
  const struct {
    const char* what;
    std::function<void()> op;
    int code;
  } cases[] = {
      {"read absent", [&] { quillmark::readXattr(file, kName); }, ENODATA},
      {"remove absent", [&] { quillmark::removeXattr(file, kName); }, ENODATA},
      {"read deleted", [&] { quillmark::readXattr(gone, kName); }, ENOENT},
      {"write deleted", [&] { quillmark::writeXattr(gone, value, kName); }, ENOENT},
      {"write no-follow deleted", [&] { quillmark::writeXattrNoFollow(gone, value, kName); },
       ENOENT},
      {"remove deleted", [&] { quillmark::removeXattr(gone, kName); }, ENOENT},
      {"write over 64 KiB", [&] { quillmark::writeXattr(file, tooLong, kName); }, E2BIG},
  };
  for (const auto& c : cases) EXPECT_TRUE(failsWith(c.code, c.op)) << c.what;
  EXPECT_EQ(rawAttribute(file, kName), std::nullopt);
}

TEST(XattrFaultTest, ImmutableFileRefusesChanges) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to set the immutable flag";
  TempDir dir;
  const fs::path file = dir.writeFile("file");
  setRawAttribute(file, kName, "kept");
  if (runCommand("chattr +i " + quoted(file) + " 2>&1") != 0) {
    GTEST_SKIP() << "this filesystem has no immutable flag";
  }
  EXPECT_TRUE(failsWith(EPERM, [&] { quillmark::writeXattr(file, bytes("new"), kName); }));
  EXPECT_TRUE(failsWith(EPERM, [&] { quillmark::removeXattr(file, kName); }));
  EXPECT_EQ(quillmark::readXattr(file, kName), bytes("kept"));
  EXPECT_EQ(runCommand("chattr -i " + quoted(file)), 0);
}

TEST(XattrFaultTest, ReadOnlyFilesystemRefusesChanges) {
  QUILLMARK_REQUIRE_SCRATCH_FS();
  ScratchMount mount(ScratchMount::Kind::kExt4);
  ASSERT_TRUE(mount.mounted());
  const fs::path file = touch(mount.root() / "file");
  setRawAttribute(file, kName, "kept");
  mount.makeReadOnly();
  EXPECT_TRUE(failsWith(EROFS, [&] { quillmark::writeXattr(file, bytes("new"), kName); }));
  EXPECT_TRUE(failsWith(EROFS, [&] { quillmark::writeXattrNoFollow(file, bytes("new"), kName); }));
  EXPECT_TRUE(failsWith(EROFS, [&] { quillmark::removeXattr(file, kName); }));
  EXPECT_EQ(quillmark::readXattr(file, kName), bytes("kept"));
}

TEST(XattrFaultTest, FilesystemWithoutUserAttributes) {
  QUILLMARK_REQUIRE_SCRATCH_FS();
  ScratchMount mount(ScratchMount::Kind::kRamfs);
  ASSERT_TRUE(mount.mounted());
  const fs::path file = touch(mount.root() / "file");
  EXPECT_TRUE(failsWith(EOPNOTSUPP, [&] { quillmark::writeXattr(file, bytes("v"), kName); }));
  EXPECT_TRUE(failsWith(EOPNOTSUPP, [&] { quillmark::readXattr(file, kName); }));
  EXPECT_TRUE(failsWith(EOPNOTSUPP, [&] { quillmark::removeXattr(file, kName); }));
}

TEST(XattrFaultTest, ValueLargerThanAnExt4Block) {
  QUILLMARK_REQUIRE_SCRATCH_FS();
  ScratchMount mount(ScratchMount::Kind::kExt4, 8192);
  ASSERT_TRUE(mount.mounted());
  const fs::path file = touch(mount.root() / "file");
  EXPECT_TRUE(failsWith(ENOSPC, [&] { quillmark::writeXattr(file, Data(3000, 'x'), kName); }));
  EXPECT_EQ(rawAttribute(file, kName), std::nullopt);
}

TEST(XattrTest, LargestValueTheKernelAllows) {
  QUILLMARK_REQUIRE_SCRATCH_FS();
  ScratchMount mount(ScratchMount::Kind::kTmpfs);
  ASSERT_TRUE(mount.mounted());
  const fs::path file = touch(mount.root() / "file");
  Data largest(65536);
  for (size_t i = 0; i < largest.size(); ++i) largest[i] = static_cast<std::uint8_t>(i * 7);
  quillmark::writeXattr(file, largest, kName);
  EXPECT_EQ(quillmark::readXattr(file, kName), largest);
  EXPECT_TRUE(failsWith(E2BIG, [&] { quillmark::writeXattr(file, Data(65537), kName); }));
  EXPECT_EQ(rawAttribute(file, kName), largest);
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
      EXPECT_TRUE(failsWith(ERANGE, [&] { quillmark::readXattr(file, kName); }));
    }
    EXPECT_FALSE(afterNextProbe);
    afterNextProbe = nullptr;
  }
}

}  // namespace

// Attribute calls on entries of an open folder deeper than PATH_MAX, through
// the *xattrat calls and through the older calls a kernel or a seccomp filter may
// leave, and
// a value that changes between the two calls of a read. (The calls' bytes and
// errors on real faults are checked through the editor's tests.)
#include "attrstore/xattr.h"

#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <functional>

#include "tests/support/temp_dir.h"

namespace {

// Runs once, right after the next size probe, so that a test can change the
// value exactly where another writer's race would, every time.
std::function<void()> afterNextProbe;

}  // namespace

// The C library's getxattr, replaced for this test program only;
// the kernel still does all the work and produces every error.
extern "C" ssize_t getxattr(const char* path, const char* name, void* value, size_t size) noexcept {
  const long result = syscall(SYS_getxattr, path, name, value, size);
  const int savedErrno = errno;
  if (size == 0 && afterNextProbe) std::exchange(afterNextProbe, nullptr)();
  errno = savedErrno;
  return result;
}

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

TEST(XattrTest, ValueChangedBetweenSizeProbeAndRead) {
  const struct {
    std::string before, after;
    int error;  // or the value read is `after`
  } cases[] = {
      {"0123456789", "abc", 0},
      {"abc", "0123456789", ERANGE},
      // A zero-length buffer only asks for the size again; that must not pass as a value.
      {"", "abc", ERANGE},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const fs::path file = dir.writeFile("file");
    setRawAttribute(file, kName + 5, c.before);
    afterNextProbe = [&] { setRawAttribute(file, kName + 5, c.after); };
    Data read;
    EXPECT_EQ(errnoOf([&] { read = readXattr(Item::atPath(file.c_str()), kName); }), c.error);
    if (c.error == 0) {
      EXPECT_EQ(read, bytes(c.after));
    }
  }
}

}  // namespace

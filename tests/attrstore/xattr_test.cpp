// A value that changes between the two calls of a read. (The calls' bytes and
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

// Replaces the C library's getxattr for this test program only; the kernel
// still does all the work and produces every error.
extern "C" ssize_t getxattr(const char* path, const char* name, void* value, size_t size) noexcept {
  const long result = syscall(SYS_getxattr, path, name, value, size);
  const int savedErrno = errno;
  if (size == 0 && afterNextProbe) std::exchange(afterNextProbe, nullptr)();
  errno = savedErrno;
  return result;
}

namespace {

namespace fs = std::filesystem;
using namespace quillmark::testing;

constexpr std::string_view kName = "com.apple.metadata:kMDItemHeadline";

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
    TempDir dir;
    const fs::path file = dir.writeFile("file");
    setRawAttribute(file, kName, c.before);
    afterNextProbe = [&] { setRawAttribute(file, kName, c.after); };
    if (c.read) {
      EXPECT_EQ(quillmark::readXattr(file, kName), bytes(*c.read)) << c.before;
    } else {
      try {
        quillmark::readXattr(file, kName);
        ADD_FAILURE() << c.before << ": read a value that grew";
      } catch (const std::system_error& e) {
        EXPECT_EQ(e.code().value(), ERANGE) << c.before;
      }
    }
  }
}

}  // namespace

#include "attrstore/xattr.h"

#include <sys/types.h>
#include <sys/xattr.h>

#include <cerrno>
#include <string>

namespace quillmark {

namespace {

// The only calls that touch the kernel. A macOS build would pass position 0
// and XATTR_NOFOLLOW through the extra arguments here; until one exists and
// can be tested, other platforms fail to build rather than guess.
#if defined(__linux__)
ssize_t getAttribute(const char* path, const char* name, void* buffer, size_t size) {
  return ::getxattr(path, name, buffer, size);
}
int setAttribute(const char* path, const char* name, const void* value, size_t size) {
  return ::setxattr(path, name, value, size, 0);
}
int setAttributeNoFollow(const char* path, const char* name, const void* value, size_t size) {
  return ::lsetxattr(path, name, value, size, 0);
}
int removeAttribute(const char* path, const char* name) { return ::removexattr(path, name); }
#else
#error "extended-attribute access is only implemented for Linux"
#endif

[[noreturn]] void throwLastError() {
  const int code = errno;
  throw makePosixError(code);
}

}  // namespace

std::system_error makePosixError(int code) {
  return std::system_error(code, std::generic_category());
}

#if defined(__APPLE__)
constexpr std::string_view kNamespacePrefix = "";
#else
// Unprivileged programs may only use the `user.` namespace. rsync -X and
// netatalk add and strip this same prefix, so values survive a trip to and
// from a Mac under their portable names.
constexpr std::string_view kNamespacePrefix = "user.";
#endif

namespace {

// The one place that maps a portable name to the kernel's, as a C string on
// the stack for names of ordinary length: Write Folder makes five calls per
// entry, and a heap allocation for each would be a measurable share of the walk.
class SystemName {
 public:
  explicit SystemName(std::string_view name) {
    const std::size_t length = kNamespacePrefix.size() + name.size();
    if (length >= sizeof(buffer_)) {
      long_.assign(kNamespacePrefix);
      long_ += name;
      text_ = long_.c_str();
      return;
    }
    kNamespacePrefix.copy(buffer_, kNamespacePrefix.size());
    name.copy(buffer_ + kNamespacePrefix.size(), name.size());
    buffer_[length] = '\0';
  }
  SystemName(const SystemName&) = delete;
  SystemName& operator=(const SystemName&) = delete;

  const char* c_str() const { return text_; }

 private:
  char buffer_[128];
  std::string long_;
  const char* text_ = buffer_;
};

}  // namespace

Data readXattr(const std::filesystem::path& path, std::string_view name) {
  const SystemName systemName(name);
  const ssize_t length = getAttribute(path.c_str(), systemName.c_str(), nullptr, 0);
  if (length < 0) throwLastError();

  // Another writer may change the value between the two calls. A shorter value
  // fits and is returned at its new length; a longer one is an error for the
  // caller (ERANGE) rather than a retry loop that could spin.
  Data value(static_cast<size_t>(length));
  const ssize_t read = getAttribute(path.c_str(), systemName.c_str(), value.data(), value.size());
  if (read < 0) throwLastError();
  // With a zero-length buffer the second call only reports the size, so a
  // value that was empty and then grew comes back as a length, not as ERANGE.
  if (static_cast<size_t>(read) > value.size()) throw makePosixError(ERANGE);
  value.resize(static_cast<size_t>(read));
  return value;
}

void writeXattr(const std::filesystem::path& path, const Data& value, std::string_view name) {
  const SystemName systemName(name);
  if (setAttribute(path.c_str(), systemName.c_str(), value.data(), value.size()) != 0) {
    throwLastError();
  }
}

void writeXattrNoFollow(const std::filesystem::path& path, const Data& value,
                        std::string_view name) {
  const SystemName systemName(name);
  if (setAttributeNoFollow(path.c_str(), systemName.c_str(), value.data(), value.size()) != 0) {
    throwLastError();
  }
}

void removeXattr(const std::filesystem::path& path, std::string_view name) {
  const SystemName systemName(name);
  if (removeAttribute(path.c_str(), systemName.c_str()) != 0) throwLastError();
}

}  // namespace quillmark

// Extended-attribute access: read, write and remove one named attribute of one
// file-system item, with failures reported as PosixError.
//
// Each operation is one or two system calls with no state, cache or retry.
// `errno` is captured immediately after the failing call and thrown unchanged;
// no code is treated specially (an absent attribute is ENODATA on Linux, the
// platform's ENOATTR). Calls follow symbolic links except writeXattrNoFollow.
//
// Attribute names are the portable names ("com.apple.metadata:kMDItemHeadline");
// systemAttributeName() is the one place that maps them to what the kernel
// stores (on Linux, the `user.` namespace).
#ifndef QUILLMARK_ATTRSTORE_XATTR_H_
#define QUILLMARK_ATTRSTORE_XATTR_H_

#include <cstdint>
#include <exception>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quillmark {

// An owned byte buffer with value semantics: an attribute's raw value.
using Data = std::vector<std::uint8_t>;

// The error value of a failed system call: domain "NSPOSIXErrorDomain", the
// errno code and one user-info entry holding the system's message for it.
class PosixError : public std::exception {
 public:
  static constexpr std::string_view kDomain = "NSPOSIXErrorDomain";
  static constexpr std::string_view kLocalizedDescriptionKey = "NSLocalizedDescriptionKey";

  PosixError(std::int64_t code, std::map<std::string, std::string> userInfo);

  const std::string& domain() const { return domain_; }
  std::int64_t code() const { return code_; }
  const std::map<std::string, std::string>& userInfo() const { return userInfo_; }
  // The message stored under kLocalizedDescriptionKey, with nothing added.
  const std::string& localizedDescription() const;
  const char* what() const noexcept override { return localizedDescription().c_str(); }

 private:
  std::string domain_{kDomain};
  std::int64_t code_;
  std::map<std::string, std::string> userInfo_;
};

// Builds the error for `code`, its description being strerror(code).
PosixError makePosixError(int code);

// The name under which the kernel stores the portable attribute `name`.
std::string systemAttributeName(std::string_view name);

// Returns the whole value of attribute `name` of `path`; throws PosixError.
Data readXattr(const std::filesystem::path& path, std::string_view name);

// Creates or replaces attribute `name` of `path` with exactly `value`; throws PosixError.
void writeXattr(const std::filesystem::path& path, const Data& value, std::string_view name);

// As writeXattr, but a final symbolic link is not followed; throws PosixError.
void writeXattrNoFollow(const std::filesystem::path& path, const Data& value,
                        std::string_view name);

// Removes attribute `name` of `path`; throws PosixError (ENODATA when absent).
void removeXattr(const std::filesystem::path& path, std::string_view name);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_XATTR_H_

#include "attrstore/sidecar_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "attrstore/xattr.h"

namespace quillmark {

namespace {

constexpr std::uint8_t kAppleDoubleMagic[] = {0x00, 0x05, 0x16, 0x07};
constexpr std::size_t kSidecarLimit = std::size_t{64} << 20;  // a resource fork is rarely more

}  // namespace

SidecarFile readSidecar(int folder, const std::string& name) {
  SidecarFile file;
  const int fd = openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    file.exists = errno != ENOENT;  // a link or something unreadable there is left alone
    return file;
  }
  file.exists = true;
  Data bytes;
  if (fstat(fd, &file.status) == 0 && S_ISREG(file.status.st_mode) &&
      static_cast<std::size_t>(file.status.st_size) <= kSidecarLimit) {
    bytes.resize(static_cast<std::size_t>(file.status.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
      if (got <= 0 && !(got < 0 && errno == EINTR)) break;
      if (got > 0) done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    file.appleDouble =
        bytes.size() >= 4 && std::equal(bytes.begin(), bytes.begin() + 4, kAppleDoubleMagic);
    file.parsed = appledouble::parse(bytes);
  }
  close(fd);
  return file;
}

int writeSidecar(int folder, const std::string& name, const appledouble::Sidecar& sidecar,
                 const struct stat* previous) {
  const Data bytes = appledouble::serialize(sidecar);
  if (bytes.empty()) return EINVAL;
  // Named after this process, so only a leftover of an earlier one of ours can be in the way.
  const std::string temporary = name + ".quillmark-" + std::to_string(getpid());
  unlinkat(folder, temporary.c_str(), 0);
  const int fd = openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  int error = 0;
  for (std::size_t done = 0; error == 0 && done < bytes.size();) {
    const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote > 0) {
      done += static_cast<std::size_t>(wrote);
    } else if (!(wrote < 0 && errno == EINTR)) {
      error = wrote < 0 ? errno : ENOSPC;
    }
  }
  if (error == 0 && previous != nullptr) {
    // Not every filesystem keeps owners and modes (exFAT has one per mount): best effort.
    [[maybe_unused]] const int owner = fchown(fd, previous->st_uid, previous->st_gid);
    [[maybe_unused]] const int mode = fchmod(fd, previous->st_mode & 07777);
  }
  if (error == 0 && fsync(fd) != 0) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && renameat(folder, temporary.c_str(), folder, name.c_str()) != 0) error = errno;
  if (error != 0) unlinkat(folder, temporary.c_str(), 0);
  return error;
}

bool isSidecarOfSibling(int folder, const char* name) {
  if (std::strncmp(name, "._", 2) != 0 || name[2] == '\0') return false;
  struct stat status;
  if (fstatat(folder, name + 2, &status, AT_SYMLINK_NOFOLLOW) != 0) return false;
  const int fd = openat(folder, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  std::uint8_t magic[4];
  const bool appleDouble = read(fd, magic, sizeof magic) == sizeof magic &&
                           std::equal(magic, magic + 4, kAppleDoubleMagic);
  close(fd);
  return appleDouble;
}

}  // namespace quillmark

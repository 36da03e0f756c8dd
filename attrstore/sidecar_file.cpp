// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/sidecar_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <thread>
#include <utility>

#include "attrstore/name_hash.h"
#include "attrstore/names.h"
#include "attrstore/owned_fd.h"
#include "attrstore/places.h"

namespace quillmark {

namespace {

constexpr std::uint8_t kAppleDoubleMagic[] = {0x00, 0x05, 0x16, 0x07};
constexpr std::size_t kSidecarLimit = std::size_t{64} << 20;  // a resource fork is rarely more

// A temporary file is ".quillmark-" + 16 hex digits naming its sidecar + "-" + a slot 0-3. Its
// length is fixed, so it fits wherever the sidecar's own name does; the slot is drawn at random,
// and there are few, so that the next change of the sidecar finds a stale one without listing
// the folder, and writers of the same sidecar rarely meet.
constexpr std::string_view kTemporaryPrefix = ".quillmark-";
constexpr std::size_t kTemporaryLength = kTemporaryPrefix.size() + 16 + 2;
constexpr unsigned kTemporarySlots = 4;
// How long a writer waits for another one holding the same sidecar: far longer than any one
// change takes, even on a slow network mount.
constexpr std::chrono::seconds kLockWait(10);
constexpr std::chrono::microseconds kLockPoll(20000);

// An empty regular file: the claim on a new sidecar's name that a writer holds while it writes,
// left by a writer stopped before its rename. It holds nothing: it reads as no sidecar, belongs to its item
// rather than being an entry of its own, and the next change replaces it.
bool isClaim(const struct stat& status) {
  return S_ISREG(status.st_mode) && status.st_size == 0;
}

bool startsAsAppleDouble(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 4 && std::equal(bytes.begin(), bytes.begin() + 4, kAppleDoubleMagic);
}

// The temporary name of sidecar `name` (its last component) in `slot`. ASCII case does not change
// it, so that writers reaching one sidecar by either case on a volume that ignores case share them.
std::string temporaryName(std::string_view name, unsigned slot) {
  const std::uint64_t hash = foldedNameHash(name);
  char text[kTemporaryLength + 1];
  std::snprintf(text, sizeof text, "%.*s%016llx-%u", static_cast<int>(kTemporaryPrefix.size()),
                kTemporaryPrefix.data(), static_cast<unsigned long long>(hash), slot);
  return text;
}

// Whether the filesystem keeps no locks, so that a stale temporary cannot be told from a live one.
bool locksUnsupported(int error) {
  return error == EINVAL || error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS;
}

// Removes the temporaries of sidecar `name` whose writer is gone. A writer holds an exclusive lock
// on its temporary from its creation until it is renamed or removed; the kernel drops the lock when
// the writer dies. A temporary whose lock is free is removed while this holds the lock, and only if
// the name still leads to it, so that a new writer's file at that name is never taken for it.
void removeStaleTemporaries(int folder, std::string_view name) {
  for (unsigned slot = 0; slot < kTemporarySlots; ++slot) {
    const std::string temporary = temporaryName(name, slot);
    const OwnedFd fd(
        openat(folder, temporary.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat held, named;
    if (fd.get() >= 0 && flock(fd.get(), LOCK_EX | LOCK_NB) == 0 && fstat(fd.get(), &held) == 0 &&
        held.st_nlink > 0 &&
        fstatat(folder, temporary.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_ino == held.st_ino && named.st_dev == held.st_dev) {
      unlinkat(folder, temporary.c_str(), 0);
    }
  }
}

// A temporary file being written, locked by this process; removed unless it was put in place.
struct Temporary {
  int folder = -1;
  std::string name;
  OwnedFd fd;
  bool placed = false;
  ~Temporary() {
    if (fd.get() >= 0 && !placed) unlinkat(folder, name.c_str(), 0);
  }
};

// A sidecar read whole, to be rewritten.
struct WholeSidecar {
  bool exists = false;
  std::optional<appledouble::Sidecar> parsed;  // nothing: there, but it cannot be rewritten
  int error = 0;
  struct stat status {};
};

// Opens sidecar `name`, setting `exists`, `error` and `status`: its descriptor, or -1 when there
// is no regular file of at most kSidecarLimit bytes to read.
OwnedFd openSidecar(int folder, const std::string& name, bool& exists, int& error,
                       struct stat& status) {
  OwnedFd fd(openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) {
    exists = errno != ENOENT;  // a link or something unreadable there is left alone
    error = exists ? errno : 0;
    return fd;
  }
  exists = true;
  if (fstat(fd.get(), &status) != 0) {
    error = errno;
    return OwnedFd();
  }
  if (!S_ISREG(status.st_mode) || static_cast<std::size_t>(status.st_size) > kSidecarLimit)
    return OwnedFd();
  return fd;
}

// Reads `bytes.size()` bytes at `offset`: 0, the errno, or EIO when the file ends first.
int readAt(int fd, std::span<std::uint8_t> bytes, std::uint64_t offset) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t got = pread(fd, bytes.data() + done, bytes.size() - done,
                              static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return got < 0 ? errno : EIO;
    done += static_cast<std::size_t>(got);
  }
  return 0;
}

// Reads the sidecar open as `fd`, as found at `status`; an empty claim reads as none.
WholeSidecar readWholeSidecar(int fd, const struct stat& status) {
  WholeSidecar file;
  file.status = status;
  file.exists = !isClaim(status);
  if (!file.exists) return file;
  if (!S_ISREG(status.st_mode) || static_cast<std::size_t>(status.st_size) > kSidecarLimit) return file;
  Data bytes(static_cast<std::size_t>(status.st_size));
  file.error = readAt(fd, bytes, 0);
  if (file.error == 0) file.parsed = appledouble::parse(bytes);
  return file;
}

// Waits until `deadline` at most for the exclusive lock on `fd`: 0, EWOULDBLOCK when another
// writer kept it that long, or the errno. A filesystem that keeps no locks is taken as it is.
int lockExclusively(int fd, std::chrono::steady_clock::time_point deadline) {
  for (auto pause = std::chrono::microseconds(500);; pause = std::min(pause * 2, kLockPoll)) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 || locksUnsupported(errno)) return 0;
    if (errno != EWOULDBLOCK && errno != EINTR) return errno;
    if (std::chrono::steady_clock::now() >= deadline) return EWOULDBLOCK;
    std::this_thread::sleep_for(pause);
  }
}

// The sidecar `name` of `folder`, held: open, locked, and still the file the name leads to, so
// that no other writer reads or replaces it until this one has put its change in place. Where
// there is none, an empty claim is made to hold; `created` says so.
int holdSidecar(int folder, const char* name, OwnedFd& held, struct stat& status, bool& created) {
  const auto deadline = std::chrono::steady_clock::now() + kLockWait;
  while (true) {
    created = true;
    OwnedFd fd(openat(folder, name, O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (fd.get() < 0 && errno == EEXIST) {
      created = false;
      fd = OwnedFd(openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
      // Removed meanwhile: claim it after all.
      if (fd.get() < 0 && errno == ENOENT && std::chrono::steady_clock::now() < deadline) continue;
    }
    // A link, a folder or a special file by that name is some other file, never rewritten.
    if (fd.get() < 0) return errno == ELOOP || errno == EISDIR || errno == ENXIO ? EINVAL : errno;
    if (const int error = lockExclusively(fd.get(), deadline)) return error;
    struct stat named;
    if (fstat(fd.get(), &status) != 0) return errno;
    if (!S_ISREG(status.st_mode)) return EINVAL;
    // Replaced or removed while this waited: the writer before it put its change in place.
    if (status.st_nlink > 0 && fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_ino == status.st_ino && named.st_dev == status.st_dev) {
      held = std::move(fd);
      return 0;
    }
    if (std::chrono::steady_clock::now() >= deadline) return EWOULDBLOCK;
  }
}

// Creates a temporary for sidecar `name`, exclusively, and gives it the owner and mode of `old`
// (where the filesystem keeps them) before it holds anything. Returns 0 or the errno.
int createTemporary(int folder, std::string_view name, const WholeSidecar& old, Temporary& file) {
  const unsigned first = arc4random_uniform(kTemporarySlots);
  for (unsigned tried = 0; tried < kTemporarySlots; ++tried) {
    std::string temporary = temporaryName(name, (first + tried) % kTemporarySlots);
    OwnedFd fd(openat(folder, temporary.c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                         old.exists ? 0600 : 0666));
    if (fd.get() < 0) {
      if (errno == EEXIST) continue;  // another writer's, live
      return errno;
    }
    struct stat status;
    const bool locked = flock(fd.get(), LOCK_EX) == 0;
    if (!locked && !locksUnsupported(errno)) {
      const int error = errno;
      unlinkat(folder, temporary.c_str(), 0);
      return error;
    }
    // Between its creation and the lock, a cleaner may have taken it for stale and removed it.
    if (locked && (fstat(fd.get(), &status) != 0 || status.st_nlink == 0)) continue;
    file.folder = folder;
    file.name = std::move(temporary);
    file.fd = std::move(fd);
    if (old.exists) {
      // Not every filesystem keeps owners and modes (exFAT has one per mount): best effort.
      [[maybe_unused]] const int owner = fchown(file.fd.get(), old.status.st_uid, old.status.st_gid);
      [[maybe_unused]] const int mode = fchmod(file.fd.get(), old.status.st_mode & 07777);
    }
    return 0;
  }
  return EBUSY;  // every slot held by a live writer of the same sidecar
}

int writeAll(int fd, std::span<const std::uint8_t> bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote > 0) {
      done += static_cast<std::size_t>(wrote);
    } else if (!(wrote < 0 && errno == EINTR)) {
      return wrote < 0 ? errno : ENOSPC;
    }
  }
  return 0;
}

// The folder holding sidecar `path` (a path when `folder` is AT_FDCWD) and its name there.
struct SidecarPlace {
  OwnedFd opened;  // when the folder had to be opened here
  int folder;
  std::string name;
};

int placeOf(int folder, const std::string& path, SidecarPlace& place) {
  const std::size_t slash = path.rfind('/');
  if (folder != AT_FDCWD || slash == std::string::npos) {
    place.opened = OwnedFd(folder == AT_FDCWD ? open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                                                 : -1);
    place.folder = folder == AT_FDCWD ? place.opened.get() : folder;
    place.name = path;
  } else {
    const std::string directory = slash == 0 ? "/" : path.substr(0, slash);
    place.opened = OwnedFd(open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    place.folder = place.opened.get();
    place.name = path.substr(slash + 1);
  }
  return place.folder < 0 ? errno : 0;
}

// Writes the change of the sidecar held open as `fd` (found at `status`) to a temporary and puts
// it in the sidecar's place; `placed` says whether it got there. Returns 0 or the errno.
int rewriteHeld(const SidecarPlace& place, int fd, const struct stat& status,
                const std::function<bool(appledouble::Sidecar&)>& change, bool& placed) {
  const WholeSidecar old = readWholeSidecar(fd, status);
  if (old.exists && !old.parsed) return old.error != 0 ? old.error : EINVAL;
  appledouble::Sidecar sidecar = old.parsed ? *old.parsed : appledouble::Sidecar{};
  if (!change(sidecar)) return 0;
  const Data bytes = appledouble::serialize(sidecar);
  if (bytes.empty()) return EINVAL;
  Temporary file;
  if (const int error = createTemporary(place.folder, place.name, old, file)) return error;
  if (const int error = writeAll(file.fd.get(), bytes)) return error;
  if (fsync(file.fd.get()) != 0) return errno;
  // The name leads to the held file (the sidecar, or the claim made for it): replaced whole.
  if (renameat(place.folder, file.name.c_str(), place.folder, place.name.c_str()) != 0) return errno;
  file.placed = placed = true;
  // Without this, a drive pulled after success could bring the old sidecar back.
  if (fsync(place.folder) != 0 && errno != EINVAL) return errno;
  return 0;
}

}  // namespace

SidecarFile readSidecar(int folder, const std::string& name) {
  SidecarFile file;
  const OwnedFd fd = openSidecar(folder, name, file.exists, file.error, file.status);
  if (fd.get() < 0) return file;
  if (isClaim(file.status)) {
    file.exists = false;
    return file;
  }
  const auto size = static_cast<std::uint64_t>(file.status.st_size);
  Data head(static_cast<std::size_t>(std::min<std::uint64_t>(size, appledouble::kLayoutSpan)));
  file.error = readAt(fd.get(), head, 0);
  file.appleDouble = startsAsAppleDouble(head);
  if (file.error != 0) return file;
  const std::optional<appledouble::Layout> layout = appledouble::parseLayout(head, size);
  file.parses = layout.has_value();
  if (!layout) return file;
  if (layout->finderInfo.length == file.finderInfo.size() && layout->finderInfo.end() <= head.size())
    std::copy_n(head.begin() + static_cast<std::ptrdiff_t>(layout->finderInfo.offset), file.finderInfo.size(),
                file.finderInfo.begin());
  for (std::size_t position = 0; position < file.values.size(); ++position) {
    const auto* entry = appledouble::find(*layout, kValueNames[position].portable);
    if (entry == nullptr) continue;
    SidecarValue& value = file.values[position];
    value.present = true;
    value.size = entry->value.length;
    if (value.size > kValueLimit) continue;
    Data bytes(static_cast<std::size_t>(value.size));
    if (readAt(fd.get(), bytes, entry->value.offset) == 0) value.bytes = std::move(bytes);
  }
  return file;
}

int updateSidecar(int folder, const std::string& name,
                  const std::function<bool(appledouble::Sidecar&)>& change) {
  SidecarPlace place;
  if (const int error = placeOf(folder, name, place)) return error;
  removeStaleTemporaries(place.folder, place.name);
  OwnedFd held;
  struct stat status;
  bool created = false;
  if (const int error = holdSidecar(place.folder, place.name.c_str(), held, status, created))
    return error;
  bool placed = false;
  const int error = rewriteHeld(place, held.get(), status, change, placed);
  if (created && !placed) unlinkat(place.folder, place.name.c_str(), 0);  // a claim of nothing
  return error;
}

bool isSidecarFile(int folder, const char* name) {
  const char* slash = std::strrchr(name, '/');
  const char* last = slash == nullptr ? name : slash + 1;
  if (std::strncmp(last, "._", 2) != 0 || last[2] == '\0') return false;
  const OwnedFd fd(openat(folder, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
  struct stat status;
  if (fd.get() < 0 || fstat(fd.get(), &status) != 0) return false;
  if (isClaim(status)) return true;
  std::uint8_t magic[4];
  return read(fd.get(), magic, sizeof magic) == sizeof magic && startsAsAppleDouble(magic);
}

bool isSidecarTemporary(std::string_view name) {
  return name.size() == kTemporaryLength && name.starts_with(kTemporaryPrefix) &&
         name[kTemporaryLength - 2] == '-' &&
         std::all_of(name.begin() + kTemporaryPrefix.size(), name.end() - 2,
                     [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }) &&
         name.back() >= '0' && name.back() < static_cast<char>('0' + kTemporarySlots);
}

}  // namespace quillmark

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Kernel answers this machine cannot give, and kills at a chosen step, for a program under test.
// Loaded into the program with LD_PRELOAD; each behaviour is chosen by an environment variable:
//
//   QUILLMARK_EMULATE=kernel-fat  attribute calls answer as Linux's own vfat/exfat drivers do: the
//                                 list families (and syscall 465) give 0 bytes, the get, set and
//                                 remove families (and syscalls 463, 464, 466) fail EOPNOTSUPP.
//   QUILLMARK_EMULATE=seccomp     syscalls 463-466 (the *xattrat calls) and openat2 fail EPERM,
//                                 as under a seccomp filter that refuses calls it does not know.
//   QUILLMARK_EMULATE=vanishing   the get family answers ENODATA after its first call, as for a
//                                 value removed between two reads.
//   QUILLMARK_EMULATE=unlistable  the list family fails EIO.
//   QUILLMARK_EMULATE=slow        every attribute call waits 2 ms first, as on a network mount.
//                                 (Modes combine: "kernel-fat,slow".)
//   QUILLMARK_APPEAR=FROM:TO      just before the first flock, FROM is renamed over TO, as if
//                                 another program had replaced TO meanwhile.
//   QUILLMARK_KILL_AT=STEP[:N]    SIGKILL just before the Nth (default 1st) call of STEP: fsync,
//                                 fdatasync, renameat, flock, or write (to a descriptor above 2);
//                                 syscall 74 and 75 count as fsync and fdatasync.
//   QUILLMARK_COUNT=FILE          at exit, FILE gets one line "list N get N set N remove N": the
//                                 attribute calls made, of every family and by syscall.
//
// From a test: env LD_PRELOAD=$QUILLMARK_PRELOAD (ctest sets it to this library's path) and, for
// sanitizer builds, ASAN_OPTIONS=verify_asan_link_order=0. tests/cli/sidecar_test.py has helpers.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool emulating(const char* mode) {
  const char* chosen = std::getenv("QUILLMARK_EMULATE");
  return chosen != nullptr && std::strstr(chosen, mode) != nullptr;
}

std::atomic<long> callsOfStep{0};

// Kills the process when this is the chosen call of the chosen step.
void step(const char* name) {
  const char* chosen = std::getenv("QUILLMARK_KILL_AT");
  if (chosen == nullptr) return;
  const std::size_t length = std::strcspn(chosen, ":");
  if (std::strlen(name) != length || std::strncmp(chosen, name, length) != 0) return;
  const long wanted = chosen[length] == ':' ? std::atol(chosen + length + 1) : 1;
  if (++callsOfStep == wanted) kill(getpid(), SIGKILL);
}

template <typename Function>
Function* real(const char* name) {
  return reinterpret_cast<Function*>(dlsym(RTLD_NEXT, name));
}

enum Family { kList, kGet, kSet, kRemove };
std::array<std::atomic<long>, 4> calls{};

// Counts a call of `family`, makes it slow where asked, and says the errno it is to fail with
// instead of being made (0: made).
int attributeCall(Family family) {
  const long before = calls[family]++;
  if (emulating("slow")) usleep(2000);
  if (family == kGet && before > 0 && emulating("vanishing")) return ENODATA;
  if (family == kList && emulating("unlistable")) return EIO;
  return 0;
}

struct CountsAtExit {
  ~CountsAtExit() {
    const char* file = std::getenv("QUILLMARK_COUNT");
    if (file == nullptr) return;
    if (FILE* out = std::fopen(file, "w")) {
      std::fprintf(out, "list %ld get %ld set %ld remove %ld\n", calls[kList].load(),
                   calls[kGet].load(), calls[kSet].load(), calls[kRemove].load());
      std::fclose(out);
    }
  }
} countsAtExit;

long fail(int error) {
  errno = error;
  return -1;
}

}  // namespace

// The C library's own calls, each passed on unless emulated here.
#define ATTRIBUTE_CALL(RESULT, NAME, FAMILY, EMULATED, PARAMETERS, ARGUMENTS)                     \
  extern "C" RESULT NAME PARAMETERS noexcept {                                                    \
    if (const int error = attributeCall(FAMILY)) return static_cast<RESULT>(fail(error));          \
    if (emulating("kernel-fat")) return static_cast<RESULT>(EMULATED);                             \
    return real<RESULT PARAMETERS>(#NAME) ARGUMENTS;                                               \
  }
#define LIST(NAME, T) ATTRIBUTE_CALL(ssize_t, NAME, kList, 0, (T t, char* l, size_t s), (t, l, s))
#define GET(NAME, T)                                                    \
  ATTRIBUTE_CALL(ssize_t, NAME, kGet, fail(EOPNOTSUPP), (T t, const char* n, void* v, size_t s), \
                 (t, n, v, s))
#define SET(NAME, T)                                                    \
  ATTRIBUTE_CALL(int, NAME, kSet, fail(EOPNOTSUPP),                     \
                 (T t, const char* n, const void* v, size_t s, int f), (t, n, v, s, f))
#define REMOVE(NAME, T) \
  ATTRIBUTE_CALL(int, NAME, kRemove, fail(EOPNOTSUPP), (T t, const char* n), (t, n))
LIST(listxattr, const char*) LIST(llistxattr, const char*) LIST(flistxattr, int)
GET(getxattr, const char*) GET(lgetxattr, const char*) GET(fgetxattr, int)
SET(setxattr, const char*) SET(lsetxattr, const char*) SET(fsetxattr, int)
REMOVE(removexattr, const char*) REMOVE(lremovexattr, const char*) REMOVE(fremovexattr, int)

#define STEP(RESULT, NAME, PARAMETERS, ARGUMENTS)        \
  extern "C" RESULT NAME PARAMETERS noexcept {           \
    step(#NAME);                                         \
    return real<RESULT PARAMETERS>(#NAME) ARGUMENTS;     \
  }
STEP(int, fsync, (int fd), (fd))
STEP(int, fdatasync, (int fd), (fd))
STEP(int, renameat, (int ff, const char* f, int tf, const char* t), (ff, f, tf, t))

extern "C" int flock(int fd, int operation) noexcept {
  step("flock");
  static std::atomic<bool> appeared{false};
  const char* appear = std::getenv("QUILLMARK_APPEAR");
  if (appear != nullptr && !appeared.exchange(true)) {
    const char* colon = std::strchr(appear, ':');
    real<int(const char*, const char*)>("rename")(std::string(appear, colon).c_str(), colon + 1);
  }
  return real<int(int, int)>("flock")(fd, operation);
}

extern "C" ssize_t write(int fd, const void* data, size_t size) {
  if (fd > 2) step("write");
  return real<ssize_t(int, const void*, size_t)>("write")(fd, data, size);
}

extern "C" long syscall(long number, ...) noexcept {
  va_list list;
  va_start(list, number);
  long a[6];
  for (long& argument : a) argument = va_arg(list, long);
  va_end(list);
  if (number >= 463 && number <= 466) {
    // setxattrat, getxattrat, listxattrat, removexattrat
    if (const int error = attributeCall(std::array{kSet, kGet, kList, kRemove}[number - 463]))
      return fail(error);
    if (emulating("seccomp")) return fail(EPERM);
    if (emulating("kernel-fat")) return number == 465 ? 0 : fail(EOPNOTSUPP);
  }
  if (number == SYS_openat2 && emulating("seccomp")) return fail(EPERM);
  if (number == SYS_fsync) step("fsync");
  if (number == SYS_fdatasync) step("fdatasync");
  return real<long(long, ...)>("syscall")(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}

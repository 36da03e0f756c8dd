// Kernel answers this machine cannot give, and kills at a chosen step, for a program under test.
// Loaded into the program with LD_PRELOAD; each behaviour is chosen by an environment variable:
//
//   QUILLMARK_EMULATE=kernel-fat  attribute calls answer as Linux's own vfat/exfat drivers do: the
//                                 list families (and syscall 465) give 0 bytes, the get, set and
//                                 remove families (and syscalls 463, 464, 466) fail EOPNOTSUPP.
//   QUILLMARK_EMULATE=seccomp     syscalls 463-466 (the *xattrat calls) and openat2 fail EPERM,
//                                 as under a seccomp filter that refuses calls it does not know.
//   QUILLMARK_EMULATE=no-rename-flags  renameat2 with flags fails EINVAL, as on NFS and SMB mounts.
//   QUILLMARK_EMULATE=no-links    link and linkat fail EPERM, as on FAT and exFAT.
//   QUILLMARK_EMULATE=slow        every attribute call waits 2 ms first, as on a network mount.
//                                 (Modes combine: "kernel-fat,no-rename-flags".)
//   QUILLMARK_APPEAR=FROM:TO      just before the first renameat2, FROM is hard-linked as TO, as if
//                                 another program had made TO meanwhile.
//   QUILLMARK_KILL_AT=STEP[:N]    SIGKILL just before the Nth (default 1st) call of STEP: fsync,
//                                 fdatasync, rename, renameat, renameat2, link, linkat, or write
//                                 (to a descriptor above 2); syscall 74, 75 and 316 count as
//                                 fsync, fdatasync and renameat2.
//
// From a test: env LD_PRELOAD=$QUILLMARK_PRELOAD (ctest sets it to this library's path) and, for
// sanitizer builds, ASAN_OPTIONS=verify_asan_link_order=0. tests/cli/sidecar_test.py has helpers.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdlib>
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

void waitIfSlow() {
  if (emulating("slow")) usleep(2000);
}

long fail(int error) {
  errno = error;
  return -1;
}

}  // namespace

// The C library's own calls, each passed on unless emulated here.
#define ATTRIBUTE_CALL(RESULT, NAME, EMULATED, PARAMETERS, ARGUMENTS)                             \
  extern "C" RESULT NAME PARAMETERS noexcept {                                                    \
    waitIfSlow();                                                                                  \
    if (emulating("kernel-fat")) return static_cast<RESULT>(EMULATED);                             \
    return real<RESULT PARAMETERS>(#NAME) ARGUMENTS;                                               \
  }
#define LIST(NAME, T) ATTRIBUTE_CALL(ssize_t, NAME, 0, (T t, char* l, size_t s), (t, l, s))
#define GET(NAME, T)                                                                               \
  ATTRIBUTE_CALL(ssize_t, NAME, fail(EOPNOTSUPP), (T t, const char* n, void* v, size_t s), (t, n, v, s))
#define SET(NAME, T)                                                                 \
  ATTRIBUTE_CALL(int, NAME, fail(EOPNOTSUPP),                                        \
                 (T t, const char* n, const void* v, size_t s, int f), (t, n, v, s, f))
#define REMOVE(NAME, T) ATTRIBUTE_CALL(int, NAME, fail(EOPNOTSUPP), (T t, const char* n), (t, n))
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
STEP(int, rename, (const char* f, const char* t), (f, t))
STEP(int, renameat, (int ff, const char* f, int tf, const char* t), (ff, f, tf, t))

extern "C" int link(const char* f, const char* t) noexcept {
  step("link");
  if (emulating("no-links")) return static_cast<int>(fail(EPERM));
  return real<int(const char*, const char*)>("link")(f, t);
}

extern "C" int linkat(int ff, const char* f, int tf, const char* t, int x) noexcept {
  step("linkat");
  if (emulating("no-links")) return static_cast<int>(fail(EPERM));
  return real<int(int, const char*, int, const char*, int)>("linkat")(ff, f, tf, t, x);
}

extern "C" int renameat2(int ff, const char* f, int tf, const char* t, unsigned x) noexcept {
  step("renameat2");
  static std::atomic<bool> appeared{false};
  const char* appear = std::getenv("QUILLMARK_APPEAR");
  if (appear != nullptr && !appeared.exchange(true)) {
    const char* colon = std::strchr(appear, ':');
    link(std::string(appear, colon).c_str(), colon + 1);
  }
  if (x != 0 && emulating("no-rename-flags")) return static_cast<int>(fail(EINVAL));
  return real<int(int, const char*, int, const char*, unsigned)>("renameat2")(ff, f, tf, t, x);
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
    waitIfSlow();
    if (emulating("seccomp")) return fail(EPERM);
    if (emulating("kernel-fat")) return number == 465 ? 0 : fail(EOPNOTSUPP);
  }
  if (number == SYS_openat2 && emulating("seccomp")) return fail(EPERM);
  if (number == SYS_fsync) step("fsync");
  if (number == SYS_fdatasync) step("fdatasync");
  if (number == SYS_renameat2) step("renameat2");
  return real<long(long, ...)>("syscall")(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}

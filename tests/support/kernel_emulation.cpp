// Kernel answers this machine cannot give, and kills at a chosen step, for a program under test.
// Loaded into the program with LD_PRELOAD; each behaviour is chosen by an environment variable:
//
//   QUILLMARK_EMULATE=kernel-fat  attribute calls answer as Linux's own vfat/exfat drivers do: the
//                                 list families (and syscall 465) give 0 bytes, the get, set and
//                                 remove families (and syscalls 463, 464, 466) fail EOPNOTSUPP.
//   QUILLMARK_EMULATE=seccomp     syscalls 463-466 (the *xattrat calls) fail EPERM, as under a
//                                 seccomp filter that refuses calls it does not know.
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

namespace {

bool emulating(const char* mode) {
  const char* chosen = std::getenv("QUILLMARK_EMULATE");
  return chosen != nullptr && std::strcmp(chosen, mode) == 0;
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

long fail(int error) {
  errno = error;
  return -1;
}

}  // namespace

// The C library's own signatures, each passed on unless emulated.
#define LISTS(NAME, TARGET)                                                      \
  extern "C" ssize_t NAME(TARGET target, char* list, size_t size) noexcept {     \
    if (emulating("kernel-fat")) return 0;                                       \
    return real<ssize_t(TARGET, char*, size_t)>(#NAME)(target, list, size);      \
  }
#define GETS(NAME, TARGET)                                                                  \
  extern "C" ssize_t NAME(TARGET target, const char* name, void* value, size_t size) noexcept { \
    if (emulating("kernel-fat")) return fail(EOPNOTSUPP);                                   \
    return real<ssize_t(TARGET, const char*, void*, size_t)>(#NAME)(target, name, value, size); \
  }
#define SETS(NAME, TARGET)                                                               \
  extern "C" int NAME(TARGET target, const char* name, const void* value, size_t size,  \
                      int flags) noexcept {                                              \
    if (emulating("kernel-fat")) return static_cast<int>(fail(EOPNOTSUPP));             \
    return real<int(TARGET, const char*, const void*, size_t, int)>(#NAME)(target, name, value, \
                                                                           size, flags); \
  }
#define REMOVES(NAME, TARGET)                                                       \
  extern "C" int NAME(TARGET target, const char* name) noexcept {                   \
    if (emulating("kernel-fat")) return static_cast<int>(fail(EOPNOTSUPP));        \
    return real<int(TARGET, const char*)>(#NAME)(target, name);                     \
  }
LISTS(listxattr, const char*)
LISTS(llistxattr, const char*)
LISTS(flistxattr, int)
GETS(getxattr, const char*)
GETS(lgetxattr, const char*)
GETS(fgetxattr, int)
SETS(setxattr, const char*)
SETS(lsetxattr, const char*)
SETS(fsetxattr, int)
REMOVES(removexattr, const char*)
REMOVES(lremovexattr, const char*)
REMOVES(fremovexattr, int)

extern "C" int fsync(int fd) noexcept {
  step("fsync");
  return real<int(int)>("fsync")(fd);
}

extern "C" int fdatasync(int fd) noexcept {
  step("fdatasync");
  return real<int(int)>("fdatasync")(fd);
}

extern "C" int rename(const char* from, const char* to) noexcept {
  step("rename");
  return real<int(const char*, const char*)>("rename")(from, to);
}

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to) noexcept {
  step("renameat");
  return real<int(int, const char*, int, const char*)>("renameat")(fromFolder, from, toFolder, to);
}

extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                         unsigned flags) noexcept {
  step("renameat2");
  return real<int(int, const char*, int, const char*, unsigned)>("renameat2")(fromFolder, from,
                                                                             toFolder, to, flags);
}

extern "C" int link(const char* from, const char* to) noexcept {
  step("link");
  return real<int(const char*, const char*)>("link")(from, to);
}

extern "C" int linkat(int fromFolder, const char* from, int toFolder, const char* to,
                      int flags) noexcept {
  step("linkat");
  return real<int(int, const char*, int, const char*, int)>("linkat")(fromFolder, from, toFolder,
                                                                     to, flags);
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
    if (emulating("seccomp")) return fail(EPERM);
    if (emulating("kernel-fat")) return number == 465 ? 0 : fail(EOPNOTSUPP);
  }
  if (number == SYS_fsync) step("fsync");
  if (number == SYS_fdatasync) step("fdatasync");
  if (number == SYS_renameat2) step("renameat2");
  return real<long(long, ...)>("syscall")(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}

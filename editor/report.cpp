#include "editor/report.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "attrstore/xattr.h"

namespace quillmark {

std::string buildReport(std::string_view headline, std::string_view description,
                        std::string_view creator, std::string_view copyright,
                        std::string_view keywords) {
  std::string report = "Saved extended attributes:\n\nHeadline:\n";
  report += headline;
  report += "\nDescription:\n";
  report += description;
  report += "\nCreator:\n";
  report += creator;
  report += "\nCopyright:\n";
  report += copyright;
  report += "\nKeywords:\n";
  report += keywords;
  report += "\nWritten by Quillmark.";
  return report;
}

void writeReportFile(const std::filesystem::path& path, std::string_view report) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) throw makePosixError(errno);
  const char* next = report.data();
  std::size_t left = report.size();
  while (left > 0) {
    const ssize_t written = write(fd, next, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      // A write that makes no progress without an error would loop forever;
      // for a regular file it only happens when the device has no room left.
      const int error = written < 0 ? errno : ENOSPC;
      close(fd);
      throw makePosixError(error);
    }
    next += written;
    left -= static_cast<std::size_t>(written);
  }
  // Some filesystems (NFS, FUSE) only report a failed write when the file is closed.
  if (close(fd) != 0) throw makePosixError(errno);
}

}  // namespace quillmark

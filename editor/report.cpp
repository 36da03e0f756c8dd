// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/report.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "attrstore/codec.h"
#include "attrstore/keywords.h"
#include "attrstore/names.h"
#include "attrstore/xattr.h"

namespace quillmark {

std::array<std::string, kFieldCount> reportTexts(const std::array<FoundValue, kValueCount>& values) {
  std::array<std::string, kFieldCount> texts;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (!values[i].present) continue;
    const StoredValue value = values[i].stored();
    if (i == kKeywords) {
      texts[i] = joinKeywords(keywordsOf(value));
    } else if (value.kind == StoredValue::Kind::kString) {
      texts[i] = value.text;
    }
  }
  return texts;
}

std::string buildReport(const std::array<std::string, kFieldCount>& texts) {
  std::string report = "Saved extended attributes:\n";
  for (const std::size_t position : kPositionsInReportOrder) {
    report += '\n';
    report += kValueNames[position].label;
    report += ":\n";
    report += texts[position];
  }
  report += "\nWritten by Quillmark.";
  return report;
}

void writeReportFile(const std::filesystem::path& path, std::string_view report) {
  // Never blocks: a FIFO without a reader fails with ENXIO at once, and one
  // with a reader, a socket or a device is refused with the same error, as
  // none of them can hold a report.
  const int fd =
      open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
  if (fd < 0) throw makePosixError(errno);
  struct stat status;
  const int error = fstat(fd, &status) != 0 ? errno : S_ISREG(status.st_mode) ? 0 : ENXIO;
  if (error != 0) {
    close(fd);
    throw makePosixError(error);
  }
  const char* next = report.data();
  std::size_t left = report.size();
  while (left > 0) {
    const ssize_t written = write(fd, next, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      // A write that makes no progress without an error would loop forever;
      // for a regular file it only happens when the device has no room left.
      const int failure = written < 0 ? errno : ENOSPC;
      close(fd);
      throw makePosixError(failure);
    }
    next += written;
    left -= static_cast<std::size_t>(written);
  }
  // Some filesystems (NFS, FUSE) only report a failed write when the file is closed.
  if (close(fd) != 0) throw makePosixError(errno);
}

}  // namespace quillmark

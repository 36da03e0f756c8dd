// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The plain-text report behind Save Text: the texts it holds, building it and
// writing it to a file.
//
// The report is UTF-8 with LF line ends and no final LF. writeReportFile puts
// it straight into the chosen file (no temporary file), so an existing file
// keeps its inode, hard links and extended attributes and only its content is
// replaced; every failure, down to close(), is thrown, never assumed away. A
// target that is not a regular file is refused (ENXIO) without blocking.
#ifndef QUILLMARK_EDITOR_REPORT_H_
#define QUILLMARK_EDITOR_REPORT_H_

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

#include "attrstore/places.h"

namespace quillmark {

// The five texts the window reports for `values` as found, in list order: a string as its text,
// the keywords (a list of strings or one string) as keywordsOf() joined with ", ", anything else
// and an absent value "".
std::array<std::string, kFieldCount> reportTexts(const std::array<FoundValue, kValueCount>& values);

// The report for the five field texts in list order, each copied unchanged under its label.
std::string buildReport(const std::array<std::string, kFieldCount>& texts);

// Creates or truncates `path` and writes exactly `report`; throws std::system_error.
void writeReportFile(const std::filesystem::path& path, std::string_view report);

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_REPORT_H_

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What quillmark-cli prints. Standard output may be a pipe that closes early:
// writing to it then throws OutputClosed, and the command ends quietly with
// status 1. Error lines go to standard error, one per failure, never onto a
// status line: that is cleared first. What reaches a terminal is escaped, so
// a stored value or a name cannot drive it (retitle, paint, write the clipboard).
#ifndef QUILLMARK_CLI_OUTPUT_H_
#define QUILLMARK_CLI_OUTPUT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace quillmark::cli {

// Standard output went away (a closed pipe).
struct OutputClosed {};

// Writes `text` to standard output; throws OutputClosed when it is gone.
void print(std::string_view text);

// Hands everything printed so far to standard output; throws OutputClosed when it is gone.
void flushOutput();

// Reports one failure as "PATH: MESSAGE" on standard error, the path escaped on a terminal.
void failed(std::string_view path, std::string_view message);

// Whether descriptor `fd` is a terminal.
bool isTerminal(int fd);

// `text` as ls shows names on a terminal: control characters other than tab
// and newline (C0, DEL, C1) and bytes that are not UTF-8 as C or octal escapes
// (\r, \033, \302\233), a backslash doubled, everything else as it is.
std::string escapedForTerminal(std::string_view text);

// At most `bytes` bytes of `text`, never ending inside a UTF-8 character.
std::string_view cutAtCharacter(std::string_view text, std::size_t bytes);

// Draws `line` on standard error in place of the last status line (on a terminal only).
void drawStatusLine(std::string_view line);

// Clears the status line, if one is drawn.
void clearStatusLine();

}  // namespace quillmark::cli

#endif  // QUILLMARK_CLI_OUTPUT_H_

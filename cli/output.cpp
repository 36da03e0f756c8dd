// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/output.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <iostream>

#include "attrstore/utf.h"

namespace quillmark::cli {

namespace {

bool statusLineDrawn = false;

bool isControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

void appendEscaped(std::string& out, std::uint8_t byte) {
  static constexpr std::string_view kShort = "abtnvfr";  // \a (7) to \r (13)
  if (byte >= 7 && byte <= 13) {
    out += {'\\', kShort[byte - 7]};
    return;
  }
  out += {'\\', static_cast<char>('0' + (byte >> 6)), static_cast<char>('0' + ((byte >> 3) & 7)),
          static_cast<char>('0' + (byte & 7))};
}

}  // namespace

void print(std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) throw OutputClosed{};
}

void flushOutput() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) throw OutputClosed{};
}

void failed(std::string_view path, std::string_view message) {
  clearStatusLine();
  std::cerr << (isTerminal(STDERR_FILENO) ? escapedForTerminal(path) : std::string(path)) << ": "
            << message << '\n';
}

bool isTerminal(int fd) { return isatty(fd) == 1; }

std::string escapedForTerminal(std::string_view text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    char32_t c = 0;
    const std::size_t length = utf::decodeUtf8(bytes + i, text.size() - i, c);
    if (length == 0 || (isControl(c) && c != '\t' && c != '\n')) {
      for (std::size_t k = 0; k < std::max<std::size_t>(length, 1); ++k) appendEscaped(out, bytes[i + k]);
      i += std::max<std::size_t>(length, 1);
      continue;
    }
    if (c == '\\') out += '\\';
    out.append(text.substr(i, length));
    i += length;
  }
  return out;
}

std::string_view cutAtCharacter(std::string_view text, std::size_t bytes) {
  if (text.size() <= bytes) return text;
  while (bytes > 0 && (static_cast<std::uint8_t>(text[bytes]) & 0xC0) == 0x80) --bytes;
  return text.substr(0, bytes);
}

void drawStatusLine(std::string_view line) {
  std::fprintf(stderr, "\r%.*s\033[K", static_cast<int>(line.size()), line.data());
  statusLineDrawn = true;
}

void clearStatusLine() {
  if (!statusLineDrawn) return;
  std::fputs("\r\033[K", stderr);
  statusLineDrawn = false;
}

}  // namespace quillmark::cli

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/json_path.h"

#include <algorithm>
#include <cstdint>

#include "attrstore/utf.h"
#include "cli/command.h"

namespace quillmark::cli {

namespace {

constexpr std::string_view kBase64 =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

std::string base64(std::string_view bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t count = std::min<std::size_t>(3, bytes.size() - i);  // bytes in this group
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      group = group << 8 | (k < count ? static_cast<std::uint8_t>(bytes[i + k]) : 0u);
    }
    for (std::size_t k = 0; k < 4; ++k)
      out += k <= count ? kBase64[(group >> (18 - 6 * k)) & 63] : '=';
  }
  return out;
}

std::optional<std::string> unbase64(std::string_view text) {
  std::string out;
  std::uint32_t group = 0;
  int bits = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '=') {
      if (text.find_first_not_of('=', i) != std::string_view::npos) return std::nullopt;
      break;
    }
    const std::size_t value = kBase64.find(text[i]);
    if (value == std::string_view::npos) return std::nullopt;
    group = (group << 6) | static_cast<std::uint32_t>(value);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((group >> bits) & 0xFF);
    }
  }
  return out;
}

Json pathToJson(const std::filesystem::path& path) {
  if (utf::isValidUtf8(path.native())) return path.native();
  return Json{{"base64", base64(path.native())}};
}

std::filesystem::path pathFromJson(const Json& value) {
  std::optional<std::string> bytes;
  if (value.is_string()) {
    bytes = value.get<std::string>();
  } else if (value.is_object() && value.size() == 1 && value.contains("base64") &&
             value["base64"].is_string()) {
    bytes = unbase64(value["base64"].get<std::string>());
  }
  if (!bytes) throw UsageError("\"path\" must be a string or {\"base64\": \"...\"}");
  // The system would take the path cut at its first NUL: another file.
  if (bytes->find('\0') != std::string::npos) throw UsageError("a \"path\" holds U+0000");
  return *bytes;
}

}  // namespace quillmark::cli

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/utf.h"

namespace quillmark::utf {

namespace {

// Strict UTF-16 (either byte order) to UTF-8; false on an odd byte count or an
// unpaired surrogate, since a document is not text when its encoding is broken.
bool utf16ToUtf8(std::span<const std::uint8_t> data, bool bigEndian, std::string& out) {
  if (data.size() % 2 != 0) return false;
  out.clear();
  out.reserve(data.size() + data.size() / 2);
  auto unitAt = [&](std::size_t i) -> char32_t {
    return bigEndian ? char32_t{data[i]} << 8 | data[i + 1] : char32_t{data[i + 1]} << 8 | data[i];
  };
  for (std::size_t i = 0; i < data.size(); i += 2) {
    char32_t c = unitAt(i);
    if (isHighSurrogate(c)) {
      if (i + 2 >= data.size()) return false;
      char32_t low = unitAt(i + 2);
      if (!isLowSurrogate(low)) return false;
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    } else if (isLowSurrogate(c)) {
      return false;
    }
    appendUtf8(out, c);
  }
  return true;
}

}  // namespace

std::optional<std::string_view> documentAsUtf8(std::span<const std::uint8_t> data,
                                               Utf16Detection detection, std::string& storage) {
  const std::size_t n = data.size();
  if (n >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
    return std::string_view(reinterpret_cast<const char*>(data.data()) + 3, n - 3);
  }
  if (n >= 2 && data[0] == 0xFE && data[1] == 0xFF) {
    if (!utf16ToUtf8(data.subspan(2), true, storage)) return std::nullopt;
    return std::string_view(storage);
  }
  if (n >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
    if (!utf16ToUtf8(data.subspan(2), false, storage)) return std::nullopt;
    return std::string_view(storage);
  }
  if (detection == Utf16Detection::kByteOrderMarkOrNul && n >= 2 &&
      (data[0] == 0 || data[1] == 0)) {
    // "<" as UTF-16 is 00 3C big-endian and 3C 00 little-endian.
    if (!utf16ToUtf8(data, data[0] == 0, storage)) return std::nullopt;
    return std::string_view(storage);
  }
  return std::string_view(reinterpret_cast<const char*>(data.data()), n);
}

}  // namespace quillmark::utf

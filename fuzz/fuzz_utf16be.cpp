// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes through every transcoding path this machine runs, read once
// as UTF-8 and once as UTF-16BE code units: all paths must agree byte for
// byte, with each other and with the plain one, on well-formed and ill-formed
// input alike, and stay within the room they are given (ASan watches that).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "attrstore/utf.h"
#include "attrstore/utf16be.h"

namespace utf16be = quillmark::utf16be;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::optional<std::vector<std::uint8_t>> firstUtf16;
  std::optional<std::string> firstUtf8;
  const bool wellFormed = quillmark::utf::isValidUtf8({reinterpret_cast<const char*>(data), size});
  for (const utf16be::Path path : utf16be::supportedPaths()) {
    const std::size_t units = utf16be::unitsForUtf8(data, size, path);
    std::vector<std::uint8_t> utf16(2 * units + utf16be::kOutputSlack);
    const std::uint8_t* end = utf16be::utf8ToUtf16(utf16.data(), data, size, path);
    if ((end != nullptr) != wellFormed) std::abort();
    if (end != nullptr && end != utf16.data() + 2 * units) std::abort();
    utf16.resize(end == nullptr ? 0 : 2 * units);
    if (firstUtf16 && *firstUtf16 != utf16) std::abort();
    firstUtf16 = std::move(utf16);

    std::string utf8 = "x";
    utf16be::appendAsUtf8(utf8, data, size / 2, path);
    if (!quillmark::utf::isValidUtf8(utf8)) std::abort();
    if (firstUtf8 && *firstUtf8 != utf8) std::abort();
    firstUtf8 = std::move(utf8);
  }
  return 0;
}

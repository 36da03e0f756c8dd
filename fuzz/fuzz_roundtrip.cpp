// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as field text: well-formed UTF-8 must be written (non-empty)
// and read back unchanged; anything else must be refused with empty bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "attrstore/codec.h"
#include "attrstore/utf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  quillmark::Data value = quillmark::encodeAttributeValue(text);
  if (!quillmark::utf::isValidUtf8(text)) {
    if (!value.empty()) std::abort();
    return 0;
  }
  if (value.empty() || quillmark::decodeAttributeValue(value) != text) std::abort();
  return 0;
}

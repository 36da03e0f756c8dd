// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes through the decoder. Beyond not crashing, reading out of
// bounds or hanging (the sanitizers and libFuzzer's timeouts watch those), the
// text and items it returns must be well-formed UTF-8, the text it decodes must
// be exactly the text of a string value, and that text must survive a round
// trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "attrstore/codec.h"
#include "attrstore/utf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using Kind = quillmark::StoredValue::Kind;
  const quillmark::StoredValue value = quillmark::readStoredValue({data, size});
  if (!quillmark::utf::isValidUtf8(value.text)) std::abort();
  for (const std::string& item : value.items) {
    if (!quillmark::utf::isValidUtf8(item)) std::abort();
  }
  if (!quillmark::utf::isValidUtf8(quillmark::describeStoredValue(value))) std::abort();

  std::string text = quillmark::decodeAttributeValue({data, size});
  if (text != (value.kind == Kind::kString ? value.text : std::string())) std::abort();
  if (quillmark::decodeAttributeValue(quillmark::encodeAttributeValue(text)) != text) std::abort();
  return 0;
}

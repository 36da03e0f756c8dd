// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as an image's metadata. Beyond not crashing, leaking or
// hanging (the sanitizers and libFuzzer's time and memory limits watch those;
// exiv2 itself is not instrumented), every failure must come back as an
// outcome rather than an exception, and every value as well-formed UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "attrstore/utf.h"
#include "imagemeta/embedded_values.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using Outcome = quillmark::EmbeddedValues::Outcome;
  const quillmark::EmbeddedValues values = quillmark::readEmbeddedValues({data, size});
  if (values.outcome != Outcome::kRead && values.any()) std::abort();
  if ((values.outcome == Outcome::kDamaged) == values.problem.empty()) std::abort();
  for (const std::string& text : values.texts) {
    if (!quillmark::utf::isValidUtf8(text)) std::abort();
  }
  return 0;
}

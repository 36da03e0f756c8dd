// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as an AppleDouble sidecar. Beyond not crashing, reading out of bounds or hanging
// (the sanitizers and libFuzzer's timeouts watch those), whatever parses must come back unchanged
// through serialize, and still so once one value is set and another removed, as a save does; and
// the layout read from the headers alone must agree with parse, whether and where each value lies.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include "attrstore/appledouble.h"

namespace ad = quillmark::appledouble;

static void requireRoundTrip(const ad::Sidecar& sidecar) {
  if (ad::parse(ad::serialize(sidecar)) != sidecar) std::abort();
}

static void requireLayoutAgrees(const std::uint8_t* data, std::size_t size,
                                const std::optional<ad::Sidecar>& sidecar) {
  const std::optional<ad::Layout> layout =
      ad::parseLayout({data, std::min(size, ad::kLayoutSpan)}, size);
  if (layout.has_value() != sidecar.has_value()) std::abort();
  if (!layout) return;
  if (layout->attributes.size() != sidecar->attributes.size()) std::abort();
  for (std::size_t i = 0; i < layout->attributes.size(); ++i) {
    const ad::Layout::Entry& entry = layout->attributes[i];
    const auto& attribute = sidecar->attributes[i];
    const std::uint8_t* value = data + entry.value.offset;
    if (entry.name != attribute.name || entry.flags != attribute.flags ||
        !std::equal(value, value + entry.value.length, attribute.value.begin(),
                    attribute.value.end())) {
      std::abort();
    }
  }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::optional<ad::Sidecar> sidecar = ad::parse({data, size});
  requireLayoutAgrees(data, size, sidecar);
  if (!sidecar) return 0;
  requireRoundTrip(*sidecar);
  // A value cut from the input itself, so that its length varies as well.
  ad::set(*sidecar, "com.apple.metadata:kMDItemHeadline",
          std::vector<std::uint8_t>(data, data + size % 97));
  ad::remove(*sidecar, sidecar->attributes.front().name);
  requireRoundTrip(*sidecar);
  return 0;
}

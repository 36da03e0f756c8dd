// Arbitrary bytes as an AppleDouble sidecar. Beyond not crashing, reading out of bounds or hanging
// (the sanitizers and libFuzzer's timeouts watch those), whatever parses must come back unchanged
// through serialize, and still so once one value is set and another removed, as a save does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#include "attrstore/appledouble.h"

namespace ad = quillmark::appledouble;

static void requireRoundTrip(const ad::Sidecar& sidecar) {
  if (ad::parse(ad::serialize(sidecar)) != sidecar) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::optional<ad::Sidecar> sidecar = ad::parse({data, size});
  if (!sidecar) return 0;
  requireRoundTrip(*sidecar);
  // A value cut from the input itself, so that its length varies as well.
  ad::set(*sidecar, "com.apple.metadata:kMDItemHeadline",
          std::vector<std::uint8_t>(data, data + size % 97));
  ad::remove(*sidecar, sidecar->attributes.front().name);
  requireRoundTrip(*sidecar);
  return 0;
}

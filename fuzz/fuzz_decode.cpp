// Arbitrary bytes through the decoder. Beyond not crashing, reading out of
// bounds or hanging (the sanitizers and libFuzzer's timeouts watch those), the
// text it returns must be well-formed UTF-8 and must survive a round trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "attrstore/codec.h"
#include "attrstore/utf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text = quillmark::decodeAttributeValue({data, size});
  if (!quillmark::utf::isValidUtf8(text)) std::abort();
  if (quillmark::decodeAttributeValue(quillmark::encodeAttributeValue(text)) != text) std::abort();
  return 0;
}

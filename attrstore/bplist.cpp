#include "attrstore/bplist.h"

#include <cstring>
#include <limits>

#include "attrstore/byte_scan.h"
#include "attrstore/utf.h"

namespace quillmark::bplist {

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kTrailerSize = 32;
constexpr std::uint8_t kMarkerInt = 0x10;
constexpr std::uint8_t kMarkerAsciiString = 0x50;
constexpr std::uint8_t kMarkerUtf16String = 0x60;

// Bytes needed for an unsigned integer field holding `value` (1, 2, 4 or 8).
unsigned widthFor(std::uint64_t value) {
  if (value < (1u << 8)) return 1;
  if (value < (1u << 16)) return 2;
  if (value < (std::uint64_t{1} << 32)) return 4;
  return 8;
}

std::uint8_t* putBigEndian(std::uint8_t* out, std::uint64_t value, unsigned width) {
  for (unsigned i = 0; i < width; ++i) {
    out[i] = static_cast<std::uint8_t>(value >> (8 * (width - 1 - i)));
  }
  return out + width;
}

// Writes eight ASCII bytes (loaded little-endian into `word`) as eight
// UTF-16BE code units: each byte moves to the odd position of its pair.
std::uint8_t* widenAscii(std::uint8_t* out, std::uint64_t word) {
  for (std::uint64_t half : {word & 0xFFFFFFFFu, word >> 32}) {
    half = (half | half << 16) & 0x0000FFFF0000FFFFu;
    half = (half | half << 8) & 0x00FF00FF00FF00FFu;
    half <<= 8;
    std::memcpy(out, &half, 8);
    out += 8;
  }
  return out;
}

// Big-endian unsigned of any width; only the last 8 bytes count when wider.
std::uint64_t getBigEndian(const std::uint8_t* p, std::size_t width) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width; ++i) value = value << 8 | p[i];
  return value;
}

}  // namespace

Data writeString(std::string_view utf8) {
  const auto* src = reinterpret_cast<const std::uint8_t*>(utf8.data());
  const std::size_t n = utf8.size();
  // The count is in UTF-16 code units: one per scalar value (every byte but
  // continuation bytes starts one) and a second for those above U+FFFF.
  const std::size_t asciiPrefix = scan::asciiPrefix(src, n);
  const bool ascii = asciiPrefix == n;
  std::uint64_t units = asciiPrefix;
  std::size_t i = asciiPrefix;
  for (; i + 8 <= n; i += 8) {
    // Per byte, bit 7 of: "is a continuation byte" (10xxxxxx) and "starts a
    // four-byte sequence" (11110xxx); shifts below 8 stay within each byte.
    const std::uint64_t w = scan::load(src + i);
    const std::uint64_t continuation = w & ~(w << 1) & scan::kHighBits;
    const std::uint64_t fourByteLead = w & (w << 1) & (w << 2) & (w << 3) & scan::kHighBits;
    units += 8 - scan::countFlagged(continuation) + scan::countFlagged(fourByteLead);
  }
  for (; i < n; ++i) {
    units += (src[i] & 0xC0) != 0x80;
    units += src[i] >= 0xF0;
  }

  // Object: marker with the count in its low nibble, or nibble 0xF followed by
  // an integer object holding the count in the fewest bytes.
  const unsigned countWidth = units < 15 ? 0 : widthFor(units);
  const std::size_t objectSize =
      1 + (countWidth == 0 ? 0 : 1 + countWidth) + (ascii ? n : 2 * units);
  const std::uint64_t tableOffset = kHeaderSize + objectSize;
  const unsigned offsetWidth = widthFor(tableOffset);
  Data out(tableOffset + offsetWidth + kTrailerSize);

  std::uint8_t* p = out.data();
  std::memcpy(p, "bplist00", kHeaderSize);
  p += kHeaderSize;
  const std::uint8_t marker = ascii ? kMarkerAsciiString : kMarkerUtf16String;
  if (countWidth == 0) {
    *p++ = static_cast<std::uint8_t>(marker | units);
  } else {
    *p++ = marker | 0x0F;
    *p++ = static_cast<std::uint8_t>(kMarkerInt | (countWidth == 1   ? 0
                                                   : countWidth == 2 ? 1
                                                   : countWidth == 4 ? 2
                                                                     : 3));
    p = putBigEndian(p, units, countWidth);
  }
  if (ascii) {
    if (n != 0) std::memcpy(p, src, n);
    p += n;
  } else {
    auto putUnit = [&p](char32_t u) {
      *p++ = static_cast<std::uint8_t>(u >> 8);
      *p++ = static_cast<std::uint8_t>(u);
    };
    for (std::size_t at = 0; at < n;) {
      if (at + 8 <= n && scan::allAscii(scan::load(src + at))) {
        p = widenAscii(p, scan::load(src + at));
        at += 8;
        continue;
      }
      if (src[at] < 0x80) {
        putUnit(src[at++]);
        continue;
      }
      char32_t c = 0;
      at += utf::decodeUtf8(src + at, n - at, c);  // the caller guarantees well-formed input
      if (c < 0x10000) {
        putUnit(c);
      } else {
        c -= 0x10000;
        putUnit(0xD800 + (c >> 10));
        putUnit(0xDC00 + (c & 0x3FF));
      }
    }
  }
  p = putBigEndian(p, kHeaderSize, offsetWidth);  // the one object starts after the header
  // Trailer: 5 unused bytes, sort version, offset width, reference width,
  // object count, top object, offset-table offset.
  p += 6;
  *p++ = static_cast<std::uint8_t>(offsetWidth);
  *p++ = 1;
  p = putBigEndian(p, 1, 8);
  p = putBigEndian(p, 0, 8);
  putBigEndian(p, tableOffset, 8);
  return out;
}

ReadResult readTopString(std::span<const std::uint8_t> data, std::string& text) {
  const std::uint64_t size = data.size();
  const std::uint8_t* d = data.data();
  if (size < kHeaderSize + 1 + kTrailerSize || std::memcmp(d, "bplist0", 7) != 0) {
    return ReadResult::kNotBinary;
  }
  const std::uint8_t* trailer = d + size - kTrailerSize;
  const std::uint64_t offsetWidth = trailer[6];
  const std::uint64_t refWidth = trailer[7];
  const std::uint64_t objectCount = getBigEndian(trailer + 8, 8);
  const std::uint64_t topObject = getBigEndian(trailer + 16, 8);
  const std::uint64_t tableOffset = getBigEndian(trailer + 24, 8);

  if (offsetWidth == 0 || refWidth == 0) return ReadResult::kNotBinary;
  if (objectCount == 0 || topObject >= objectCount) return ReadResult::kNotBinary;
  if (tableOffset < kHeaderSize + 1 || tableOffset >= size - kTrailerSize) {
    return ReadResult::kNotBinary;
  }
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  if (objectCount > kMax / offsetWidth) return ReadResult::kNotBinary;
  const std::uint64_t tableSize = objectCount * offsetWidth;
  // The size must be exactly header and objects, offset table, trailer
  // (tableOffset + tableSize + 32, compared without overflowing).
  if (tableSize > kMax - kTrailerSize - tableOffset ||
      tableOffset + tableSize + kTrailerSize != size) {
    return ReadResult::kNotBinary;
  }
  if (refWidth < 8 && (std::uint64_t{1} << (8 * refWidth)) <= objectCount) {
    return ReadResult::kNotBinary;
  }
  if (offsetWidth < 8 && (std::uint64_t{1} << (8 * offsetWidth)) <= tableOffset) {
    return ReadResult::kNotBinary;
  }
  // In bounds: topObject < objectCount and the table fits exactly before the trailer.
  const std::uint64_t topOffset = getBigEndian(d + tableOffset + topObject * offsetWidth,
                                               static_cast<std::size_t>(offsetWidth));
  if (topOffset < kHeaderSize || topOffset >= tableOffset) return ReadResult::kNotBinary;

  // From here on the input is a binary property list; objects end where the
  // offset table starts.
  const std::uint64_t objectsEnd = tableOffset;
  std::uint64_t pos = topOffset;
  const std::uint8_t marker = d[pos++];
  const std::uint8_t kind = marker & 0xF0;
  if (kind != kMarkerAsciiString && kind != kMarkerUtf16String) return ReadResult::kOther;
  std::uint64_t count = marker & 0x0F;
  if (count == 0x0F) {
    if (pos >= objectsEnd) return ReadResult::kOther;
    const std::uint8_t intMarker = d[pos++];
    if ((intMarker & 0xF0) != kMarkerInt || (intMarker & 0x0F) > 3) return ReadResult::kOther;
    const std::uint64_t width = std::uint64_t{1} << (intMarker & 0x0F);
    if (width > objectsEnd - pos) return ReadResult::kOther;
    count = getBigEndian(d + pos, static_cast<std::size_t>(width));
    pos += width;
  }
  const std::uint64_t available = objectsEnd - pos;
  text.clear();
  if (kind == kMarkerAsciiString) {
    if (count > available) return ReadResult::kOther;
    const std::uint8_t* chars = d + pos;
    const std::size_t prefix = scan::asciiPrefix(chars, static_cast<std::size_t>(count));
    text.assign(reinterpret_cast<const char*>(chars), prefix);
    for (std::size_t i = prefix; i < count; ++i) {
      utf::appendUtf8(text, chars[i]);  // bytes above 0x7F read as Latin-1
    }
  } else {
    if (count > available / 2) return ReadResult::kOther;
    utf::appendUtf16BigEndian(text, d + pos, static_cast<std::size_t>(count));
  }
  return ReadResult::kString;
}

}  // namespace quillmark::bplist

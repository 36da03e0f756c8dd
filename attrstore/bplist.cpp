#include "attrstore/bplist.h"

#include <algorithm>
#include <bit>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
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
// How many bytes of strings an array may yield per byte of input (see readTopObject).
constexpr std::uint64_t kArrayWeightPerInputByte = 16;

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

// Writes the UTF-8 sequence of three or four bytes at `src[at]` as UTF-16BE
// at `out`; returns its length, or 0 when it is ill-formed.
std::size_t putLongSequence(std::uint8_t* out, const std::uint8_t* src, std::size_t n,
                            std::size_t at, std::size_t& outLength) {
  char32_t c = 0;
  const std::size_t length = utf::decodeUtf8(src + at, n - at, c);
  const auto putUnit = [&out](char32_t u) {
    *out++ = static_cast<std::uint8_t>(u >> 8);
    *out++ = static_cast<std::uint8_t>(u);
  };
  if (length == 0) return 0;
  if (c < 0x10000) {
    putUnit(c);
    outLength = 2;
  } else {
    c -= 0x10000;
    putUnit(0xD800 + (c >> 10));
    putUnit(0xDC00 + (c & 0x3FF));
    outLength = 4;
  }
  return length;
}

// Writes UTF-8 `src[0, n)` as UTF-16BE at `out`; returns the end, or nullptr
// at the first ill-formed sequence. Runs of ASCII, most text, go sixteen bytes
// at a time; two-byte sequences (Latin and most other alphabets) are decoded
// in line.
std::uint8_t* writeUtf16(std::uint8_t* out, const std::uint8_t* src, std::size_t n) {
  std::size_t at = 0;
  while (at < n) {
#if defined(__SSE2__)
    if (at + 16 <= n) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + at));
      if (_mm_movemask_epi8(chunk) == 0) {
        // A zero byte before each ASCII byte is its big-endian code unit.
        const __m128i zero = _mm_setzero_si128();
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(zero, chunk));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi8(zero, chunk));
        out += 32;
        at += 16;
        continue;
      }
    }
#endif
    if (at + 8 <= n && scan::allAscii(scan::load(src + at))) {
      out = widenAscii(out, scan::load(src + at));
      at += 8;
      continue;
    }
    const std::uint8_t lead = src[at];
    if (lead < 0x80) {
      out[0] = 0;
      out[1] = lead;
      out += 2;
      ++at;
    } else if (lead >= 0xC2 && lead < 0xE0 && at + 1 < n && (src[at + 1] & 0xC0) == 0x80) {
      const unsigned unit = (lead & 0x1Fu) << 6 | (src[at + 1] & 0x3Fu);
      out[0] = static_cast<std::uint8_t>(unit >> 8);
      out[1] = static_cast<std::uint8_t>(unit);
      out += 2;
      at += 2;
    } else {
      std::size_t written = 0;
      const std::size_t length = putLongSequence(out, src, n, at, written);
      if (length == 0) return nullptr;
      out += written;
      at += length;
    }
  }
  return out;
}

// Big-endian unsigned of any width; only the last 8 bytes count when wider.
std::uint64_t getBigEndian(const std::uint8_t* p, std::size_t width) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width; ++i) value = value << 8 | p[i];
  return value;
}

// The trailer's eight-byte fields, read as one word: a byte loop over the
// three of them costs as much as decoding a short string.
std::uint64_t getBigEndian64(const std::uint8_t* p) {
  const std::uint64_t word = scan::load(p);
  if constexpr (std::endian::native == std::endian::little) return __builtin_bswap64(word);
  return word;
}

// A document whose trailer and offset table hold. Objects lie between the
// header and `objectsEnd`, where the offset table starts.
struct Layout {
  const std::uint8_t* d = nullptr;
  std::uint64_t objectsEnd = 0;
  std::uint64_t offsetWidth = 0;
  std::uint64_t refWidth = 0;
  std::uint64_t objectCount = 0;

  // Where object `index` starts, or 0 when the index or its offset is out of range.
  std::uint64_t offsetOf(std::uint64_t index) const {
    if (index >= objectCount) return 0;
    const std::uint64_t at =
        getBigEndian(d + objectsEnd + index * offsetWidth, static_cast<std::size_t>(offsetWidth));
    return at >= kHeaderSize && at < objectsEnd ? at : 0;
  }

  // True when `bytes` more bytes of objects follow `pos`.
  bool fits(std::uint64_t pos, std::uint64_t bytes) const { return bytes <= objectsEnd - pos; }

  // The length of the object whose marker is at `at`: the marker's low nibble,
  // or when that is 0xF the integer object after it. Sets `pos` to where the
  // content starts; false when the length is cut short or not an integer.
  bool readCount(std::uint64_t at, std::uint64_t& pos, std::uint64_t& count) const {
    pos = at + 1;
    count = d[at] & 0x0F;
    if (count != 0x0F) return true;
    if (pos >= objectsEnd) return false;
    const std::uint8_t intMarker = d[pos++];
    if ((intMarker & 0xF0) != kMarkerInt || (intMarker & 0x0F) > 3) return false;
    const std::uint64_t width = std::uint64_t{1} << (intMarker & 0x0F);
    if (!fits(pos, width)) return false;
    count = getBigEndian(d + pos, static_cast<std::size_t>(width));
    pos += width;
    return true;
  }
};

// Checks the header, trailer and offset table of `data`, and finds the top object.
bool readLayout(std::span<const std::uint8_t> data, Layout& doc, std::uint64_t& topOffset) {
  const std::uint64_t size = data.size();
  const std::uint8_t* d = data.data();
  if (size < kHeaderSize + 1 + kTrailerSize || std::memcmp(d, "bplist0", 7) != 0) return false;
  const std::uint8_t* trailer = d + size - kTrailerSize;
  const std::uint64_t offsetWidth = trailer[6];
  const std::uint64_t refWidth = trailer[7];
  const std::uint64_t objectCount = getBigEndian64(trailer + 8);
  const std::uint64_t topObject = getBigEndian64(trailer + 16);
  const std::uint64_t tableOffset = getBigEndian64(trailer + 24);

  if (offsetWidth == 0 || refWidth == 0) return false;
  if (objectCount == 0 || topObject >= objectCount) return false;
  if (tableOffset < kHeaderSize + 1 || tableOffset >= size - kTrailerSize) return false;
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  if (objectCount > kMax / offsetWidth) return false;
  const std::uint64_t tableSize = objectCount * offsetWidth;
  // The size must be exactly header and objects, offset table, trailer
  // (tableOffset + tableSize + 32, compared without overflowing).
  if (tableSize > kMax - kTrailerSize - tableOffset ||
      tableOffset + tableSize + kTrailerSize != size) {
    return false;
  }
  if (refWidth < 8 && (std::uint64_t{1} << (8 * refWidth)) <= objectCount) return false;
  if (offsetWidth < 8 && (std::uint64_t{1} << (8 * offsetWidth)) <= tableOffset) return false;
  doc = {d, tableOffset, offsetWidth, refWidth, objectCount};
  // In bounds: topObject < objectCount and the table fits exactly before the trailer.
  topOffset = doc.offsetOf(topObject);
  return topOffset != 0;
}

bool isString(std::uint8_t marker) {
  return (marker & 0xF0) == kMarkerAsciiString || (marker & 0xF0) == kMarkerUtf16String;
}

// A string object's content: `count` code units from `pos`, one byte each
// (ASCII, read as Latin-1) or two (UTF-16BE).
struct StringObject {
  std::uint64_t pos = 0;
  std::uint64_t count = 0;
  bool utf16 = false;
};

// The string object at `at`, whose marker isString(); false when it does not fit.
bool findString(const Layout& doc, std::uint64_t at, StringObject& s) {
  s.utf16 = (doc.d[at] & 0xF0) == kMarkerUtf16String;
  if (!doc.readCount(at, s.pos, s.count)) return false;
  const std::uint64_t available = doc.objectsEnd - s.pos;
  return s.count <= (s.utf16 ? available / 2 : available);
}

// Sets `text` to the string `s` as UTF-8.
void decodeString(const Layout& doc, const StringObject& s, std::string& text) {
  const std::uint8_t* chars = doc.d + s.pos;
  const auto count = static_cast<std::size_t>(s.count);
  text.clear();
  if (s.utf16) {
    utf::appendUtf16BigEndian(text, chars, count);
    return;
  }
  const std::size_t prefix = scan::asciiPrefix(chars, count);
  text.assign(reinterpret_cast<const char*>(chars), prefix);
  for (std::size_t i = prefix; i < count; ++i) {
    utf::appendUtf8(text, chars[i]);  // bytes above 0x7F read as Latin-1
  }
}

using Kind = StoredValue::Kind;

// The array at `at`, one level deep: kStringArray with its strings in `items`
// when every element is a string and their bytes, counted at each reference,
// stay within `budget`; kArray when not; kUnreadable when a reference or a
// string is corrupt. Elements that are containers are never looked into.
Kind readArray(const Layout& doc, std::uint64_t at, std::uint64_t budget,
               std::vector<std::string>& items) {
  std::uint64_t pos = 0;
  std::uint64_t count = 0;
  if (!doc.readCount(at, pos, count) || count > (doc.objectsEnd - pos) / doc.refWidth) {
    return Kind::kUnreadable;
  }
  const auto refWidth = static_cast<std::size_t>(doc.refWidth);
  std::vector<StringObject> strings;
  strings.reserve(static_cast<std::size_t>(count));  // count references fit in the input
  std::uint64_t weight = 0;
  bool allStrings = true;
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t element = doc.offsetOf(getBigEndian(doc.d + pos + i * refWidth, refWidth));
    if (element == 0) return Kind::kUnreadable;
    if (!isString(doc.d[element])) {
      allStrings = false;
      continue;
    }
    StringObject& s = strings.emplace_back();
    if (!findString(doc, element, s)) return Kind::kUnreadable;
    // Each term is below the input size, so the sum cannot wrap before it passes the budget.
    if (weight <= budget) weight += 1 + (s.utf16 ? 2 * s.count : s.count);
  }
  if (!allStrings || weight > budget) return Kind::kArray;
  items.resize(strings.size());
  for (std::size_t i = 0; i < strings.size(); ++i) decodeString(doc, strings[i], items[i]);
  return Kind::kStringArray;
}

// What the object at `at` is; fills in `value`'s text, items or data size to match.
Kind readObject(const Layout& doc, std::uint64_t at, std::uint64_t budget, StoredValue& value) {
  const unsigned low = doc.d[at] & 0x0F;
  const std::uint64_t content = at + 1;
  std::uint64_t pos = 0;
  std::uint64_t count = 0;
  switch (doc.d[at] >> 4) {
    case 0x0:  // null, false, true, fill
      return low == 0x8 || low == 0x9 ? Kind::kBoolean : Kind::kUnreadable;
    case 0x1:  // an integer of 1 to 16 bytes
      return low <= 4 && doc.fits(content, 1u << low) ? Kind::kNumber : Kind::kUnreadable;
    case 0x2:  // a real of 4 or 8 bytes
      return (low == 2 || low == 3) && doc.fits(content, 1u << low) ? Kind::kNumber
                                                                    : Kind::kUnreadable;
    case 0x3:
      return low == 3 && doc.fits(content, 8) ? Kind::kDate : Kind::kUnreadable;
    case 0x4:
      if (!doc.readCount(at, pos, count) || !doc.fits(pos, count)) return Kind::kUnreadable;
      value.dataSize = count;
      return Kind::kData;
    case 0x5:
    case 0x6: {
      StringObject s;
      if (!findString(doc, at, s)) return Kind::kUnreadable;
      decodeString(doc, s, value.text);
      return Kind::kString;
    }
    case 0xA:
      return readArray(doc, at, budget, value.items);
    case 0xB:  // ordered and unordered sets: lists, as far as a field can tell
    case 0xC:
      return doc.readCount(at, pos, count) && count <= (doc.objectsEnd - pos) / doc.refWidth
                 ? Kind::kArray
                 : Kind::kUnreadable;
    case 0xD:  // keys' references, then values'
      return doc.readCount(at, pos, count) && count <= (doc.objectsEnd - pos) / doc.refWidth / 2
                 ? Kind::kDictionary
                 : Kind::kUnreadable;
    default:  // uids, and markers no writer uses
      return Kind::kUnreadable;
  }
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
#if defined(__SSE2__)
  // Sixteen bytes at a time, counted per byte lane (at most 255 rounds before
  // the lanes are added up): continuation bytes (0x80-0xBF, below -64 as
  // signed bytes) start no unit, four-byte leads (0xF0-0xFF, above -17) a second.
  while (i + 16 <= n) {
    __m128i continuations = _mm_setzero_si128(), fourByteLeads = _mm_setzero_si128();
    const std::size_t rounds = std::min<std::size_t>((n - i) / 16, 255);
    for (std::size_t round = 0; round < rounds; ++round, i += 16) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
      continuations = _mm_sub_epi8(continuations, _mm_cmplt_epi8(chunk, _mm_set1_epi8(-64)));
      fourByteLeads =
          _mm_sub_epi8(fourByteLeads, _mm_and_si128(_mm_cmpgt_epi8(chunk, _mm_set1_epi8(-17)),
                                                    _mm_cmplt_epi8(chunk, _mm_setzero_si128())));
    }
    const auto sum = [](__m128i lanes) {
      const __m128i halves = _mm_sad_epu8(lanes, _mm_setzero_si128());
      return static_cast<std::uint64_t>(_mm_cvtsi128_si32(halves) +
                                        _mm_cvtsi128_si32(_mm_srli_si128(halves, 8)));
    };
    units += 16 * rounds - sum(continuations) + sum(fourByteLeads);
  }
#endif
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
  } else if (p = writeUtf16(p, src, n); p == nullptr) {
    return {};  // not UTF-8
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

bool readTopObject(std::span<const std::uint8_t> data, StoredValue& value) {
  Layout doc;
  std::uint64_t topOffset = 0;
  if (!readLayout(data, doc, topOffset)) return false;
  // Strings an array shares may be listed many times over; past this weight
  // the array is called a list rather than copied out.
  const std::uint64_t budget = kArrayWeightPerInputByte * data.size();
  value.kind = readObject(doc, topOffset, budget, value);
  return true;
}

}  // namespace quillmark::bplist

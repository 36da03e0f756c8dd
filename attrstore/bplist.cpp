// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/bplist.h"

#include <bit>
#include <cstring>
#include <limits>

#include "attrstore/byte_scan.h"
#include "attrstore/utf.h"
#include "attrstore/utf16be.h"

namespace quillmark::bplist {

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kTrailerSize = 32;
constexpr std::uint8_t kMarkerInt = 0x10;
constexpr std::uint8_t kMarkerAsciiString = 0x50;
constexpr std::uint8_t kMarkerUtf16String = 0x60;
// How many bytes of strings an array may yield per byte of input (see readTopObject).
constexpr std::uint64_t kArrayWeightPerInputByte = 16;
static_assert(kTrailerSize >= utf16be::kOutputSlack);

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
    utf16be::appendAsUtf8(text, chars, count);
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
  // The count is in UTF-16 code units. A short text is converted at once,
  // out of place, which counts them; a longer one is counted first and then
  // converted in place.
  const std::size_t asciiPrefix = scan::asciiPrefix(src, n);
  const bool ascii = asciiPrefix == n;
  constexpr std::size_t kShort = 64;
  std::uint8_t shortUtf16[2 * kShort + utf16be::kOutputSlack];
  const bool converted = !ascii && n <= kShort;
  std::uint64_t units = n;
  if (converted) {
    const std::uint8_t* end = utf16be::utf8ToUtf16(shortUtf16, src, n);
    if (end == nullptr) return {};  // not UTF-8
    units = static_cast<std::uint64_t>(end - shortUtf16) / 2;
  } else if (!ascii) {
    units = asciiPrefix + utf16be::unitsForUtf8(src + asciiPrefix, n - asciiPrefix);
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
  if (ascii || converted) {
    const std::size_t size = ascii ? n : 2 * units;
    if (size != 0) std::memcpy(p, ascii ? src : shortUtf16, size);
    p += size;
  } else if (p = utf16be::utf8ToUtf16(p, src, n);
             p == nullptr) {  // the table and trailer are its slack
    return {};                // not UTF-8
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

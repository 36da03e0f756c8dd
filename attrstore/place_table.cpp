// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/place_table.h"

#include "attrstore/bplist.h"
#include "attrstore/names.h"

namespace quillmark {

namespace {

bool isWholeBinaryPlist(std::span<const std::uint8_t> data) {
  StoredValue ignored;
  return bplist::readTopObject(data, ignored);
}

}  // namespace

bool PlaceRule::takesNewValue(const NewValueFacts& item) const {
  const bool ordinary = item.volume == Volume::kOrdinary;
  switch (place) {
    case Place::kStream:
      return ordinary && !item.attributesRefused && item.sambaManaged && !item.colonStreamsOnly;
    case Place::kColonStream:
      return ordinary && !item.attributesRefused && item.sambaManaged && item.colonStreamsOnly;
    case Place::kOsx:
      return !ordinary;
    case Place::kUser:
      return ordinary && !item.attributesRefused;
    case Place::kSidecar:
      return ordinary && item.attributesRefused;
  }
  return false;
}

const char* attributeName(std::size_t position, Place place) {
  const ValueName& names = kValueNames[position];
  const char* const all[] = {names.sambaStream, names.sambaColonStream, names.osx, names.user};
  return all[static_cast<std::size_t>(place)];
}

RawForm understand(Place place, std::span<const std::uint8_t> raw) {
  const bool nulLast = !raw.empty() && raw.back() == 0;
  if (kPlaces[static_cast<std::size_t>(place)].nulEnded) {
    if (!nulLast) return {{}, false, true};
    return {raw.first(raw.size() - 1), true, false};
  }
  // A binary list may itself end in 0x00; only one that is whole without it carries one more.
  if (place == Place::kUser && nulLast && !isWholeBinaryPlist(raw) &&
      isWholeBinaryPlist(raw.first(raw.size() - 1))) {
    return {raw.first(raw.size() - 1), true, false};
  }
  return {raw, false, false};
}

bool carriesNetatalkNul(std::string_view name, std::span<const std::uint8_t> raw) {
  if (name.starts_with(kPortableMetadataPrefix)) return understand(Place::kUser, raw).trailingNul;
  // Finder info is 32 bytes of which the last is often 0 on its own.
  if (name == "com.apple.FinderInfo") return raw.size() == 33 && raw.back() == 0;
  return !raw.empty() && raw.back() == 0;
}

Data inForm(std::span<const std::uint8_t> list, bool trailingNul) {
  Data bytes(list.begin(), list.end());
  if (trailingNul) bytes.push_back(0);
  return bytes;
}

}  // namespace quillmark

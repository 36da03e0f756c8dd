// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The places where Mac peers keep each of the five values on a Linux machine,
// in the order a value is looked for, and each one's form (the names are in
// names.h):
//
//   place         read form                        write form            a new value goes there
//   stream        list + 0x00 (else: continued)    list + 0x00           on an item Samba manages
//   colon stream  list + 0x00 (else: continued)    list + 0x00           ... whose streams all use ':'
//   osx.          list                             list                  on a Mac disk (and only there)
//   user.         list, or list + 0x00 (netatalk)  as found              elsewhere
//   sidecar       list                             list                  where user. is refused
//
// A stream is a Samba server's stream attribute of a Mac client's value;
// Samba keeps one 0x00 after it, and a stream whose last byte is anything
// else continues in attributes this store never writes, so it is never
// changed. netatalk's samba mode appends one 0x00 to every value and drops
// the last byte on reading whatever it is: a user. value found in that form
// keeps it, and a new one takes it where every other user.com.apple.* value
// of the item already has it. Everything here is pure.
#ifndef QUILLMARK_ATTRSTORE_PLACE_TABLE_H_
#define QUILLMARK_ATTRSTORE_PLACE_TABLE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "attrstore/item_at.h"
#include "attrstore/xattr.h"

namespace quillmark {

enum class Place { kStream, kColonStream, kOsx, kUser, kSidecar };
inline constexpr std::size_t kAttributePlaces = 4;  // the places before the sidecar

// What decides where a value new to an item goes.
struct NewValueFacts {
  Volume volume = Volume::kOrdinary;
  bool attributesRefused = false;  // the filesystem refuses user. attributes here
  bool sambaManaged = false;
  bool colonStreamsOnly = false;   // its metadata streams are all named with ':'
  bool othersCarryNul = false;     // its other user.com.apple.* values all carry netatalk's 0x00
};

struct PlaceRule {
  Place place;
  std::string_view label;  // how `check` and messages name it
  bool nulEnded;           // its bytes are always the list and one 0x00
  bool takesNewValue(const NewValueFacts& item) const;
};
inline constexpr std::array<PlaceRule, 5> kPlaces = {{
    {Place::kStream, "stream", true},
    {Place::kColonStream, "colon stream", true},
    {Place::kOsx, "osx.", false},
    {Place::kUser, "user.", false},
    {Place::kSidecar, "sidecar", false},
}};

// The attribute name of the value at list `position` in attribute place `place`.
const char* attributeName(std::size_t position, Place place);

// A place's raw bytes understood: the property list within and how it is wrapped.
struct RawForm {
  std::span<const std::uint8_t> list;  // empty when continued
  bool trailingNul = false;            // one 0x00 follows the list
  bool continued = false;              // a stream whose last byte is not 0x00
};
RawForm understand(Place place, std::span<const std::uint8_t> raw);

// Whether the raw value of user.<name> (name "com.apple...") carries netatalk's 0x00.
bool carriesNetatalkNul(std::string_view name, std::span<const std::uint8_t> raw);

// `list` as stored in a place of the given form.
Data inForm(std::span<const std::uint8_t> list, bool trailingNul);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_PLACE_TABLE_H_

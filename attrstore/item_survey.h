// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A read-only look at where an item keeps each of the five values, in every
// place at once and in each place's raw form, for checking an item rather
// than editing it. Nothing here changes anything; memory stays bounded as in
// readValues (a value over kValueLimit is measured, not decoded).
#ifndef QUILLMARK_ATTRSTORE_ITEM_SURVEY_H_
#define QUILLMARK_ATTRSTORE_ITEM_SURVEY_H_

#include <array>
#include <cstdint>
#include <vector>

#include "attrstore/codec.h"
#include "attrstore/item_at.h"
#include "attrstore/names.h"
#include "attrstore/place_table.h"

namespace quillmark {

// One place holding one value, as its raw bytes are.
struct HeldValue {
  Place place;                 // kPlaces[place].label names it
  int error = 0;               // errno of reading it (its other fields then say nothing)
  bool trailingNul = false;    // the list is followed by one 0x00 (a stream's, or netatalk's)
  bool continued = false;      // a stream whose last byte is not 0x00: the rest is elsewhere
  StoredValue::Kind kind = StoredValue::Kind::kUnreadable;  // of the list it holds
  std::uint64_t size = 0;      // of the raw bytes
};

struct ItemSurvey {
  int listingError = 0;        // errno of the attribute listing (EOPNOTSUPP: none kept here)
  bool sambaManaged = false;   // Samba keeps DOS attributes or streams on the item
  bool sidecarPresent = false; // an AppleDouble file "._name" is beside it
  bool sidecarParses = false;  // ... and it can be rewritten faithfully
  int sidecarError = 0;        // errno of a sidecar there that cannot be read (EACCES, say)
  std::array<std::vector<HeldValue>, kValueCount> values;  // list order; each in the order places are read
};

// Every place holding each of the five values of the item at `at`.
ItemSurvey surveyItem(const ItemAt& at);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_ITEM_SURVEY_H_

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/item_survey.h"

#include <cerrno>

#include "attrstore/listing.h"
#include "attrstore/names.h"
#include "attrstore/places.h"
#include "attrstore/sidecar_file.h"

namespace quillmark {

namespace {

HeldValue held(Place place, std::span<const std::uint8_t> raw) {
  const RawForm form = understand(place, raw);
  HeldValue value{place, 0, form.trailingNul, form.continued};
  value.size = raw.size();
  if (!form.continued && raw.size() <= kValueLimit) value.kind = readStoredValue(form.list).kind;
  return value;
}

}  // namespace

ItemSurvey surveyItem(const ItemAt& at) {
  ItemSurvey survey;
  const Listing listing = listAttributes(at.item);
  survey.listingError = listing.error;
  survey.sambaManaged = listing.sambaManaged;
  for (std::size_t position = 0; position < kValueCount; ++position) {
    for (std::size_t index = 0; index < kAttributePlaces; ++index) {
      const Place place = kPlaces[index].place;
      if (!listing.holds(position, place)) continue;
      try {
        survey.values[position].push_back(
            held(place, readXattr(at.item, attributeName(position, place))));
      } catch (const std::system_error& failure) {
        survey.values[position].push_back({place, failure.code().value()});
      }
    }
  }
  if (at.sidecarError != 0) return survey;
  const SidecarFile sidecar = readSidecar(at.folder, sidecarName(at));
  survey.sidecarPresent = sidecar.appleDouble;
  survey.sidecarParses = sidecar.parses;
  if (sidecar.exists && sidecar.error != ELOOP) survey.sidecarError = sidecar.error;  // ELOOP: a link
  for (std::size_t position = 0; position < kValueCount; ++position) {
    const SidecarValue& value = sidecar.values[position];
    if (value.bytes) {
      survey.values[position].push_back(held(Place::kSidecar, *value.bytes));
    } else if (value.present) {  // too large to decode, or its read failed
      HeldValue large{Place::kSidecar};
      large.size = value.size;
      survey.values[position].push_back(large);
    }
  }
  return survey;
}

}  // namespace quillmark

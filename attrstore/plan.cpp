// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/plan.h"

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "attrstore/names.h"

namespace quillmark {

namespace {

using Action = ValueEdit::Action;

bool changes(const ValueEdit& edit) { return edit.action != Action::kKeep; }
// A value that has bytes to store: one without fails alone, before any place is looked at.
bool writes(const ValueEdit& edit) { return edit.action == Action::kWrite && !edit.value->empty(); }

// The steps for a value the item holds in attributes; 0 or the errno refusing them.
int planHeldValue(const PlanInput& input, std::size_t position, const ValueEdit& edit,
                  std::vector<AttributeStep>& steps) {
  for (std::size_t index = 0; index < kAttributePlaces; ++index) {
    const Place place = kPlaces[index].place;
    if (!input.listing.holds(position, place)) continue;
    const std::optional<RawRead>& raw = input.raw[position][index];
    RawForm form;
    form.trailingNul = kPlaces[index].nulEnded;
    // One gone since it was listed is written anew in its place's own form.
    if (raw && raw->error != ENODATA) {
      if (raw->error != 0) return raw->error;
      form = understand(place, raw->bytes);
      if (form.continued) return EINVAL;  // its rest is in attributes this store never writes
    }
    if (edit.action == Action::kRemove) {
      steps.push_back({position, place, true, {}});
      continue;
    }
    Data bytes = inForm(*edit.value, form.trailingNul);
    // Rewriting the very bytes stored would change nothing but the item's ctime.
    const bool same = raw && raw->error == 0 && std::ranges::equal(raw->bytes, bytes);
    if (!same) steps.push_back({position, place, false, std::move(bytes)});
  }
  return 0;
}

// Whether every user.com.apple.* value of the item carries netatalk's 0x00 (false for none).
bool othersCarryNul(const PlanInput& input) {
  const auto carries = [](std::string_view name, const std::optional<RawRead>& raw) {
    return raw && raw->error == 0 && carriesNetatalkNul(name, raw->bytes);
  };
  constexpr auto kUser = static_cast<std::size_t>(Place::kUser);
  const Listing& listing = input.listing;
  bool any = false;
  for (std::size_t position = 0; position < kValueCount; ++position) {
    if (!listing.holds(position, Place::kUser)) continue;
    if (!carries(kValueNames[position].portable, input.raw[position][kUser])) return false;
    any = true;
  }
  for (std::size_t i = 0; i < listing.otherAppleValues.size(); ++i) {
    if (i >= input.otherValues.size() || !carries(listing.otherAppleValues[i], input.otherValues[i]))
      return false;
    any = true;
  }
  return any;
}

}  // namespace

bool sidecarNeeded(const Listing& listing, const ValueEdits& edits) {
  for (std::size_t position = 0; position < edits.size(); ++position) {
    if (changes(edits[position]) && !listing.inAnyAttribute(position)) return true;
  }
  return false;
}

bool rawNeeded(const Listing& listing, const ValueEdits& edits, Volume volume, std::size_t position,
               Place place) {
  if (!listing.holds(position, place)) return false;
  if (kPlaces[static_cast<std::size_t>(place)].nulEnded) return changes(edits[position]);
  // A user. value is rewritten in its own form; all of them tell a new value's form.
  return place == Place::kUser && (edits[position].action == Action::kWrite ||
                                   newUserValue(listing, edits, volume) < edits.size());
}

std::size_t newUserValue(const Listing& listing, const ValueEdits& edits, Volume volume) {
  std::size_t position = 0;
  if (volume != Volume::kOrdinary || listing.unsupported) return edits.size();
  while (position < edits.size() && !(writes(edits[position]) && !listing.inAnyAttribute(position)))
    ++position;
  return position;
}

Plan planEdits(const PlanInput& input, const ValueEdits& edits) {
  Plan plan;
  const Listing& listing = input.listing;
  if (listing.error != 0 && !listing.unsupported) {
    // Whatever the item holds is unknown: nothing can be decided.
    for (std::size_t position = 0; position < edits.size(); ++position) {
      if (changes(edits[position])) plan.errors[position] = listing.error;
    }
    return plan;
  }
  const bool refusesAttributes = listing.unsupported || input.attributesRefused;
  const NewValueFacts facts{input.volume, refusesAttributes, listing.sambaManaged,
                            listing.colonStreams && !listing.privateStreams,
                            !refusesAttributes && othersCarryNul(input)};
  const SidecarState sidecar = input.sidecar.value_or(SidecarState{});
  bool refused = false;
  for (std::size_t position = 0; position < edits.size(); ++position) {
    const ValueEdit& edit = edits[position];
    if (!changes(edit)) continue;
    int& error = plan.errors[position];
    if (edit.action == Action::kWrite && !writes(edit)) {
      error = EINVAL;
      continue;
    }
    // No reader takes back more, as the kernel stores no more in an attribute: a sidecar would
    // hold it and every reader call it unreadable.
    if (edit.action == Action::kWrite && edit.value->size() > kValueLimit) {
      error = E2BIG;
      continue;
    }
    if (listing.inAnyAttribute(position)) {
      error = planHeldValue(input, position, edit, plan.steps);
    } else if (sidecar.kind == SidecarState::Kind::kUnparsable) {
      error = EINVAL;  // it may hold the value: never rewritten, and never said to lack it
    } else if (sidecar.kind == SidecarState::Kind::kUnreadable) {
      error = sidecar.error;  // likewise, and the system says why
    } else if (sidecar.kind == SidecarState::Kind::kParsed && sidecar.holds[position]) {
      plan.sidecar[position] = edit.action;
    } else if (edit.action == Action::kRemove) {
      error = ENODATA;
    } else {
      // New to the item: where its Mac peers will look for it.
      for (const Place place : {Place::kUser, Place::kStream, Place::kColonStream, Place::kOsx}) {
        const PlaceRule& rule = kPlaces[static_cast<std::size_t>(place)];
        if (!rule.takesNewValue(facts)) continue;
        const bool nul = rule.nulEnded || (place == Place::kUser && facts.othersCarryNul);
        plan.steps.push_back({position, place, false, inForm(*edit.value, nul)});
      }
      if (kPlaces[static_cast<std::size_t>(Place::kSidecar)].takesNewValue(facts)) {
        // Some other file by the sidecar's name is never replaced.
        if (sidecar.kind == SidecarState::Kind::kOtherFile) error = EINVAL;
        plan.sidecar[position] = Action::kWrite;
      }
    }
    refused = refused || (error != 0 && error != ENODATA);
  }
  plan.refused = refused;
  if (refused) {
    plan.steps.clear();
    plan.sidecar = {};
    for (std::size_t position = 0; position < edits.size(); ++position) {
      if (changes(edits[position]) && plan.errors[position] == 0) plan.errors[position] = ECANCELED;
    }
  }
  return plan;
}

}  // namespace quillmark

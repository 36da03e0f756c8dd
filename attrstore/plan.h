// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Deciding an edit of an item's five values before anything is written: from
// one listing, the bytes read from the places that matter and the edits, the
// exact write or removal of every place (place_table.h says which and in what
// form), or a refusal. A place already holding the exact bytes to write gets no
// step. A refused edit writes nothing at all: the refused values say why, every
// other changed value is cancelled (ECANCELED). A value to write with no bytes
// (a text that has no stored form) fails alone (EINVAL). Pure.
#ifndef QUILLMARK_ATTRSTORE_PLAN_H_
#define QUILLMARK_ATTRSTORE_PLAN_H_

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "attrstore/listing.h"
#include "attrstore/names.h"
#include "attrstore/place_table.h"
#include "attrstore/xattr.h"

namespace quillmark {

struct ValueEdit {
  // kAdd: kWrite where the item holds the value nowhere, else kKeep (a PreparedChange settles it
  // into one of the two once the item is listed).
  enum class Action { kKeep, kWrite, kRemove, kAdd };
  Action action = Action::kKeep;
  const Data* value = nullptr;  // kWrite, kAdd: the property list to store (empty: it has none)
  // The value the change was decided against (its property list; null: absent). Where the item
  // holds another one when read just before the write, nothing is written for this value and it
  // fails with kChangedElsewhere, so that another writer's value is never replaced unseen.
  std::optional<const Data*> expected{};
};
using ValueEdits = std::array<ValueEdit, kValueCount>;

// A place's raw bytes as read, or the errno of reading them.
struct RawRead {
  int error = 0;
  Data bytes;
};

// The item's sidecar as found by name.
struct SidecarState {
  enum class Kind { kAbsent, kOtherFile, kUnreadable, kUnparsable, kParsed };
  Kind kind = Kind::kAbsent;
  int error = 0;  // kUnreadable: why (EACCES, EIO...)
  std::array<bool, kValueCount> holds{};  // kParsed: which values it holds
};

struct PlanInput {
  Listing listing;
  Volume volume = Volume::kOrdinary;
  // The raw bytes of every place rawNeeded names.
  std::array<std::array<std::optional<RawRead>, kAttributePlaces>, kValueCount> raw{};
  // Where a value is new to the item (newUserValue), the raw bytes of the listing's
  // otherAppleValues, in its order: with the five's, they tell netatalk's form.
  std::vector<RawRead> otherValues{};
  // user. attributes are refused although the listing worked (the kernel's own FAT drivers list
  // none, then refuse each one): found by reading a new value's user. name before any write.
  bool attributesRefused = false;
  std::optional<SidecarState> sidecar{};  // read when sidecarNeeded() says so
};

struct AttributeStep {
  std::size_t position;
  Place place;
  bool remove = false;
  Data bytes;  // to write, exactly
};

struct Plan {
  std::vector<AttributeStep> steps;  // in the order they are taken
  std::array<ValueEdit::Action, kValueCount> sidecar{};  // the change for each value in the sidecar
  std::array<int, kValueCount> errors{};  // decided here, per value (ENODATA: a removal of a value nowhere)
  bool refused = false;         // nothing is to be written at all
};

// Whether the plan needs the sidecar read: some changed value is in no attribute.
bool sidecarNeeded(const Listing& listing, const ValueEdits& edits);
// Whether the plan needs the raw bytes of `place` for value `position`.
bool rawNeeded(const Listing& listing, const ValueEdits& edits, Volume volume, std::size_t position,
               Place place);
// The list position of a value new to an item on an ordinary volume, whose user. name is read to
// learn whether the filesystem keeps user. attributes (and then othersCarryNul), or 5 for none.
std::size_t newUserValue(const Listing& listing, const ValueEdits& edits, Volume volume);

Plan planEdits(const PlanInput& input, const ValueEdits& edits);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_PLAN_H_

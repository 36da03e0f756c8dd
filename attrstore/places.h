// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and editing the five values wherever Mac peers keep them on a Linux
// machine (place_table.h: the places, their order and forms).
//
// A value is read from the first place that has it. An edit is decided whole
// before anything is written (plan.h): a value is written to every place that
// has it, each in its own form, or where none has it, where the item's Mac
// peers will look; removal removes it from every place. A stream continued in
// other attributes, or a sidecar that does not parse, is never changed and
// refuses the edit (EINVAL), which then changes nothing. A sidecar is
// rewritten whole, atomically, keeping every other byte's meaning. Nothing
// else is touched.
//
// Memory stays bounded whatever an item holds: a value larger than the
// kernel's own attribute limit (64 KiB), which only a sidecar can hold, reads
// as found but unreadable and is never decoded.
//
// Looking at or changing an item costs one attribute listing and at most one
// read for each value, or copy of one, that the change needs; a sidecar is
// found by its name (never from a folder's listing) when some value is in no
// attribute. Every decision (a refusal, a value sent to the sidecar) is made
// before the first write.
#ifndef QUILLMARK_ATTRSTORE_PLACES_H_
#define QUILLMARK_ATTRSTORE_PLACES_H_

#include <array>
#include <cerrno>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "attrstore/codec.h"
#include "attrstore/item_at.h"
#include "attrstore/plan.h"

namespace quillmark {

// The largest value the store decodes: the kernel's own limit for one attribute.
inline constexpr std::size_t kValueLimit = 64 * 1024;

// One of the five values as found: absent, or present with its property-list
// bytes (empty when found but unreadable).
struct FoundValue {
  bool present = false;
  Data data;
  int error = 0;  // present but unreadable: why, where the system said (EACCES for a sidecar, say)

  // Present with bytes to decode.
  bool readable() const { return present && !data.empty(); }
  // What it holds; StoredValue{} (unreadable) for no value at all.
  StoredValue stored() const { return present ? readStoredValue(data) : StoredValue{}; }
};
// The path of the item's sidecar "._name", for `at.folder`.
std::string sidecarName(const ItemAt& at);

// The five values in list order. A listing that fails for any reason but the
// filesystem keeping no attributes leaves each value found but unreadable.
std::array<FoundValue, 5> readValues(const ItemAt& at);

struct ChangeOptions {
  bool readAll = false;        // also read the values not changed: all five come back
  bool desktopCopies = false;  // bring user.xdg.tags and .comment in step (desktop_copies.h)
};

// A desktop copy that was not kept as its value is.
struct CopyFailure {
  std::size_t position;   // of its value: Description or Keywords
  int error = 0;          // errno of writing (or, `removing`, removing) it
  bool removing = false;
  std::string commaTag;   // else: a keyword left out of the tags, as it holds a comma
};

// A value's error when the item held another value than its edit expected (ValueEdit::expected);
// the value found is then in ChangeResult::values.
inline constexpr int kChangedElsewhere = ESTALE;

struct ChangeResult {
  // As stored afterwards: each value changed, each one a copy needed and, with readAll, all.
  std::array<FoundValue, 5> values;
  // Each value's first failure (ENODATA: a removal of a value that was nowhere; ECANCELED: not
  // tried because another value's edit was refused; EINVAL: a value to write with no bytes).
  std::array<int, 5> errors{};
  std::vector<CopyFailure> copyFailures;
};

// The one way an item's values change: `edits` planned whole, then written in
// every place; a copy whose value failed is left as it was. Exactly
// prepareChange, applyAttributeStep for each of its plan's steps in order, then
// finishChange.
ChangeResult changeValues(const ItemAt& at, const ValueEdits& edits,
                          const ChangeOptions& options = {});

// One desktop copy as planned: written, removed, or failed already.
struct CopyStep {
  std::size_t position;
  const char* name;
  std::optional<std::string> bytes;  // nothing: removed
  int error = 0;                     // decided before any write: it cannot be kept
};

// A change read and decided, nothing of it written yet: its listing, reads,
// plan and desktop copies. `at`'s strings and the edits' values must outlive it.
// Writing several items' steps interleaved (each item's in its plan's order)
// changes nothing of what each item ends up holding.
struct PreparedChange {
  ItemAt at;
  ValueEdits edits;
  Plan plan{};  // its steps are what applyAttributeStep takes
  std::array<bool, 5> changing{}, wanted{};
  std::array<FoundValue, 5> found{};
  std::array<bool, 5> checkInSidecar{};  // found only in the sidecar: compared again under its lock
  std::vector<CopyStep> copies{};
  std::vector<std::string> commaTags{};
  ChangeResult result{};  // as far as decided
  bool settled = false;  // nothing is to be written: `result` is the outcome
};
PreparedChange prepareChange(const ItemAt& at, const ValueEdits& requested,
                             const ChangeOptions& options = {});
// Writes or removes one place, step `index` of the plan.
void applyAttributeStep(PreparedChange& change, std::size_t index);
// The sidecar and the desktop copies, then the values as stored.
ChangeResult finishChange(PreparedChange&& change);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_PLACES_H_

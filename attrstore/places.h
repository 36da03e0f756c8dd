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
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "attrstore/codec.h"
#include "attrstore/item_at.h"
#include "attrstore/keyword_change.h"
#include "attrstore/listing.h"
#include "attrstore/names.h"
#include "attrstore/plan.h"
#include "attrstore/sidecar_file.h"

namespace quillmark {

struct TagChange;  // tags.h

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
std::array<FoundValue, kValueCount> readValues(const ItemAt& at);

struct ChangeOptions {
  bool readAll = false;        // also read the values not changed: all five come back
  bool desktopCopies = false;  // bring user.xdg.tags and .comment in step (desktop_copies.h)
  // Made on the keywords as this change finds them, in their own form (keywordEdit), in place of
  // the keywords' edit: so it lands on whatever another writer stored.
  const KeywordChange* keywords = nullptr;
  // Likewise for the tags (tagEdit), in place of their edit.
  const TagChange* tags = nullptr;
  // The colour label to give the item (finder_info.h), 0-7, in place of the one its tags' change
  // leads to: the colour of the last coloured tag, where that changes.
  std::optional<std::uint8_t> label{};
  bool readLabel = false;  // also read the item's colour label as found (ChangeResult::label)
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
  std::array<FoundValue, kValueCount> values;
  // Each value's first failure (ENODATA: a removal of a value that was nowhere; ECANCELED: not
  // tried because another value's edit was refused; EINVAL: a value to write with no bytes).
  std::array<int, kValueCount> errors{};
  std::vector<CopyFailure> copyFailures;
  // With ChangeOptions::keywords or ::tags: the edit each came to, and why it was refused
  // (EINVAL) if it was.
  ValueEdit::Action keywordAction = ValueEdit::Action::kKeep, tagAction = ValueEdit::Action::kKeep;
  std::optional<KeywordRefusal> keywordRefusal{}, tagRefusal{};
  // With ChangeOptions::readLabel: the colour label (finder_info.h) as found before the change, 0
  // for none; nothing where the item could not be listed.
  std::optional<std::uint8_t> label{};
};

// One desktop copy as planned: written, removed, or failed already.
struct CopyStep {
  std::size_t position;
  const char* name;
  std::optional<std::string> bytes;  // nothing: removed
  int error = 0;                     // decided before any write: it cannot be kept
};

// One item's change, read and decided when constructed (one listing, the reads
// the plan and the compared values need, the sidecar by name where needed),
// then written step by step: every attribute step in order, then finish() for
// the sidecar and the desktop copies. Nothing is written before the first
// step. Several items' changes may be written interleaved (each one's steps in
// order), from any thread, without changing what each item ends up holding.
// `at`'s strings and the edits' values must outlive it.
class PreparedChange {
 public:
  PreparedChange(const ItemAt& at, const ValueEdits& requested, const ChangeOptions& options = {});

  // The attribute writes and removals to take, in order, before finish(): the values', then the
  // Finder info's for the label.
  std::size_t steps() const { return plan_.steps.size() + labelSteps_.size(); }
  // Writes or removes one place: step `index`.
  void takeStep(std::size_t index);
  // Writes the sidecar and the desktop copies; returns the values as stored. Called once, last.
  ChangeResult finish();

 private:
  // The preparation, in the order the constructor takes it.
  void decideWanted(const ChangeOptions& options);
  void failUnlisted(const Listing& listing, const ChangeOptions& options);
  void settleAdds(const Listing& listing);
  // Makes the edit of the list at `position` (keywords or tags) on it as found, with `edit`.
  template <class MakeEdit>
  void decideList(PlanInput& input, std::size_t position, MakeEdit edit);
  void readAttributes(PlanInput& input);
  // Reads the value at `position` from the first attribute holding it into found_ (its raw bytes
  // kept in `input` for the plan), or marks it as only in the sidecar.
  void readFirstPlace(PlanInput& input, std::size_t position);
  const SidecarFile& sidecarFile();  // read once while preparing
  void learnHowNewValuesGo(PlanInput& input);
  void readSidecarWhereNeeded(PlanInput& input);
  void leaveChangedElsewhere();
  void leaveAddsTheSidecarMayHold(const SidecarState& sidecar);
  void readLabel(const Listing& listing);
  void planLabel(const PlanInput& input, const ChangeOptions& options);
  void planCopies(const PlanInput& input);
  // The sidecar's part of finish(); the values kept only there are compared again under its lock.
  void writeSidecar();
  void writeCopies();

  ItemAt at_;
  ValueEdits edits_;  // as requested, each kAdd settled, each value changed elsewhere kept
  Plan plan_{};
  std::array<bool, kValueCount> changing_{}, wanted_{}, adding_{}, changedElsewhere_{};
  std::array<bool, kValueCount> onlyInSidecar_{};  // wanted and in no attribute
  std::array<FoundValue, kValueCount> found_{};
  std::vector<CopyStep> copies_{};
  std::vector<std::string> commaTags_{};
  // A keyword or tag change's bytes and the value it was made on, on the heap, where a moved
  // change's edit still finds them.
  struct DecidedList {
    Data bytes, asFound;
  };
  std::array<std::unique_ptr<DecidedList>, kValueCount> decided_;
  std::optional<SidecarFile> sidecar_;
  // The label to give the item, where it changes: in each Finder info attribute (a write, or a
  // removal of one left all zeros), and in the sidecar's where the tags are kept there.
  std::optional<std::uint8_t> label_;
  struct LabelStep {
    const char* name;
    bool remove = false;
    Data bytes{};
  };
  std::vector<LabelStep> labelSteps_{};
  bool labelInSidecar_ = false;
  ChangeResult result_{};  // as far as decided
  bool settled_ = true;    // nothing is to be written: `result_` is the outcome
};

// The one way an item's values change: a PreparedChange written at once. A
// copy whose value failed is left as it was.
ChangeResult changeValues(const ItemAt& at, const ValueEdits& edits, const ChangeOptions& options = {});

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_PLACES_H_

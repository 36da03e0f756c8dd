// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/places.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <functional>
#include <string_view>
#include <tuple>

#include "attrstore/appledouble.h"
#include "attrstore/desktop_copies.h"
#include "attrstore/listing.h"
#include "attrstore/names.h"
#include "attrstore/sidecar_file.h"

namespace quillmark {

namespace {

using Action = ValueEdit::Action;

bool isUnsupported(int error) { return error == EOPNOTSUPP || error == ENOTSUP; }

// Whether `found` is the value `edit` was decided against.
bool holdsExpected(const FoundValue& found, const ValueEdit& edit) {
  const Data* expected = *edit.expected;
  return expected == nullptr ? !found.present : found.present && found.data == *expected;
}

RawRead readRaw(const Item& item, const char* name) {
  try {
    return {0, readXattr(item, name)};
  } catch (const std::system_error& failure) {
    return {failure.code().value(), {}};
  }
}

// Whether a sidecar was there but could not be read (a link is some other file, not this).
bool unreadable(const SidecarFile& file) { return file.error != 0 && file.error != ELOOP; }

SidecarState stateOf(const SidecarFile& file) {
  SidecarState state;
  if (!file.exists) return state;
  if (unreadable(file)) {
    state.kind = SidecarState::Kind::kUnreadable;
    state.error = file.error;
  } else if (!file.appleDouble) {
    state.kind = SidecarState::Kind::kOtherFile;
  } else if (!file.parses) {
    state.kind = SidecarState::Kind::kUnparsable;
  } else {
    state.kind = SidecarState::Kind::kParsed;
    for (std::size_t position = 0; position < 5; ++position)
      state.holds[position] = file.values[position].present;
  }
  return state;
}

// Takes the values marked in `wanted` from the sidecar.
void takeFromSidecar(const SidecarFile& sidecar, const std::array<bool, 5>& wanted,
                     std::array<FoundValue, 5>& values) {
  if (!sidecar.appleDouble && !unreadable(sidecar)) return;  // none, or some other file
  for (std::size_t position = 0; position < values.size(); ++position) {
    if (!wanted[position]) continue;
    if (unreadable(sidecar)) {
      values[position] = {true, {}, sidecar.error};  // it may hold any value
      continue;
    }
    // An AppleDouble file that does not hold together may hold any value: unreadable.
    values[position].present = !sidecar.parses || sidecar.values[position].present;
    if (sidecar.values[position].bytes) values[position].data = *sidecar.values[position].bytes;
  }
}

// The copy `name` of the value at `position` as it should be (`copy`), where `listed` says
// whether the item has one now; nothing when it already holds exactly that.
std::optional<CopyStep> planCopy(const Item& item, std::size_t position, const char* name,
                                 bool listed, const std::optional<std::string>& copy,
                                 bool attributesRefused) {
  if (!copy) return listed ? std::optional<CopyStep>({position, name, std::nullopt}) : std::nullopt;
  if (attributesRefused) return CopyStep{position, name, copy, EOPNOTSUPP};
  if (listed) {
    const RawRead now = readRaw(item, name);
    if (now.error == 0 && std::ranges::equal(now.bytes, *copy,
                                             [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }))
      return std::nullopt;
  }
  return CopyStep{position, name, copy};
}

void applyCopy(const Item& item, const CopyStep& step, std::vector<CopyFailure>& failures) {
  int error = step.error;
  if (error == 0) {
    try {
      if (step.bytes) {
        writeXattr(item, {reinterpret_cast<const std::uint8_t*>(step.bytes->data()), step.bytes->size()},
                   step.name);
      } else {
        removeXattr(item, step.name);
      }
    } catch (const std::system_error& failure) {
      error = failure.code().value();
    }
  }
  // A copy that is not there, or cannot be on this volume, is as good as removed.
  if (error != 0 && (step.bytes || (error != ENODATA && !isUnsupported(error))))
    failures.push_back({step.position, error, !step.bytes, {}});
}

}  // namespace

std::string sidecarName(const ItemAt& at) {
  std::string name(at.directory);
  name += "._";
  name += at.name;
  return name;
}

std::array<FoundValue, 5> readValues(const ItemAt& at) {
  return changeValues(at, {}, {.readAll = true}).values;
}

PreparedChange prepareChange(const ItemAt& at, const ValueEdits& requested,
                             const ChangeOptions& options) {
  PreparedChange change{.at = at, .edits = requested};
  ValueEdits& edits = change.edits;  // each kAdd settled below
  ChangeResult& result = change.result;
  std::array<bool, 5>& changing = change.changing;
  std::array<bool, 5> wanted{};
  for (std::size_t position = 0; position < edits.size(); ++position) {
    changing[position] = edits[position].action != Action::kKeep;
    // An expected value is compared with what is found, so it is read.
    wanted[position] = options.readAll || (changing[position] && edits[position].expected) ||
                       (options.desktopCopies && (position == kDescription || position == kKeywords));
  }
  change.wanted = wanted;
  change.settled = true;
  if (std::ranges::none_of(changing, std::identity{}) && std::ranges::none_of(wanted, std::identity{}))
    return change;

  PlanInput input;
  input.listing = listAttributes(at.item);
  input.volume = at.volume;
  const Listing& listing = input.listing;
  if (listing.error != 0 && !listing.unsupported) {
    // Whatever the item holds is unknown, and nothing can be decided.
    result.errors = planEdits(input, edits).errors;
    for (std::size_t position = 0; position < edits.size(); ++position) {
      if (wanted[position]) result.values[position] = {true, {}, listing.error};
    }
    if (options.desktopCopies) {
      for (const std::size_t position : {kDescription, kKeywords})
        if (!changing[position]) result.copyFailures.push_back({position, listing.error, false, {}});
    }
    return change;
  }
  change.settled = false;

  // A value added only where the item has none: kept where an attribute holds it, and where a
  // sidecar does (found below).
  std::array<bool, 5> adding{};
  for (std::size_t position = 0; position < edits.size(); ++position) {
    if (edits[position].action != Action::kAdd) continue;
    adding[position] = !listing.inAnyAttribute(position);
    edits[position].action = adding[position] ? Action::kWrite : Action::kKeep;
    changing[position] = adding[position];
  }

  // Read what the plan needs, and each wanted value once, from the first place holding it.
  std::array<FoundValue, 5>& found = change.found;
  std::array<bool, 5> inSidecar{};
  for (std::size_t position = 0; position < edits.size(); ++position) {
    for (std::size_t index = 0; index < kAttributePlaces; ++index) {
      const Place place = kPlaces[index].place;
      if (rawNeeded(listing, edits, at.volume, position, place))
        input.raw[position][index] = readRaw(at.item, attributeName(position, place));
    }
    if (!wanted[position]) continue;
    const auto& has = listing.has[position];
    const auto index = static_cast<std::size_t>(std::ranges::find(has, true) - has.begin());
    if (index == kAttributePlaces) {
      inSidecar[position] = true;
      continue;
    }
    const Place place = kPlaces[index].place;
    const std::optional<RawRead>& planned = input.raw[position][index];
    const RawRead raw = planned ? *planned : readRaw(at.item, attributeName(position, place));
    found[position] = {true, {}, raw.error};  // and if it cannot be read, unreadable
    if (raw.error != 0) continue;
    const RawForm form = understand(place, raw.bytes);
    found[position].data.assign(form.list.begin(), form.list.end());
  }
  // A value new to the item: whether the filesystem keeps user. attributes at all (the kernel's
  // FAT drivers list none, then refuse each), and in which form the item's others are.
  if (const std::size_t fresh = newUserValue(listing, edits, at.volume); fresh < edits.size()) {
    if (!listing.userAttributes)
      input.attributesRefused = isUnsupported(readRaw(at.item, attributeName(fresh, Place::kUser)).error);
    if (!input.attributesRefused) {
      for (const std::string& name : listing.otherAppleValues)
        input.otherValues.push_back(readRaw(at.item, ("user." + name).c_str()));
    }
  }
  const bool sidecarPlanned = sidecarNeeded(listing, edits);
  if ((sidecarPlanned || std::ranges::any_of(inSidecar, std::identity{})) && at.sidecarError == 0) {
    const SidecarFile sidecar = readSidecar(at.folder, sidecarName(at));
    if (sidecarPlanned) input.sidecar = stateOf(sidecar);
    takeFromSidecar(sidecar, inSidecar, found);
  }
  // A value that is no longer what the change was decided against is left to its other writer.
  std::array<bool, 5> changedElsewhere{};
  for (std::size_t position = 0; position < edits.size(); ++position) {
    if (!changing[position] || !edits[position].expected || holdsExpected(found[position], edits[position]))
      continue;
    changedElsewhere[position] = true;
    edits[position] = {};
    changing[position] = false;
  }
  change.checkInSidecar = inSidecar;
  if (input.sidecar) {
    // One that cannot be read or parsed may hold the value as well.
    const SidecarState& sidecar = *input.sidecar;
    const bool mayHoldAny = sidecar.kind == SidecarState::Kind::kUnreadable ||
                            sidecar.kind == SidecarState::Kind::kUnparsable;
    for (std::size_t position = 0; position < edits.size(); ++position) {
      if (!adding[position] || !(mayHoldAny || sidecar.holds[position])) continue;
      edits[position] = {};
      changing[position] = false;
    }
  }
  change.plan = planEdits(input, edits);
  const Plan& plan = change.plan;
  result.errors = plan.errors;
  for (std::size_t position = 0; position < edits.size(); ++position)
    if (changedElsewhere[position]) result.errors[position] = kChangedElsewhere;

  // The desktop copies, from the values as they will be.
  std::vector<CopyStep>& copies = change.copies;
  if (options.desktopCopies && !plan.refused) {
    std::array<FoundValue, 5> after = found;
    for (const std::size_t position : {kDescription, kKeywords}) {
      if (!changing[position] || plan.errors[position] != 0) continue;
      after[position] = edits[position].action == Action::kWrite
                            ? FoundValue{true, *edits[position].value, 0}
                            : FoundValue{};
    }
    DesktopCopies wanted = desktopCopiesOf(after);
    const bool refused = listing.unsupported || input.attributesRefused;
    for (auto [position, name, listed, copy] :
         {std::tuple{kDescription, kDesktopComment, listing.desktopComment, &wanted.comment},
          std::tuple{kKeywords, kDesktopTags, listing.desktopTags, &wanted.tags}}) {
      if (auto step = planCopy(at.item, position, name, listed, *copy, refused)) copies.push_back(*step);
    }
    change.commaTags = std::move(wanted.commaTags);
  }

  return change;
}

void applyAttributeStep(PreparedChange& change, std::size_t index) {
  const AttributeStep& step = change.plan.steps[index];
  try {
    const char* name = attributeName(step.position, step.place);
    if (step.remove) {
      removeXattr(change.at.item, name);
    } else {
      writeXattr(change.at.item, step.bytes, name);
    }
  } catch (const std::system_error& failure) {
    int& error = change.result.errors[step.position];
    if (error == 0) error = failure.code().value();
  }
}

ChangeResult finishChange(PreparedChange&& change) {
  ChangeResult& result = change.result;
  if (change.settled) return std::move(result);
  const ItemAt& at = change.at;
  const ValueEdits& edits = change.edits;
  const Plan& plan = change.plan;
  if (std::ranges::any_of(plan.sidecar, [](Action action) { return action != Action::kKeep; })) {
    // Applied to the sidecar as it is when written, read again by name; one that
    // already holds exactly these values is not rewritten.
    // Under the sidecar's lock, a value kept only there is compared once more with what the
    // change expected: a writer that came between the first read and now keeps its value.
    std::array<bool, 5> changedElsewhere{};
    const auto edit = [&](appledouble::Sidecar& content) {
      bool changed = false;
      for (std::size_t position = 0; position < edits.size(); ++position) {
        const std::string_view name = kValueNames[position].portable;
        const Data* held = appledouble::find(content, name);
        changedElsewhere[position] = false;
        if (plan.sidecar[position] != Action::kKeep && change.checkInSidecar[position] &&
            edits[position].expected) {
          FoundValue now;
          if (held) now = {true, *held, 0};
          if (!holdsExpected(now, edits[position])) {
            changedElsewhere[position] = true;
            change.found[position] = std::move(now);
            continue;
          }
        }
        if (plan.sidecar[position] == Action::kWrite && (!held || *held != *edits[position].value)) {
          appledouble::set(content, name, *edits[position].value);
          changed = true;
        } else if (plan.sidecar[position] == Action::kRemove && held) {
          appledouble::remove(content, name);
          changed = true;
        }
      }
      return changed;
    };
    const int error =
        at.sidecarError != 0 ? at.sidecarError : updateSidecar(at.folder, sidecarName(at), edit);
    for (std::size_t position = 0; position < edits.size(); ++position) {
      if (plan.sidecar[position] != Action::kKeep && result.errors[position] == 0)
        result.errors[position] = changedElsewhere[position] ? kChangedElsewhere : error;
    }
  }
  std::vector<std::string>& commaTags = change.commaTags;
  for (const CopyStep& copy : change.copies) {
    // A copy whose value failed is left as it was.
    if (change.changing[copy.position] && result.errors[copy.position] != 0 &&
        result.errors[copy.position] != ENODATA)
      continue;
    if (copy.position == kKeywords) {
      for (std::string& tag : commaTags) result.copyFailures.push_back({kKeywords, 0, false, std::move(tag)});
      commaTags.clear();
    }
    applyCopy(at.item, copy, result.copyFailures);
  }
  for (std::string& tag : commaTags) result.copyFailures.push_back({kKeywords, 0, false, std::move(tag)});

  for (std::size_t position = 0; position < edits.size(); ++position) {
    if (change.changing[position] && result.errors[position] == 0) {
      result.values[position] = edits[position].action == Action::kWrite
                                    ? FoundValue{true, *edits[position].value, 0}
                                    : FoundValue{};
    } else if (change.wanted[position]) {
      result.values[position] = std::move(change.found[position]);
    }
  }
  return std::move(result);
}

ChangeResult changeValues(const ItemAt& at, const ValueEdits& edits, const ChangeOptions& options) {
  PreparedChange change = prepareChange(at, edits, options);
  for (std::size_t index = 0; index < change.plan.steps.size(); ++index) applyAttributeStep(change, index);
  return finishChange(std::move(change));
}

}  // namespace quillmark

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/places.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <functional>
#include <string_view>
#include <tuple>
#include <utility>

#include "attrstore/appledouble.h"
#include "attrstore/desktop_copies.h"
#include "attrstore/finder_info.h"
#include "attrstore/keywords.h"
#include "attrstore/listing.h"
#include "attrstore/names.h"
#include "attrstore/sidecar_file.h"
#include "attrstore/tags.h"

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

// Finder-info place `index` as read, with where its 32 bytes lie; nothing where it cannot be read
// or is not in its form (a Mac's, left as it is).
std::optional<std::pair<Data, std::size_t>> readFinderInfo(const Item& item, std::size_t index) {
  RawRead raw = readRaw(item, kFinderInfoNames[index]);
  if (raw.error != 0) return std::nullopt;
  const auto offset = finderInfoOffset(static_cast<FinderInfoPlace>(index), raw.bytes);
  if (!offset) return std::nullopt;
  return std::pair{std::move(raw.bytes), *offset};
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
    for (std::size_t position = 0; position < kValueCount; ++position)
      state.holds[position] = file.values[position].present;
  }
  return state;
}

// Takes the values marked in `wanted` from the sidecar.
void takeFromSidecar(const SidecarFile& sidecar, const std::array<bool, kValueCount>& wanted,
                     std::array<FoundValue, kValueCount>& values) {
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

std::array<FoundValue, kValueCount> readValues(const ItemAt& at) {
  return changeValues(at, {}, {.readAll = true}).values;
}

PreparedChange::PreparedChange(const ItemAt& at, const ValueEdits& requested, const ChangeOptions& options)
    : at_(at), edits_(requested) {
  decideWanted(options);
  if (std::ranges::none_of(changing_, std::identity{}) && std::ranges::none_of(wanted_, std::identity{}) &&
      !options.label && !options.readLabel)
    return;
  PlanInput input{.listing = listAttributes(at.item), .volume = at.volume};
  if (input.listing.error != 0 && !input.listing.unsupported) {
    failUnlisted(input.listing, options);
    return;
  }
  settled_ = false;
  settleAdds(input.listing);
  if (options.keywords != nullptr) {
    decideList(input, kKeywords, [&](const FoundValue& found, Data& bytes, KeywordRefusal& why) {
      return keywordEdit(found, *options.keywords, bytes, &why);
    });
  }
  if (options.tags != nullptr) {
    decideList(input, kTags, [&](const FoundValue& found, Data& bytes, KeywordRefusal& why) {
      return tagEdit(found, *options.tags, bytes, &why);
    });
  }
  readAttributes(input);
  learnHowNewValuesGo(input);
  readSidecarWhereNeeded(input);
  if (options.readLabel) readLabel(input.listing);
  leaveChangedElsewhere();
  if (input.sidecar) leaveAddsTheSidecarMayHold(*input.sidecar);
  plan_ = planEdits(input, edits_);
  result_.errors = plan_.errors;
  for (std::size_t position = 0; position < edits_.size(); ++position)
    if (changedElsewhere_[position]) result_.errors[position] = kChangedElsewhere;
  if (!plan_.refused) planLabel(input, options);
  if (options.desktopCopies && !plan_.refused) planCopies(input);
  sidecar_.reset();
}

void PreparedChange::decideWanted(const ChangeOptions& options) {
  for (std::size_t position = 0; position < edits_.size(); ++position) {
    changing_[position] = edits_[position].action != Action::kKeep;
    // An expected value is compared with what is found, so it is read.
    wanted_[position] = options.readAll || (changing_[position] && edits_[position].expected) ||
                        (options.desktopCopies && (position == kDescription || position == kKeywords || position == kTags));
  }
  // A change made on the list as found replaces the list's edit.
  const auto madeOnFound = [this](std::size_t position, bool empty) {
    edits_[position] = {};
    changing_[position] = !empty;  // until decideList knows
    wanted_[position] = true;      // the change is made on it
  };
  if (options.keywords != nullptr) madeOnFound(kKeywords, options.keywords->empty());
  if (options.tags != nullptr) madeOnFound(kTags, options.tags->empty());
  // Whether the label follows a change of the tags depends on the tags before it.
  wanted_[kTags] = wanted_[kTags] || changing_[kTags] || options.label;
}

void PreparedChange::failUnlisted(const Listing& listing, const ChangeOptions& options) {
  // Whatever the item holds is unknown, and nothing can be decided.
  result_.errors = planEdits({.listing = listing, .volume = at_.volume}, edits_).errors;
  for (std::size_t position = 0; position < edits_.size(); ++position) {
    if (wanted_[position]) result_.values[position] = {true, {}, listing.error};
  }
  if (options.keywords != nullptr && changing_[kKeywords]) result_.errors[kKeywords] = listing.error;
  if (options.tags != nullptr && changing_[kTags]) result_.errors[kTags] = listing.error;
  if (options.desktopCopies) {
    for (const std::size_t position : {kDescription, kKeywords})
      if (!changing_[position]) result_.copyFailures.push_back({position, listing.error, false, {}});
  }
}

void PreparedChange::settleAdds(const Listing& listing) {
  // A value added only where the item has none: kept where an attribute holds it, and where a
  // sidecar does (leaveAddsTheSidecarMayHold).
  for (std::size_t position = 0; position < edits_.size(); ++position) {
    if (edits_[position].action != Action::kAdd) continue;
    adding_[position] = !listing.inAnyAttribute(position);
    edits_[position].action = adding_[position] ? Action::kWrite : Action::kKeep;
    changing_[position] = adding_[position];
  }
}

template <class MakeEdit>
void PreparedChange::decideList(PlanInput& input, std::size_t position, MakeEdit makeEdit) {
  // Where it is only in the sidecar, its lock checks it again before the write.
  readFirstPlace(input, position);
  if (onlyInSidecar_[position] && at_.sidecarError == 0) {
    std::array<bool, kValueCount> only{};
    only[position] = true;
    takeFromSidecar(sidecarFile(), only, found_);
  }
  const FoundValue& found = found_[position];
  auto& decided = decided_[position] = std::make_unique<DecidedList>();
  KeywordRefusal why;
  ValueEdit edit = makeEdit(found, decided->bytes, why);
  // A write with no bytes and no reason holds a text with no stored form: EINVAL alone says so.
  if (!why.keptAs.empty() || !why.commaWord.empty())
    (position == kKeywords ? result_.keywordRefusal : result_.tagRefusal) = std::move(why);
  if (edit.action != Action::kKeep) {
    decided->asFound = found.data;
    edit.expected = found.present ? &decided->asFound : nullptr;
  }
  (position == kKeywords ? result_.keywordAction : result_.tagAction) = edit.action;
  edits_[position] = edit;
  changing_[position] = edit.action != Action::kKeep;
}

void PreparedChange::readAttributes(PlanInput& input) {
  // What the plan needs, and each wanted value once, from the first place holding it.
  const Listing& listing = input.listing;
  for (std::size_t position = 0; position < edits_.size(); ++position) {
    for (std::size_t index = 0; index < kAttributePlaces; ++index) {
      const Place place = kPlaces[index].place;
      if (!input.raw[position][index] && rawNeeded(listing, edits_, at_.volume, position, place))
        input.raw[position][index] = readRaw(at_.item, attributeName(position, place));
    }
    if (wanted_[position] && !decided_[position]) readFirstPlace(input, position);
  }
}

void PreparedChange::readFirstPlace(PlanInput& input, std::size_t position) {
  const auto& has = input.listing.has[position];
  const auto index = static_cast<std::size_t>(std::ranges::find(has, true) - has.begin());
  if (index == kAttributePlaces) {
    onlyInSidecar_[position] = true;
    return;
  }
  const Place place = kPlaces[index].place;
  std::optional<RawRead>& raw = input.raw[position][index];
  if (!raw) raw = readRaw(at_.item, attributeName(position, place));
  found_[position] = {true, {}, raw->error};  // and if it cannot be read, unreadable
  if (raw->error != 0) return;
  const RawForm form = understand(place, raw->bytes);
  found_[position].data.assign(form.list.begin(), form.list.end());
}

const SidecarFile& PreparedChange::sidecarFile() {
  if (!sidecar_) sidecar_ = readSidecar(at_.folder, sidecarName(at_));
  return *sidecar_;
}

void PreparedChange::learnHowNewValuesGo(PlanInput& input) {
  // Whether the filesystem keeps user. attributes at all (the kernel's FAT drivers list none,
  // then refuse each), and in which form the item's others are.
  const Listing& listing = input.listing;
  const std::size_t fresh = newUserValue(listing, edits_, at_.volume);
  if (fresh == edits_.size()) return;
  if (!listing.userAttributes)
    input.attributesRefused = isUnsupported(readRaw(at_.item, attributeName(fresh, Place::kUser)).error);
  if (input.attributesRefused) return;
  for (const std::string& name : listing.otherAppleValues)
    input.otherValues.push_back(readRaw(at_.item, (std::string(kUserPrefix) + name).c_str()));
}

void PreparedChange::readSidecarWhereNeeded(PlanInput& input) {
  const bool planned = sidecarNeeded(input.listing, edits_);
  if (!(planned || std::ranges::any_of(onlyInSidecar_, std::identity{})) || at_.sidecarError != 0) return;
  const SidecarFile& sidecar = sidecarFile();
  if (planned) input.sidecar = stateOf(sidecar);
  takeFromSidecar(sidecar, onlyInSidecar_, found_);
}

void PreparedChange::leaveChangedElsewhere() {
  // A value that is no longer what the change was decided against is left to its other writer.
  for (std::size_t position = 0; position < edits_.size(); ++position) {
    if (!changing_[position] || !edits_[position].expected || holdsExpected(found_[position], edits_[position]))
      continue;
    changedElsewhere_[position] = true;
    edits_[position] = {};
    changing_[position] = false;
  }
}

void PreparedChange::leaveAddsTheSidecarMayHold(const SidecarState& sidecar) {
  // One that cannot be read or parsed may hold the value as well.
  const bool mayHoldAny =
      sidecar.kind == SidecarState::Kind::kUnreadable || sidecar.kind == SidecarState::Kind::kUnparsable;
  for (std::size_t position = 0; position < edits_.size(); ++position) {
    if (!adding_[position] || !(mayHoldAny || sidecar.holds[position])) continue;
    edits_[position] = {};
    changing_[position] = false;
  }
}

void PreparedChange::readLabel(const Listing& listing) {
  // From the first place holding Finder info in its form, the sidecar last.
  result_.label = 0;
  for (std::size_t index = 0; index < kFinderInfoNames.size(); ++index) {
    if (!listing.finderInfo[index]) continue;
    const auto info = readFinderInfo(at_.item, index);
    if (!info) continue;
    result_.label = static_cast<std::uint8_t>(
        labelOf(std::span<const std::uint8_t, kFinderInfoSize>(info->first.data() + info->second, kFinderInfoSize)));
    return;
  }
  if (at_.sidecarError != 0) return;
  const SidecarFile& sidecar = sidecarFile();
  if (sidecar.parses) result_.label = static_cast<std::uint8_t>(labelOf(sidecar.finderInfo));
}

void PreparedChange::planLabel(const PlanInput& input, const ChangeOptions& options) {
  // As Finder keeps it: the colour of the last coloured tag, changed only when that changes, so a
  // label a Mac gave without a tag stays while uncoloured tags come and go.
  if (options.label) {
    label_ = *options.label & 7;
  } else {
    if (!changing_[kTags] || plan_.errors[kTags] != 0) return;
    const Action action = edits_[kTags].action;
    const auto before = tagsOf(found_[kTags]);
    const auto after = tagsOf(action == Action::kWrite ? FoundValue{true, *edits_[kTags].value, 0} : FoundValue{});
    if (!after) return;
    const TagColour colour = labelColour(*after);
    if (before && labelColour(*before) == colour) return;
    label_ = static_cast<std::uint8_t>(colour);
  }
  const auto colour = static_cast<TagColour>(*label_);
  const Listing& listing = input.listing;
  bool held = false;
  for (std::size_t index = 0; index < kFinderInfoNames.size(); ++index) {
    if (!listing.finderInfo[index]) continue;
    held = true;
    auto found = readFinderInfo(at_.item, index);
    if (!found) continue;
    const std::span<std::uint8_t, kFinderInfoSize> info(found->first.data() + found->second, kFinderInfoSize);
    if (labelOf(info) == colour) continue;
    setLabel(info, colour);
    const bool remove = static_cast<FinderInfoPlace>(index) == FinderInfoPlace::kUser && allZero(info);
    labelSteps_.push_back({kFinderInfoNames[index], remove, remove ? Data{} : std::move(found->first)});
  }
  // Where the tags are kept in the sidecar, its own entry, which every sidecar has.
  labelInSidecar_ = plan_.sidecar[kTags] != Action::kKeep ||
                    (!changing_[kTags] && onlyInSidecar_[kTags] && found_[kTags].present && !held);
  if (held || labelInSidecar_ || colour == TagColour::kNone) return;
  // None yet: made only where that is plain, beside the tags (in netatalk's form where they
  // take it); never a server's own.
  Place tagsAt = Place::kSidecar;
  bool nulEnded = false;
  for (const AttributeStep& step : plan_.steps) {
    if (step.position != kTags || step.remove) continue;
    tagsAt = step.place;
    nulEnded = step.bytes.size() > edits_[kTags].value->size();
    break;
  }
  if (tagsAt == Place::kSidecar && listing.holds(kTags, Place::kUser)) tagsAt = Place::kUser;
  if (tagsAt == Place::kSidecar && listing.holds(kTags, Place::kOsx)) tagsAt = Place::kOsx;
  // A label asked for on an item without tags goes where a new value would.
  if (tagsAt == Place::kSidecar && options.label && !found_[kTags].present) {
    if (listing.unsupported) {
      labelInSidecar_ = true;
      return;
    }
    tagsAt = at_.volume == Volume::kMacDisk ? Place::kOsx : Place::kUser;
  }
  if (tagsAt != Place::kUser && tagsAt != Place::kOsx) return;
  Data info(kFinderInfoSize, 0);
  setLabel(std::span<std::uint8_t, kFinderInfoSize>(info.data(), kFinderInfoSize), colour);
  const FinderInfoPlace place = tagsAt == Place::kUser ? FinderInfoPlace::kUser : FinderInfoPlace::kOsx;
  labelSteps_.push_back({kFinderInfoNames[static_cast<std::size_t>(place)], false, inForm(info, nulEnded)});
}

void PreparedChange::planCopies(const PlanInput& input) {
  // From the values as they will be.
  std::array<FoundValue, kValueCount> after = found_;
  for (const std::size_t position : {kDescription, kKeywords, kTags}) {
    if (!changing_[position] || plan_.errors[position] != 0) continue;
    after[position] =
        edits_[position].action == Action::kWrite ? FoundValue{true, *edits_[position].value, 0} : FoundValue{};
  }
  DesktopCopies wanted = desktopCopiesOf(after);
  const Listing& listing = input.listing;
  const bool refused = listing.unsupported || input.attributesRefused;
  for (auto [position, name, listed, copy] :
       {std::tuple{kDescription, kDesktopComment, listing.desktopComment, &wanted.comment},
        std::tuple{kKeywords, kDesktopTags, listing.desktopTags, &wanted.tags}}) {
    if (auto step = planCopy(at_.item, position, name, listed, *copy, refused)) copies_.push_back(*step);
  }
  commaTags_ = std::move(wanted.commaTags);
}

void PreparedChange::takeStep(std::size_t index) {
  if (index >= plan_.steps.size()) {
    // The label goes with the tags: where they were not stored, it stays.
    const LabelStep& step = labelSteps_[index - plan_.steps.size()];
    int& error = result_.errors[kTags];
    if (error != 0) return;
    try {
      if (step.remove) {
        removeXattr(at_.item, step.name);
      } else {
        writeXattr(at_.item, step.bytes, step.name);
      }
    } catch (const std::system_error& failure) {
      error = failure.code().value();
    }
    return;
  }
  const AttributeStep& step = plan_.steps[index];
  try {
    const char* name = attributeName(step.position, step.place);
    if (step.remove) {
      removeXattr(at_.item, name);
    } else {
      writeXattr(at_.item, step.bytes, name);
    }
  } catch (const std::system_error& failure) {
    int& error = result_.errors[step.position];
    if (error == 0) error = failure.code().value();
  }
}

ChangeResult PreparedChange::finish() {
  if (settled_) return std::move(result_);
  if (labelInSidecar_ || std::ranges::any_of(plan_.sidecar, [](Action action) { return action != Action::kKeep; }))
    writeSidecar();
  writeCopies();
  for (std::size_t position = 0; position < edits_.size(); ++position) {
    if (changing_[position] && result_.errors[position] == 0) {
      result_.values[position] =
          edits_[position].action == Action::kWrite ? FoundValue{true, *edits_[position].value, 0} : FoundValue{};
    } else if (wanted_[position]) {
      result_.values[position] = std::move(found_[position]);
    }
  }
  return std::move(result_);
}

void PreparedChange::writeSidecar() {
  // Applied to the sidecar as it is when written, read again by name; one that already holds
  // exactly these values is not rewritten. Under the sidecar's lock, a value kept only there is
  // compared once more with what the change expected: a writer that came between the first read
  // and now keeps its value.
  std::array<bool, kValueCount> changedElsewhere{};
  const auto edit = [&](appledouble::Sidecar& content) {
    bool changed = false;
    for (std::size_t position = 0; position < edits_.size(); ++position) {
      const Action action = plan_.sidecar[position];
      const std::string_view name = kValueNames[position].portable;
      const Data* held = appledouble::find(content, name);
      changedElsewhere[position] = false;
      if (action != Action::kKeep && onlyInSidecar_[position] && edits_[position].expected) {
        FoundValue now;
        if (held) now = {true, *held, 0};
        if (!holdsExpected(now, edits_[position])) {
          changedElsewhere[position] = true;
          found_[position] = std::move(now);
          continue;
        }
      }
      if (action == Action::kWrite && (!held || *held != *edits_[position].value)) {
        appledouble::set(content, name, *edits_[position].value);
        changed = true;
      } else if (action == Action::kRemove && held) {
        appledouble::remove(content, name);
        changed = true;
      }
    }
    const std::span<std::uint8_t, kFinderInfoSize> info(content.finderInfo);
    if (labelInSidecar_ && !changedElsewhere[kTags] && labelOf(info) != static_cast<TagColour>(*label_)) {
      setLabel(info, static_cast<TagColour>(*label_));
      changed = true;
    }
    return changed;
  };
  const int error = at_.sidecarError != 0 ? at_.sidecarError : updateSidecar(at_.folder, sidecarName(at_), edit);
  for (std::size_t position = 0; position < edits_.size(); ++position) {
    const bool written = plan_.sidecar[position] != Action::kKeep || (position == kTags && labelInSidecar_);
    if (written && result_.errors[position] == 0)
      result_.errors[position] = changedElsewhere[position] ? kChangedElsewhere : error;
  }
}

void PreparedChange::writeCopies() {
  for (const CopyStep& copy : copies_) {
    // A copy whose value failed is left as it was (the desktop tags are the keywords' and the tags').
    const auto failed = [this](std::size_t position) {
      const int error = result_.errors[position];
      return changing_[position] && error != 0 && error != ENODATA;
    };
    if (failed(copy.position) || (copy.position == kKeywords && failed(kTags))) continue;
    if (copy.position == kKeywords) {
      for (std::string& tag : commaTags_) result_.copyFailures.push_back({kKeywords, 0, false, std::move(tag)});
      commaTags_.clear();
    }
    applyCopy(at_.item, copy, result_.copyFailures);
  }
  for (std::string& tag : commaTags_) result_.copyFailures.push_back({kKeywords, 0, false, std::move(tag)});
}

ChangeResult changeValues(const ItemAt& at, const ValueEdits& edits, const ChangeOptions& options) {
  PreparedChange change(at, edits, options);
  for (std::size_t index = 0; index < change.steps(); ++index) change.takeStep(index);
  return change.finish();
}

}  // namespace quillmark

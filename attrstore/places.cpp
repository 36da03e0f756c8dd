#include "attrstore/places.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string_view>

#include "attrstore/appledouble.h"
#include "attrstore/listing.h"
#include "attrstore/names.h"
#include "attrstore/sidecar_file.h"

namespace quillmark {

namespace {

using Action = ValueEdit::Action;

bool isUnsupported(int error) { return error == EOPNOTSUPP || error == ENOTSUP; }

RawRead readRaw(const Item& item, const char* name) {
  try {
    return {0, readXattr(item, name)};
  } catch (const std::system_error& failure) {
    return {failure.code().value(), {}};
  }
}

SidecarState stateOf(const SidecarFile& file) {
  SidecarState state;
  if (!file.exists) return state;
  if (!file.appleDouble) {
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

// Whether every user.com.apple.* value of the item carries netatalk's 0x00 (false for none).
bool othersCarryNul(const Item& item, const Listing& listing) {
  std::vector<std::string> names = listing.otherAppleValues;  // without "user."
  for (std::size_t position = 0; position < 5; ++position) {
    if (listing.holds(position, Place::kUser)) names.emplace_back(kValueNames[position].portable);
  }
  return !names.empty() && std::all_of(names.begin(), names.end(), [&](const std::string& name) {
    const RawRead raw = readRaw(item, ("user." + name).c_str());
    return raw.error == 0 && carriesNetatalkNul(name, raw.bytes);
  });
}

}  // namespace

std::string sidecarName(const ItemAt& at) {
  std::string name(at.directory);
  name += "._";
  name += at.name;
  return name;
}

std::array<FoundValue, 5> readValues(const ItemAt& at) {
  std::array<FoundValue, 5> values;
  const Listing listing = listAttributes(at.item);
  if (listing.error != 0 && !listing.unsupported) {
    for (FoundValue& value : values) value.present = true;
    return values;
  }
  bool allFound = true;
  for (std::size_t position = 0; position < values.size(); ++position) {
    const auto& has = listing.has[position];
    const auto index = static_cast<std::size_t>(std::find(has.begin(), has.end(), true) - has.begin());
    if (index == kAttributePlaces) {
      allFound = false;
      continue;
    }
    values[position].present = true;  // and if it cannot be read, unreadable
    const Place place = kPlaces[index].place;
    RawRead raw = readRaw(at.item, attributeName(position, place));
    if (raw.error != 0) continue;
    const RawForm form = understand(place, raw.bytes);
    values[position].data.assign(form.list.begin(), form.list.end());
  }
  if (allFound || at.sidecarError != 0) return values;
  const SidecarFile sidecar = readSidecar(at.folder, sidecarName(at));
  if (!sidecar.appleDouble) return values;  // none, or some other file of that name
  for (std::size_t position = 0; position < values.size(); ++position) {
    if (values[position].present) continue;
    // An AppleDouble file that does not hold together may hold any value: unreadable.
    values[position].present = !sidecar.parses || sidecar.values[position].present;
    if (sidecar.values[position].bytes) values[position].data = *sidecar.values[position].bytes;
  }
  return values;
}

void editValues(const ItemAt& at, const ValueEdits& edits, const EditFailed& failed) {
  if (std::none_of(edits.begin(), edits.end(),
                   [](const ValueEdit& e) { return e.action != Action::kKeep; })) {
    return;
  }
  // Read what the plan needs.
  PlanInput input{listAttributes(at.item), at.volume, {}, false, std::nullopt};
  const Listing& listing = input.listing;
  if (listing.error == 0 || listing.unsupported) {
    for (std::size_t position = 0; position < edits.size(); ++position) {
      for (std::size_t index = 0; index < kAttributePlaces; ++index) {
        const Place place = kPlaces[index].place;
        if (rawNeeded(listing, edits, position, place))
          input.raw[position][index] = readRaw(at.item, attributeName(position, place));
      }
    }
    if (othersFormNeeded(listing, edits, at.volume)) input.othersCarryNul = othersCarryNul(at.item, listing);
    if (sidecarNeeded(listing, edits) && at.sidecarError == 0)
      input.sidecar = stateOf(readSidecar(at.folder, sidecarName(at)));
  }
  Plan plan = planEdits(input, edits);

  // Then write, in the plan's order.
  std::array<int, 5> errors = plan.errors;
  std::array<bool, 5> sentToSidecar{};
  for (const AttributeStep& step : plan.steps) {
    if (sentToSidecar[step.position]) continue;
    try {
      const char* name = attributeName(step.position, step.place);
      if (step.remove) {
        removeXattr(at.item, name);
      } else {
        writeXattr(at.item, step.bytes, name);
      }
    } catch (const std::system_error& failure) {
      const int error = failure.code().value();
      if (step.toSidecarIfRefused && isUnsupported(error)) {
        sentToSidecar[step.position] = true;
        plan.sidecar[step.position] = Action::kWrite;
      } else if (errors[step.position] == 0) {
        errors[step.position] = error;
      }
    }
  }
  if (std::any_of(plan.sidecar.begin(), plan.sidecar.end(),
                  [](Action action) { return action != Action::kKeep; })) {
    // Applied to the sidecar as it is when written, read again by name; one that
    // already holds exactly these values is not rewritten.
    const auto change = [&](appledouble::Sidecar& content) {
      bool changed = false;
      for (std::size_t position = 0; position < edits.size(); ++position) {
        const std::string_view name = kValueNames[position].portable;
        const Data* held = appledouble::find(content, name);
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
        at.sidecarError != 0 ? at.sidecarError : updateSidecar(at.folder, sidecarName(at), change);
    for (std::size_t position = 0; position < edits.size(); ++position) {
      if (plan.sidecar[position] != Action::kKeep && errors[position] == 0) errors[position] = error;
    }
  }
  for (std::size_t position = 0; position < errors.size(); ++position) {
    if (errors[position] != 0) failed(position, errors[position]);
  }
}

}  // namespace quillmark

#include "attrstore/places.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string_view>

#include "attrstore/appledouble.h"
#include "attrstore/bplist.h"
#include "attrstore/names.h"
#include "attrstore/sidecar_file.h"

namespace quillmark {

namespace {

// The attribute places in the order a value is looked for.
enum Place { kStream, kColonStream, kOsx, kUser, kAttributePlaces };

const char* nameAt(std::size_t position, int place) {
  const ValueName& names = kValueNames[position];
  const char* const all[] = {names.sambaStream, names.sambaColonStream, names.osx, names.user};
  return all[place];
}

bool isUnsupported(int error) { return error == EOPNOTSUPP || error == ENOTSUP; }

// What one listing of the item's attributes tells.
struct Listing {
  bool unsupported = false;  // the filesystem keeps no attributes here
  bool sambaManaged = false;
  bool colonStreams = false, privateStreams = false;  // how its metadata streams are named
  bool netatalk = false;
  std::array<std::array<bool, kAttributePlaces>, 5> has{};
};

// The list position of metadata key `key` ("kMDItemHeadline"), or 5.
std::size_t positionOfKey(std::string_view key) {
  constexpr std::size_t kPrefix = std::string_view("com.apple.metadata:").size();
  std::size_t position = 0;
  while (position < kValueNames.size() && kValueNames[position].portable.substr(kPrefix) != key) {
    ++position;
  }
  return position;
}

Listing listAt(const Item& item) {
  Listing listing;
  // Reused: a walk lists every entry.
  thread_local std::string names;
  try {
    listXattr(item, names);
  } catch (const std::system_error& error) {
    listing.unsupported = isUnsupported(error.code().value());
    return listing;  // otherwise each call below meets the problem itself
  }
  const auto mark = [&listing](int place, std::string_view key) {
    if (const std::size_t position = positionOfKey(key); position < 5)
      listing.has[position][place] = true;
  };
  for (std::size_t at = 0; at < names.size();) {
    std::string_view name(names.c_str() + at);
    at += name.size() + 1;
    if (name.starts_with("osx.com.apple.metadata:")) {
      mark(kOsx, name.substr(23));
    } else if (name.starts_with("user.com.apple.metadata:")) {
      mark(kUser, name.substr(24));
    } else if (name.starts_with("user.DosStream.")) {
      listing.sambaManaged = true;
      std::string_view stream = name.substr(15);
      if (!stream.starts_with("com.apple.metadata") || !stream.ends_with(":$DATA")) continue;
      stream = stream.substr(18, stream.size() - 18 - 6);
      if (stream.starts_with(':')) {
        listing.colonStreams = true;
        mark(kColonStream, stream.substr(1));
      } else if (stream.starts_with("\xEF\x80\xA2")) {
        listing.privateStreams = true;
        mark(kStream, stream.substr(3));
      }
    } else if (name == "user.DOSATTRIB") {
      listing.sambaManaged = true;
    } else if (name.starts_with("user.org.netatalk.")) {
      listing.netatalk = true;
    }
  }
  return listing;
}

bool isWholeBinaryPlist(std::span<const std::uint8_t> data) {
  StoredValue ignored;
  return bplist::readTopObject(data, ignored);
}

// A value as read from `place`: a stream's final 0x00 taken off (any other
// final byte means it continues elsewhere: unreadable), and the 0x00 that
// netatalk's samba mode adds after a property list.
FoundValue fromPlace(int place, Data value) {
  FoundValue found{true, std::move(value)};
  Data& data = found.data;
  if (place == kStream || place == kColonStream) {
    if (data.empty() || data.back() != 0) {
      data.clear();
    } else {
      data.pop_back();
    }
  } else if (place == kUser && !data.empty() && data.back() == 0 && !isWholeBinaryPlist(data) &&
             isWholeBinaryPlist({data.data(), data.size() - 1})) {
    data.pop_back();
  }
  return found;
}

std::string sidecarName(const ItemAt& at) {
  std::string name(at.directory);
  name += "._";
  name += at.name;
  return name;
}

}  // namespace

std::array<FoundValue, 5> readValues(const ItemAt& at) {
  std::array<FoundValue, 5> values;
  const Listing listing = listAt(at.item);
  bool allFound = true;
  for (std::size_t position = 0; position < values.size(); ++position) {
    const auto& has = listing.has[position];
    const int place = static_cast<int>(std::find(has.begin(), has.end(), true) - has.begin());
    if (place == kAttributePlaces) {
      allFound = false;
      continue;
    }
    try {
      values[position] = fromPlace(place, readXattr(at.item, nameAt(position, place)));
    } catch (const std::system_error&) {
      values[position].present = true;  // listed, but it cannot be read
    }
  }
  if (allFound || !at.sidecarMayExist || at.sidecarError != 0) return values;
  const SidecarFile sidecar = readSidecar(at.folder, sidecarName(at));
  if (!sidecar.appleDouble) return values;  // none, or some other file of that name
  for (std::size_t position = 0; position < values.size(); ++position) {
    if (values[position].present) continue;
    if (!sidecar.parsed) {
      values[position].present = true;  // an AppleDouble file that does not hold together
    } else if (const Data* value =
                   appledouble::find(*sidecar.parsed, kValueNames[position].portable)) {
      values[position] = {true, *value};
    }
  }
  return values;
}

void editValues(const ItemAt& at, const std::array<ValueEdit, 5>& edits, const EditFailed& failed) {
  using Action = ValueEdit::Action;
  if (std::all_of(edits.begin(), edits.end(),
                  [](const ValueEdit& e) { return e.action == Action::kKeep; })) {
    return;
  }
  const Listing listing = listAt(at.item);
  std::array<int, 5> errors{};
  std::array<bool, 5> inSidecar{};  // to be written to or removed from the sidecar

  // A sidecar is only looked at when a value may be in it or must go to it.
  std::optional<SidecarFile> sidecar;
  const auto sidecarFile = [&]() -> SidecarFile& {
    if (!sidecar) {
      sidecar = at.sidecarError == 0 && (at.sidecarMayExist || listing.unsupported)
                    ? readSidecar(at.folder, sidecarName(at))
                    : SidecarFile{};
    }
    return *sidecar;
  };
  for (std::size_t position = 0; position < edits.size(); ++position) {
    const ValueEdit& edit = edits[position];
    if (edit.action == Action::kKeep) continue;
    int& error = errors[position];
    const auto note = [&error](int code) {
      if (error == 0) error = code;
    };
    bool found = false;
    for (int place = 0; place < kAttributePlaces; ++place) {
      if (!listing.has[position][place]) continue;
      found = true;
      const char* name = nameAt(position, place);
      try {
        const bool stream = place == kStream || place == kColonStream;
        std::span<const std::uint8_t> value;
        Data ownForm;
        if (edit.action == Action::kWrite) value = *edit.value;
        if (stream || (place == kUser && listing.netatalk)) {
          // Kept in its own form: a stream that continues elsewhere is left
          // alone, and netatalk's samba mode keeps its 0x00.
          const Data old = readXattr(at.item, name);
          if (stream && (old.empty() || old.back() != 0)) throw makePosixError(EINVAL);
          if (edit.action == Action::kWrite && old != fromPlace(place, old).data) {
            ownForm.assign(value.begin(), value.end());
            ownForm.push_back(0);
            value = ownForm;
          }
        }
        if (edit.action == Action::kWrite) {
          writeXattr(at.item, value, name);
        } else {
          removeXattr(at.item, name);
        }
      } catch (const std::system_error& failure) {
        note(failure.code().value());
      }
    }
    // In no attribute: the sidecar may hold it (sidecarFile() is empty where none can be).
    if (!found && sidecarFile().parsed &&
        appledouble::find(*sidecarFile().parsed, kValueNames[position].portable)) {
      found = true;
      inSidecar[position] = true;
    }
    if (found) continue;
    if (edit.action == Action::kRemove) {
      note(ENODATA);
      continue;
    }
    // Nowhere yet: where Mac clients of this item will look for it.
    if (at.volume == Volume::kMacDisk) {
      try {
        writeXattr(at.item, *edit.value, kValueNames[position].osx);
      } catch (const std::system_error& failure) {
        note(failure.code().value());
      }
      continue;
    }
    bool refused = listing.unsupported;
    if (!refused) {
      try {
        writeXattr(at.item, *edit.value, kValueNames[position].user);
      } catch (const std::system_error& failure) {
        refused = isUnsupported(failure.code().value());
        if (!refused) note(failure.code().value());
      }
    }
    if (refused) {
      inSidecar[position] = true;
    } else if (listing.sambaManaged) {
      Data value = *edit.value;
      value.push_back(0);
      const bool colon = listing.colonStreams && !listing.privateStreams;
      try {
        writeXattr(
            at.item, value,
            colon ? kValueNames[position].sambaColonStream : kValueNames[position].sambaStream);
      } catch (const std::system_error& failure) {
        note(failure.code().value());
      }
    }
  }

  if (std::any_of(inSidecar.begin(), inSidecar.end(), [](bool b) { return b; })) {
    // Read again by name, whatever the listing said: another program may have made it meanwhile.
    const auto change = [&](appledouble::Sidecar& sidecar) {
      for (std::size_t position = 0; position < edits.size(); ++position) {
        if (!inSidecar[position]) continue;
        const std::string_view name = kValueNames[position].portable;
        if (edits[position].action == Action::kWrite) {
          appledouble::set(sidecar, name, *edits[position].value);
        } else {
          appledouble::remove(sidecar, name);
        }
      }
      return true;
    };
    const int error =
        at.sidecarError != 0 ? at.sidecarError : updateSidecar(at.folder, sidecarName(at), change);
    for (std::size_t position = 0; position < edits.size(); ++position) {
      if (inSidecar[position] && errors[position] == 0) errors[position] = error;
    }
  }
  for (std::size_t position = 0; position < errors.size(); ++position) {
    if (errors[position] != 0) failed(position, errors[position]);
  }
}

}  // namespace quillmark

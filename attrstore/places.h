// Where Mac peers keep the five values on a Linux machine, and reading and
// writing them there (the names are in names.h):
//
//  1. a Samba server's stream attribute of a Mac client's value (U+F022 form,
//     then colon form), the property list followed by one 0x00 byte;
//  2. osx.<name>, on a Mac disk mounted on Linux;
//  3. user.<name> (rsync -X, netatalk; netatalk's samba mode adds one 0x00);
//  4. the item's AppleDouble sidecar `._name`, on volumes without attributes.
//
// A value is read from the first place that has it, in that order. It is
// written to every place that has it, each in its own form; where none has it
// yet, to user.<name> (and, on an item Samba manages, also as a stream), or to
// osx.<name> instead on a Mac disk, or to the sidecar instead where user.
// attributes are refused. Removal removes it from every place. A stream whose
// last byte is not 0 is continued in attributes this store does not write: it
// reads as found but unreadable and is never changed (EINVAL). A sidecar is
// rewritten whole, atomically, keeping every other byte's meaning; one that
// does not parse is never changed (EINVAL). Nothing else is touched.
//
// Looking at an item costs one attribute listing; the sidecar is only opened
// when some value is in no attribute or the listing says attributes are not
// kept, and the caller does not know it to be absent.
#ifndef QUILLMARK_ATTRSTORE_PLACES_H_
#define QUILLMARK_ATTRSTORE_PLACES_H_

#include <array>
#include <cstddef>
#include <functional>
#include <string>

#include "attrstore/item_at.h"
#include "attrstore/xattr.h"

namespace quillmark {

// One of the five values as found: absent, or present with its property-list
// bytes (empty when found but unreadable).
struct FoundValue {
  bool present = false;
  Data data;
};
std::array<FoundValue, 5> readValues(const ItemAt& at);

struct ValueEdit {
  enum class Action { kKeep, kWrite, kRemove };
  Action action = Action::kKeep;
  const Data* value = nullptr;  // kWrite: the property list to store
};
// Called once for each list position whose edit failed somewhere, with the
// errno of its first failure (ENODATA: a removal of a value that was nowhere).
using EditFailed = std::function<void(std::size_t position, int error)>;
void editValues(const ItemAt& at, const std::array<ValueEdit, 5>& edits, const EditFailed& failed);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_PLACES_H_

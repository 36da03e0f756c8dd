#include "editor/item_changes.h"

#include <cerrno>

#include "attrstore/codec.h"
#include "attrstore/places.h"
#include "editor/desktop_copies.h"

namespace quillmark {

std::string failureMessage(std::string_view prefix, int error) {
  return std::string(prefix) + makePosixError(error).code().message();
}

void changeItem(const std::filesystem::path& path, const std::array<ValueChange, 5>& changes,
                const ChangeFailed& failed, bool desktopCopies) {
  std::array<Data, 5> values;
  std::array<ValueEdit, 5> edits;
  std::array<int, 5> errors{};
  for (std::size_t i = 0; i < changes.size(); ++i) {
    if (changes[i].action == ValueChange::Action::kRemove) {
      edits[i].action = ValueEdit::Action::kRemove;
    } else if (changes[i].action == ValueChange::Action::kWrite) {
      // Text that is not UTF-8 has no stored form; an empty value would look
      // like a successful save of nothing.
      values[i] = encodeAttributeValue(changes[i].text);
      if (values[i].empty()) {
        errors[i] = EINVAL;
      } else {
        edits[i] = {ValueEdit::Action::kWrite, &values[i]};
      }
    }
  }
  const ItemAt at = itemAtPath(path);
  editValues(at, edits, [&](std::size_t i, int error) { errors[i] = error; });
  for (std::size_t i = 0; i < changes.size(); ++i) {
    if (errors[i] == 0) continue;
    const bool writing = changes[i].action == ValueChange::Action::kWrite;
    failed(i, failureMessage(writing ? kWriteFailed : kRemoveFailed, errors[i]));
  }
  if (!desktopCopies) return;
  for (const CopyFailure& failure : updateDesktopCopies(at))
    failed(failure.position, failure.message);
}

}  // namespace quillmark

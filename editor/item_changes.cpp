#include "editor/item_changes.h"

#include <cerrno>

#include "attrstore/codec.h"
#include "attrstore/names.h"
#include "attrstore/xattr.h"

namespace quillmark {

std::string failureMessage(std::string_view prefix, int error) {
  return std::string(prefix) + makePosixError(error).code().message();
}

void changeItem(const std::filesystem::path& path, const std::array<ValueChange, 5>& changes,
                const ChangeFailed& failed) {
  const Item item = Item::atPath(path.c_str());
  for (std::size_t i = 0; i < changes.size(); ++i) {
    const ValueChange& change = changes[i];
    try {
      if (change.action == ValueChange::Action::kWrite) {
        // Text that is not UTF-8 has no stored form; an empty value would look
        // like a successful save of nothing.
        const Data value = encodeAttributeValue(change.text);
        if (value.empty()) throw makePosixError(EINVAL);
        writeXattr(item, value, kValueNames[i].user);
      } else if (change.action == ValueChange::Action::kRemove) {
        removeXattr(item, kValueNames[i].user);
      }
    } catch (const std::system_error& error) {
      const bool writing = change.action == ValueChange::Action::kWrite;
      failed(i, failureMessage(writing ? kWriteFailed : kRemoveFailed, error.code().value()));
    }
  }
}

}  // namespace quillmark

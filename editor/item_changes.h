// Save's rules for one item, shared by the window's Save and the command
// line's `set`: each value is written, removed or left as it is, in every
// place Mac peers keep it (see attrstore/places.h), and every failure is
// reported as the user reads it, in list order (Copyright, Creator,
// Description, Headline, Keywords), at most one for each value.
#ifndef QUILLMARK_EDITOR_ITEM_CHANGES_H_
#define QUILLMARK_EDITOR_ITEM_CHANGES_H_

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace quillmark {

struct ValueChange {
  enum class Action { kKeep, kWrite, kRemove };
  Action action = Action::kKeep;
  std::string text;  // kWrite: the text to store (UTF-8; anything else is refused with EINVAL)
};

// The messages the user reads: a prefix naming the failed call, then the system's text.
inline constexpr std::string_view kWriteFailed = "setxattr error: ";
inline constexpr std::string_view kRemoveFailed = "remxattr error: ";
inline constexpr std::string_view kListFailed = "opendir error: ";
std::string failureMessage(std::string_view prefix, int error);

// Called for each failure, with the list position and the message.
using ChangeFailed = std::function<void(std::size_t position, const std::string& message)>;

// Applies `changes` to the item at `path` (its final link followed), then,
// with `desktopCopies`, brings its desktop copies in step (desktop_copies.h).
void changeItem(const std::filesystem::path& path, const std::array<ValueChange, 5>& changes,
                const ChangeFailed& failed, bool desktopCopies = false);

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_ITEM_CHANGES_H_

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Reading JSON input in bounded memory, whatever it holds: input past its
// limit is refused once the limit is passed, never first read whole. The limits
// sit far above anything sound: one value holds at most the kernel's 64 KiB.
#ifndef QUILLMARK_CLI_BOUNDED_INPUT_H_
#define QUILLMARK_CLI_BOUNDED_INPUT_H_

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "cli/json_path.h"

namespace quillmark::cli {

// The longest line import reads, and export writes: five values of 64 KiB in
// base64 and a long path come to about half of it.
inline constexpr std::size_t kLineLimit = std::size_t{1} << 20;
// The longest document set --json reads: some ten thousand items of show --json.
inline constexpr std::size_t kDocumentLimit = std::size_t{4} << 20;
// The most values (strings, numbers, nulls, lists, objects) one item may hold,
// since each costs far more parsed than as text. A sound item holds at most
// about 104,870: five lists of the 13,107 strings a 64 KiB value holds, the
// tags as 13,107 objects of two values each (as show --json prints them),
// the path, the label and a few nulls.
inline constexpr std::size_t kItemValueLimit = 110'000;

// The lines of the input open as `fd`, one at a time.
class LineReader {
 public:
  LineReader(int fd, std::size_t limit) : fd_(fd), limit_(limit) {}

  enum class Got { kLine, kTooLong, kEnd };
  // Sets `line` to the next line, without its line feed. kTooLong: the line
  // ran past the limit and was passed over, up to and with its line feed.
  // Throws std::system_error when reading fails.
  Got next(std::string& line);

 private:
  // Appends what one read gives to buffer_; false at the end of the input.
  bool readMore();

  int fd_;
  std::size_t limit_;
  std::string buffer_;  // read, not yet handed out, from start_ on
  std::size_t start_ = 0;
  bool ended_ = false;
};

// All the input open as `fd`; nothing when it holds more than `limit` bytes
// (then no more than that is read). Throws std::system_error when reading fails.
std::optional<std::string> readAtMost(int fd, std::size_t limit);

// Calls `each` with the one JSON value `text` holds (a line of import). Throws
// Json::exception as Json::parse does, and UsageError past kItemValueLimit.
void parseItem(std::string_view text, const std::function<void(const Json&)>& each);

// Calls `each` with every item of `document`, a list or one object, each
// dropped once used, so that memory holds one item's JSON at a time. Throws
// as parseItem does, also when the top is neither a list nor an object.
void forEachItem(std::string_view document, const std::function<void(const Json&)>& each);

}  // namespace quillmark::cli

#endif  // QUILLMARK_CLI_BOUNDED_INPUT_H_

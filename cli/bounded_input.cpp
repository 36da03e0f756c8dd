// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/bounded_input.h"

#include <unistd.h>

#include <cerrno>

#include "attrstore/xattr.h"
#include "cli/command.h"

namespace quillmark::cli {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

// Reads up to kChunk bytes onto the end of `buffer`; the count read, 0 at the end.
std::size_t readChunk(int fd, std::string& buffer) {
  const std::size_t had = buffer.size();
  buffer.resize(had + kChunk);
  ssize_t got;
  do {
    got = read(fd, buffer.data() + had, kChunk);
  } while (got < 0 && errno == EINTR);
  buffer.resize(had + (got > 0 ? static_cast<std::size_t>(got) : 0));
  if (got < 0) throw makePosixError(errno);
  return static_cast<std::size_t>(got);
}

// Parses `text`, handing `each` the items: with `list`, each element of a top
// list as it ends, else the whole value.
void parseItems(std::string_view text, bool list, const std::function<void(const Json&)>& each) {
  bool inList = false;
  std::size_t values = 0;  // in the item being parsed
  using Event = Json::parse_event_t;
  const Json top = Json::parse(text, [&](int depth, Event event, Json& parsed) {
    if (depth == 0 && event == Event::array_start && list) {
      inList = true;
      return true;
    }
    if (event == Event::value || event == Event::object_start || event == Event::array_start) {
      if (++values > kItemValueLimit) {
        throw UsageError("an item holds more than " + std::to_string(kItemValueLimit) + " values");
      }
    }
    if (!inList || depth != 1 || event == Event::object_start || event == Event::array_start ||
        event == Event::key) {
      return true;
    }
    each(parsed);
    values = 0;
    return false;
  });
  if (inList) return;
  if (list && !top.is_object()) throw UsageError("expected the list that show --json prints");
  each(top);
}

}  // namespace

bool LineReader::readMore() {
  buffer_.erase(0, start_);
  start_ = 0;
  ended_ = ended_ || readChunk(fd_, buffer_) == 0;
  return !ended_;
}

LineReader::Got LineReader::next(std::string& line) {
  bool tooLong = false;
  std::size_t searched = start_;  // no line feed before here
  for (;;) {
    const std::size_t feed = buffer_.find('\n', searched);
    if (feed != std::string::npos) {
      tooLong = tooLong || feed - start_ > limit_;
      if (!tooLong) line.assign(buffer_, start_, feed - start_);
      start_ = feed + 1;
      return tooLong ? Got::kTooLong : Got::kLine;
    }
    if (buffer_.size() - start_ > limit_) {  // drop it: only its end is still looked for
      tooLong = true;
      start_ = buffer_.size();
    }
    searched = buffer_.size() - start_;
    if (!readMore()) break;
  }
  if (tooLong) return Got::kTooLong;
  if (start_ == buffer_.size()) return Got::kEnd;
  line.assign(buffer_, start_);  // the last line, without a line feed
  start_ = buffer_.size();
  return Got::kLine;
}

std::optional<std::string> readAtMost(int fd, std::size_t limit) {
  std::string text;
  text.reserve(limit + kChunk);  // never copied as it grows; pages count only once filled
  while (readChunk(fd, text) > 0) {
    if (text.size() > limit) return std::nullopt;
  }
  return text;
}

void parseItem(std::string_view text, const std::function<void(const Json&)>& each) {
  parseItems(text, false, each);
}

void forEachItem(std::string_view document, const std::function<void(const Json&)>& each) {
  parseItems(document, true, each);
}

}  // namespace quillmark::cli

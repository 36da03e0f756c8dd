// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Input read in bounded memory: each line is handed out whole up to the limit
// and passed over past it, across the reads a pipe is taken in, and the next
// line still comes; a document is refused one byte past its limit.
#include "cli/bounded_input.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>
#include <utility>
#include <vector>

namespace quillmark::cli {
namespace {

// The read end of a pipe that a thread fills with `input`, more than a pipe holds at once.
class Feed {
 public:
  explicit Feed(std::string input) : input_(std::move(input)) {
    EXPECT_EQ(pipe(fds_), 0);
    writer_ = std::thread([this] {
      for (std::size_t at = 0; at < input_.size();) {
        const ssize_t wrote = write(fds_[1], input_.data() + at, input_.size() - at);
        if (wrote <= 0) break;
        at += static_cast<std::size_t>(wrote);
      }
      close(fds_[1]);
    });
  }
  ~Feed() {
    close(fds_[0]);
    writer_.join();
  }
  int fd() const { return fds_[0]; }

 private:
  std::string input_;
  int fds_[2];
  std::thread writer_;
};

TEST(LineReader, PassesOverEachLinePastTheLimitAndGoesOnWithTheNext) {
  constexpr std::size_t kLimit = 100'000;  // more than one read
  const std::string exact(kLimit, 'a');
  Feed feed(exact + "\n" + std::string(kLimit + 1, 'b') + "\n\n" + std::string(3 * kLimit, 'c') +
            "\nlast");
  LineReader reader(feed.fd(), kLimit);
  using Got = LineReader::Got;
  std::vector<std::pair<Got, std::string>> lines;
  std::string line;
  for (Got got; (got = reader.next(line)) != Got::kEnd;) {
    lines.emplace_back(got, got == Got::kLine ? line : "");
  }
  EXPECT_EQ(lines, (std::vector<std::pair<Got, std::string>>{
                       {Got::kLine, exact}, {Got::kTooLong, ""}, {Got::kLine, ""},
                       {Got::kTooLong, ""}, {Got::kLine, "last"}}));
}

TEST(ReadAtMost, TakesTheLimitAndRefusesOneByteMore) {
  constexpr std::size_t kLimit = 100'000;
  EXPECT_EQ(readAtMost(Feed(std::string(kLimit, 'a')).fd(), kLimit), std::string(kLimit, 'a'));
  EXPECT_EQ(readAtMost(Feed(std::string(kLimit + 1, 'a')).fd(), kLimit), std::nullopt);
}

}  // namespace
}  // namespace quillmark::cli

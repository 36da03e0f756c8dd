// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// quillmark-cli find over a tree of 200,000 entries (every tenth carrying a
// headline), against `getfattr -R -d` dumping every attribute of the same tree:
// the plainest way a user would look for a value. Rounds alternate which goes
// first; the figure is the median of the per-round ratios find / getfattr, so
// that a drift of the disk or of other load hits both alike.
//
//   QUILLMARK_FIND_ROUNDS   rounds (default 5)
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "attrstore/codec.h"

namespace {

namespace fs = std::filesystem;

// Seconds `command` took; exits when it failed.
double timed(const std::string& command) {
  const auto start = std::chrono::steady_clock::now();
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "find_bench: failed: %s\n", command.c_str());
    std::exit(1);
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
  const char* rounds = std::getenv("QUILLMARK_FIND_ROUNDS");
  const int count = rounds != nullptr ? std::max(1, std::atoi(rounds)) : 5;
  const fs::path root = fs::temp_directory_path() / ("quillmark-find-bench-" + std::to_string(getpid()));
  const quillmark::Data value = quillmark::encodeAttributeValue("Harbour at dawn");
  for (int folder = 0; folder < 400; ++folder) {
    const fs::path dir = root / ("d" + std::to_string(folder));
    fs::create_directories(dir);
    for (int entry = 0; entry < 499; ++entry) {
      const fs::path file = dir / ("f" + std::to_string(entry) + ".jpg");
      std::ofstream{file};
      if (entry % 10 == 0)
        setxattr(file.c_str(), "user.com.apple.metadata:kMDItemHeadline", value.data(), value.size(), 0);
    }
  }
  const std::string find = std::string(QUILLMARK_CLI_PATH) + " find -r --any harbour " + root.native() + " >/dev/null";
  const std::string dump = "getfattr -R -d " + root.native() + " >/dev/null 2>&1";
  timed(dump);  // both rounds start from a warm cache
  std::vector<double> ratios;
  for (int round = 0; round < count; ++round) {
    const bool findFirst = round % 2 == 0;
    const double first = timed(findFirst ? find : dump), second = timed(findFirst ? dump : find);
    ratios.push_back(findFirst ? first / second : second / first);
    std::printf("round %d: find %.2fs, getfattr -R -d %.2fs\n", round + 1, findFirst ? first : second,
                findFirst ? second : first);
  }
  std::sort(ratios.begin(), ratios.end());
  std::printf("find / getfattr -R -d on 200,000 entries: %.2fx (median of %d rounds)\n",
              ratios[ratios.size() / 2], count);
  fs::remove_all(root);
}

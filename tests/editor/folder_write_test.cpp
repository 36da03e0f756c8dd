// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Write Folder and the tree commands on several threads against one after another, and how
// their pool stops.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <future>

#include "attrstore/appledouble.h"
#include "attrstore/codec.h"
#include "attrstore/names.h"
#include "editor/folder_write.h"
#include "editor/ordered_pool.h"
#include "tests/support/editor_fakes.h"
#include "tests/support/temp_dir.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// Every entry's attributes and the sidecars' bytes, in walk order.
std::string stateBelow(const fs::path& root) {
  std::string state;
  testing::runCommand("cd '" + root.string() + "' && getfattr -Rd -m- -ehex . && cat */._*",
                      &state);
  return state;
}

// Immutable files, sidecars (one holding a value, so it is rewritten), a
// FIFO and an entry that vanishes once its folder is listed, in three folders.
TEST(FolderWriteTest, ManyThreadsWriteAndReportExactlyAsOneAfterAnother) {
  const TempDir dir;
  appledouble::Sidecar parts;
  appledouble::set(parts, "com.apple.metadata:kMDItemCopyright", encodeAttributeValue("old"));
  const Data bytes = appledouble::serialize(parts);
  const std::string sidecar(bytes.begin(), bytes.end());
  const std::array<std::string, kFieldCount> texts = {"(c) Ann", "Ann", "Dunes", "Sand", "dune, sand"};
  // One after another; then each entry a job of its own, so that an item's
  // entries meet on different threads; then a folder's entries together.
  const struct { std::size_t jobs, entriesPerHandOff; } runs[] = {{1, 1}, {8, 1}, {3, 256}};
  std::string states[3];
  std::vector<std::string> reports[3];
  for (std::size_t run = 0; run < std::size(runs); ++run) {
    const auto [jobs, entriesPerHandOff] = runs[run];
    const fs::path root = dir.path() / std::to_string(run);
    for (const char* folder : {"a", "b", "c"})
      dir.writeFile((root / folder / "._5").string(), sidecar);
    ASSERT_EQ(
        testing::runCommand("cd '" + root.string() +
                            "' && for d in a b c; do (cd $d && touch $(seq 0 39) && echo >._7 &&"
                            " mkfifo pipe && chattr +i 3 5 11 12 13 30 ._7) || exit 1; done"),
        0);
    const fs::path doomed = dir.writeFile((root / "c/gone").string());
    testing::FakeProgress progress;
    progress.onReport = [&](std::uint64_t, const fs::path& current) {
      if (current.parent_path() == doomed.parent_path()) fs::remove(doomed);
    };
    const auto failed = [&, &report = reports[run]](const std::string& path, const Failure& failure) {
      report.push_back(fs::relative(path, root).string() + ": " + describeFailure(failure));
      return true;
    };
    ASSERT_EQ(writeFolder(root, [&](std::size_t i) { return texts[i]; }, failed,
                          {.progress = &progress, .progressInterval = {}, .jobs = jobs, .entriesPerHandOff = entriesPerHandOff}),
              0);
    states[run] = stateBelow(root);
  }
  EXPECT_EQ(reports[0].size(), 3u * (6 * 5 + 4));
  EXPECT_NE(states[0].find("(c) Ann"), std::string::npos);  // the sidecars rewritten
  for (std::size_t run = 1; run < std::size(runs); ++run) {
    EXPECT_EQ(reports[run], reports[0]) << run;
    EXPECT_EQ(states[run], states[0]) << run;
  }
#ifdef QUILLMARK_CLI_PATH
  // The tree commands over the tree written print and report the same, and import (into copies
  // without the values, its sidecars holding one) writes the same, one item or many at once.
  const std::string tree = (dir.path() / "0").string(), lines = (dir.path() / "lines").string();
  const auto cli = [&](const std::string& command, const char* jobs, std::string& output) {
    output += std::to_string(testing::runCommand(QUILLMARK_CLI_PATH " " + command + " -j" + jobs + " 2>&1", &output));
  };
  std::string exported;
  cli("export -r '" + tree + "' -o '" + lines + "'", "1", exported);
  for (const std::string command : {"find -r --any ann", "export -r", "check -r"}) {
    std::string outputs[2];
    for (int many : {0, 1}) cli(command + " '" + tree + "'", many ? "8" : "1", outputs[many]);
    EXPECT_EQ(outputs[1], outputs[0]) << command;
  }
  std::string imports[2];
  for (int many : {0, 1}) {
    const std::string copy = tree + "-copy" + std::to_string(many);
    ASSERT_EQ(testing::runCommand("cp -r '" + tree + "' '" + copy + "'"), 0);
    cli("import --root '" + copy + "' '" + lines + "'", many ? "8" : "1", imports[many]);
    imports[many] += stateBelow(copy);
  }
  EXPECT_EQ(imports[1], imports[0]);
  EXPECT_NE(imports[0].find("44756e6573"), std::string::npos);  // "Dunes", written
#endif
}

// A job whose delivery says stop, and the caller dropping the queue: no job
// starts after either, those running finish. Jobs 1.. are held until then, so
// no more than one per thread (and job 0's thread one more) can have started.
TEST(FolderWriteTest, APoolStoppedStartsNothingMore) {
  for (const bool byDelivery : {true, false}) {
    std::atomic<int> started = 0;
    std::promise<void> allQueued, stopped;
    const std::shared_future<void> queued = allQueued.get_future().share(),
                                   gate = stopped.get_future().share();
    OrderedPool pool(4, 32);
    for (int job = 0; job < 32; ++job) {
      ASSERT_TRUE(pool.submit([&, job]() -> OrderedPool::Delivery {
        ++started;
        (job == 0 ? queued : gate).wait();
        return [&, job] { return job > 0 || !byDelivery; };
      }));
    }
    allQueued.set_value();
    pool.waitFor(0);
    if (!byDelivery) pool.dropQueued();
    stopped.set_value();
    pool.finish();
    EXPECT_LE(started.load(), 5) << byDelivery;
    EXPECT_EQ(pool.delivered(), pool.submitted());
  }
}

}  // namespace
}  // namespace quillmark

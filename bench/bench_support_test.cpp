// The benchmark helpers that could mislead or do harm: a reference loop that
// wrote a different set of entries than the editor would make every ratio
// meaningless, and tree removal or the sweep of stale folders must never reach
// beyond what the benchmarks made.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "bench/bench_support.h"
#include "tests/support/editor_fakes.h"
#include "tests/support/temp_dir.h"

namespace quillmark::bench {
namespace {

namespace fs = std::filesystem;
using quillmark::testing::TempDir;

// Entries below `root` (links included, never followed) that hold the first sample value.
std::set<std::string> written(const fs::path& root) {
  const RawAttribute first = sampleAttributes().front();
  std::set<std::string> paths;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    Data value(first.value.size() + 1);
    const ssize_t size =
        lgetxattr(entry.path().c_str(), first.systemName.c_str(), value.data(), value.size());
    value.resize(size < 0 ? 0 : static_cast<std::size_t>(size));
    if (value == first.value) paths.insert(fs::relative(entry.path(), root).string());
  }
  return paths;
}

// makeTree's folders and files plus what it never makes: hidden entries, a
// deeper folder, and links to a folder and a file outside the tree.
std::uint64_t makeMixedTree(const fs::path& root, const fs::path& outside) {
  const std::uint64_t made = makeTree(root, 3, 4);
  EXPECT_EQ(made, 15u);
  fs::create_directories(root / "folder-00001/deeper/.hidden-folder");
  std::ofstream(root / "folder-00001/deeper/.hidden-file") << "x";
  fs::create_directory_symlink(outside, root / "folder-00000/link-to-folder");
  fs::create_symlink(outside / "kept.txt", root / "link-to-file");
  return made + 3;  // the links are not written
}

TEST(BenchSupport, PlainLoopWritesExactlyWhatWriteFolderWrites) {
  TempDir dir;
  const fs::path outside = dir.makeDir("outside");
  dir.writeFile("outside/kept.txt", "x");
  const std::uint64_t entries = makeMixedTree(dir.path() / "plain", outside);
  makeMixedTree(dir.path() / "editor", outside);

  EXPECT_EQ(plainWrite((dir.path() / "plain").string(), sampleAttributes()), entries);
  EXPECT_TRUE(written(outside).empty()) << "the plain loop followed a link";

  testing::FakeEditor editor;
  ASSERT_TRUE(chooseFolderWithSampleTexts(editor, (dir.path() / "editor").string()));
  editor.editor->writeFolderButton();
  ASSERT_TRUE(editor.alerts.alerts.empty()) << editor.alerts.alerts.front().informativeText;

  const std::set<std::string> plain = written(dir.path() / "plain");
  EXPECT_EQ(plain.size(), entries);
  EXPECT_EQ(plain, written(dir.path() / "editor"));
}

TEST(BenchSupport, RemoveTreeTakesEverythingBelowButNothingALinkLeadsTo) {
  TempDir dir;
  const fs::path outside = dir.makeDir("outside");
  dir.writeFile("outside/kept.txt", "x");
  const fs::path tree = dir.path() / "tree";
  makeMixedTree(tree, outside);
  const fs::path linkToFolder = dir.path() / "link-to-outside";
  fs::create_directory_symlink(outside, linkToFolder);

  removeTree(tree.string());
  removeTree(linkToFolder.string());

  EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
  EXPECT_FALSE(fs::exists(fs::symlink_status(linkToFolder)));
  EXPECT_TRUE(fs::exists(outside / "kept.txt"));
}

// A process id that no process has any more.
pid_t endedProcess() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

TEST(BenchSupport, ScratchDirSweepsOnlyFoldersOfEndedRuns) {
  TempDir base;
  const fs::path stale = base.makeDir("quillmark-bench-" + std::to_string(endedProcess()) + "-a");
  base.writeFile(fs::relative(stale, base.path()).string() + "/folder/file");
  const fs::path live = base.makeDir("quillmark-bench-" + std::to_string(getppid()) + "-b");
  const fs::path unrelated = base.makeDir("quillmark-bench-photos");
  const fs::path other = base.makeDir("someone-else");

  setenv("QUILLMARK_BENCH_DIR", base.path().c_str(), 1);
  std::string made;
  {
    ScratchDir scratch;
    made = scratch.path();
    EXPECT_EQ(fs::path(made).parent_path(), base.path());
    EXPECT_TRUE(fs::is_directory(made));
  }
  unsetenv("QUILLMARK_BENCH_DIR");

  EXPECT_FALSE(fs::exists(stale));
  EXPECT_FALSE(fs::exists(made));
  EXPECT_TRUE(fs::exists(live));
  EXPECT_TRUE(fs::exists(unrelated));
  EXPECT_TRUE(fs::exists(other));
}

}  // namespace
}  // namespace quillmark::bench

// Immutable items (chattr +i): readable, but every change to them fails with
// EPERM even for root, before the kernel looks at whether a value exists.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/faults/fault_support.h"
#include "tests/support/temp_dir.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using testing::FakeEditor;
using testing::outcomeOf;
using testing::TempDir;
using testing::TreeSnapshot;

constexpr std::string_view kNotPermitted = "Operation not permitted";

class ImmutableItem : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "chattr +i needs root (CAP_LINUX_IMMUTABLE)";
    const std::string probe = "'" + dir.writeFile("probe").string() + "'";
    if (testing::runCommand("chattr +i " + probe + " 2>/dev/null && chattr -i " + probe) != 0) {
      GTEST_SKIP() << "the temporary folder's filesystem has no immutable flag";
    }
    fs::remove(dir.path() / "probe");
    testing::storeOldValues(item);
    entries = testing::makeWalkTree(folder);
  }

  // Clears the flag even when the test failed, or the folder cannot be removed.
  void TearDown() override {
    for (const fs::path& path : frozen_) testing::runCommand("chattr -i '" + path.string() + "'");
  }

  // Makes `path` immutable until the test ends.
  void freeze(const fs::path& path) {
    EXPECT_EQ(testing::runCommand("chattr +i '" + path.string() + "'"), 0) << path;
    frozen_.push_back(path);
  }

  TempDir dir;
  fs::path item = dir.writeFile("Report.pdf", "content");
  fs::path folder = dir.path() / "Shoot";
  fs::path oldReport = dir.writeFile("notes.txt", "earlier report");
  fs::path lockedFolder = dir.makeDir("Locked");
  std::vector<std::string> entries;
  FakeEditor ui;

 private:
  std::vector<fs::path> frozen_;
};

TEST_F(ImmutableItem, OpenShowsTheStoredValuesWithoutAnAlert) {
  freeze(item);
  const TreeSnapshot before = testing::snapshotTree(dir.path());
  ASSERT_TRUE(testing::openItem(ui, item));
  EXPECT_EQ(outcomeOf(ui), testing::openedItem(item, testing::kStoredTexts));
  EXPECT_TRUE(testing::treeHolds(dir.path(), before));
}

TEST_F(ImmutableItem, SaveReportsWritesAndRemovalsEvenOfAbsentValuesThenShowsTheOldValues) {
  freeze(item);
  const TreeSnapshot before = testing::snapshotTree(dir.path());
  ASSERT_TRUE(testing::openItem(ui, item));
  testing::typeSaveEdits(ui);
  ui.editor->saveButton();
  EXPECT_EQ(outcomeOf(ui), testing::openedItem(item, testing::kStoredTexts,
                                               testing::saveEditAlerts(kNotPermitted)));
  EXPECT_TRUE(testing::treeHolds(dir.path(), before));
}

TEST_F(ImmutableItem, WriteFolderReportsTheFrozenEntriesAndWritesTheRest) {
  // A frozen folder keeps its own attributes but not those of what it holds.
  freeze(folder / "a.txt");
  freeze(folder / "sub");
  TreeSnapshot expected = testing::snapshotTree(dir.path());
  testing::expectFolderEdits(expected, "Shoot/sub/b.txt");

  ASSERT_TRUE(testing::chooseFolder(ui, folder));
  testing::typeFolderEdits(ui);
  ui.editor->writeFolderButton();
  EXPECT_EQ(outcomeOf(ui), testing::chosenFolder(folder, testing::kFolderEditTexts,
                                                 testing::folderEditAlerts(2, kNotPermitted)));
  EXPECT_TRUE(testing::treeHolds(dir.path(), expected));
}

TEST_F(ImmutableItem, SaveTextReportsTheBareSystemTextAndLeavesTheFilesAlone) {
  freeze(oldReport);
  freeze(lockedFolder);
  const TreeSnapshot before = testing::snapshotTree(dir.path());
  // Replacing a frozen report, and creating one in a frozen folder.
  for (const fs::path& target : {oldReport, lockedFolder / "report.txt"}) {
    SCOPED_TRACE(target);
    FakeEditor fresh;
    fresh.creator.text_ = "Ada";
    ASSERT_TRUE(testing::saveTextTo(fresh, target));
    EXPECT_EQ(outcomeOf(fresh),
              testing::freshWindow({"", "Ada", "", "", ""}, {std::string(kNotPermitted)}));
  }
  EXPECT_TRUE(testing::treeHolds(dir.path(), before));
}

}  // namespace
}  // namespace quillmark

// A filesystem without `user.` attributes (ramfs): nothing can be read, every
// write and removal fails with EOPNOTSUPP, and plain files still work.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "editor/report.h"
#include "tests/faults/fault_support.h"
#include "tests/support/scratch_fs.h"
#include "tests/support/temp_dir.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using testing::FakeEditor;
using testing::outcomeOf;
using testing::ScratchMount;
using testing::TreeSnapshot;

constexpr std::string_view kUnsupported = "Operation not supported";

class NoUserAttributes : public ::testing::Test {
 protected:
  void SetUp() override {
    QUILLMARK_REQUIRE_SCRATCH_FS();
    disk.emplace(ScratchMount::Kind::kRamfs);
    ASSERT_TRUE(disk->mounted());
    item = disk->root() / "Report.pdf";
    testing::writeText(item, "content");
    before = testing::snapshotTree(disk->root());
  }

  std::optional<ScratchMount> disk;
  fs::path item;
  TreeSnapshot before;
  FakeEditor ui;
};

TEST_F(NoUserAttributes, OpenClearsTheFieldsWithoutAnAlert) {
  testing::typeFields(ui, {"stale", "stale", "stale", "stale", "stale"});
  ASSERT_TRUE(testing::openItem(ui, item));
  EXPECT_EQ(outcomeOf(ui), testing::openedItem(item, {}));
  EXPECT_TRUE(testing::treeHolds(disk->root(), before));
}

TEST_F(NoUserAttributes, SaveReportsEveryWriteAndRemovalThenShowsNothingStored) {
  ASSERT_TRUE(testing::openItem(ui, item));
  testing::typeSaveEdits(ui);
  ui.editor->saveButton();
  EXPECT_EQ(outcomeOf(ui), testing::openedItem(item, {}, testing::saveEditAlerts(kUnsupported)));
  EXPECT_TRUE(testing::treeHolds(disk->root(), before));
}

// Write Folder on such a filesystem is covered with the editor's own tests.

TEST_F(NoUserAttributes, SaveTextNeedsNoAttributesAndWritesTheReport) {
  const fs::path target = disk->root() / "report.txt";
  testing::typeFields(ui, {"©", "Ada", "note", "news", "a, b"});
  ASSERT_TRUE(testing::saveTextTo(ui, target));
  EXPECT_EQ(outcomeOf(ui), testing::freshWindow({"©", "Ada", "note", "news", "a, b"}));
  EXPECT_EQ(testing::readFile(target), buildReport("news", "note", "Ada", "©", "a, b"));
  TreeSnapshot after = testing::snapshotTree(disk->root());
  after.erase("report.txt");
  EXPECT_TRUE(testing::sameTree(before, after));
}

}  // namespace
}  // namespace quillmark

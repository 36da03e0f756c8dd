// The item is deleted after it was chosen: ENOENT for every call, and no
// action brings it back.
#include <gtest/gtest.h>

#include <string>

#include "tests/faults/fault_support.h"
#include "tests/support/temp_dir.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using testing::FakeEditor;
using testing::outcomeOf;
using testing::TempDir;
using testing::TreeSnapshot;

constexpr std::string_view kGone = "No such file or directory";

class VanishedItem : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    item = dir.path() / GetParam();
    if (item.extension() == ".app") {
      dir.writeFile(std::string(GetParam()) + "/Contents/Info.plist", "plist");
    } else {
      dir.writeFile(GetParam(), "content");
    }
    testing::storeOldValues(item);
    dir.writeFile("neighbour.txt", "stays");
    testing::storeOldValues(dir.path() / "neighbour.txt");
  }

  // The tree as it should be once the item is gone and nothing else changed.
  TreeSnapshot withoutItem() {
    fs::remove_all(item);
    return testing::snapshotTree(dir.path());
  }

  TempDir dir;
  fs::path item;
  FakeEditor ui;
};

TEST_P(VanishedItem, OpenOfAnItemDeletedBeforeThePanelClosedShowsEmptyFields) {
  testing::typeFields(ui, {"stale", "", "stale", "", "stale"});
  ui.editor->openButton();
  const TreeSnapshot expected = withoutItem();
  ASSERT_TRUE(ui.openPanel.answer(kModalResponseOK, item));
  EXPECT_EQ(outcomeOf(ui), testing::openedItem(item, {}));
  EXPECT_TRUE(testing::treeHolds(dir.path(), expected));
}

TEST_P(VanishedItem, SaveReportsEveryCallAndCreatesNothing) {
  ASSERT_TRUE(testing::openItem(ui, item));
  const TreeSnapshot expected = withoutItem();
  testing::typeSaveEdits(ui);
  ui.editor->saveButton();
  EXPECT_EQ(outcomeOf(ui), testing::openedItem(item, {}, testing::saveEditAlerts(kGone)));
  EXPECT_TRUE(testing::treeHolds(dir.path(), expected));
}

// A file and a folder (a package) vanish alike.
INSTANTIATE_TEST_SUITE_P(FileOrFolder, VanishedItem, ::testing::Values("Report.pdf", "Thing.app"));

// Write Folder on a vanished folder or subfolder, and Save Text into a vanished
// folder, are covered with the editor's own tests.

}  // namespace
}  // namespace quillmark

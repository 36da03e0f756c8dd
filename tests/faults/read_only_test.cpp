// A filesystem remounted read-only: everything still reads, every change fails
// with EROFS, and a failed action leaves every file and attribute as it was.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/faults/fault_support.h"
#include "tests/support/scratch_fs.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using testing::EditorOutcome;
using testing::FakeEditor;
using testing::outcomeOf;
using testing::ScratchMount;
using testing::snapshotTree;
using testing::TreeSnapshot;

constexpr std::string_view kReadOnly = "Read-only file system";

class ReadOnlyFilesystem : public ::testing::Test {
 protected:
  void SetUp() override {
    QUILLMARK_REQUIRE_SCRATCH_FS();
    disk.emplace(ScratchMount::Kind::kExt4);
    ASSERT_TRUE(disk->mounted());
    item = root() / "Report.pdf";
    folder = root() / "Shoot";
    oldReport = root() / "notes.txt";
    testing::writeText(item, "content");
    testing::storeOldValues(item);
    entries = testing::makeWalkTree(folder);
    testing::writeText(oldReport, "earlier report");
    disk->makeReadOnly();
    before = snapshotTree(root());
  }

  const fs::path& root() const { return disk->root(); }

  std::optional<ScratchMount> disk;
  fs::path item, folder, oldReport;
  std::vector<std::string> entries;
  TreeSnapshot before;
  FakeEditor ui;
};

TEST_F(ReadOnlyFilesystem, OpenShowsTheStoredValuesWithoutAnAlert) {
  ui.keywords.text_ = "typed before opening";
  ASSERT_TRUE(testing::openItem(ui, item));
  EXPECT_EQ(outcomeOf(ui), testing::openedItem(item, testing::kStoredTexts));
  EXPECT_TRUE(testing::treeHolds(root(), before));
}

TEST_F(ReadOnlyFilesystem, SaveReportsEveryWriteAndRemovalThenShowsTheOldValues) {
  ASSERT_TRUE(testing::openItem(ui, item));
  testing::typeSaveEdits(ui);
  ui.editor->saveButton();
  EXPECT_EQ(outcomeOf(ui),
            testing::openedItem(item, testing::kStoredTexts, testing::saveEditAlerts(kReadOnly)));
  EXPECT_TRUE(testing::treeHolds(root(), before));
}

TEST_F(ReadOnlyFilesystem, WriteFolderReportsEachFieldOfEachEntryAndSkipsTheLink) {
  ASSERT_TRUE(testing::chooseFolder(ui, folder));
  testing::typeFolderEdits(ui);
  ui.editor->writeFolderButton();
  EXPECT_EQ(outcomeOf(ui),
            testing::chosenFolder(folder, testing::kFolderEditTexts,
                                  testing::folderEditAlerts(entries.size(), kReadOnly)));
  EXPECT_TRUE(testing::treeHolds(root(), before));
}

TEST_F(ReadOnlyFilesystem, SaveTextReportsTheBareSystemTextForANewOrAnExistingFile) {
  for (const fs::path& target : {root() / "report.txt", oldReport}) {
    SCOPED_TRACE(target);
    FakeEditor fresh;
    fresh.headline.text_ = "Big news";
    ASSERT_TRUE(testing::saveTextTo(fresh, target));
    EXPECT_EQ(outcomeOf(fresh),
              testing::freshWindow({"", "", "", "Big news", ""}, {std::string(kReadOnly)}));
  }
  EXPECT_TRUE(testing::treeHolds(root(), before));
}

}  // namespace
}  // namespace quillmark

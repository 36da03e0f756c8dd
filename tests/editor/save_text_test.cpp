// Save Text: the report's exact bytes and how it reaches the chosen file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "attrstore/resource_list.h"
#include "tests/support/editor_fakes.h"
#include "tests/support/scratch_fs.h"
#include "tests/support/temp_dir.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using testing::FakeEditor;
using testing::readFile;
using testing::TempDir;

ino_t inodeOf(const fs::path& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

class SaveTextTest : public ::testing::Test {
 protected:
  // Presses Save Text and chooses `target`.
  void saveTo(const fs::path& target) {
    ui.editor->saveTextButton();
    ASSERT_TRUE(ui.savePanel.answer(kModalResponseOK, target));
  }

  TempDir dir;
  fs::path target = dir.path() / "report.txt";
  FakeEditor ui;
};

TEST_F(SaveTextTest, ReportHoldsTheFieldsExactly) {
  saveTo(target);
  const std::string empty =
      "Saved extended attributes:\n\nHeadline:\n\nDescription:\n\nCreator:\n\nCopyright:\n"
      "\nKeywords:\n\nWritten by Quillmark.";
  EXPECT_EQ(readFile(target), empty);
  EXPECT_EQ(empty.size(), 107u);

  ui.headline.text_ = "Ünïcödé ✓ 日本";
  ui.description.text_ = "two\nlines";
  ui.creator.text_ = " ";
  ui.copyright.text_ = "\xef\xbb\xbf";  // a BOM typed by the user is kept; none is added
  ui.keywords.text_ = "a, b";
  ui.editor->saveTextButton();
  ui.keywords.text_ = "typed while the panel was open";  // the report is made on the press
  ASSERT_TRUE(ui.savePanel.answer(kModalResponseOK, target));
  EXPECT_EQ(readFile(target),
            "Saved extended attributes:\n\nHeadline:\nÜnïcödé ✓ 日本\nDescription:\ntwo\nlines"
            "\nCreator:\n \nCopyright:\n\xef\xbb\xbf\nKeywords:\na, b\nWritten by Quillmark.");
  const SavePanelSettings& settings = ui.savePanel.requests.at(0).settings;
  EXPECT_TRUE(settings.canCreateDirectories);
  EXPECT_EQ(settings.allowedFileTypes, (std::vector<std::string>{"text", "txt"}));
}

TEST_F(SaveTextTest, OverwritingKeepsTheFileItsLinksAndAttributes) {
  dir.writeFile("report.txt", std::string(4096, 'x'));
  testing::setRawAttribute(target, ResourceList::itemCreator, "tag");
  fs::create_hard_link(target, dir.path() / "alias.txt");
  const ino_t inode = inodeOf(target);
  saveTo(target);
  EXPECT_EQ(inodeOf(target), inode);
  EXPECT_EQ(readFile(dir.path() / "alias.txt").size(), 107u);
  EXPECT_EQ(testing::rawAttribute(target, ResourceList::itemCreator), testing::bytes("tag"));
}

TEST_F(SaveTextTest, CancelledOrOrphanedPanelWritesNothing) {
  ui.editor->saveTextButton();
  EXPECT_TRUE(ui.savePanel.answer(kModalResponseCancel, target));
  ui.editor->saveTextButton();
  ui.destroy();  // the save panel is free-standing and can outlive its editor
  EXPECT_TRUE(ui.savePanel.answer(kModalResponseOK, target));
  EXPECT_FALSE(fs::exists(target));
  EXPECT_TRUE(ui.alerts.alerts.empty());
}

TEST_F(SaveTextTest, FailureIsReportedWithTheSystemTextAlone) {
  saveTo(dir.path() / "missing" / "report.txt");
  EXPECT_EQ(ui.alerts.messages(), std::vector<std::string>{"No such file or directory"});
}

TEST_F(SaveTextTest, FullDiskIsReportedAfterTheFileOpened) {
  QUILLMARK_REQUIRE_SCRATCH_FS();
  testing::ScratchMount disk(testing::ScratchMount::Kind::kExt4, 1024);
  ASSERT_TRUE(disk.mounted());
  const fs::path report = disk.root() / "report.txt";
  const std::string root = "'" + disk.root().string() + "'";
  // Large writes stop while small blocks are still free; small writes take the rest.
  testing::runCommand("touch '" + report.string() + "'; cd " + root +
                      " && { cat /dev/zero > big; dd if=/dev/zero of=small bs=1024; } 2>/dev/null");
  saveTo(report);
  EXPECT_EQ(ui.alerts.messages(), std::vector<std::string>{"No space left on device"});
}

}  // namespace
}  // namespace quillmark

// Values other programs left behind: one of the full 65,536 bytes, malformed
// ones (as long as the limit, cut short, or holding no string). A valid value
// shows its text however long; the rest show as empty fields and stay stored
// unless the user ticks their box and saves.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "attrstore/codec.h"
#include "editor/report.h"
#include "tests/faults/fault_support.h"
#include "tests/support/scratch_fs.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using testing::FakeEditor;
using testing::kValueLimit;
using testing::outcomeOf;
using testing::ScratchMount;
using testing::TreeSnapshot;

// What each list position holds, and what its field shows.
struct StoredValue {
  std::string bytes;
  std::string shown;
};

std::array<StoredValue, 5> leftBehind() {
  const std::string longText = testing::textForValueOfSize(kValueLimit);
  std::string garbage = "bplist00";
  while (garbage.size() < kValueLimit) garbage += static_cast<char>(0xFF - garbage.size() % 7);
  return {{
      {testing::storedBytes(encodeAttributeValue(longText)), longText},
      {garbage, ""},
      {"bplist00 cut short", ""},
      {"<?xml version=\"1.0\"?><plist version=\"1.0\"><integer>42</integer></plist>", ""},
      {testing::storedBytes(encodeAttributeValue("alpha")), "alpha"},
  }};
}

class LeftBehindValues : public ::testing::Test {
 protected:
  void SetUp() override {
    QUILLMARK_REQUIRE_SCRATCH_FS();
    // ext4 keeps a value in one block; tmpfs keeps values up to the kernel's limit.
    disk.emplace(ScratchMount::Kind::kTmpfs);
    ASSERT_TRUE(disk->mounted());
    item = disk->root() / "Report.pdf";
    testing::writeText(item, "content");
    ASSERT_EQ(values[0].bytes.size(), kValueLimit);
    ASSERT_EQ(values[1].bytes.size(), kValueLimit);
    for (std::size_t i = 0; i < values.size(); ++i) {
      testing::setRawAttribute(item, testing::kNames[i], values[i].bytes);
      shown[i] = values[i].shown;
    }
    before = testing::snapshotTree(disk->root());
  }

  const std::array<StoredValue, 5> values = leftBehind();
  std::array<std::string, 5> shown;
  std::optional<ScratchMount> disk;
  fs::path item;
  TreeSnapshot before;
  FakeEditor ui;
};

TEST_F(LeftBehindValues, OpenShowsTheValidOnesHoweverLongAndNothingForTheRest) {
  ASSERT_TRUE(testing::openItem(ui, item));
  EXPECT_EQ(outcomeOf(ui), testing::openedItem(item, shown));
  EXPECT_TRUE(testing::treeHolds(disk->root(), before));
}

TEST_F(LeftBehindValues, SaveKeepsThemUnlessTheirBoxIsTicked) {
  for (const bool ticked : {false, true}) {
    SCOPED_TRACE(ticked ? "boxes ticked" : "no box ticked");
    ASSERT_TRUE(testing::openItem(ui, item));
    TreeSnapshot expected = before;
    if (ticked) {
      for (testing::FakeCheckbox* box : ui.checkboxesInListOrder()) box->state_ = kControlStateOn;
      // The valid ones show text and are written back unchanged; only the empty fields go.
      for (std::size_t i : {testing::kCreator, testing::kDescription, testing::kHeadline}) {
        testing::expectRemoved(expected, "Report.pdf", testing::kNames[i]);
      }
    }
    ui.editor->saveButton();
    EXPECT_EQ(outcomeOf(ui), testing::openedItem(item, shown));
    EXPECT_TRUE(testing::treeHolds(disk->root(), expected));
  }
}

TEST_F(LeftBehindValues, WriteFolderWritesALimitSizedValueAndLeavesTheMalformedOnes) {
  const fs::path folder = disk->root() / "Shoot";
  const std::vector<std::string> entries = testing::makeWalkTree(folder);
  for (const std::string& entry : entries) {
    testing::setRawAttribute(folder / entry, ResourceList::itemCreator, values[1].bytes);
  }
  TreeSnapshot expected = testing::snapshotTree(disk->root());
  for (const std::string& entry : entries) {
    testing::expectStored(expected, "Shoot/" + entry, ResourceList::itemCopyright,
                          encodeAttributeValue(values[0].shown));
  }

  ASSERT_TRUE(testing::chooseFolder(ui, folder));
  ui.copyright.text_ = values[0].shown;
  ui.creatorCheck.state_ = kControlStateOn;
  ui.editor->writeFolderButton();
  EXPECT_EQ(outcomeOf(ui), testing::chosenFolder(folder, {values[0].shown, "", "", "", ""}));
  EXPECT_TRUE(testing::treeHolds(disk->root(), expected));
}

TEST_F(LeftBehindValues, SaveTextCarriesTheLongTextWhole) {
  ASSERT_TRUE(testing::openItem(ui, item));
  const fs::path target = disk->root() / "report.txt";
  ASSERT_TRUE(testing::saveTextTo(ui, target));
  EXPECT_EQ(outcomeOf(ui), testing::openedItem(item, shown));
  EXPECT_EQ(testing::readFile(target), buildReport("", "", "", values[0].shown, "alpha"));
}

}  // namespace
}  // namespace quillmark

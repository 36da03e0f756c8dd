// Values that do not fit: larger than an ext4 block (ENOSPC), larger than the
// kernel's 65,536-byte limit for any value (E2BIG), and a report larger than
// the room left on its disk.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "attrstore/codec.h"
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

using testing::kValueLimit;
constexpr std::string_view kNoSpace = "No space left on device";
constexpr std::string_view kTooBig = "Argument list too long";

enum class Disk { kTinyExt4, kTmpfs };

struct SizeCase {
  const char* name;
  Disk disk;
  std::string text;
  std::size_t valueSize;     // of the stored form of `text`
  std::string_view failure;  // empty: the value is stored
};

void PrintTo(const SizeCase& c, std::ostream* out) {
  *out << c.name << " (a " << c.valueSize << "-byte value)";
}

std::vector<SizeCase> sizeCases() {
  const std::string atLimit = testing::textForValueOfSize(kValueLimit);
  std::string wide;
  for (int i = 0; i < 30000; ++i) wide += "日";  // 90,000 bytes of UTF-8, 60,000 of UTF-16
  return {
      {"ValueLargerThanAnExt4Block", Disk::kTinyExt4, std::string(3000, 'x'), 3046, kNoSpace},
      {"ValueOfExactlyTheLimit", Disk::kTmpfs, atLimit, kValueLimit, {}},
      {"ValueOneByteOverTheLimit", Disk::kTmpfs, atLimit + "x", kValueLimit + 1, kTooBig},
      {"TextOverTheLimitWhoseValueIsUnder", Disk::kTmpfs, wide, 60046, {}},
  };
}

class ValueSize : public ::testing::TestWithParam<SizeCase> {
 protected:
  void SetUp() override {
    QUILLMARK_REQUIRE_SCRATCH_FS();
    ASSERT_EQ(encodeAttributeValue(GetParam().text).size(), GetParam().valueSize);
    disk.emplace(GetParam().disk == Disk::kTinyExt4 ? ScratchMount::Kind::kExt4
                                                    : ScratchMount::Kind::kTmpfs);
    ASSERT_TRUE(disk->mounted());
  }

  const fs::path& root() const { return disk->root(); }

  std::optional<ScratchMount> disk;
  FakeEditor ui;
};

TEST_P(ValueSize, SaveReportsOnlyTheValueThatDoesNotFitAndWritesTheRest) {
  const SizeCase& c = GetParam();
  const fs::path item = root() / "Report.pdf";
  testing::writeText(item, "content");
  testing::storeOldValues(item);
  TreeSnapshot expected = testing::snapshotTree(root());

  // The big text goes to Description, between fields that fit.
  std::array<std::string, 5> typed = {"© 2024 New Owner", "Ada", c.text, "New headline", "kw"};
  std::array<std::string, 5> shown = typed;
  std::vector<std::string> alerts;
  for (std::size_t i = 0; i < typed.size(); ++i) {
    if (i == testing::kDescription && !c.failure.empty()) continue;
    testing::expectStored(expected, "Report.pdf", testing::kNames[i],
                          encodeAttributeValue(typed[i]));
  }
  if (!c.failure.empty()) {
    shown[testing::kDescription] = testing::kStoredTexts[testing::kDescription];
    alerts.push_back("setxattr error: " + std::string(c.failure));
  }

  ASSERT_TRUE(testing::openItem(ui, item));
  testing::typeFields(ui, typed);
  ui.editor->saveButton();
  EXPECT_EQ(outcomeOf(ui), testing::openedItem(item, shown, alerts));
  EXPECT_TRUE(testing::treeHolds(root(), expected));
}

TEST_P(ValueSize, WriteFolderReportsTheValueForEachEntryAndWritesTheRest) {
  const SizeCase& c = GetParam();
  const fs::path folder = root() / "Shoot";
  const std::vector<std::string> entries = testing::makeWalkTree(folder);
  TreeSnapshot expected = testing::snapshotTree(root());
  std::vector<std::string> alerts;
  for (const std::string& entry : entries) {
    const std::string relative = "Shoot/" + entry;
    testing::expectStored(expected, relative, ResourceList::itemKeywords,
                          encodeAttributeValue("kw"));
    if (c.failure.empty()) {
      testing::expectStored(expected, relative, ResourceList::itemCreator,
                            encodeAttributeValue(c.text));
    } else {
      alerts.push_back("setxattr error: " + std::string(c.failure));
    }
  }

  ASSERT_TRUE(testing::chooseFolder(ui, folder));
  testing::typeFields(ui, {"", c.text, "", "", "kw"});
  ui.editor->writeFolderButton();
  EXPECT_EQ(outcomeOf(ui), testing::chosenFolder(folder, {"", c.text, "", "", "kw"}, alerts));
  EXPECT_TRUE(testing::treeHolds(root(), expected));
}

INSTANTIATE_TEST_SUITE_P(Fit, ValueSize, ::testing::ValuesIn(sizeCases()),
                         [](const ::testing::TestParamInfo<SizeCase>& info) {
                           return std::string(info.param.name);
                         });

// A report larger than the room left: the first write is cut short, the next
// fails. (A disk with no room at all is covered with the editor's own tests.)
TEST(ReportOnANearlyFullDisk, ShortWriteThenNoSpaceIsReportedOnce) {
  QUILLMARK_REQUIRE_SCRATCH_FS();
  ScratchMount disk(ScratchMount::Kind::kExt4);
  ASSERT_TRUE(disk.mounted());
  const std::string root = "'" + disk.root().string() + "'";
  // Fill the disk to the last block, then free 64 KiB of it.
  ASSERT_EQ(testing::runCommand("cd " + root +
                                " && dd if=/dev/zero of=spare bs=1024 count=64 2>/dev/null"
                                " && { cat /dev/zero > big; dd if=/dev/zero of=small bs=1024; }"
                                " 2>/dev/null; rm spare && sync -f ."),
            0);
  const TreeSnapshot before = testing::snapshotTree(disk.root());

  FakeEditor ui;
  // Just over the room left. A much larger write can be reserved by the kernel
  // in one piece and then fails outright instead of short.
  const std::string description(68 * 1024, 'd');
  testing::typeFields(ui, {"", "", description, "Big news", ""});
  const fs::path target = disk.root() / "report.txt";
  ASSERT_TRUE(testing::saveTextTo(ui, target));
  EXPECT_EQ(outcomeOf(ui),
            testing::freshWindow({"", "", description, "Big news", ""}, {std::string(kNoSpace)}));

  const std::string written = testing::readFile(target);
  const std::string report = buildReport("Big news", description, "", "", "");
  EXPECT_GT(written.size(), 0u) << "the first write was not cut short but failed outright";
  EXPECT_LT(written.size(), report.size());
  EXPECT_EQ(written, report.substr(0, written.size()));
  TreeSnapshot after = testing::snapshotTree(disk.root());
  after.erase("report.txt");
  EXPECT_TRUE(testing::sameTree(before, after));
}

}  // namespace
}  // namespace quillmark

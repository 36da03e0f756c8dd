// An ordinary user (uid/gid 65534) against items owned by root: attributes of
// a readable item read fine, every change fails with EACCES, and a folder the
// user cannot list is reported while the rest of the walk goes on. Root
// bypasses permission bits, so each action runs in a child that has dropped
// its privileges for good; the child reports what it saw through a pipe.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/faults/fault_support.h"
#include "tests/support/temp_dir.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using testing::EditorOutcome;
using testing::FakeEditor;
using testing::kNobody;
using testing::outcomeOf;
using testing::TempDir;
using testing::TreeSnapshot;

constexpr std::string_view kDenied = "Permission denied";

void setOwnerAndMode(const fs::path& path, uid_t owner, unsigned mode) {
  ASSERT_EQ(lchown(path.c_str(), owner, owner), 0) << path;
  fs::permissions(path, fs::perms(mode), fs::perm_options::replace);
}

class Unprivileged : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string why = testing::unprivilegedUnavailableReason();
    if (!why.empty()) GTEST_SKIP() << why;
    testing::makeTraversable(dir.path());
  }

  // Runs `action` as uid/gid 65534 and returns what it saw; fails the test if the child failed.
  EditorOutcome asNobody(const std::function<EditorOutcome()>& action) {
    const testing::ChildRun run = testing::runUnprivileged(action);
    EXPECT_TRUE(run.outcome.has_value()) << run.failure;
    return run.outcome.value_or(EditorOutcome{});
  }

  // Write Folder with the usual edit on `folder`, as uid/gid 65534.
  EditorOutcome writeFolderAsNobody(const fs::path& folder) {
    return asNobody([&] {
      FakeEditor ui;
      testing::chooseFolder(ui, folder);
      testing::typeFolderEdits(ui);
      ui.editor->writeFolderButton();
      return outcomeOf(ui);
    });
  }

  TempDir dir;  // root's, mode 0755
};

struct OpenCase {
  const char* name;
  unsigned mode;
  std::array<std::string, 5> shown;
};

void PrintTo(const OpenCase& c, std::ostream* out) { *out << c.name; }

class UnprivilegedOpen : public Unprivileged, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(UnprivilegedOpen, NeverAlertsAndShowsWhatCanBeRead) {
  const fs::path item = dir.writeFile("Report.pdf", "content");
  testing::storeOldValues(item);
  setOwnerAndMode(item, 0, GetParam().mode);
  const TreeSnapshot before = testing::snapshotTree(dir.path());
  const EditorOutcome seen = asNobody([&] {
    FakeEditor ui;
    testing::typeFields(ui, {"stale", "stale", "stale", "stale", "stale"});
    testing::openItem(ui, item);
    return outcomeOf(ui);
  });
  EXPECT_EQ(seen, testing::openedItem(item, GetParam().shown));
  EXPECT_TRUE(testing::treeHolds(dir.path(), before));
}

INSTANTIATE_TEST_SUITE_P(Mode, UnprivilegedOpen,
                         ::testing::Values(OpenCase{"ReadableByAll", 0644, testing::kStoredTexts},
                                           OpenCase{"ReadableByItsOwnerOnly", 0600, {}}),
                         [](const ::testing::TestParamInfo<OpenCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(Unprivileged, SaveReportsEveryWriteAndRemovalThenShowsTheOldValues) {
  const fs::path item = dir.writeFile("Report.pdf", "content");
  testing::storeOldValues(item);
  setOwnerAndMode(item, 0, 0644);
  const TreeSnapshot before = testing::snapshotTree(dir.path());
  const EditorOutcome seen = asNobody([&] {
    FakeEditor ui;
    testing::openItem(ui, item);
    testing::typeSaveEdits(ui);
    ui.editor->saveButton();
    return outcomeOf(ui);
  });
  EXPECT_EQ(seen,
            testing::openedItem(item, testing::kStoredTexts, testing::saveEditAlerts(kDenied)));
  EXPECT_TRUE(testing::treeHolds(dir.path(), before));
}

TEST_F(Unprivileged, WriteFolderReportsEachFieldOfEachEntryOfRootsTree) {
  const fs::path folder = dir.path() / "Shoot";
  const std::vector<std::string> entries = testing::makeWalkTree(folder);
  const TreeSnapshot before = testing::snapshotTree(dir.path());
  const EditorOutcome seen = writeFolderAsNobody(folder);
  EXPECT_EQ(seen, testing::chosenFolder(folder, testing::kFolderEditTexts,
                                        testing::folderEditAlerts(entries.size(), kDenied)));
  EXPECT_TRUE(testing::treeHolds(dir.path(), before));
}

TEST_F(Unprivileged, WriteFolderOnAFolderItCannotOpenEndsSilently) {
  const fs::path folder = dir.path() / "Private";
  testing::makeWalkTree(folder);
  setOwnerAndMode(folder, 0, 0700);
  const TreeSnapshot before = testing::snapshotTree(dir.path());
  const EditorOutcome seen = writeFolderAsNobody(folder);
  EXPECT_EQ(seen, testing::chosenFolder(folder, testing::kFolderEditTexts));
  EXPECT_TRUE(testing::treeHolds(dir.path(), before));
}

// A subfolder the user cannot list, in a tree the user otherwise owns.
struct LockedCase {
  const char* name;
  uid_t owner;
  unsigned mode;
  bool folderItselfWritable;
};

void PrintTo(const LockedCase& c, std::ostream* out) { *out << c.name; }

class UnlistableSubfolder : public Unprivileged,
                            public ::testing::WithParamInterface<LockedCase> {};

TEST_P(UnlistableSubfolder, IsReportedOnceAndTheRestIsWritten) {
  const LockedCase& c = GetParam();
  const fs::path folder = dir.makeDir("Shoot");
  dir.writeFile("Shoot/a.txt", "a");
  dir.writeFile("Shoot/open/b.txt", "b");
  dir.writeFile("Shoot/locked/secret.txt", "s");
  for (const char* mine : {"", "a.txt", "open", "open/b.txt"}) {
    setOwnerAndMode(folder / mine, kNobody, fs::is_directory(folder / mine) ? 0755 : 0644);
  }
  setOwnerAndMode(folder / "locked", c.owner, c.mode);

  TreeSnapshot expected = testing::snapshotTree(dir.path());
  for (const char* written : {"Shoot/a.txt", "Shoot/open", "Shoot/open/b.txt"}) {
    testing::expectFolderEdits(expected, written);
  }
  std::vector<std::string> alerts;
  if (c.folderItselfWritable) {
    testing::expectFolderEdits(expected, "Shoot/locked");
  } else {
    alerts = testing::folderEditAlerts(1, kDenied);
  }
  // The folder's own attributes come first: it is visited before it is entered.
  alerts.push_back("opendir error: " + std::string(kDenied));

  const EditorOutcome seen = writeFolderAsNobody(folder);
  EXPECT_EQ(seen, testing::chosenFolder(folder, testing::kFolderEditTexts, alerts));
  EXPECT_TRUE(testing::treeHolds(dir.path(), expected));
}

INSTANTIATE_TEST_SUITE_P(
    Lock, UnlistableSubfolder,
    ::testing::Values(LockedCase{"RootsPrivateFolder", 0, 0700, false},
                      // Write and search but no read: its attributes change, its listing fails.
                      LockedCase{"OwnFolderWithoutReadPermission", kNobody, 0300, true}),
    [](const ::testing::TestParamInfo<LockedCase>& info) { return std::string(info.param.name); });

TEST_F(Unprivileged, SaveTextReportsTheBareSystemTextAndLeavesRootsFilesAlone) {
  const fs::path oldReport = dir.writeFile("notes.txt", "earlier report");
  const TreeSnapshot before = testing::snapshotTree(dir.path());
  // Replacing root's report, and creating one in root's folder.
  for (const fs::path& target : {oldReport, dir.path() / "report.txt"}) {
    SCOPED_TRACE(target);
    const EditorOutcome seen = asNobody([&] {
      FakeEditor ui;
      ui.keywords.text_ = "a, b";
      testing::saveTextTo(ui, target);
      return outcomeOf(ui);
    });
    EXPECT_EQ(seen, testing::freshWindow({"", "", "", "", "a, b"}, {std::string(kDenied)}));
  }
  EXPECT_TRUE(testing::treeHolds(dir.path(), before));
}

}  // namespace
}  // namespace quillmark

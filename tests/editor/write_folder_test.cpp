// Write Folder and the walk under it, on real trees with links, packages and faults.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <thread>

#include "attrstore/codec.h"
#include "attrstore/resource_list.h"
#include "editor/folder_walk.h"
#include "tests/support/editor_fakes.h"
#include "tests/support/scratch_fs.h"
#include "tests/support/temp_dir.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using testing::FakeEditor;
using testing::rawAttribute;
using testing::TempDir;

constexpr auto kNames = ResourceList::kListOrder;
const std::array<std::string, 5> kTexts = {"© 2024 Ada", "Ada Lovelace", "A short note", "Big news",
                                           "alpha, beta"};

// Every entry below `root` that is not a link, as the walk should find them.
std::set<fs::path> entriesBelow(const fs::path& root) {
  std::set<fs::path> entries;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_symlink()) entries.insert(entry.path());
  }
  return entries;
}

class WriteFolderTest : public ::testing::Test {
 protected:
  void chooseFolder(const fs::path& folder) {
    ui.editor->selectFolderButton();
    ASSERT_TRUE(ui.openPanel.answer(kModalResponseOK, folder));
  }
  void fill(const std::array<std::string, 5>& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i) ui.fieldsInListOrder()[i]->text_ = texts[i];
  }
  // The tree most tests walk: hidden entries, a package, nested folders and links.
  fs::path makeTree() {
    const fs::path root = dir.makeDir("Shoot");
    dir.writeFile("Shoot/a.jpg");
    dir.writeFile("Shoot/.hidden");
    dir.writeFile("Shoot/Thing.app/Contents/Info.plist");
    dir.writeFile("Shoot/sub/deeper/b.jpg");
    fs::create_symlink(root / "a.jpg", root / "link-inside");
    fs::create_symlink(outside, root / "link-outside");
    fs::create_directory_symlink(root / "sub", root / "sub-link");
    return root;
  }

  TempDir dir;
  fs::path outside = dir.writeFile("outside.txt");
  FakeEditor ui{true};
};

TEST_F(WriteFolderTest, WritesEveryEntryBelowButNeitherLinksNorTheFolder) {
  const fs::path root = makeTree();
  chooseFolder(root);
  fill(kTexts);
  ui.headlineCheck.state_ = kControlStateOn;
  ui.editor->writeFolderButton();

  const std::set<fs::path> entries = entriesBelow(root);
  EXPECT_EQ(entries.size(), 8u);
  for (const fs::path& entry : entries) {
    for (std::size_t i = 0; i < kNames.size(); ++i) {
      EXPECT_EQ(rawAttribute(entry, kNames[i]), encodeAttributeValue(kTexts[i])) << entry;
    }
  }
  for (const fs::path& untouched : {root, outside}) {
    EXPECT_EQ(rawAttribute(untouched, ResourceList::itemHeadline), std::nullopt) << untouched;
  }
  // Writing to a link itself would fail with EPERM, so no alert also means no link was written.
  EXPECT_TRUE(ui.alerts.alerts.empty());
  EXPECT_EQ(ui.progress.ended, 1);
  EXPECT_EQ(ui.window.title_, "Shoot");
}

TEST_F(WriteFolderTest, WritesOnlyNonEmptyFieldsAndNeverRemoves) {
  const fs::path root = dir.makeDir("f");
  const fs::path file = dir.writeFile("f/x");
  testing::setRawAttribute(file, ResourceList::itemCopyright, "keep me");
  chooseFolder(root);
  ui.copyrightCheck.state_ = kControlStateOn;
  ui.editor->writeFolderButton();  // all fields empty
  EXPECT_EQ(rawAttribute(file, ResourceList::itemCopyright), testing::bytes("keep me"));
  EXPECT_EQ(rawAttribute(file, ResourceList::itemCreator), std::nullopt);

  ui.creator.text_ = "Ada";
  ui.keywords.text_ = "caf\xe9";  // not UTF-8: refused for each entry, not stored empty
  ui.editor->writeFolderButton();
  EXPECT_EQ(rawAttribute(file, ResourceList::itemCopyright), testing::bytes("keep me"));
  EXPECT_EQ(rawAttribute(file, ResourceList::itemCreator), encodeAttributeValue("Ada"));
  EXPECT_EQ(rawAttribute(file, ResourceList::itemKeywords), std::nullopt);
  EXPECT_EQ(ui.alerts.messages(), std::vector<std::string>{"setxattr error: Invalid argument"});
}

TEST_F(WriteFolderTest, ReadsTheFieldsAgainForEachEntry) {
  const fs::path root = dir.makeDir("f");
  for (const char* name : {"1", "2", "3"}) dir.writeFile(std::string("f/") + name);
  chooseFolder(root);
  int reads = 0;
  ui.headline.onRead = [&] { ui.headline.text_ = "edit " + std::to_string(++reads); };
  ui.editor->writeFolderButton();
  std::set<Data> values;
  for (const fs::path& entry : entriesBelow(root)) {
    values.insert(rawAttribute(entry, ResourceList::itemHeadline).value_or(Data{}));
  }
  EXPECT_EQ(values, (std::set<Data>{encodeAttributeValue("edit 1"), encodeAttributeValue("edit 2"),
                                    encodeAttributeValue("edit 3")}));
}

TEST_F(WriteFolderTest, SubfolderThatVanishesIsReportedAndTheWalkGoesOn) {
  const fs::path root = dir.makeDir("f");
  for (const char* name : {"f/1", "f/2", "f/3", "f/4"}) dir.writeFile(name);
  const fs::path doomed = dir.makeDir("f/doomed");
  dir.writeFile("f/doomed/inner");
  chooseFolder(root);
  ui.creator.text_ = "Ada";
  // The root's listing is already read when the first entry is written.
  ui.creator.onRead = [&] { fs::remove_all(doomed); };
  ui.editor->writeFolderButton();

  EXPECT_EQ(ui.alerts.messages(),
            (std::vector<std::string>{"setxattr error: No such file or directory",
                                      "opendir error: No such file or directory"}));
  for (const fs::path& entry : entriesBelow(root)) {
    EXPECT_EQ(rawAttribute(entry, ResourceList::itemCreator), encodeAttributeValue("Ada"));
  }
}

TEST_F(WriteFolderTest, EntryReplacedByALinkMidWalkIsNotWrittenThrough) {
  const fs::path root = dir.makeDir("f");
  const fs::path victim = dir.writeFile("f/victim");
  chooseFolder(root);
  ui.copyright.text_ = "mine";
  ui.creator.text_ = "Ada";
  // The entry is listed as a file, then swapped for a link just before it is written.
  ui.copyright.onRead = [&] {
    if (fs::is_symlink(victim)) return;
    fs::remove(victim);
    fs::create_symlink(outside, victim);
  };
  ui.editor->writeFolderButton();
  EXPECT_EQ(rawAttribute(outside, ResourceList::itemCopyright), std::nullopt);
  EXPECT_EQ(ui.alerts.messages(),
            std::vector<std::string>(2, "setxattr error: Operation not permitted"));
}

TEST_F(WriteFolderTest, FolderThatCannotBeOpenedEndsSilently) {
  const fs::path root = dir.makeDir("gone");
  chooseFolder(root);
  fs::remove(root);
  ui.creator.text_ = "Ada";
  ui.editor->writeFolderButton();
  EXPECT_TRUE(ui.alerts.alerts.empty());
}

TEST_F(WriteFolderTest, EachUnwritableEntryIsReportedForEachField) {
  QUILLMARK_REQUIRE_SCRATCH_FS();
  testing::ScratchMount ramfs(testing::ScratchMount::Kind::kRamfs);  // no user attributes
  ASSERT_TRUE(ramfs.mounted());
  testing::runCommand("mkdir -p '" + ramfs.root().string() + "/d' && touch '" +
                      ramfs.root().string() + "/d/x' '" + ramfs.root().string() + "/y'");
  chooseFolder(ramfs.root());
  fill(kTexts);
  ui.headline.text_ = "";
  ui.editor->writeFolderButton();
  EXPECT_EQ(ui.alerts.messages(),
            std::vector<std::string>(3 * 4, "setxattr error: Operation not supported"));
}

TEST_F(WriteFolderTest, ProgressIsReportedAndCanStopTheWalk) {
  const fs::path root = dir.makeDir("f");
  for (int i = 0; i < 40; ++i) dir.writeFile("f/" + std::to_string(i));
  chooseFolder(root);
  ui.creator.text_ = "Ada";
  ui.creator.onRead = [] { std::this_thread::sleep_for(std::chrono::milliseconds(2)); };
  ui.progress.stopAfter = 1;
  ui.editor->writeFolderButton();

  ASSERT_EQ(ui.progress.entriesDone.size(), 2u);
  EXPECT_GE(ui.progress.entriesDone[0], 5u);  // not before ~30 ms of work
  int written = 0;
  for (const fs::path& entry : entriesBelow(root)) {
    written += rawAttribute(entry, ResourceList::itemCreator).has_value();
  }
  EXPECT_EQ(static_cast<std::uint64_t>(written), ui.progress.entriesDone[1]);
  EXPECT_FALSE(rawAttribute(ui.progress.paths[1], ResourceList::itemCreator));
  EXPECT_EQ(ui.progress.ended, 1);
}

// Records the walk, and the most descriptors it ever saw open.
class RecordingVisitor : public FolderVisitor {
 public:
  void visitEntry(const std::string& path) override {
    visited.push_back(path);
    mostOpen = std::max(mostOpen, openDescriptors());
  }
  void folderUnlistable(const std::string& path, int error) override {
    failures.push_back(path + ": " + std::to_string(error));
  }
  static std::size_t openDescriptors() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& fd : fs::directory_iterator("/proc/self/fd")) ++count;
    return count;
  }
  std::vector<fs::path> visited;
  std::vector<std::string> failures;
  std::size_t mostOpen = 0;
};

TEST(FolderWalk, DeepTreeIsWalkedOnceInPreOrderWithFewDescriptors) {
  TempDir dir;
  std::string level = "deep";
  for (int depth = 0; depth < 30; ++depth) {
    dir.writeFile(level + "/file");
    dir.writeFile(level + "/.also");
    level += "/d" + std::to_string(depth);
  }
  const std::size_t before = RecordingVisitor::openDescriptors();
  RecordingVisitor visitor;
  FolderWalkOptions options;
  options.maxOpenFolders = 4;
  EXPECT_EQ(walkFolder(dir.path() / "deep", visitor, options), FolderWalkOutcome::kFinished);

  EXPECT_TRUE(visitor.failures.empty());
  EXPECT_EQ(std::set<fs::path>(visitor.visited.begin(), visitor.visited.end()),
            entriesBelow(dir.path() / "deep"));
  EXPECT_EQ(visitor.visited.size(), entriesBelow(dir.path() / "deep").size());
  for (std::size_t i = 0; i < visitor.visited.size(); ++i) {
    const fs::path parent = visitor.visited[i].parent_path();
    const auto seen = std::find(visitor.visited.begin(), visitor.visited.begin() + i, parent);
    EXPECT_TRUE(parent == dir.path() / "deep" || seen != visitor.visited.begin() + i)
        << visitor.visited[i] << " came before its folder";
  }
  // Both counts include the descriptor that lists /proc/self/fd.
  EXPECT_LE(visitor.mostOpen, before + options.maxOpenFolders);
}

}  // namespace
}  // namespace quillmark

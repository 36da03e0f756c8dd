// The editor's actions on real files and attributes in temporary folders,
// driven through plain fakes of its controls and panels.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <tuple>

#include "attrstore/codec.h"
#include "attrstore/resource_list.h"
#include "editor/folder_walk.h"
#include "tests/support/editor_fakes.h"
#include "tests/support/scratch_fs.h"
#include "tests/support/temp_dir.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using namespace testing;
using Texts = std::array<std::string, 5>;

constexpr auto kNames = ResourceList::kListOrder;
// A different text for every list position, so a swapped pair shows.
const Texts kTexts = {"© 2024 Ada", "Ada Lovelace", "A short note", "Big news", "alpha, beta"};

// Every entry below `root` that is not a link: what Write Folder should write.
std::set<fs::path> entriesBelow(const fs::path& root) {
  std::set<fs::path> entries;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_symlink()) entries.insert(entry.path());
  }
  return entries;
}

std::size_t openDescriptors() {
  return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
}

class EditorTest : public ::testing::Test {
 protected:
  // Presses `button` and confirms `path` in the panel it shows.
  bool choose(void (ViewController::*button)(), const fs::path& path) {
    ((*ui.editor).*button)();
    return ui.openPanel.answer(kModalResponseOK, path);
  }
  void fill(const Texts& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i) ui.fieldsInListOrder()[i]->text_ = texts[i];
  }
  Texts shown() {
    Texts texts;
    for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = ui.fieldsInListOrder()[i]->text_;
    return texts;
  }

  TempDir dir;
  fs::path file = dir.writeFile("Report.pdf", "content");
  FakeEditor ui{true};
};

TEST_F(EditorTest, PanelsMoveTheEditorBetweenNothingChosenItemOpenAndFolderChosen) {
  using State = std::tuple<std::string, std::optional<bool>, std::optional<bool>, Texts>;
  const auto state = [&] {
    return State{ui.window.title_, ui.save.enabled_, ui.writeFolder.enabled_, shown()};
  };
  ui.creatorCheck.state_ = kControlStateOn;  // after loading, only the user changes the boxes
  fill(kTexts);
  ui.editor->saveButton();  // nothing to act on yet
  ui.editor->writeFolderButton();
  ui.editor->openButton();
  EXPECT_TRUE(ui.openPanel.answer(kModalResponseCancel, file));
  ui.editor->selectFolderButton();
  EXPECT_TRUE(ui.openPanel.answer(kModalResponseOK, std::nullopt));  // confirmed, nothing chosen
  EXPECT_EQ(state(), (State{"Quillmark", false, false, kTexts}));

  // Nothing shown before an Open survives it.
  writeXattr(file, encodeAttributeValue("Big news"), ResourceList::itemHeadline);
  ASSERT_TRUE(choose(&ViewController::openButton, file));
  const State itemOpen{"Report.pdf", true, false, {"", "", "", "Big news", ""}};
  EXPECT_EQ(state(), itemOpen);
  const fs::path folder = dir.makeDir("Thing.app");
  ASSERT_TRUE(choose(&ViewController::selectFolderButton, folder));
  ui.editor->openButton();
  EXPECT_TRUE(ui.openPanel.answer(kModalResponseCancel, file));
  EXPECT_EQ(state(), (State{"Thing.app", false, true, {}}));
  ASSERT_TRUE(choose(&ViewController::openButton, file));
  EXPECT_EQ(state(), itemOpen);
  EXPECT_EQ(ui.editor->theSourceFolderURL(), folder);
  EXPECT_EQ(ui.creatorCheck.state_, kControlStateOn);
  EXPECT_TRUE(ui.alerts.alerts.empty());

  // Open takes a file or a folder, Select Folder only a folder; both list
  // hidden entries, enter packages and sit on the editor's window.
  for (const auto& [request, files] : {std::pair{2, true}, std::pair{3, false}}) {
    const OpenPanelSettings& s = ui.openPanel.requests.at(request).settings;
    EXPECT_EQ((std::array{s.allowsMultipleSelection, s.canChooseFiles, s.canChooseDirectories,
                          s.showsHiddenFiles, s.treatsFilePackagesAsDirectories}),
              (std::array{false, files, true, true, true}));
    EXPECT_EQ(ui.openPanel.requests[request].window, &ui.window);
  }
}

// Save's decision for one position, tried at every position with the other
// four empty and unticked: a swapped field, box or name shows at once.
TEST_F(EditorTest, SaveActsOnEachPositionWithItsOwnNameFieldAndBox) {
  // What happens, whether "old" was stored, the text typed, the box's state,
  // what is stored afterwards (null: nothing) and the alert (null: none).
  using Case = std::tuple<const char*, bool, const char*, int, const char*, const char*>;
  const Case cases[] = {
      {"typed text is written even when ticked", true, "new", kControlStateOn, "new", nullptr},
      {"blanks are text, not an empty field", false, "  ", kControlStateOff, "  ", nullptr},
      {"emptied and ticked is removed", true, "", kControlStateOn, nullptr, nullptr},
      {"emptied alone stays stored", true, "", kControlStateOff, "old", nullptr},
      {"a box neither on nor off is not ticked", true, "", 2, "old", nullptr},
      {"nothing stored to remove", false, "", kControlStateOn, nullptr,
       "remxattr error: No data available"},
      {"not UTF-8: refused, and the stored value shown again", true, "caf\xe9", kControlStateOff,
       "old", "setxattr error: Invalid argument"},
  };
  int made = 0;
  for (const auto& [what, storedBefore, text, box, after, alert] : cases) {
    for (std::size_t p = 0; p < kNames.size(); ++p) {
      SCOPED_TRACE(std::string(what) + " at " + std::string(kNames[p]));
      const fs::path item = dir.writeFile("item" + std::to_string(++made));
      if (storedBefore) writeXattr(item, encodeAttributeValue("old"), kNames[p]);
      ASSERT_TRUE(choose(&ViewController::openButton, item));
      Texts typed, shownAfter;
      typed[p] = text;
      shownAfter[p] = after ? after : "";
      fill(typed);
      for (std::size_t q = 0; q < kNames.size(); ++q) {
        ui.checkboxesInListOrder()[q]->state_ = q == p ? box : kControlStateOff;
      }
      ui.alerts.alerts.clear();
      ui.editor->saveButton();
      EXPECT_EQ(ui.alerts.messages(),
                alert ? std::vector<std::string>{alert} : std::vector<std::string>{});
      EXPECT_EQ(shown(), shownAfter);
      for (std::size_t q = 0; q < kNames.size(); ++q) {
        const bool kept = q == p && after;
        EXPECT_EQ(rawAttribute(item, kNames[q]),
                  kept ? std::optional(encodeAttributeValue(after)) : std::nullopt);
      }
    }
  }
}

TEST_F(EditorTest, WriteFolderWritesEachEntryBelowButNoLinkNorTheFolderAndGoesOnPastFailures) {
  const fs::path root = dir.makeDir("Shoot");
  // Deeper than the walk holds folders open (64): shallow ones are closed and reopened.
  std::string deep = "Shoot/sub/";
  for (int depth = 0; depth < 70; ++depth) deep += "d/";
  dir.writeFile(deep + "b");
  for (const char* name : {"Shoot/a.jpg", "Shoot/.hidden", "Shoot/Thing.app/Contents/Info.plist"})
    dir.writeFile(name);
  fs::create_symlink(root / "a.jpg", root / "link-inside");
  fs::create_symlink(file, root / "link-outside");
  fs::create_directory_symlink(root / "sub", root / "sub-link");
  // Once the root is listed, an entry listed as a file becomes a link and a
  // subfolder vanishes before anything is written.
  const fs::path victim = dir.writeFile("Shoot/victim");
  dir.writeFile("Shoot/doomed/inner");
  const std::size_t before = openDescriptors();
  std::size_t mostOpen = 0;
  ui.copyright.onRead = [&] {
    mostOpen = std::max(mostOpen, openDescriptors());
    if (fs::is_symlink(victim)) return;
    fs::remove(victim);
    fs::create_symlink(file, victim);
    fs::remove_all(root / "doomed");
  };
  ASSERT_TRUE(choose(&ViewController::selectFolderButton, root));
  fill(kTexts);
  ui.editor->writeFolderButton();

  const std::set<fs::path> entries = entriesBelow(root);
  EXPECT_EQ(entries.size(), 7u + 70);  // the 70 folders below sub, and 7 more
  EXPECT_LE(mostOpen, before + 64);
  for (const fs::path& entry : entries) {
    for (std::size_t i = 0; i < kNames.size(); ++i) {
      EXPECT_EQ(rawAttribute(entry, kNames[i]), encodeAttributeValue(kTexts[i])) << entry;
    }
  }
  for (const fs::path& untouched : {root, file}) {
    EXPECT_EQ(rawAttribute(untouched, ResourceList::itemHeadline), std::nullopt) << untouched;
  }
  // A link itself refuses user attributes: only the swapped-in one was tried.
  // The vanished folder is reported, and the walk went on past it.
  std::vector<std::string> alerts = ui.alerts.messages();
  std::sort(alerts.begin(), alerts.end());
  std::vector<std::string> expected{"opendir error: No such file or directory"};
  expected.resize(6, "setxattr error: No such file or directory");
  expected.resize(11, "setxattr error: Operation not permitted");
  EXPECT_EQ(alerts, expected);
}

TEST_F(EditorTest, WriteFolderReportsEachFieldOfEachEntryItCannotWrite) {
  QUILLMARK_REQUIRE_SCRATCH_FS();
  ScratchMount ramfs(ScratchMount::Kind::kRamfs);  // no user attributes
  ASSERT_TRUE(ramfs.mounted());
  fs::create_directory(ramfs.root() / "d");
  std::ofstream(ramfs.root() / "d" / "x");
  ASSERT_TRUE(choose(&ViewController::selectFolderButton, ramfs.root()));
  // Empty fields are passed over; text that is not UTF-8 is refused before any write.
  fill({"", "Ada", "", "", "caf\xe9"});
  ui.editor->writeFolderButton();
  const std::string unsupported = "setxattr error: Operation not supported";
  const std::string invalid = "setxattr error: Invalid argument";
  EXPECT_EQ(ui.alerts.messages(), (std::vector{unsupported, invalid, unsupported, invalid}));
}

TEST_F(EditorTest, WriteFolderReadsTheFieldsPerEntryAndStopsWhenTold) {
  const fs::path root = dir.makeDir("f");
  for (int i = 0; i < 40; ++i) dir.writeFile("f/" + std::to_string(i));
  ASSERT_TRUE(choose(&ViewController::selectFolderButton, root));
  int reads = 0;
  ui.creator.onRead = [&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ui.creator.text_ = "edit " + std::to_string(++reads);
  };
  ui.progress.stopAfter = 1;
  ui.editor->writeFolderButton();

  ASSERT_EQ(ui.progress.entriesDone.size(), 2u);
  EXPECT_GE(ui.progress.entriesDone[0], 5u);  // not before ~30 ms of work
  std::set<Data> written;
  for (const fs::path& entry : entriesBelow(root)) {
    if (auto value = rawAttribute(entry, ResourceList::itemCreator)) written.insert(*value);
  }
  // Stopped before the entry of the last report, and each entry got its own text.
  EXPECT_EQ(written.size(), ui.progress.entriesDone[1]);
  EXPECT_EQ(ui.progress.ended, 1);
  // A chosen folder that is gone ends the action without a word.
  fs::remove_all(root);
  ui.editor->writeFolderButton();
  EXPECT_TRUE(ui.alerts.alerts.empty());
}

TEST_F(EditorTest, SaveTextWritesTheFieldsAsTheyWereWhenPressed) {
  const fs::path report = dir.path() / "report.txt";
  fill({"\xef\xbb\xbf", " ", "two\nlines", "Ünïcödé ✓ 日本", "a, b"});
  ui.editor->saveTextButton();
  ui.keywords.text_ = "typed while the panel was open";
  ASSERT_TRUE(ui.savePanel.answer(kModalResponseOK, report));
  EXPECT_EQ(readFile(report),
            "Saved extended attributes:\n\nHeadline:\nÜnïcödé ✓ 日本\nDescription:\ntwo\nlines"
            "\nCreator:\n \nCopyright:\n\xef\xbb\xbf\nKeywords:\na, b\nWritten by Quillmark.");

  // Saved again in place: a hard link sees the new, shorter text, and the
  // file keeps its attributes.
  setRawAttribute(report, ResourceList::itemCreator, "tag");
  fs::create_hard_link(report, dir.path() / "alias.txt");
  fill({});
  ui.editor->saveTextButton();
  ASSERT_TRUE(ui.savePanel.answer(kModalResponseOK, report));
  const std::string empty =
      "Saved extended attributes:\n\nHeadline:\n\nDescription:\n\nCreator:\n\nCopyright:\n"
      "\nKeywords:\n\nWritten by Quillmark.";
  EXPECT_EQ(empty.size(), 107u);
  EXPECT_EQ(readFile(dir.path() / "alias.txt"), empty);
  EXPECT_EQ(rawAttribute(report, ResourceList::itemCreator), bytes("tag"));

  // Cancelled, failed, or answered after the editor is gone (the panel is
  // free-standing): nothing more is written.
  fill(kTexts);
  ui.editor->saveTextButton();
  EXPECT_TRUE(ui.savePanel.answer(kModalResponseCancel, report));
  ui.editor->saveTextButton();
  ASSERT_TRUE(ui.savePanel.answer(kModalResponseOK, dir.path() / "missing" / "report.txt"));
  EXPECT_EQ(ui.alerts.messages(), std::vector<std::string>{"No such file or directory"});
  ui.editor->saveTextButton();
  ui.editor.reset();
  EXPECT_TRUE(ui.savePanel.answer(kModalResponseOK, report));
  EXPECT_EQ(readFile(report), empty);
}

}  // namespace
}  // namespace quillmark

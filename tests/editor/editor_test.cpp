// The editor's actions on real files and attributes in temporary folders,
// driven through plain fakes of its controls and panels.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "attrstore/codec.h"
#include "tests/support/editor_fakes.h"
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

class EditorTest : public ::testing::Test {
 protected:
  TempDir dir;
  fs::path file = dir.writeFile("Report.pdf", "content");
  FakeEditor ui;
};

TEST_F(EditorTest, PanelsMoveTheEditorBetweenNothingChosenItemOpenAndFolderChosen) {
  using State = std::tuple<std::string, std::optional<bool>, std::optional<bool>, Texts>;
  const auto state = [&] { return State{ui.window.title, ui.save.enabled, ui.writeFolder.enabled,
                                        ui.shown()}; };
  EXPECT_EQ(std::count_if(ui.checkboxes.begin(), ui.checkboxes.end(), [](auto& c) { return c.on; }),
            0);
  ui.checkboxes[1].on = true;  // after loading, only the user changes the boxes
  ui.type(kTexts);
  ui.editor->saveButton();  // nothing to act on yet
  ui.editor->writeFolderButton();
  ui.editor->openButton();
  EXPECT_TRUE(ui.choose(std::nullopt));
  ui.editor->selectFolderButton();
  EXPECT_TRUE(ui.choose(std::nullopt));
  EXPECT_EQ(state(), (State{"Quillmark", false, false, kTexts}));

  // Nothing shown before an Open survives it.
  setRawAttribute(file, ResourceList::itemHeadline, "<string>Big news</string>");
  ui.editor->openButton();
  ASSERT_TRUE(ui.choose(file));
  const State itemOpen{"Report.pdf", true, false, {"", "", "", "Big news", ""}};
  EXPECT_EQ(state(), itemOpen);
  const fs::path folder = dir.path() / "Thing.app";
  fs::create_directory(folder);
  ui.editor->selectFolderButton();
  ASSERT_TRUE(ui.choose(folder / ""));  // named after the folder despite the slash
  EXPECT_EQ(state(), (State{"Thing.app", false, true, {}}));
  ui.editor->openButton();
  ASSERT_TRUE(ui.choose(file));
  EXPECT_EQ(state(), itemOpen);
  EXPECT_TRUE(ui.checkboxes[1].on);
  EXPECT_TRUE(ui.alert.shown.empty());

  // Open takes a file or a folder, Select Folder only a folder; both sit on the editor's window.
  const auto& requests = ui.openPanel.requests;
  EXPECT_EQ(requests[2].choice, PanelChoice::kItem);
  EXPECT_EQ(requests[3].choice, PanelChoice::kFolder);
  EXPECT_EQ(requests[3].window, &ui.window);
}

// Save's decision for one position, tried at every position with the other
// four empty and unticked: a swapped field, box or name shows at once.
TEST_F(EditorTest, SaveActsOnEachPositionWithItsOwnNameFieldAndBox) {
  // What happens, whether "old" was stored, the text typed, the box, what is
  // stored afterwards (null: nothing) and the alert (null: none).
  using Case = std::tuple<const char*, bool, const char*, bool, const char*, const char*>;
  const Case cases[] = {
      {"typed text is written even when ticked", true, "new", true, "new", nullptr},
      {"blanks are text, not an empty field", false, "  ", false, "  ", nullptr},
      {"emptied and ticked is removed", true, "", true, nullptr, nullptr},
      {"emptied alone stays stored", true, "", false, "old", nullptr},
      {"nothing stored to remove", false, "", true, nullptr, "remxattr error: No data available"},
      {"not UTF-8: refused, and the stored value shown again", true, "caf\xe9", false, "old",
       "setxattr error: Invalid argument"},
  };
  int made = 0;
  for (const auto& [what, storedBefore, text, ticked, after, alert] : cases) {
    for (std::size_t p = 0; p < kNames.size(); ++p) {
      SCOPED_TRACE(std::string(what) + " at " + std::string(kNames[p]));
      const fs::path item = dir.writeFile("item" + std::to_string(++made));
      if (storedBefore) writeXattr(item, encodeAttributeValue("old"), kNames[p]);
      ui.editor->openButton();
      ASSERT_TRUE(ui.choose(item));
      Texts typed, shownAfter;
      typed[p] = text;
      shownAfter[p] = after ? after : "";
      ui.type(typed);
      for (std::size_t q = 0; q < kNames.size(); ++q) ui.checkboxes[q].on = q == p && ticked;
      ui.alert.shown.clear();
      ui.editor->saveButton();
      EXPECT_EQ(ui.alert.shown, alert ? std::vector<std::string>{alert} : std::vector<std::string>{});
      EXPECT_EQ(ui.shown(), shownAfter);
      for (std::size_t q = 0; q < kNames.size(); ++q) {
        EXPECT_EQ(rawAttribute(item, kNames[q]),
                  q == p && after ? std::optional(encodeAttributeValue(after)) : std::nullopt);
      }
    }
  }
}

TEST_F(EditorTest, WriteFolderWritesEachEntryBelowButNoLinkNorTheFolderAndGoesOnPastFailures) {
  const fs::path root = dir.path() / "Shoot";
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
  const auto openFolders = [] {
    return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
  };
  const auto before = openFolders();
  auto mostOpen = before;
  ui.fields[0].onRead = [&] {
    mostOpen = std::max(mostOpen, openFolders());
    if (fs::is_symlink(victim)) return;
    fs::remove(victim);
    fs::create_symlink(file, victim);
    fs::remove_all(root / "doomed");
  };
  ui.editor->selectFolderButton();
  ASSERT_TRUE(ui.choose(root));
  ui.type(kTexts);
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
  std::vector<std::string> alerts = ui.alert.shown;
  std::sort(alerts.begin(), alerts.end());
  std::vector<std::string> expected{"opendir error: No such file or directory"};
  expected.resize(6, "setxattr error: No such file or directory");
  expected.resize(11, "setxattr error: Operation not permitted");
  EXPECT_EQ(alerts, expected);
}

TEST_F(EditorTest, WriteFolderReadsTheFieldsPerEntryAndStopsWhenTold) {
  const fs::path root = dir.path() / "f";
  for (int i = 0; i < 10; ++i) dir.writeFile("f/" + std::to_string(i));
  ui.editor->selectFolderButton();
  ASSERT_TRUE(ui.choose(root));
  int reads = 0;
  ui.fields[1].onRead = [&] { ui.fields[1].text = "edit " + std::to_string(++reads); };
  ui.progress.stopAfter = 6;
  ui.editor->writeFolderButton();

  // Stopped before the seventh entry, and each entry got its own text.
  EXPECT_EQ(ui.progress.reports, (std::vector<std::uint64_t>{0, 1, 2, 3, 4, 5, 6}));
  std::set<Data> written;
  for (const fs::path& entry : entriesBelow(root)) {
    if (auto value = rawAttribute(entry, ResourceList::itemCreator)) written.insert(*value);
  }
  EXPECT_EQ(written.size(), 6u);
  // A chosen folder that is gone ends the action without a word.
  fs::remove_all(root);
  ui.editor->writeFolderButton();
  EXPECT_TRUE(ui.alert.shown.empty());
}

TEST_F(EditorTest, SaveTextWritesTheFieldsAsTheyWereWhenPressed) {
  const fs::path report = dir.path() / "report.txt";
  ui.type({"\xef\xbb\xbf", " ", "two\nlines", "Ünïcödé ✓ 日本", "a, b"});
  ui.editor->saveTextButton();
  ui.fields[4].text = "typed while the panel was open";
  ASSERT_TRUE(ui.saveAs(report));
  EXPECT_EQ(readFile(report),
            "Saved extended attributes:\n\nHeadline:\nÜnïcödé ✓ 日本\nDescription:\ntwo\nlines"
            "\nCreator:\n \nCopyright:\n\xef\xbb\xbf\nKeywords:\na, b\nWritten by Quillmark.");

  // Saved again in place: a hard link sees the new, shorter text, and the
  // file keeps its attributes.
  setRawAttribute(report, ResourceList::itemCreator, "tag");
  fs::create_hard_link(report, dir.path() / "alias.txt");
  ui.type({});
  ui.editor->saveTextButton();
  ASSERT_TRUE(ui.saveAs(report));
  const std::string empty = readFile(dir.path() / "alias.txt");
  EXPECT_EQ(empty, "Saved extended attributes:\n\nHeadline:\n\nDescription:\n\nCreator:\n\n"
                   "Copyright:\n\nKeywords:\n\nWritten by Quillmark.");
  EXPECT_EQ(rawAttribute(report, ResourceList::itemCreator), bytes("tag"));

  // Cancelled, failed, or answered after the editor is gone (the panel is
  // free-standing): nothing more is written.
  ui.type(kTexts);
  ui.editor->saveTextButton();
  EXPECT_TRUE(ui.saveAs(std::nullopt));
  ui.editor->saveTextButton();
  ASSERT_TRUE(ui.saveAs(dir.path() / "missing" / "report.txt"));
  EXPECT_EQ(ui.alert.shown, std::vector<std::string>{"No such file or directory"});
  ui.editor->saveTextButton();
  ui.editor.reset();
  EXPECT_TRUE(ui.saveAs(report));
  EXPECT_EQ(readFile(report), empty);
}

}  // namespace
}  // namespace quillmark

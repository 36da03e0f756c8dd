// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's actions on real files and attributes in temporary folders,
// driven through plain fakes of its controls and panels.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <set>

#include "attrstore/codec.h"
#include "attrstore/item_at.h"
#include "attrstore/places.h"
#include "attrstore/names.h"
#include "attrstore/string_array.h"
#include "attrstore/xattr.h"
#include "editor/folder_write.h"
#include "editor/resource_item.h"
#include "tests/support/editor_fakes.h"
#include "tests/support/temp_dir.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using namespace testing;
using Texts = std::array<std::string, kFieldCount>;

// The name a Mac shows for the value at list position `p`.
constexpr std::string_view portable(std::size_t p) { return kValueNames[p].portable; }
// A different text for every list position, so a swapped pair shows.
const Texts kTexts = {"© 2024 Ada", "Ada Lovelace", "A short note", "Big news", "alpha, beta"};

// Every file and folder below `root`, links not followed: what Write Folder should write.
std::set<fs::path> entriesBelow(const fs::path& root) {
  std::set<fs::path> entries;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_symlink() && (entry.is_regular_file() || entry.is_directory()))
      entries.insert(entry.path());
  }
  return entries;
}

class EditorTest : public ::testing::Test {
 protected:
  // Presses `button` and answers its panel; false when nothing was chosen.
  bool open(void (ViewController::*button)(), const std::optional<fs::path>& path) {
    (ui.editor.get()->*button)();
    return ui.choose(path) && path;
  }
  std::string state() const {
    std::string out = ui.window.title + (ui.save.enabled.value_or(true) ? ", Save" : "") +
                      (ui.writeFolder.enabled.value_or(true) ? ", Write Folder" : "");
    for (const std::string& text : ui.shown()) out += "|" + text;
    return out;
  }

  TempDir dir;
  fs::path file = dir.writeFile("Report.pdf", "content");
  FakeEditor ui;
};

TEST_F(EditorTest, PanelsMoveTheEditorBetweenNothingChosenItemOpenAndFolderChosen) {
  ui.checkboxes[1].on = true;  // from here on, only the user changes the boxes
  ui.type(kTexts);
  ui.editor->saveButton();  // nothing to act on yet
  ui.editor->writeFolderButton();
  ASSERT_FALSE(open(&ViewController::openButton, {}));
  EXPECT_EQ(state(), "Quillmark|© 2024 Ada|Ada Lovelace|A short note|Big news|alpha, beta");

  // Nothing shown before an Open survives it; a folder choice empties the fields.
  setRawAttribute(file, portable(kHeadline), "<string>Big news</string>");
  ASSERT_TRUE(open(&ViewController::openButton, file));
  EXPECT_EQ(state(), "Report.pdf, Save||||Big news|");
  fs::create_directory(dir.path() / "Thing.app");
  ASSERT_TRUE(open(&ViewController::selectFolderButton, dir.path() / "Thing.app/"));
  EXPECT_EQ(state(), "Thing.app, Write Folder|||||");
  ASSERT_FALSE(open(&ViewController::openButton, {}));
  EXPECT_EQ(state(), "Thing.app, Write Folder|||||");
  ASSERT_TRUE(open(&ViewController::openButton, file));
  EXPECT_EQ(state(), "Report.pdf, Save||||Big news|");
  EXPECT_TRUE(ui.checkboxes[1].on);
  EXPECT_TRUE(ui.alert.shown.empty());
  // Open takes a file or a folder, Select Folder only a folder; both sit on the editor's window.
  EXPECT_EQ(ui.openPanel.requests[1].choice, PanelChoice::kItem);
  EXPECT_EQ(ui.openPanel.requests[2].choice, PanelChoice::kFolder);
  EXPECT_EQ(ui.openPanel.requests[2].window, &ui.window);
}

// Save's decision for one position, tried at every position with the other
// four empty and unticked: a swapped field, box or name shows at once.
TEST_F(EditorTest, SaveActsOnEachPositionWithItsOwnNameFieldAndBox) {
  // Whether "old" was stored, the text typed, the box, what is stored
  // afterwards (null: nothing) and the alert (null: none).
  using Case = std::tuple<bool, const char*, bool, const char*, const char*>;
  const Case cases[] = {
      {true, "new", true, "new", nullptr},  // typed text is written even when ticked
      {false, "  ", false, "  ", nullptr},  // blanks are text, not an empty field
      {true, "", true, nullptr, nullptr},   // emptied and ticked is removed
      {true, "", false, "old", nullptr},    // emptied alone stays stored
      {false, "", true, nullptr, nullptr},  // nothing there to remove: nothing tried
      // Not UTF-8: refused, and the text kept in its field (the stored value stays).
      {true, "caf\xe9", false, "old", "setxattr error: Invalid argument"},
  };
  int made = 0;
  for (const auto& [storedBefore, text, ticked, after, alert] : cases) {
    for (std::size_t p = 0; p < kFieldCount; ++p) {
      SCOPED_TRACE(std::to_string(made) + " " + std::string(portable(p)));
      const fs::path item = dir.writeFile("item" + std::to_string(++made));
      if (storedBefore) setRawAttribute(item, portable(p), encodeAttributeValue("old"));
      ASSERT_TRUE(open(&ViewController::openButton, item));
      // The keywords are a list: a stored keyword is taken out of it to be replaced or removed,
      // and blanks are no keyword.
      if (p == 4 && storedBefore && (*text || ticked)) ui.editor->removeKeyword(0);
      const char* stored = p == 4 && std::string_view(text) == "  " ? nullptr : after;
      Texts typed, shownAfter;
      typed[p] = text;
      shownAfter[p] = alert && *text ? text : stored ? stored : "";
      ui.type(typed);
      for (std::size_t q = 0; q < kFieldCount; ++q) ui.checkboxes[q].on = q == p && ticked;
      ui.alert.shown.clear();
      ui.editor->saveButton();
      EXPECT_EQ(ui.alert.shown, alert ? std::vector<std::string>{alert} : std::vector<std::string>{});
      EXPECT_EQ(ui.shown(), shownAfter);
      for (std::size_t q = 0; q < kFieldCount; ++q) {
        EXPECT_EQ(rawAttribute(item, portable(q)),
                  q == p && stored ? std::optional(encodeAttributeValue(stored)) : std::nullopt);
      }
    }
  }
}

// Keywords as other tools store them, a list: shown as its keywords, and left
// alone by Save until one is taken out.
TEST_F(EditorTest, KeywordsKeptAsAListAreShownAsTheirKeywordsAndKept) {
  const std::string list =
      "<plist><array><string>harbour</string><string>dawn</string></array></plist>";
  setRawAttribute(file, portable(kKeywords), list);
  ASSERT_TRUE(open(&ViewController::openButton, file));
  EXPECT_EQ(ui.fields[4].text + "|" + ui.fields[4].placeholder, "|");
  EXPECT_EQ(ui.keywords.shown, (std::vector<ValueCount>{{"harbour", 1}, {"dawn", 1}}));
  ui.fields[3].text = "Headline";
  ui.editor->saveButton();
  EXPECT_EQ(rawAttribute(file, portable(kKeywords)), bytes(list));
  ui.editor->removeKeyword(1);
  ui.editor->removeKeyword(0);
  ui.editor->saveButton();
  EXPECT_EQ(rawAttribute(file, portable(kKeywords)), std::nullopt);
  setRawAttribute(file, portable(kKeywords), "<plist><integer>3</integer></plist>");
  ASSERT_TRUE(open(&ViewController::openButton, file));
  ASSERT_TRUE(open(&ViewController::selectFolderButton, dir.path()));
  EXPECT_EQ(ui.fields[4].placeholder, "") << "a folder's entries are not the item";
  // A long list is cut near 1 KiB, at a character's start: "a, é, é, ..." puts byte 1024 inside one.
  std::vector<std::string> many(401, "\u00e9");
  many[0] = "a";
  EXPECT_EQ(ResourceItem({true, encodeStringArray(many)}).placeholder().substr(1019), "\u00e9, \u2026");
}

// Three items edited together (as the window's AT-SPI test drives them, here without a display
// and under the sanitizers): a field they share shows its value, one they differ in offers each
// value; Save writes only what was changed, keywords each in their item's own form; Save Text
// reports each item in turn.
TEST_F(EditorTest, ASelectionIsEditedTogetherAndSavedItemByItem) {
  const fs::path a = dir.writeFile("a"), b = dir.writeFile("b"), c = dir.writeFile("c");
  const std::string xmlHeadline = "<plist><string>Harbour</string></plist>";
  for (const fs::path& item : {a, b, c}) setRawAttribute(item, portable(kHeadline), xmlHeadline);
  setRawAttribute(a, portable(kCreator), encodeAttributeValue("Ada"));
  setRawAttribute(b, portable(kCreator), encodeAttributeValue("Bo"));
  setRawAttribute(c, portable(kDescription), "<plist><integer>3</integer></plist>");
  setRawAttribute(a, portable(kKeywords), encodeStringArray({"harbour", "dawn, early"}));
  setRawAttribute(b, portable(kKeywords), encodeAttributeValue("harbour, boats"));
  ui.editor->openItems({a, b, c});
  EXPECT_EQ(ui.shown(), (Texts{"", "", "", "Harbour", "harbour, dawn, early, boats"}));
  EXPECT_EQ(ui.fields[1].placeholder, kMultipleValues);
  EXPECT_EQ(ui.fields[1].choices, (std::vector<ValueCount>{{"Ada", 1}, {"Bo", 1}}));
  EXPECT_EQ(ui.keywords.shown,
            (std::vector<ValueCount>{{"harbour", 2}, {"dawn, early", 1}, {"boats", 1}}));

  ui.fields[2].text = "Boats";
  ui.editor->removeKeyword(0);
  ui.editor->giveKeywordToAll(1);
  ui.fields[4].text = "sea";
  ui.editor->saveButton();
  EXPECT_EQ(ui.alert.shown, std::vector<std::string>{});
  for (const fs::path& item : {a, b, c}) {
    EXPECT_EQ(rawAttribute(item, portable(kHeadline)), bytes(xmlHeadline)) << "untouched, byte for byte";
    EXPECT_EQ(rawAttribute(item, portable(kDescription)), encodeAttributeValue("Boats"));
  }
  EXPECT_EQ(rawAttribute(a, portable(kCreator)), encodeAttributeValue("Ada"));
  EXPECT_EQ(rawAttribute(a, portable(kKeywords)), encodeStringArray({"dawn, early", "boats", "sea"}));
  EXPECT_EQ(rawAttribute(b, portable(kKeywords)), encodeAttributeValue("boats, sea"));
  EXPECT_EQ(ui.keywords.shown, (std::vector<ValueCount>{{"dawn, early", 1}, {"boats", 3}, {"sea", 3}}));
  ui.editor->saveTextButton();
  ASSERT_TRUE(ui.saveAs(dir.path() / "report.txt"));
  EXPECT_NE(readFile(dir.path() / "report.txt")
                .find(c.string() + "\nSaved extended attributes:\n\nHeadline:\nHarbour\nDescription:"
                                   "\nBoats\nCreator:\n\nCopyright:\n\nKeywords:\nboats, sea"),
            std::string::npos);

}

// Tags over a selection, as keywords are: counted, removed from every item, given to all, typed
// (a colour's name giving that colour's tag), and recoloured; each item keeps every tag not
// touched as it stored it, and tags no edit touched are not written at all.
TEST_F(EditorTest, TagsOfASelectionAreChangedTagByTagOnEachItem) {
  using enum TagColour;
  const fs::path a = dir.writeFile("a"), b = dir.writeFile("b"), c = dir.writeFile("c");
  const Data aTags = encodeStringArray({"Work\n6", "Harbour", "Blau\n4"});
  setRawAttribute(a, portable(kTags), aTags);
  setRawAttribute(b, portable(kTags), encodeStringArray({"Harbour\n0", "Dock\n0", "Work\n6"}));
  ui.editor->openItems({a, b, c});
  EXPECT_EQ(ui.tags.shown, (std::vector<TagCount>{{"Work", 2, kRed, false, false},
                                                  {"Harbour", 2, kNone, false, false},
                                                  {"Blau", 1, kBlue, false, false},
                                                  {"Dock", 1, kNone, false, false}}));
  ui.fields[3].text = "News";
  ui.editor->saveButton();
  EXPECT_EQ(rawAttribute(a, portable(kTags)), aTags);
  EXPECT_EQ(rawAttribute(c, portable(kTags)), std::nullopt);

  ui.editor->removeTag(2);
  ui.editor->giveTagToAll(0);
  ui.editor->recolourTag(1, kGreen);
  ui.tagsBox.text = "red, Sea";  // saved as typed, without Enter
  EXPECT_TRUE(ui.window.edited);
  ui.editor->saveButton();
  EXPECT_EQ(ui.alert.shown, std::vector<std::string>{});
  EXPECT_EQ(rawAttribute(a, portable(kTags)),
            encodeStringArray({"Work\n6", "Harbour\n2", "Red\n6", "Sea"}));
  EXPECT_EQ(rawAttribute(b, portable(kTags)),
            encodeStringArray({"Harbour\n2", "Dock\n0", "Work\n6", "Red\n6", "Sea"}));
  EXPECT_EQ(rawAttribute(c, portable(kTags)), encodeStringArray({"Work\n6", "Red\n6", "Sea"}));
  EXPECT_EQ(ui.tags.shown[2], (TagCount{"Dock", 1, kNone, false, false}));
  EXPECT_EQ(ui.tagsBox.text, "");
  EXPECT_FALSE(ui.window.edited);

  // Where the items differ on a colour, the one most of them give it is given to all when chosen.
  setRawAttribute(c, portable(kTags), encodeStringArray({"Work\n4"}));
  ui.editor->openItems({a, b, c});
  ASSERT_EQ(ui.tags.shown[0], (TagCount{"Work", 3, kRed, true, false}));
  ui.editor->recolourTag(0, kRed);
  ui.editor->saveButton();
  EXPECT_EQ(rawAttribute(c, portable(kTags)), encodeStringArray({"Work\n6"}));
}

// A tag the user changed that another program changed on an item meanwhile is marked, asked
// about on Save, and left to that program there with Keep Other; the user's change lands on every
// other item, over tags others added.
TEST_F(EditorTest, ATagOthersChangedMeanwhileIsAskedAboutOnSave) {
  using enum TagColour;
  FakeLoop loop;
  FakeEditor live(&loop);
  const fs::path a = dir.writeFile("a"), b = dir.writeFile("b");
  setRawAttribute(a, portable(kTags), encodeStringArray({"Work\n6", "Harbour"}));
  setRawAttribute(b, portable(kTags), encodeStringArray({"Work\n6"}));
  live.editor->openItems({a, b});
  ASSERT_TRUE(loop.runUntil([&] { return !live.editor->reading(); }));
  live.editor->recolourTag(0, kBlue);
  setRawAttribute(a, portable(kTags), encodeStringArray({"Work\n6", "Harbour", "Dock"}));
  setRawAttribute(b, portable(kTags), encodeStringArray({"Work\n2"}));
  ASSERT_TRUE(loop.runUntil(
      [&] { return live.tags.shown.size() == 3 && live.tags.shown[0].changedElsewhere; }));
  live.editor->saveButton();
  ASSERT_EQ(live.alert.asked.size(), 1u);
  ASSERT_EQ(live.alert.asked[0].size(), 1u);
  EXPECT_EQ(live.alert.asked[0][0].item.string() + "|" + live.alert.asked[0][0].yours + "|" +
                live.alert.asked[0][0].theirs,
            b.string() + "|Work, Blue|Work, Green");
  EXPECT_EQ(rawAttribute(a, portable(kTags)), encodeStringArray({"Work\n4", "Harbour", "Dock"}));
  EXPECT_EQ(rawAttribute(b, portable(kTags)), encodeStringArray({"Work\n2"}));

  live.editor->recolourTag(0, kOrange);
  setRawAttribute(b, portable(kTags), encodeStringArray({"Work\n5"}));
  ASSERT_TRUE(loop.runUntil([&] { return live.tags.shown[0].changedElsewhere; }));
  live.alert.replace = Questions::Replace::kReplace;
  live.editor->saveButton();
  EXPECT_EQ(rawAttribute(b, portable(kTags)), encodeStringArray({"Work\n7"}));
}

// The window as a live document: it follows what others store where the user has not typed,
// Save writes only what the user changed, and a value stored elsewhere over one the user changed
// is replaced only when the user says so, asked again when it changes once more meanwhile.
TEST_F(EditorTest, TheWindowFollowsOthersAndSaveNeverReplacesTheirValuesUnasked) {
  FakeLoop loop;
  FakeEditor live(&loop);
  const auto store = [this](std::size_t position, std::string_view text) {
    writeXattr(Item::atPath(file.c_str()), encodeAttributeValue(text), kValueNames[position].user);
  };
  store(3, "Old news");
  live.editor->openItems({file});
  ASSERT_TRUE(loop.runUntil([&] { return !live.editor->reading(); }));
  EXPECT_EQ(live.fields[3].text, "Old news");

  // Untouched, a field shows what another program stores; the user's creator stands.
  live.fields[1].text = "Maren";
  live.editor->controlsChanged();
  EXPECT_TRUE(live.window.edited);
  store(3, "Newer news");
  ASSERT_TRUE(loop.runUntil([&] { return live.fields[3].text == "Newer news"; }));
  live.editor->saveButton();
  EXPECT_EQ(rawAttribute(file, portable(kCreator)), encodeAttributeValue("Maren"));
  EXPECT_EQ(rawAttribute(file, portable(kHeadline)), encodeAttributeValue("Newer news"));
  EXPECT_FALSE(live.window.edited);

  // Typed over, the field keeps the user's text and says what was stored.
  live.fields[3].text = "Mine";
  live.editor->controlsChanged();
  store(3, "Theirs");
  ASSERT_TRUE(loop.runUntil([&] { return live.fields[3].elsewhere == std::optional<std::string>("Theirs"); }));
  live.editor->saveButton();
  ASSERT_EQ(live.alert.asked.size(), 1u);
  EXPECT_EQ(live.alert.asked[0][0].yours + "|" + live.alert.asked[0][0].theirs, "Mine|Theirs");
  EXPECT_EQ(rawAttribute(file, portable(kHeadline)), encodeAttributeValue("Theirs")) << "Keep Other";
  EXPECT_EQ(live.fields[3].text, "Theirs");

  // Replace, with a third writer coming between the question and the write: asked again.
  live.fields[3].text = "Mine again";
  store(3, "Theirs again");
  live.alert.replace = Questions::Replace::kReplace;
  live.alert.onAsk = [&] { if (live.alert.asked.size() == 2) store(3, "A third"); };
  live.editor->saveButton();
  ASSERT_EQ(live.alert.asked.size(), 3u);
  EXPECT_EQ(live.alert.asked[2][0].theirs, "A third");
  EXPECT_EQ(rawAttribute(file, portable(kHeadline)), encodeAttributeValue("Mine again"));
  EXPECT_EQ(live.alert.shown, std::vector<std::string>{});

  // Closing with edits asks: Cancel keeps the window and the text, Save stores it.
  live.fields[2].text = "Typed";
  live.editor->controlsChanged();
  live.alert.unsaved = Questions::Unsaved::kCancel;
  EXPECT_FALSE(live.editor->windowShouldClose());
  EXPECT_EQ(live.fields[2].text, "Typed");
  live.alert.unsaved = Questions::Unsaved::kSave;
  EXPECT_TRUE(live.editor->windowShouldClose());
  EXPECT_EQ(rawAttribute(file, portable(kDescription)), encodeAttributeValue("Typed"));
  // Revert drops what is typed and shows what is stored.
  live.fields[2].text = "Dropped";
  live.editor->revertButton();
  EXPECT_EQ(live.fields[2].text, "Typed");
  EXPECT_FALSE(live.window.edited);
}

// Where a value lives only in its sidecar (a volume without attributes), it is compared with what
// the change expected once more under the sidecar's lock: a writer that came after the change was
// prepared keeps its value, and the change's other values are still stored.
TEST(SidecarChangeTest, AValueStoredBetweenPreparingAndWritingIsKept) {
  TempDir dir;
  const fs::path volume = dir.path() / "ramfs";
  fs::create_directory(volume);
  if (runCommand("mount -t ramfs ramfs '" + volume.string() + "'") != 0) GTEST_SKIP() << "no ramfs mount here";
  const std::string item = (volume / "a.jpg").string();
  std::ofstream(item).put('x');
  const Data old = encodeAttributeValue("Old"), mine = encodeAttributeValue("Mine"),
             theirs = encodeAttributeValue("Theirs"), creator = encodeAttributeValue("Ada");
  const auto headline = [](const Data& value, const Data* expected) {
    ValueEdits edits;
    edits[3] = {.action = ValueEdit::Action::kWrite, .value = &value, .expected = expected};
    return edits;
  };
  ASSERT_EQ(changeValues(itemAtPath(item), headline(old, nullptr)).errors[3], 0);
  ValueEdits edits = headline(mine, &old);
  edits[1] = {.action = ValueEdit::Action::kWrite, .value = &creator, .expected = nullptr};
  PreparedChange prepared(itemAtPath(item), edits);
  ASSERT_EQ(changeValues(itemAtPath(item), headline(theirs, &old)).errors[3], 0);
  for (std::size_t step = 0; step < prepared.steps(); ++step) prepared.takeStep(step);
  const ChangeResult result = prepared.finish();
  EXPECT_EQ(result.errors[3], kChangedElsewhere);
  EXPECT_EQ(result.values[3].data, theirs);
  const std::array<FoundValue, kValueCount> stored = readValues(itemAtPath(item));
  EXPECT_EQ(stored[3].data, theirs);
  EXPECT_EQ(stored[1].data, creator);
  runCommand("umount '" + volume.string() + "'");
}

// Keywords others store are kept under the user's keyword edits; the open panel starts beside
// what is shown; a large selection reads in the background and Stop keeps what was read.
TEST_F(EditorTest, ASelectionOpensAtOnceAndKeywordEditsLandOnOthersKeywords) {
  FakeLoop loop;
  FakeEditor live(&loop);
  std::vector<fs::path> items;
  for (int i = 0; i < 300; ++i) items.push_back(dir.writeFile("sub/item" + std::to_string(i)));
  setRawAttribute(items[0], portable(kKeywords), encodeStringArray({"harbour", "dawn"}));
  live.editor->openItems(items);
  EXPECT_EQ(live.window.reading.second, items.size());
  ASSERT_TRUE(loop.runUntil([&] { return !live.editor->reading(); }));
  EXPECT_EQ(live.keywords.shown, (std::vector<ValueCount>{{"harbour", 1}, {"dawn", 1}}));
  live.editor->removeKeyword(1);
  setRawAttribute(items[0], portable(kKeywords), encodeStringArray({"harbour", "dawn", "boats"}));
  ASSERT_TRUE(loop.runUntil([&] { return live.keywords.shown.size() == 2; }));
  live.editor->saveButton();
  EXPECT_EQ(rawAttribute(items[0], portable(kKeywords)), encodeStringArray({"harbour", "boats"}));

  live.editor->openButton();
  EXPECT_EQ(live.openPanel.requests.back().near, dir.path() / "sub");
  live.editor->openItems(items);
  live.editor->stopReading();
  EXPECT_FALSE(live.editor->reading());
  EXPECT_TRUE(live.save.enabled.value_or(false));
}

// Over several photos each takes its own image's value, and one with its own value keeps it.
TEST_F(EditorTest, UseValuesFromTheImageGivesEachItemOfASelectionItsOwn) {
  const fs::path a = dir.path() / "a.jpg", b = dir.path() / "b.jpg", c = dir.path() / "c.jpg";
  writeJpeg(a, {"set Xmp.photoshop.Headline XmpText Dawn"});
  writeJpeg(b, {"set Xmp.photoshop.Headline XmpText Dusk"});
  writeJpeg(c, {"set Xmp.photoshop.Headline XmpText Noon"});
  setRawAttribute(c, portable(kHeadline), encodeAttributeValue("Own"));
  ui.editor->openItems({a, b, c});
  ui.editor->useImageValuesButton();
  ui.editor->saveButton();
  EXPECT_EQ(rawAttribute(a, portable(kHeadline)), encodeAttributeValue("Dawn"));
  EXPECT_EQ(rawAttribute(b, portable(kHeadline)), encodeAttributeValue("Dusk"));
  EXPECT_EQ(rawAttribute(c, portable(kHeadline)), encodeAttributeValue("Own"));
}

// An image's own values show only where nothing is stored (a list counts),
// and fill only empty fields and only on request (that the image is never
// written, and a damaged one reported, is the command line's test).
TEST_F(EditorTest, AnImagesOwnValuesAreHintsThatFillEmptyFieldsOnRequest) {
  const fs::path photo = dir.path() / "harbour.jpg";
  writeJpeg(photo, {"set Iptc.Application2.Copyright String © Hafenamt",
                    "set Xmp.dc.creator XmpSeq Zoë", "set Xmp.dc.description LangAlt Boats",
                    "set Xmp.photoshop.Headline XmpText Harbour lights at dawn",
                    "set Xmp.dc.subject XmpBag dawn"});
  setRawAttribute(photo, portable(kCopyright), encodeAttributeValue("© 2024 Ada"));
  setRawAttribute(photo, portable(kKeywords), "<plist><array/></plist>");
  ASSERT_TRUE(open(&ViewController::openButton, photo));
  ui.fields[2].text = "typed";
  EXPECT_EQ(ui.fields[1].placeholder + ui.fields[0].placeholder + ui.fields[4].placeholder,
            "In the image: Zoëan empty list");
  ui.editor->useImageValuesButton();
  EXPECT_EQ(ui.shown(), (Texts{"© 2024 Ada", "Zoë", "typed", "Harbour lights at dawn", ""}));
  EXPECT_EQ(rawAttribute(photo, portable(kHeadline)), std::nullopt);
  ui.editor->saveButton();
  EXPECT_EQ(rawAttribute(photo, portable(kHeadline)), encodeAttributeValue("Harbour lights at dawn"));
  EXPECT_EQ(ui.fields[3].placeholder, "") << "stored now";
  // Cut short, as a broken download leaves a photo: its values are only hints, never an alert.
  ui.editor->openItems({dir.writeFile("cut.jpg", std::string("\xff\xd8\xff\xe0\x00\x10JFIF", 10))});
  EXPECT_EQ(ui.alert.shown, std::vector<std::string>{});
}

// Links, special files and entries that vanish or become links mid-walk are
// passed over without a word, and nothing outside the tree is written.
TEST_F(EditorTest, WriteFolderWritesEachFileAndFolderBelowAndNothingElse) {
  const fs::path root = dir.path() / "Shoot", outside = dir.path() / "outside";
  dir.writeFile("outside/o");
  // Deeper than the walk holds folders open (64): shallow ones are closed and reopened.
  std::string deep = "Shoot/sub/";
  for (int depth = 0; depth < 70; ++depth) deep += "d/";
  const fs::path bottom = dir.writeFile(deep + "b");
  for (const char* name : {"Shoot/a.jpg", "Shoot/.hidden", "Shoot/Thing.app/Contents/Info.plist",
                           "Shoot/victim", "Shoot/doomed/inner", "Shoot/early/x"})
    dir.writeFile(name);
  fs::create_symlink(root / "a.jpg", root / "link-inside");
  fs::create_symlink(file, root / "link-outside");
  fs::create_directory_symlink(root / "sub", root / "sub-link");
  ASSERT_EQ(mkfifo((root / "fifo").c_str(), 0644), 0);
  ASSERT_EQ(mknod((root / "socket").c_str(), S_IFSOCK | 0644, 0), 0);
  const auto descriptors = [] {
    return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
  };
  const auto before = descriptors();
  auto most = before;
  // Once the root is listed, a file becomes a link, a folder vanishes and one
  // becomes a link to outside; at the bottom, a closed folder above becomes one.
  ui.progress.onReport = [&](std::uint64_t done, const fs::path& current) {
    most = std::max(most, descriptors());
    if (done == 0) {
      fs::remove(root / "victim");
      fs::create_symlink(outside / "o", root / "victim");
      fs::remove_all(root / "doomed");
      fs::remove_all(root / "early");
      fs::create_directory_symlink(outside, root / "early");
    }
    if (current == bottom) {
      fs::rename(root / "sub/d/d", dir.path() / "moved");
      fs::create_directory_symlink(outside, root / "sub/d/d");
    }
  };
  ASSERT_TRUE(open(&ViewController::selectFolderButton, root));
  ui.type(kTexts);
  ui.editor->writeFolderButton();

  const std::set<fs::path> entries = entriesBelow(root);
  EXPECT_EQ(entries.size(), 7u);  // a.jpg, .hidden, Thing.app/Contents/Info.plist (3), sub, sub/d
  // The walk's folders; per writing thread, up to four batches' folders and a file.
  EXPECT_LE(most, before + 64 + 5 * static_cast<long>(jobsForFilesystem(0)));
  for (const fs::path& entry : entries) {
    for (std::size_t i = 0; i < kFieldCount; ++i)
      EXPECT_EQ(rawAttribute(entry, portable(i)), encodeAttributeValue(kTexts[i])) << entry;
  }
  for (const fs::path& untouched : {root, file, outside, outside / "o"})
    EXPECT_EQ(rawAttribute(untouched, portable(kCopyright)), std::nullopt) << untouched;
  EXPECT_EQ(ui.alert.shown, std::vector<std::string>{});
}

// Entries deeper than PATH_MAX are written as any other.
TEST_F(EditorTest, WriteFolderWritesEntriesBeyondThePathLengthLimit) {
  const int folder = makeDeepFolder(dir.path(), 30);  // 6,030 bytes below the temporary folder
  close(openat(folder, "leaf", O_CREAT | O_WRONLY, 0644));
  ASSERT_TRUE(open(&ViewController::selectFolderButton, dir.path() / std::string(200, 'n')));
  ui.type(kTexts);
  ui.editor->writeFolderButton();
  EXPECT_EQ(ui.alert.shown, std::vector<std::string>{});
  EXPECT_EQ(readXattr(Item::inFolder(folder, "leaf"), kValueNames[4].user),
            encodeAttributeValue(kTexts[4]));
  close(folder);
}

TEST_F(EditorTest, WriteFolderAlertsOfferToStopTheWalk) {
  for (const char* name : {"f/1", "f/2", "f/3"}) dir.writeFile(name);
  ASSERT_EQ(runCommand("chattr +i '" + dir.path().string() + "'/f/*"), 0);
  ASSERT_TRUE(open(&ViewController::selectFolderButton, dir.path() / "f"));
  ui.type({"", "Ada", "", "", "kw"});
  ui.alert.stopAt = 3;
  ui.editor->writeFolderButton();
  EXPECT_EQ(ui.alert.shown, std::vector<std::string>(3, "setxattr error: Operation not permitted"));
  EXPECT_EQ(ui.alert.offeredStop, std::vector<bool>(3, true));
}

// Stop in the progress of a Save over many items, or of Write Folder, starts no further item;
// those not started keep what they had.
TEST_F(EditorTest, StopInTheProgressEndsSaveAndWriteFolderEarly) {
  std::vector<fs::path> items;
  for (int i = 0; i < 200; ++i) items.push_back(dir.writeFile("many/" + std::to_string(i)));
  const auto holding = [&](std::string_view creator) {
    return std::ranges::count(items, encodeAttributeValue(creator), [](const fs::path& item) {
      return rawAttribute(item, portable(kCreator)).value_or(Data());
    });
  };
  ui.editor->openItems(items);
  ui.fields[1].text = "Ada";
  ui.progress.stopAt = 2;
  ui.editor->saveButton();
  EXPECT_GT(holding("Ada"), 0);
  EXPECT_LT(holding("Ada"), 200);
  ASSERT_TRUE(open(&ViewController::selectFolderButton, dir.path() / "many"));
  ui.fields[1].text = "Bo";
  ui.progress.reports = 0;
  ui.editor->writeFolderButton();
  EXPECT_LT(holding("Bo"), 200);
  EXPECT_EQ(ui.alert.shown, std::vector<std::string>{});
}

TEST_F(EditorTest, SaveTextWritesTheFieldsAsTheyWereWhenPressedIntoTheFileItself) {
  const fs::path report = dir.path() / "report.txt";
  fs::create_hard_link(dir.writeFile("report.txt", std::string(500, 'x')),
                       dir.path() / "alias.txt");
  setRawAttribute(report, portable(kCreator), "tag");
  ui.type({"\xef\xbb\xbf", " ", "two\nlines", "Ünïcödé ✓ 日本", "sea, dawn"});
  ui.editor->saveTextButton();
  ui.fields[4].text = "typed while the panel was open";
  ASSERT_TRUE(ui.saveAs(report));
  // In place: a hard link sees the new, shorter text, and the file keeps its attributes.
  EXPECT_EQ(readFile(dir.path() / "alias.txt"),
            "Saved extended attributes:\n\nHeadline:\nÜnïcödé ✓ 日本\nDescription:\ntwo\nlines"
            "\nCreator:\n \nCopyright:\n\xef\xbb\xbf\nKeywords:\nsea, dawn\nWritten by Quillmark.");
  EXPECT_EQ(rawAttribute(report, portable(kCreator)), bytes("tag"));

  // Failed (a FIFO without a reader must not block), cancelled, or answered
  // after the editor is gone (the panel is free-standing): nothing more is written.
  const std::string before = readFile(report);
  ASSERT_EQ(mkfifo((dir.path() / "fifo").c_str(), 0644), 0);
  for (int i = 0; i < 4; ++i) ui.editor->saveTextButton();
  for (const auto& answer : {std::optional(dir.path() / "missing" / "report.txt"),
                             std::optional(dir.path() / "fifo"), std::optional<fs::path>()}) {
    ASSERT_TRUE(ui.saveAs(answer));
    ui.savePanel.requests.pop_back();
  }
  EXPECT_EQ(ui.alert.shown,
            (std::vector<std::string>{"No such file or directory", "No such device or address"}));
  ui.editor.reset();
  EXPECT_TRUE(ui.saveAs(report));
  EXPECT_EQ(readFile(report), before);
}

}  // namespace
}  // namespace quillmark

// Lifecycle, alerts, Open, Save and Select Folder, on real files and attributes.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "attrstore/codec.h"
#include "attrstore/resource_list.h"
#include "tests/support/editor_fakes.h"
#include "tests/support/temp_dir.h"

namespace quillmark {
namespace {

namespace fs = std::filesystem;
using testing::FakeEditor;
using testing::rawAttribute;
using testing::setRawAttribute;
using testing::TempDir;

constexpr auto kNames = ResourceList::kListOrder;
// A different text for every list position, so a swapped pair shows.
const std::array<std::string, 5> kTexts = {"© 2024 Ada", "Ada Lovelace", "A short note", "Big news",
                                           "alpha, beta"};

std::string storedValue(const Data& value) { return std::string(value.begin(), value.end()); }

class EditorTest : public ::testing::Test {
 protected:
  void open(const fs::path& item) {
    ui.editor->openButton();
    ASSERT_TRUE(ui.openPanel.answer(kModalResponseOK, item));
  }
  void fill(const std::array<std::string, 5>& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i) ui.fieldsInListOrder()[i]->text_ = texts[i];
  }
  std::array<std::string, 5> shown() {
    std::array<std::string, 5> texts;
    for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = ui.fieldsInListOrder()[i]->text_;
    return texts;
  }

  TempDir dir;
  fs::path file = dir.writeFile("Report.pdf", "content");
  FakeEditor ui;
};

TEST_F(EditorTest, LoadAndAppearSetUpTheWindow) {
  ui.headline.text_ = "kept";
  ui.keywordsCheck.state_ = kControlStateOn;
  ui.editor->viewDidLoad();  // a second load replaces the list rather than growing it
  EXPECT_EQ(ui.editor->itemList(), std::vector<std::string>(kNames.begin(), kNames.end()));
  EXPECT_EQ(ui.save.enabled_, false);
  EXPECT_EQ(ui.writeFolder.enabled_, false);
  EXPECT_EQ(ui.keywordsCheck.state_, kControlStateOff);
  EXPECT_EQ(ui.headline.text_, "kept");
  EXPECT_EQ(ui.window.title_, "Quillmark");
  EXPECT_EQ(ui.window.delegate_, ui.editor.get());
}

TEST_F(EditorTest, ErrorAlertIsCriticalWithTheMessageUnchanged) {
  ui.editor->showErrorAlert("disk  on fire\n");
  ASSERT_EQ(ui.alerts.alerts.size(), 1u);
  const testing::AlertRecord& alert = ui.alerts.alerts[0];
  EXPECT_EQ(alert.messageText, "An error occurred in your last action:");
  EXPECT_EQ(alert.informativeText, "disk  on fire\n");
  EXPECT_EQ(alert.style, AlertStyle::kCritical);
  EXPECT_EQ(alert.buttons, std::vector<std::string>{"OK"});
  EXPECT_EQ(alert.runs, 1);
}

TEST_F(EditorTest, OpenShowsEachAttributeInItsOwnField) {
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    setRawAttribute(file, kNames[i], storedValue(encodeAttributeValue(kTexts[i])));
  }
  ui.creatorCheck.state_ = kControlStateOn;
  ui.editor->selectFolderButton();
  ASSERT_TRUE(ui.openPanel.answer(kModalResponseOK, dir.path()));
  open(file);

  const testing::PanelRequest<OpenPanelSettings>& panel = ui.openPanel.requests.at(1);
  EXPECT_TRUE(panel.settings.canChooseFiles && panel.settings.canChooseDirectories &&
              panel.settings.showsHiddenFiles && panel.settings.treatsFilePackagesAsDirectories);
  EXPECT_FALSE(panel.settings.allowsMultipleSelection);
  EXPECT_EQ(panel.window, &ui.window);

  EXPECT_EQ(shown(), kTexts);
  EXPECT_EQ(ui.editor->theSourcePath(), file.string());
  EXPECT_EQ(ui.editor->theSourceURL(), file);
  EXPECT_EQ(ui.editor->theFilename(), "Report.pdf");
  EXPECT_EQ(ui.window.title_, "Report.pdf");
  EXPECT_EQ(ui.save.enabled_, true);
  EXPECT_EQ(ui.writeFolder.enabled_, false);
  EXPECT_EQ(ui.editor->theSourceFolderURL(), dir.path());
  EXPECT_EQ(ui.creatorCheck.state_, kControlStateOn);
  EXPECT_TRUE(ui.alerts.alerts.empty());
}

TEST_F(EditorTest, CancelledPanelsChangeNothing) {
  fill(kTexts);
  ui.editor->openButton();
  EXPECT_TRUE(ui.openPanel.answer(kModalResponseCancel, file));
  ui.editor->selectFolderButton();
  EXPECT_TRUE(ui.openPanel.answer(kModalResponseOK, std::nullopt));
  EXPECT_EQ(shown(), kTexts);
  EXPECT_EQ(ui.editor->theFilename(), "");
  EXPECT_FALSE(ui.editor->theSourceURL() || ui.editor->theSourceFolderURL());
  EXPECT_EQ(ui.window.title_, "Quillmark");
  EXPECT_EQ(ui.save.enabled_, false);
}

TEST_F(EditorTest, SelectFolderClearsFieldsAndSwitchesButtonsButKeepsTheOpenItem) {
  open(file);
  fill(kTexts);
  const fs::path folder = dir.makeDir("Photos");
  ui.editor->selectFolderButton();
  const OpenPanelSettings& settings = ui.openPanel.requests.at(1).settings;
  EXPECT_FALSE(settings.canChooseFiles);
  EXPECT_TRUE(settings.canChooseDirectories && settings.treatsFilePackagesAsDirectories);
  ASSERT_TRUE(ui.openPanel.answer(kModalResponseOK, folder / ""));

  EXPECT_EQ(shown(), (std::array<std::string, 5>{}));
  EXPECT_EQ(ui.editor->theSourceFolderURL(), folder / "");
  EXPECT_EQ(ui.editor->theFilename(), "Photos");
  EXPECT_EQ(ui.window.title_, "Photos");
  EXPECT_EQ(ui.save.enabled_, false);
  EXPECT_EQ(ui.writeFolder.enabled_, true);
  EXPECT_EQ(ui.editor->theSourceURL(), file);
  EXPECT_EQ(ui.editor->reslist().size(), 1u);
}

TEST_F(EditorTest, SaveWritesEachFieldUnderItsOwnNameAndShowsTheResult) {
  open(file);
  std::array<std::string, 5> texts = kTexts;
  texts[2] = "  ";  // only an exactly empty field counts as empty
  fill(texts);
  ui.editor->saveButton();
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    EXPECT_EQ(rawAttribute(file, kNames[i]), encodeAttributeValue(texts[i])) << kNames[i];
  }
  EXPECT_EQ(shown(), texts);
  EXPECT_TRUE(ui.alerts.alerts.empty());
  EXPECT_EQ(ui.window.title_, "Report.pdf");
}

TEST_F(EditorTest, SaveRemovesAnEmptyFieldOnlyWhenItsBoxIsTicked) {
  const fs::path item = dir.makeDir("Thing.app");
  setRawAttribute(item, ResourceList::itemCopyright, storedValue(encodeAttributeValue("old")));
  setRawAttribute(item, ResourceList::itemDescription, "bplist00 cut short");
  setRawAttribute(item, ResourceList::itemHeadline, "bplist00 cut short too");
  setRawAttribute(item, ResourceList::itemKeywords, "");
  ui.keywords.text_ = "stale";
  open(item);
  // Malformed and empty values show as empty fields...
  EXPECT_EQ(ui.description.text_, "");
  EXPECT_EQ(ui.keywords.text_, "");
  ui.copyright.text_ = "";
  ui.copyrightCheck.state_ = kControlStateOn;
  ui.creatorCheck.state_ = kControlStateOn;  // nothing stored to remove
  ui.headlineCheck.state_ = kControlStateOn;
  ui.keywordsCheck.state_ = 2;  // neither on nor off: not a request to remove
  ui.editor->saveButton();

  EXPECT_EQ(rawAttribute(item, ResourceList::itemCopyright), std::nullopt);
  // ...and stay as they are unless their box is ticked.
  EXPECT_EQ(rawAttribute(item, ResourceList::itemDescription),
            testing::bytes("bplist00 cut short"));
  EXPECT_EQ(rawAttribute(item, ResourceList::itemHeadline), std::nullopt);
  EXPECT_EQ(ui.alerts.messages(), std::vector<std::string>{"remxattr error: No data available"});
  EXPECT_EQ(ui.copyrightCheck.state_, kControlStateOn);
}

TEST_F(EditorTest, SaveRefusesTextThatIsNotUtf8AndKeepsTheStoredValue) {
  setRawAttribute(file, ResourceList::itemHeadline, storedValue(encodeAttributeValue("kept")));
  open(file);
  fill(kTexts);
  ui.headline.text_ = "caf\xe9";
  ui.editor->saveButton();
  EXPECT_EQ(ui.alerts.messages(), std::vector<std::string>{"setxattr error: Invalid argument"});
  EXPECT_EQ(rawAttribute(file, ResourceList::itemHeadline), encodeAttributeValue("kept"));
  EXPECT_EQ(ui.headline.text_, "kept");
  EXPECT_EQ(rawAttribute(file, ResourceList::itemCreator), encodeAttributeValue(kTexts[1]));
}

TEST_F(EditorTest, SaveReportsEveryFailedWriteAndStillShowsWhatIsStored) {
  if (testing::runCommand("chattr +i '" + file.string() + "' 2>/dev/null") != 0) {
    GTEST_SKIP() << "chattr +i needs root on a filesystem with immutable files";
  }
  open(file);
  fill(kTexts);
  ui.editor->saveButton();
  testing::runCommand("chattr -i '" + file.string() + "'");
  EXPECT_EQ(ui.alerts.messages(),
            std::vector<std::string>(5, "setxattr error: Operation not permitted"));
  EXPECT_EQ(shown(), (std::array<std::string, 5>{}));
}

TEST_F(EditorTest, SaveDoesNothingWithoutAnOpenItem) {
  fill(kTexts);
  ui.editor->saveButton();
  ui.editor->selectFolderButton();
  ui.openPanel.answer(kModalResponseOK, dir.path());
  ui.editor->saveButton();
  EXPECT_TRUE(ui.alerts.alerts.empty());
  EXPECT_TRUE(ui.editor->reslist().empty());
}

}  // namespace
}  // namespace quillmark

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/view_controller.h"

#include <utility>

#include "attrstore/names.h"
#include "editor/folder_write.h"
#include "editor/image_values.h"
#include "editor/item_changes.h"
#include "editor/report.h"

namespace quillmark {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kWindowTitle = "Quillmark";

// A panel completion that runs `action` only for a confirmed choice, and only
// while the editor that opened the panel still exists.
template <typename Action>
PanelCompletion whenChosen(std::weak_ptr<ViewController*> editor, Action action) {
  return [editor = std::move(editor), action = std::move(action)](std::optional<fs::path> chosen) {
    if (!chosen) return;
    if (const std::shared_ptr<ViewController*> alive = editor.lock()) action(**alive, *chosen);
  };
}

}  // namespace

struct ViewController::Row {
  TextField& field;
  Checkbox& checkbox;
};

// The one place that pairs list positions with controls, by their rows in the window.
std::array<ViewController::Row, 5> ViewController::rows() const {
  const std::array<Row, 5> fromTop = {{
      {outlets_.headlineBox, outlets_.headlineCheckbox},
      {outlets_.DescriptionBox, outlets_.descriptionCheckbox},
      {outlets_.creatorBox, outlets_.creatorCheckbox},
      {outlets_.copyrightBox, outlets_.copyrightCheckbox},
      {outlets_.keywordsBox, outlets_.keywordsCheckbox},
  }};
  return [&]<std::size_t... P>(std::index_sequence<P...>) {
    return std::array<Row, 5>{fromTop[kValueNames[P].windowOrder]...};
  }
  (std::make_index_sequence<5>());
}

ViewController::ViewController(EditorOutlets outlets, EditorServices services, Window* window)
    : outlets_(outlets),
      services_(services),
      window_(window),
      self_(std::make_shared<ViewController*>(this)) {}

ViewController::~ViewController() = default;

void ViewController::viewDidLoad() {
  outlets_.saveButtonSetting.setEnabled(false);
  outlets_.writefolderButtonSetting.setEnabled(false);
  if (services_.useImageValues != nullptr) services_.useImageValues->setEnabled(false);
  outlets_.headlineCheckbox.setOn(false);
  outlets_.descriptionCheckbox.setOn(false);
  outlets_.creatorCheckbox.setOn(false);
  outlets_.copyrightCheckbox.setOn(false);
  outlets_.keywordsCheckbox.setOn(false);
}

void ViewController::viewDidAppear() {
  if (window_ != nullptr) window_->setTitle(kWindowTitle);
}

ErrorAlert::Answer ViewController::showErrorAlert(std::string_view message, bool offerStop) {
  return services_.alert.show(message, offerStop);
}

// --- Open -------------------------------------------------------------------

void ViewController::openButton() {
  services_.openPanel.beginSheetModal(
      PanelChoice::kItem, window_,
      whenChosen(self_,
                 [](ViewController& editor, const fs::path& url) { editor.open(url); }));
}

void ViewController::open(const fs::path& url) {
  if (window_ != nullptr) window_->setTitle(lastPathComponent(url));
  theSourceURL_ = url;
  embedded_ = readEmbeddedValues(url);
  show(ResourceList(url));
  outlets_.saveButtonSetting.setEnabled(true);
  outlets_.writefolderButtonSetting.setEnabled(false);
  if (embedded_.outcome == EmbeddedValues::Outcome::kDamaged)
    showErrorAlert(imageProblemMessage(embedded_), false);
}

void ViewController::show(const ResourceList& reslist, std::array<bool, 5> keep) {
  const auto table = rows();
  for (std::size_t i = 0; i < table.size(); ++i) {
    const ResourceItem& child = reslist.children()[i];
    // A value that is not one string (keywords as a list, say) keeps its field
    // empty, and Save leaves it alone; the field says what is there.
    table[i].field.setPlaceholder(child.placeholder(), child.placeholderNamesKind()
                                                           ? TextField::Hint::kStoredKind
                                                           : TextField::Hint::kStoredValue);
    if (keep[i]) continue;
    table[i].field.setStringValue(child.textValue());
  }
  showImageHints(reslist);
}

void ViewController::showImageHints(const ResourceList& stored) {
  const auto table = rows();
  bool any = false;
  for (std::size_t i = 0; i < table.size(); ++i) {
    // A stored value, even one that is not a string, is what a Mac shows.
    hinted_[i] = !stored.children()[i].present() && !embedded_.texts[i].empty();
    if (hinted_[i])
      table[i].field.setPlaceholder(std::string(kImageHint) + embedded_.texts[i],
                                    TextField::Hint::kInImage);
    any = any || hinted_[i];
  }
  if (services_.useImageValues != nullptr) services_.useImageValues->setEnabled(any);
}

void ViewController::useImageValuesButton() {
  const auto table = rows();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (hinted_[i] && table[i].field.stringValue().empty())
      table[i].field.setStringValue(embedded_.texts[i]);
  }
}

// --- Save -------------------------------------------------------------------

void ViewController::saveButton() {
  if (!theSourceURL_) return;
  const auto table = rows();
  std::array<ValueChange, 5> changes;
  for (std::size_t i = 0; i < changes.size(); ++i) {
    changes[i].text = table[i].field.stringValue();
    if (!changes[i].text.empty()) {
      changes[i].action = ValueChange::Action::kWrite;
    } else if (table[i].checkbox.isOn()) {
      changes[i].action = ValueChange::Action::kRemove;
    }
  }
  // A field whose text could not be stored keeps it, so that nothing typed is lost.
  std::array<bool, 5> notStored{};
  std::array<Data, 5> storage;
  const ItemChange change = changeItem(itemAtPath(*theSourceURL_), editsOf(changes, storage),
                                       {.readAll = true, .desktopCopies = desktopCopies_});
  for (const auto& [position, message] : change.failures) {
    notStored[position] = changes[position].action == ValueChange::Action::kWrite;
    showErrorAlert(message, false);
  }
  // Show what is stored now, whatever failed above.
  show(ResourceList(change.values), notStored);
}

// --- Select Folder and Write Folder -----------------------------------------

void ViewController::selectFolderButton() {
  services_.openPanel.beginSheetModal(
      PanelChoice::kFolder, window_,
      whenChosen(self_,
                 [](ViewController& editor, const fs::path& url) { editor.folderChosen(url); }));
}

void ViewController::folderChosen(const fs::path& url) {
  if (window_ != nullptr) window_->setTitle(lastPathComponent(url));
  theSourceFolderURL_ = url;
  outlets_.saveButtonSetting.setEnabled(false);
  outlets_.writefolderButtonSetting.setEnabled(true);
  outlets_.copyrightBox.setStringValue("");
  outlets_.creatorBox.setStringValue("");
  outlets_.DescriptionBox.setStringValue("");
  outlets_.headlineBox.setStringValue("");
  outlets_.keywordsBox.setStringValue("");
  // What the opened item stored says nothing about the folder's entries.
  for (const Row& row : rows()) row.field.setPlaceholder("", TextField::Hint::kStoredValue);
  embedded_ = {};
  hinted_ = {};
  if (services_.useImageValues != nullptr) services_.useImageValues->setEnabled(false);
}

void ViewController::writeFolderButton() {
  if (!theSourceFolderURL_) return;
  // The fields are read for every entry; each failure's alert offers to stop.
  const auto table = rows();
  // A chosen folder that cannot be opened at all ends the action without a word.
  writeFolder(
      *theSourceFolderURL_, [&table](std::size_t i) { return table[i].field.stringValue(); },
      [this](const std::string&, const std::string& message) {
        return showErrorAlert(message, true) == ErrorAlert::Answer::kGoOn;
      },
      {services_.progress, services_.progressInterval, 0, desktopCopies_});
}

// --- Save Text --------------------------------------------------------------

void ViewController::saveTextButton() {
  // The report holds the fields as they are now, not when the panel closes.
  std::array<std::string, 5> texts;
  const auto table = rows();
  for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = table[i].field.stringValue();
  std::string report = buildReport(texts);
  services_.savePanel.begin(
      whenChosen(self_, [report = std::move(report)](ViewController& editor, const fs::path& url) {
        try {
          writeReportFile(url, report);
        } catch (const std::system_error& error) {
          editor.showErrorAlert(error.code().message(), false);
        }
      }));
}

}  // namespace quillmark

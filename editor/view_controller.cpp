// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/view_controller.h"

#include <algorithm>
#include <utility>

#include "attrstore/names.h"
#include "editor/folder_write.h"
#include "editor/report.h"
#include "editor/selection_save.h"

namespace quillmark {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kWindowTitle = "Quillmark";
constexpr std::size_t kKeywordsPosition = 4;

// A panel completion that runs `action` only for a confirmed choice, and only
// while the editor that opened the panel still exists.
template <typename Action>
PanelCompletion whenChosen(std::weak_ptr<ViewController*> editor, Action action) {
  return [editor = std::move(editor), action = std::move(action)](std::vector<fs::path> chosen) {
    if (chosen.empty()) return;
    if (const std::shared_ptr<ViewController*> alive = editor.lock()) action(**alive, std::move(chosen));
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
      whenChosen(self_, [](ViewController& editor, std::vector<fs::path> urls) {
        editor.openItems(std::move(urls));
      }));
}

void ViewController::open(const fs::path& url) { openItems({url}); }

void ViewController::openItems(std::vector<fs::path> urls) {
  if (urls.empty()) return;
  if (window_ != nullptr) {
    window_->setTitle(lastPathComponent(urls.front()));
    window_->showItems(urls);
  }
  selection_ = Selection(std::move(urls));
  show();
  outlets_.saveButtonSetting.setEnabled(true);
  outlets_.writefolderButtonSetting.setEnabled(false);
}

void ViewController::show(std::array<bool, 5> keep) {
  const auto table = rows();
  for (std::size_t i = 0; i < table.size(); ++i) {
    const ResourceItem first(selection_.items().front().values[i]);
    const bool same = selection_.same(i);
    if (i == kKeywordsPosition) {
      // Keywords show as the list; the field only names a value holding none ("a number").
      table[i].field.setPlaceholder(same && first.placeholderNamesKind() ? first.placeholder() : "",
                                    TextField::Hint::kStoredKind);
      shown_[i].clear();
      if (keep[i]) continue;
      table[i].field.setStringValue("");
      outlets_.keywordList.setKeywords(selection_.keywords(), selection_.size());
      continue;
    }
    if (same) {
      // A value that is not one string keeps its field empty, and Save leaves
      // it alone; the field says what is there.
      table[i].field.setPlaceholder(first.placeholder(), first.placeholderNamesKind()
                                                             ? TextField::Hint::kStoredKind
                                                             : TextField::Hint::kStoredValue);
      table[i].field.setChoices({});
    } else {
      table[i].field.setPlaceholder(kMultipleValues, TextField::Hint::kMultiple);
      table[i].field.setChoices(selection_.distinctTexts(i));
    }
    shown_[i] = same ? first.textValue() : "";
    if (!keep[i]) table[i].field.setStringValue(shown_[i]);
  }
  imageFilled_ = {};
  showImageHints();
}

void ViewController::showImageHints() {
  const auto table = rows();
  bool any = false;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const bool hinted = std::ranges::any_of(
        selection_.items(), [i](const SelectedItem& item) { return item.hinted(i); });
    // Where the items differ, the field goes on saying so.
    if (hinted && selection_.same(i)) {
      const std::string common = selection_.commonHint(i);
      table[i].field.setPlaceholder(
          std::string(kImageHint) + (common.empty() ? std::string(kMultipleValues) : common),
          TextField::Hint::kInImage);
    }
    any = any || hinted;
  }
  if (services_.useImageValues != nullptr) services_.useImageValues->setEnabled(any);
}

void ViewController::useImageValuesButton() {
  const auto table = rows();
  for (std::size_t i = 0; i < table.size(); ++i) {
    const bool hinted = std::ranges::any_of(
        selection_.items(), [i](const SelectedItem& item) { return item.hinted(i); });
    if (!hinted || !table[i].field.stringValue().empty()) continue;
    // Where the images differ the field stays empty and Save gives each item its own.
    imageFilled_[i] = true;
    imageFill_[i] = selection_.commonHint(i);
    table[i].field.setStringValue(imageFill_[i]);
  }
}

// --- Save -------------------------------------------------------------------

SelectionEdit ViewController::currentEdit() const {
  using Action = ValueChange::Action;
  const auto table = rows();
  SelectionEdit edit;
  const bool one = selection_.size() <= 1;
  std::vector<std::string> typed;  // after the listed keywords, as they are shown
  for (std::size_t i = 0; i < table.size(); ++i) {
    std::string text = table[i].field.stringValue();
    if (imageFilled_[i] && text == imageFill_[i]) {
      edit.fromImage[i] = true;
    } else if (i == kKeywordsPosition) {
      typed = typedKeywords(text);
    } else if (!text.empty() && (one || text != shown_[i])) {
      // One item: every field with text is written, as it always was; several: only a changed one.
      edit.fields[i] = {Action::kWrite, std::move(text)};
    } else if (text.empty() && table[i].checkbox.isOn()) {
      edit.fields[i].action = Action::kRemove;
    }
  }
  const std::vector<ValueCount> listed = outlets_.keywordList.keywords();
  const std::vector<ValueCount> stored = selection_.keywords();
  const auto find = [](const std::vector<ValueCount>& in, const std::string& word) {
    return std::ranges::find(in, word, &ValueCount::text);
  };
  for (const ValueCount& keyword : stored) {
    if (find(listed, keyword.text) == listed.end()) edit.keywords.remove.push_back(keyword.text);
  }
  for (const ValueCount& keyword : listed) {
    const auto before = find(stored, keyword.text);
    const std::size_t had = before == stored.end() ? 0 : before->items;
    // Raised to every item, or new; a partial keyword left partial stays where it is.
    if (keyword.items >= selection_.size() && had < keyword.items) {
      edit.keywords.add.push_back(keyword.text);
    }
  }
  edit.keywords.add.insert(edit.keywords.add.end(), typed.begin(), typed.end());
  if (listed.empty() && edit.keywords.empty() && !edit.fromImage[kKeywordsPosition] &&
      rows()[kKeywordsPosition].checkbox.isOn())
    edit.fields[kKeywordsPosition].action = Action::kRemove;
  return edit;
}

void ViewController::saveButton() {
  if (selection_.size() == 0) return;
  const SelectionEdit edit = currentEdit();
  const std::vector<SelectionFailure> failures =
      saveSelection(selection_, edit,
                    {selection_.size() > 1 ? services_.progress : nullptr,
                     services_.progressInterval, desktopCopies_});
  // A field whose text could not be stored keeps it, so that nothing typed is lost.
  std::array<bool, 5> notStored{};
  std::string together;
  for (const SelectionFailure& failure : failures) {
    const bool keywordsTyped = failure.position == kKeywordsPosition && !edit.keywords.empty();
    notStored[failure.position] = notStored[failure.position] || keywordsTyped ||
                                  edit.fields[failure.position].action == ValueChange::Action::kWrite;
    if (selection_.size() == 1) {
      showErrorAlert(failure.message, false);
      continue;
    }
    if (!together.empty()) together += '\n';
    together += failureLine(selection_, failure);
  }
  // Several items: every failure in one alert, never one per item.
  if (!together.empty()) showErrorAlert(together, false);
  // Show what is stored now, whatever failed above.
  show(notStored);
}

// --- Select Folder and Write Folder -----------------------------------------

void ViewController::selectFolderButton() {
  services_.openPanel.beginSheetModal(
      PanelChoice::kFolder, window_,
      whenChosen(self_, [](ViewController& editor, const std::vector<fs::path>& urls) {
        editor.folderChosen(urls.front());
      }));
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
  // What the opened items stored says nothing about the folder's entries.
  for (const Row& row : rows()) {
    row.field.setPlaceholder("", TextField::Hint::kStoredValue);
    row.field.setChoices({});
  }
  outlets_.keywordList.setKeywords({}, 0);
  if (window_ != nullptr) window_->showItems({});
  selection_ = {};
  imageFilled_ = {};
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
  std::string report;
  if (selection_.size() > 1) {
    // Each item in turn, with the changes made in the window as Save would make them.
    const SelectionEdit edit = currentEdit();
    for (std::size_t item = 0; item < selection_.size(); ++item) {
      if (item > 0) report += "\n\n";
      report += selection_.items()[item].path.string() + "\n" +
                buildReport(selection_.textsAfter(item, edit));
    }
  } else {
    std::array<std::string, 5> texts;
    const auto table = rows();
    for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = table[i].field.stringValue();
    std::string listed;
    for (const ValueCount& keyword : outlets_.keywordList.keywords())
      listed += (listed.empty() ? "" : ", ") + keyword.text;
    std::string& keywords = texts[kKeywordsPosition];
    keywords = listed + (listed.empty() || keywords.empty() ? "" : ", ") + keywords;
    report = buildReport(texts);
  }
  services_.savePanel.begin(
      whenChosen(self_, [report = std::move(report)](ViewController& editor,
                                                     const std::vector<fs::path>& urls) {
        try {
          writeReportFile(urls.front(), report);
        } catch (const std::system_error& error) {
          editor.showErrorAlert(error.code().message(), false);
        }
      }));
}

}  // namespace quillmark

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The editor: the state of one window, its controls and six actions.
//
// ViewController pairs the five attribute names (list order: Copyright,
// Creator, Description, Headline, Keywords) with their fields and checkboxes
// in one table, and runs Open, Save, Select Folder, Write Folder, Save Text and
// Use Values from the Image on the calling (main) thread. Every failure is shown in the modal error
// alert and the action goes on; nothing is logged and no success is announced.
//
// One window edits one item or several together (a Selection). With one, Save writes every
// field that holds text, as it always has; with several, only the fields the user changed, each
// to every item, and one alert names every item and field that failed. The keywords are a list
// (KeywordList) beside a field for typing new ones, separated by commas.
#ifndef QUILLMARK_EDITOR_VIEW_CONTROLLER_H_
#define QUILLMARK_EDITOR_VIEW_CONTROLLER_H_

#include <array>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "attrstore/resource_list.h"
#include "editor/controls.h"
#include "editor/selection.h"

namespace quillmark {

// The controls, declared in editor order (Headline, Description, Creator,
// Copyright, Keywords); `keywordsBox` takes keywords typed and not yet in
// `keywordList`. The editor keeps references: they must outlive it.
struct EditorOutlets {
  TextField& headlineBox;
  TextField& DescriptionBox;
  TextField& creatorBox;
  TextField& copyrightBox;
  TextField& keywordsBox;
  Checkbox& headlineCheckbox;
  Checkbox& descriptionCheckbox;
  Checkbox& creatorCheckbox;
  Checkbox& copyrightCheckbox;
  Checkbox& keywordsCheckbox;
  Button& saveButtonSetting;
  Button& writefolderButtonSetting;
  KeywordList& keywordList;
};

// The panels and the alert; a null `progress` never stops a walk, and it
// hears from the walk at most once per `progressInterval`. `useImageValues`
// (may be null) stands for the action that fills fields from the image.
struct EditorServices {
  OpenPanel& openPanel;
  SavePanel& savePanel;
  ErrorAlert& alert;
  WalkProgress* progress = nullptr;
  std::chrono::nanoseconds progressInterval = std::chrono::milliseconds(30);
  Button* useImageValues = nullptr;
};

class ViewController {
 public:
  // `window` may be null: the editor is then shown in none.
  ViewController(EditorOutlets outlets, EditorServices services, Window* window);
  ~ViewController();
  ViewController(const ViewController&) = delete;
  ViewController& operator=(const ViewController&) = delete;

  // Lifecycle: disables both buttons and turns the checkboxes off.
  void viewDidLoad();
  // Titles the window "Quillmark".
  void viewDidAppear();

  // Whether Save and Write Folder also keep the desktop copies (attrstore/desktop_copies.h); off at first.
  void setDesktopCopies(bool on) { desktopCopies_ = on; }

  // The six actions.
  void openButton();
  void saveButton();
  void selectFolderButton();
  void writeFolderButton();
  void saveTextButton();
  // Opens `url` as the Open panel's choice does (the command line, a drop).
  void open(const std::filesystem::path& url);
  // Opens several items to be edited together; one is open(). An image that cannot be read
  // only gives no hints.
  void openItems(std::vector<std::filesystem::path> urls);
  // Fills each empty field that shows a value embedded in the opened image
  // with that value; over several items, Save then gives each item its own
  // image's value. Nothing is saved, and nothing is ever written to the image.
  void useImageValuesButton();

 private:
  struct Row;  // one list position and its controls
  // The controls of each list position, in list order.
  std::array<Row, 5> rows() const;

  void folderChosen(const std::filesystem::path& url);
  // Shows the selection's values in the fields, but for those marked in `keep`.
  void show(std::array<bool, 5> keep = {});
  ErrorAlert::Answer showErrorAlert(std::string_view message, bool offerStop);

  // Shows the embedded values as placeholders where nothing else is shown,
  // and allows the action that fills them in only where one is shown.
  void showImageHints();
  // What Save would apply, from the controls as the user has left them.
  SelectionEdit currentEdit() const;

  Selection selection_;
  // Each field's text as shown, to tell which the user changed.
  std::array<std::string, 5> shown_;
  // Use Values from the Image: the positions it filled, with the text it put there.
  std::array<bool, 5> imageFilled_{};
  std::array<std::string, 5> imageFill_;
  std::optional<std::filesystem::path> theSourceFolderURL_;
  bool desktopCopies_ = false;

  EditorOutlets outlets_;
  EditorServices services_;
  Window* window_;
  // Panel completions hold a weak reference, so a panel that outlives its
  // editor (the free-standing save panel) finds it gone and does nothing.
  std::shared_ptr<ViewController*> self_;
};

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_VIEW_CONTROLLER_H_

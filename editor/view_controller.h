// The editor: the state of one window, its twelve controls and five actions.
//
// ViewController pairs the five attribute names (list order: Copyright,
// Creator, Description, Headline, Keywords) with their fields and checkboxes
// in one table, and runs Open, Save, Select Folder, Write Folder and Save Text
// on the calling (main) thread. Every failure is shown in the modal error
// alert and the action goes on; nothing is logged and no success is announced.
#ifndef QUILLMARK_EDITOR_VIEW_CONTROLLER_H_
#define QUILLMARK_EDITOR_VIEW_CONTROLLER_H_

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "attrstore/resource_list.h"
#include "editor/controls.h"

namespace quillmark {

// The twelve controls, declared in editor order (Headline, Description, Creator,
// Copyright, Keywords). The editor keeps references: they must outlive it.
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
};

// The panels and the alert; `progress` may be null (the walk then never stops early).
struct EditorServices {
  OpenPanel& openPanel;
  SavePanel& savePanel;
  AlertFactory& alerts;
  WalkProgress* progress = nullptr;
};

class ViewController : public WindowDelegate {
 public:
  static constexpr std::string_view itemCopyright = ResourceList::itemCopyright;
  static constexpr std::string_view itemCreator = ResourceList::itemCreator;
  static constexpr std::string_view itemDescription = ResourceList::itemDescription;
  static constexpr std::string_view itemHeadline = ResourceList::itemHeadline;
  static constexpr std::string_view itemKeywords = ResourceList::itemKeywords;

  ViewController(EditorOutlets outlets, EditorServices services);
  ~ViewController() override;
  ViewController(const ViewController&) = delete;
  ViewController& operator=(const ViewController&) = delete;

  // The window showing the editor, or null when it is in none.
  void setWindow(Window* window) { window_ = window; }
  Window* window() const { return window_; }

  // Lifecycle: fills itemList, disables both buttons and turns the checkboxes off.
  void viewDidLoad();
  // Becomes the window's delegate and titles it "Quillmark".
  void viewDidAppear();

  // The five actions; each ignores its sender.
  void openButton();
  void saveButton();
  void selectFolderButton();
  void writeFolderButton();
  void saveTextButton();

  void showOpenPanel();
  void showFolderPanel();
  // Shows the critical alert "An error occurred in your last action:" with `message`.
  void showErrorAlert(std::string_view message);

  // State, for the shell and for tests.
  const std::string& theFilename() const { return theFilename_; }
  const std::string& theSourcePath() const { return theSourcePath_; }
  const std::string& theSourceFolderPath() const { return theSourceFolderPath_; }
  const std::optional<std::filesystem::path>& theSourceURL() const { return theSourceURL_; }
  const std::optional<std::filesystem::path>& theSourceFolderURL() const {
    return theSourceFolderURL_;
  }
  const std::vector<ResourceList>& reslist() const { return reslist_; }
  const std::vector<std::string>& itemList() const { return itemList_; }

 private:
  struct Row;          // one list position and its controls
  class FolderWriter;  // Write Folder's work on each entry of the walk
  // The controls of each list position, in list order.
  std::array<Row, 5> rows() const;

  void openCompleted(const std::filesystem::path& url);
  void folderChosen(const std::filesystem::path& url);
  void rereadAndShow(const std::filesystem::path& url);
  // Alerts `prefix` followed by the error's text.
  void showFailure(std::string_view prefix, const PosixError& error);

  std::string theFilename_;
  std::string theSourcePath_;
  std::string theSourceFolderPath_;
  std::optional<std::filesystem::path> theSourceURL_;
  std::optional<std::filesystem::path> theSourceFolderURL_;
  std::vector<ResourceList> reslist_;
  std::vector<std::string> itemList_;

  EditorOutlets outlets_;
  EditorServices services_;
  Window* window_ = nullptr;
  // Panel completions hold a weak reference, so a panel that outlives its
  // editor (the free-standing save panel) finds it gone and does nothing.
  std::shared_ptr<ViewController*> self_;
};

}  // namespace quillmark

#endif  // QUILLMARK_EDITOR_VIEW_CONTROLLER_H_

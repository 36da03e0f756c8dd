#include "editor/view_controller.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "attrstore/codec.h"
#include "attrstore/xattr.h"
#include "editor/folder_walk.h"
#include "editor/report.h"

namespace quillmark {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kWindowTitle = "Quillmark";
constexpr std::string_view kAlertMessage = "An error occurred in your last action:";
constexpr std::string_view kAlertButton = "OK";
constexpr std::string_view kWriteFailed = "setxattr error: ";
constexpr std::string_view kRemoveFailed = "remxattr error: ";
constexpr std::string_view kListFailed = "opendir error: ";

// The one place that turns an error into the text the user reads.
std::string errorText(const PosixError& error) { return error.localizedDescription(); }

// A panel completion that runs `action` only for a confirmed choice, and only
// while the editor that opened the panel still exists.
template <typename Action>
PanelCompletion whenChosen(std::weak_ptr<ViewController*> editor, Action action) {
  return [editor = std::move(editor), action = std::move(action)](int response,
                                                                  std::optional<fs::path> url) {
    if (response != kModalResponseOK || !url) return;
    if (const std::shared_ptr<ViewController*> alive = editor.lock()) action(**alive, *url);
  };
}

}  // namespace

struct ViewController::Row {
  TextField& field;
  Checkbox& checkbox;
};

// The one place that pairs list positions with controls.
std::array<ViewController::Row, 5> ViewController::rows() const {
  return {{
      {outlets_.copyrightBox, outlets_.copyrightCheckbox},
      {outlets_.creatorBox, outlets_.creatorCheckbox},
      {outlets_.DescriptionBox, outlets_.descriptionCheckbox},
      {outlets_.headlineBox, outlets_.headlineCheckbox},
      {outlets_.keywordsBox, outlets_.keywordsCheckbox},
  }};
}

namespace {

// Positions past the table (itemList never has any) share its last row.
template <typename Table>
auto& rowAt(Table& table, std::size_t position) {
  return table[std::min(position, table.size() - 1)];
}

}  // namespace

ViewController::ViewController(EditorOutlets outlets, EditorServices services)
    : outlets_(outlets), services_(services), self_(std::make_shared<ViewController*>(this)) {}

ViewController::~ViewController() = default;

void ViewController::viewDidLoad() {
  itemList_.assign(ResourceList::kListOrder.begin(), ResourceList::kListOrder.end());
  outlets_.saveButtonSetting.setEnabled(false);
  outlets_.writefolderButtonSetting.setEnabled(false);
  outlets_.headlineCheckbox.setState(kControlStateOff);
  outlets_.descriptionCheckbox.setState(kControlStateOff);
  outlets_.creatorCheckbox.setState(kControlStateOff);
  outlets_.copyrightCheckbox.setState(kControlStateOff);
  outlets_.keywordsCheckbox.setState(kControlStateOff);
}

void ViewController::viewDidAppear() {
  if (window_ == nullptr) return;
  window_->setDelegate(this);
  window_->setTitle(kWindowTitle);
}

void ViewController::showErrorAlert(std::string_view message) {
  std::unique_ptr<Alert> alert = services_.alerts.makeAlert();
  alert->setMessageText(kAlertMessage);
  alert->setInformativeText(message);
  alert->setAlertStyle(AlertStyle::kCritical);
  alert->addButtonWithTitle(kAlertButton);
  alert->runModal();
}

void ViewController::showFailure(std::string_view prefix, const PosixError& error) {
  std::string message(prefix);
  message += errorText(error);
  showErrorAlert(message);
}

// --- Open -------------------------------------------------------------------

void ViewController::openButton() { showOpenPanel(); }

void ViewController::showOpenPanel() {
  OpenPanelSettings settings;
  settings.allowsMultipleSelection = false;
  settings.canChooseDirectories = true;
  settings.canChooseFiles = true;
  settings.showsHiddenFiles = true;
  settings.treatsFilePackagesAsDirectories = true;
  services_.openPanel.beginSheetModal(
      settings, window_, whenChosen(self_, [](ViewController& editor, const fs::path& url) {
        editor.openCompleted(url);
      }));
}

void ViewController::openCompleted(const fs::path& url) {
  theSourcePath_ = url.string();
  theFilename_ = lastPathComponent(url);
  if (window_ != nullptr) window_->setTitle(theFilename_);
  theSourceURL_ = url;
  rereadAndShow(url);
  outlets_.saveButtonSetting.setEnabled(true);
  outlets_.writefolderButtonSetting.setEnabled(false);
}

void ViewController::rereadAndShow(const fs::path& url) {
  reslist_.clear();
  reslist_.emplace_back(url);
  const std::vector<ResourceItem>& children = reslist_.front().children();
  if (children.size() != itemList_.size()) return;
  const auto table = rows();
  for (std::size_t i = 0; i < children.size(); ++i) {
    const ResourceItem& child = children[i];
    rowAt(table, i).field.setStringValue(child.data().empty() ? std::string() : child.textValue());
  }
}

// --- Save -------------------------------------------------------------------

void ViewController::saveButton() {
  if (!theSourceURL_ || theSourceURL_->empty()) return;
  if (reslist_.empty() || reslist_.front().children().size() != itemList_.size()) return;
  const fs::path url = *theSourceURL_;
  const auto table = rows();
  for (std::size_t i = 0; i < itemList_.size(); ++i) {
    const Row& row = rowAt(table, i);
    const std::string text = row.field.stringValue();
    const int state = row.checkbox.state();
    if (!text.empty()) {
      const Data value = encodeAttributeValue(text);
      // Text that is not UTF-8 has no stored form; an empty value would look
      // like a successful save of nothing.
      if (value.empty()) {
        showFailure(kWriteFailed, makePosixError(EINVAL));
        continue;
      }
      try {
        writeXattr(url, value, itemList_[i]);
      } catch (const PosixError& error) {
        showFailure(kWriteFailed, error);
      }
    } else if (state == kControlStateOn) {
      try {
        removeXattr(url, itemList_[i]);
      } catch (const PosixError& error) {
        showFailure(kRemoveFailed, error);
      }
    }
  }
  // Show what is stored now, whatever failed above.
  rereadAndShow(url);
}

// --- Select Folder and Write Folder -----------------------------------------

void ViewController::selectFolderButton() { showFolderPanel(); }

void ViewController::showFolderPanel() {
  OpenPanelSettings settings;
  settings.allowsMultipleSelection = false;
  settings.canChooseDirectories = true;
  settings.showsHiddenFiles = true;
  settings.canChooseFiles = false;
  settings.treatsFilePackagesAsDirectories = true;
  services_.openPanel.beginSheetModal(
      settings, window_, whenChosen(self_, [](ViewController& editor, const fs::path& url) {
        editor.folderChosen(url);
      }));
}

void ViewController::folderChosen(const fs::path& url) {
  theSourceFolderPath_ = url.string();
  theFilename_ = lastPathComponent(url);
  if (window_ != nullptr) window_->setTitle(theFilename_);
  theSourceFolderURL_ = url;
  outlets_.saveButtonSetting.setEnabled(false);
  outlets_.writefolderButtonSetting.setEnabled(true);
  outlets_.copyrightBox.setStringValue("");
  outlets_.creatorBox.setStringValue("");
  outlets_.DescriptionBox.setStringValue("");
  outlets_.headlineBox.setStringValue("");
  outlets_.keywordsBox.setStringValue("");
}

// Writes the non-empty fields to each entry. The fields are read again for
// every entry, since the user may edit them while the walk reports progress,
// but a text is only encoded again when it has changed.
class ViewController::FolderWriter final : public FolderVisitor {
 public:
  explicit FolderWriter(ViewController& editor)
      : editor_(editor),
        table_(editor.rows()),
        names_(editor.itemList_),
        encoded_(editor.itemList_.size()) {}

  void visitEntry(const std::string& path) override {
    // Built only when something is written: the attribute calls take paths.
    std::optional<fs::path> entry;
    for (std::size_t i = 0; i < names_.size(); ++i) {
      std::string text = rowAt(table_, i).field.stringValue();
      if (text.empty()) continue;
      Encoded& encoded = encoded_[i];
      if (text != encoded.text) {
        encoded.value = encodeAttributeValue(text);
        encoded.text = std::move(text);
      }
      if (encoded.value.empty()) {
        editor_.showFailure(kWriteFailed, makePosixError(EINVAL));
        continue;
      }
      if (!entry) entry.emplace(path);
      try {
        // Not through a link that replaced the entry after it was listed.
        writeXattrNoFollow(*entry, encoded.value, names_[i]);
      } catch (const PosixError& error) {
        editor_.showFailure(kWriteFailed, error);
      }
    }
  }

  void folderUnlistable(const std::string& /*path*/, int error) override {
    editor_.showFailure(kListFailed, makePosixError(error));
  }

 private:
  struct Encoded {
    std::string text;
    Data value;
  };

  ViewController& editor_;
  const std::array<Row, 5> table_;
  const std::vector<std::string> names_;
  std::vector<Encoded> encoded_;
};

void ViewController::writeFolderButton() {
  if (!theSourceFolderURL_) return;
  FolderWriter writer(*this);
  FolderWalkOptions options;
  options.progress = services_.progress;
  // A chosen folder that cannot be opened at all ends the action without a word.
  walkFolder(*theSourceFolderURL_, writer, options);
}

// --- Save Text --------------------------------------------------------------

void ViewController::saveTextButton() {
  // The report holds the fields as they are now, not when the panel closes.
  const std::string headline = outlets_.headlineBox.stringValue();
  const std::string description = outlets_.DescriptionBox.stringValue();
  const std::string creator = outlets_.creatorBox.stringValue();
  const std::string copyright = outlets_.copyrightBox.stringValue();
  const std::string keywords = outlets_.keywordsBox.stringValue();
  std::string report = buildReport(headline, description, creator, copyright, keywords);

  SavePanelSettings settings;
  settings.canCreateDirectories = true;
  settings.allowedFileTypes = {"text", "txt"};
  services_.savePanel.begin(
      settings,
      whenChosen(self_, [report = std::move(report)](ViewController& editor, const fs::path& url) {
        try {
          writeReportFile(url, report);
        } catch (const PosixError& error) {
          editor.showErrorAlert(errorText(error));
        }
      }));
}

}  // namespace quillmark

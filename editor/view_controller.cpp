#include "editor/view_controller.h"

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
constexpr std::string_view kWriteFailed = "setxattr error: ";
constexpr std::string_view kRemoveFailed = "remxattr error: ";
constexpr std::string_view kListFailed = "opendir error: ";

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

ViewController::ViewController(EditorOutlets outlets, EditorServices services, Window* window)
    : outlets_(outlets),
      services_(services),
      window_(window),
      self_(std::make_shared<ViewController*>(this)) {}

ViewController::~ViewController() = default;

void ViewController::viewDidLoad() {
  outlets_.saveButtonSetting.setEnabled(false);
  outlets_.writefolderButtonSetting.setEnabled(false);
  outlets_.headlineCheckbox.setOn(false);
  outlets_.descriptionCheckbox.setOn(false);
  outlets_.creatorCheckbox.setOn(false);
  outlets_.copyrightCheckbox.setOn(false);
  outlets_.keywordsCheckbox.setOn(false);
}

void ViewController::viewDidAppear() {
  if (window_ != nullptr) window_->setTitle(kWindowTitle);
}

void ViewController::showErrorAlert(std::string_view message) { services_.alert.show(message); }

void ViewController::showFailure(std::string_view prefix, const std::system_error& error) {
  std::string message(prefix);
  message += error.code().message();
  showErrorAlert(message);
}

// --- Open -------------------------------------------------------------------

void ViewController::openButton() {
  services_.openPanel.beginSheetModal(
      PanelChoice::kItem, window_,
      whenChosen(self_, [](ViewController& editor, const fs::path& url) {
        editor.openCompleted(url);
      }));
}

void ViewController::openCompleted(const fs::path& url) {
  if (window_ != nullptr) window_->setTitle(lastPathComponent(url));
  theSourceURL_ = url;
  rereadAndShow(url);
  outlets_.saveButtonSetting.setEnabled(true);
  outlets_.writefolderButtonSetting.setEnabled(false);
}

void ViewController::rereadAndShow(const fs::path& url) {
  const ResourceList reslist(url);
  const auto table = rows();
  for (std::size_t i = 0; i < table.size(); ++i) {
    const ResourceItem& child = reslist.children()[i];
    table[i].field.setStringValue(child.data().empty() ? std::string() : child.textValue());
  }
}

// --- Save -------------------------------------------------------------------

void ViewController::saveButton() {
  if (!theSourceURL_) return;
  const fs::path& url = *theSourceURL_;
  const auto table = rows();
  for (std::size_t i = 0; i < itemList.size(); ++i) {
    const std::string text = table[i].field.stringValue();
    if (!text.empty()) {
      const Data value = encodeAttributeValue(text);
      // Text that is not UTF-8 has no stored form; an empty value would look
      // like a successful save of nothing.
      if (value.empty()) {
        showFailure(kWriteFailed, makePosixError(EINVAL));
        continue;
      }
      try {
        writeXattr(url, value, itemList[i]);
      } catch (const std::system_error& error) {
        showFailure(kWriteFailed, error);
      }
    } else if (table[i].checkbox.isOn()) {
      try {
        removeXattr(url, itemList[i]);
      } catch (const std::system_error& error) {
        showFailure(kRemoveFailed, error);
      }
    }
  }
  // Show what is stored now, whatever failed above.
  rereadAndShow(url);
}

// --- Select Folder and Write Folder -----------------------------------------

void ViewController::selectFolderButton() {
  services_.openPanel.beginSheetModal(
      PanelChoice::kFolder, window_,
      whenChosen(self_, [](ViewController& editor, const fs::path& url) {
        editor.folderChosen(url);
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
}

// Writes the non-empty fields to each entry. The fields are read again for
// every entry, since the user may edit them while the walk reports progress,
// but a text is only encoded again when it has changed.
class ViewController::FolderWriter final : public FolderVisitor {
 public:
  explicit FolderWriter(ViewController& editor) : editor_(editor), table_(editor.rows()) {}

  void visitEntry(const std::string& path) override {
    // Built only when something is written: the attribute calls take paths.
    std::optional<fs::path> entry;
    for (std::size_t i = 0; i < itemList.size(); ++i) {
      std::string text = table_[i].field.stringValue();
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
        writeXattrNoFollow(*entry, encoded.value, itemList[i]);
      } catch (const std::system_error& error) {
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
  std::array<Encoded, 5> encoded_;
};

void ViewController::writeFolderButton() {
  if (!theSourceFolderURL_) return;
  FolderWriter writer(*this);
  // A chosen folder that cannot be opened at all ends the action without a word.
  walkFolder(*theSourceFolderURL_, writer, {services_.progress, services_.progressInterval});
}

// --- Save Text --------------------------------------------------------------

void ViewController::saveTextButton() {
  // The report holds the fields as they are now, not when the panel closes.
  std::string report =
      buildReport(outlets_.headlineBox.stringValue(), outlets_.DescriptionBox.stringValue(),
                  outlets_.creatorBox.stringValue(), outlets_.copyrightBox.stringValue(),
                  outlets_.keywordsBox.stringValue());
  services_.savePanel.begin(
      whenChosen(self_, [report = std::move(report)](ViewController& editor, const fs::path& url) {
        try {
          writeReportFile(url, report);
        } catch (const std::system_error& error) {
          editor.showErrorAlert(error.code().message());
        }
      }));
}

}  // namespace quillmark

#include "editor/view_controller.h"

#include <sys/stat.h>

#include <cerrno>
#include <utility>

#include "attrstore/codec.h"
#include "attrstore/names.h"
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

ErrorAlert::Answer ViewController::showErrorAlert(std::string_view message, bool offerStop) {
  return services_.alert.show(message, offerStop);
}

ErrorAlert::Answer ViewController::showFailure(std::string_view prefix, int error,
                                               bool offerStop) {
  std::string message(prefix);
  message += makePosixError(error).code().message();
  return showErrorAlert(message, offerStop);
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

void ViewController::rereadAndShow(const fs::path& url, std::array<bool, 5> keep) {
  const ResourceList reslist(url);
  const auto table = rows();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (keep[i]) continue;
    const ResourceItem& child = reslist.children()[i];
    table[i].field.setStringValue(child.data().empty() ? std::string() : child.textValue());
  }
}

// --- Save -------------------------------------------------------------------

void ViewController::saveButton() {
  if (!theSourceURL_) return;
  const fs::path& url = *theSourceURL_;
  const Item item = Item::atPath(url.c_str());
  const auto table = rows();
  // A field whose text could not be stored keeps it, so that nothing typed is lost.
  std::array<bool, 5> notStored{};
  for (std::size_t i = 0; i < itemList.size(); ++i) {
    const std::string text = table[i].field.stringValue();
    if (!text.empty()) {
      // Text that is not UTF-8 has no stored form; an empty value would look
      // like a successful save of nothing.
      const Data value = encodeAttributeValue(text);
      try {
        if (value.empty()) throw makePosixError(EINVAL);
        writeXattr(item, value, kValueNames[i].user);
      } catch (const std::system_error& error) {
        notStored[i] = true;
        showFailure(kWriteFailed, error.code().value());
      }
    } else if (table[i].checkbox.isOn()) {
      try {
        removeXattr(item, kValueNames[i].user);
      } catch (const std::system_error& error) {
        showFailure(kRemoveFailed, error.code().value());
      }
    }
  }
  // Show what is stored now, whatever failed above.
  rereadAndShow(url, notStored);
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
// but a text is only encoded again when it has changed. Each failure's alert
// offers to stop the walk.
class ViewController::FolderWriter final : public FolderVisitor {
 public:
  explicit FolderWriter(ViewController& editor) : editor_(editor), table_(editor.rows()) {}

  bool visitEntry(int folder, const char* name, const std::string& /*path*/) override {
    const Item entry = Item::inFolder(folder, name);
    for (std::size_t i = 0; i < itemList.size(); ++i) {
      std::string text = table_[i].field.stringValue();
      if (text.empty()) continue;
      Encoded& encoded = encoded_[i];
      if (text != encoded.text) {
        encoded.value = encodeAttributeValue(text);
        encoded.text = std::move(text);
      }
      int error = encoded.value.empty() ? EINVAL : 0;
      if (error == 0) {
        try {
          writeXattr(entry, encoded.value, kValueNames[i].user);
        } catch (const std::system_error& failure) {
          error = failure.code().value();
          // Gone, or swapped for a link or a special file since it was
          // listed: nothing left here to write, and nothing worth an alert.
          if ((error == ENOENT || error == EPERM) && !isFileOrFolder(folder, name)) return true;
        }
      }
      if (error != 0 && editor_.showFailure(kWriteFailed, error, true) == ErrorAlert::Answer::kStop) {
        return false;
      }
    }
    return true;
  }

  bool folderUnlistable(const std::string& /*path*/, int error) override {
    return editor_.showFailure(kListFailed, error, true) == ErrorAlert::Answer::kGoOn;
  }

 private:
  struct Encoded {
    std::string text;
    Data value;
  };

  static bool isFileOrFolder(int folder, const char* name) {
    struct stat status;
    return fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
           (S_ISREG(status.st_mode) || S_ISDIR(status.st_mode));
  }

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
          editor.showErrorAlert(error.code().message(), false);
        }
      }));
}

}  // namespace quillmark

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/file_panels.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <utility>

#include "app/controls_qt.h"
#include "app/paths.h"

namespace quillmark {

namespace {

// Qt's file modes offer "files" or "a folder", never "either", and Qt's own
// check that a chosen name exists fails for names that are not UTF-8. This
// dialog's accept button takes whatever items are selected, files and folders
// alike (only a double click, or Enter in the list, still goes into a folder,
// which is how people browse); anything else gets Qt's own handling and messages.
class ChooserDialog : public QFileDialog {
 public:
  ChooserDialog(QWidget* parent, bool foldersOnly)
      : QFileDialog(parent), foldersOnly_(foldersOnly) {}

  const QStringList& chosen() const { return chosen_; }

  // Qt enables its accept button only for names that exist as Qt spells them,
  // which a name that is not UTF-8 never does; this keeps it on for those too.
  void enableAcceptForAnyName() {
    auto* buttons = findChild<QDialogButtonBox*>();
    auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (buttons == nullptr || name == nullptr) return;  // the desktop's own dialog
    const auto update = [this, buttons] {
      if (allChoosable(selectedFiles())) {
        buttons->button(QDialogButtonBox::Open)->setEnabled(true);
      }
    };
    connect(name, &QLineEdit::textChanged, this, update);
    connect(this, &QFileDialog::currentChanged, this, update);
  }

  void accept() override {
    const QStringList files = selectedFiles();
    if (allChoosable(files)) {
      chosen_ = files;
      QDialog::accept();  // not QFileDialog::accept(), which would enter a folder
      return;
    }
    QFileDialog::accept();
  }

 private:
  bool allChoosable(const QStringList& files) const {
    return !files.isEmpty() && (files.size() == 1 || !foldersOnly_) &&
           std::all_of(files.begin(), files.end(), [this](const QString& shown) { return choosable(shown); });
  }
  bool choosable(const QString& shown) const {
    const PathOnDisk found = pathOnDisk(shown);
    if (found.ambiguous) return true;  // the panel's completion says why it cannot be opened
    std::error_code ignored;
    const std::filesystem::file_status status = std::filesystem::status(found.path, ignored);
    return foldersOnly_ ? std::filesystem::is_directory(status) : std::filesystem::exists(status);
  }

  bool foldersOnly_;
  QStringList chosen_;
};

}  // namespace

void QtPanel::answerNext(std::optional<std::filesystem::path> path) {
  answers_.push_back(std::move(path));
}

// Answers from the event loop rather than right away: the editor expects its
// begin call to return before the completion runs.
bool QtPanel::answerLater(PanelCompletion& completion) {
  if (answers_.empty()) return false;
  std::vector<std::filesystem::path> answer;
  if (answers_.front()) answer.push_back(std::move(*answers_.front()));
  QTimer::singleShot(0, QCoreApplication::instance(),
                     [answer = std::move(answer), done = std::move(completion)] { done(answer); });
  answers_.pop_front();
  return true;
}

void QtPanel::completeOnFinish(QFileDialog* dialog, PanelCompletion completion) {
  auto pending = std::make_shared<PanelCompletion>(std::move(completion));
  QObject::connect(dialog, &QDialog::finished, dialog, [this, dialog, pending](int result) {
    if (!*pending) return;
    PanelCompletion done = std::exchange(*pending, nullptr);
    // Deleted later: the completion may run an alert's event loop meanwhile.
    dialog->deleteLater();
    const auto* chooser = dynamic_cast<ChooserDialog*>(dialog);
    const QStringList shown = result != QDialog::Accepted ? QStringList()
                              : chooser != nullptr        ? chooser->chosen()
                                                          : dialog->selectedFiles().mid(0, 1);
    std::vector<std::filesystem::path> chosen;
    for (const QString& name : shown) {
      const PathOnDisk found = pathOnDisk(name);
      if (found.ambiguous) {
        alert_.show(QCoreApplication::translate("Panels",
                                                "Several items in “%1” are shown as “%2”. Rename "
                                                "one of them, or drop it on the window instead.")
                        .arg(fromPath(found.path.parent_path()), fromPath(found.path.filename()))
                        .toStdString(),
                    false);
        return done({});
      }
      chosen.push_back(found.path);
    }
    done(std::move(chosen));
  });
}

FileOpenPanel::~FileOpenPanel() { delete active_.data(); }

QFileDialog* FileOpenPanel::activeDialog() const {
  return active_ != nullptr && active_->isVisible() ? active_.data() : nullptr;
}

void FileOpenPanel::beginSheetModal(PanelChoice choice, Window* window,
                                    const std::filesystem::path& near, PanelCompletion completion) {
  if (answerLater(completion)) return;

  QWidget* parent = widgetOf(window);
  auto* dialog = new ChooserDialog(parent, choice == PanelChoice::kFolder);
  if (choice == PanelChoice::kItem) {
    // Only Qt's own dialog can be made to take a file or a folder. Packages
    // are plain folders on Linux, so they are entered like any folder.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setWindowTitle(QCoreApplication::translate("Panels", "Open"));
  } else {
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setWindowTitle(QCoreApplication::translate("Panels", "Select Folder"));
    if (!nativeAllowed()) dialog->setOption(QFileDialog::DontUseNativeDialog);
  }
  if (!near.empty()) dialog->setDirectory(fromPath(near));
  dialog->setFilter(dialog->filter() | QDir::Hidden);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setWindowModality(parent != nullptr ? Qt::WindowModal : Qt::ApplicationModal);

  dialog->enableAcceptForAnyName();
  completeOnFinish(dialog, std::move(completion));
  active_ = dialog;
  dialog->open();
}

FileSavePanel::~FileSavePanel() {
  for (const QPointer<QFileDialog>& dialog : std::as_const(dialogs_)) delete dialog.data();
}

QFileDialog* FileSavePanel::activeDialog() const {
  for (auto it = dialogs_.crbegin(); it != dialogs_.crend(); ++it) {
    if (!it->isNull() && (*it)->isVisible()) return it->data();
  }
  return nullptr;
}

void FileSavePanel::begin(PanelCompletion completion) {
  if (answerLater(completion)) return;

  // No parent: a window of its own, so it blocks nothing while it is up. New
  // folders can be made from it (the dialog is not read-only); a name typed
  // without an extension gets the first type's.
  auto* dialog = new QFileDialog(nullptr, QCoreApplication::translate("Panels", "Save Text"));
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  if (!nativeAllowed()) dialog->setOption(QFileDialog::DontUseNativeDialog);
  const QString text = QCoreApplication::translate("Panels", "Text");
  dialog->setNameFilters({text + QStringLiteral(" (*.text)"), text + QStringLiteral(" (*.txt)")});
  dialog->setDefaultSuffix(QStringLiteral("text"));
  dialog->setWindowModality(Qt::NonModal);

  dialogs_.removeAll(nullptr);
  dialogs_.append(dialog);
  completeOnFinish(dialog, std::move(completion));
  dialog->show();
}

}  // namespace quillmark

#include "app/file_panels.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <utility>

#include "app/controls_qt.h"

namespace quillmark {

namespace {

// Qt's file modes offer "a file" or "a folder", never "either". This dialog
// lists both and lets its accept button take whatever is selected; only a
// double click (or Enter in the list) still goes into a folder, which is how
// people browse. Names that do not exist get Qt's own message.
class FileOrFolderDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

  const QString& chosen() const { return chosen_; }

  void accept() override {
    const QStringList files = selectedFiles();
    if (files.size() == 1 && QFileInfo::exists(files.first())) {
      chosen_ = files.first();
      QDialog::accept();  // not QFileDialog::accept(), which would enter a folder
      return;
    }
    QFileDialog::accept();
  }

 private:
  QString chosen_;
};

QString chosenPath(QFileDialog& dialog) {
  if (auto* either = dynamic_cast<FileOrFolderDialog*>(&dialog)) return either->chosen();
  return dialog.selectedFiles().value(0);
}

// Calls `completion` once, when `dialog` finishes, then disposes of the dialog.
void completeOnFinish(QFileDialog* dialog, PanelCompletion completion) {
  auto pending = std::make_shared<PanelCompletion>(std::move(completion));
  QObject::connect(dialog, &QDialog::finished, dialog, [dialog, pending](int result) {
    if (!*pending) return;
    PanelCompletion done = std::exchange(*pending, nullptr);
    // Deleted later: the completion may run an alert's event loop meanwhile.
    dialog->deleteLater();
    const QString path = result == QDialog::Accepted ? chosenPath(*dialog) : QString();
    done(path.isEmpty() ? std::nullopt : std::optional(toPath(path)));
  });
}

}  // namespace

std::filesystem::path toPath(const QString& fileName) {
  return std::filesystem::path(QFile::encodeName(fileName).toStdString());
}

QString fromPath(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

FileOpenPanel::~FileOpenPanel() { delete active_.data(); }

QFileDialog* FileOpenPanel::activeDialog() const {
  return active_ != nullptr && active_->isVisible() ? active_.data() : nullptr;
}

void AnswerablePanel::answerNext(std::optional<std::filesystem::path> path) {
  answers_.push_back(std::move(path));
}

// Answers from the event loop rather than right away: the editor expects its
// begin call to return before the completion runs.
bool AnswerablePanel::answerLater(PanelCompletion& completion) {
  if (answers_.empty()) return false;
  QTimer::singleShot(0, QCoreApplication::instance(),
                     [answer = std::move(answers_.front()), done = std::move(completion)] {
                       done(answer);
                     });
  answers_.pop_front();
  return true;
}

void FileOpenPanel::beginSheetModal(PanelChoice choice, Window* window,
                                    PanelCompletion completion) {
  if (answerLater(completion)) return;

  QWidget* parent = widgetOf(window);
  QFileDialog* dialog = nullptr;
  if (choice == PanelChoice::kItem) {
    // Only Qt's own dialog can be made to take a file or a folder. Packages
    // are plain folders on Linux, so they are entered like any folder.
    dialog = new FileOrFolderDialog(parent);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setWindowTitle(QFileDialog::tr("Open"));
  } else {
    dialog = new QFileDialog(parent);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setWindowTitle(QFileDialog::tr("Select Folder"));
    if (!nativeAllowed()) dialog->setOption(QFileDialog::DontUseNativeDialog);
  }
  dialog->setFilter(dialog->filter() | QDir::Hidden);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setWindowModality(parent != nullptr ? Qt::WindowModal : Qt::ApplicationModal);

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
  auto* dialog = new QFileDialog(nullptr, QFileDialog::tr("Save Text"));
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  if (!nativeAllowed()) dialog->setOption(QFileDialog::DontUseNativeDialog);
  const QString text = QFileDialog::tr("Text");
  dialog->setNameFilters({text + QStringLiteral(" (*.text)"), text + QStringLiteral(" (*.txt)")});
  dialog->setDefaultSuffix(QStringLiteral("text"));
  dialog->setWindowModality(Qt::NonModal);

  dialogs_.removeAll(nullptr);
  dialogs_.append(dialog);
  completeOnFinish(dialog, std::move(completion));
  dialog->show();
}

}  // namespace quillmark

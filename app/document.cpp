#include "app/document.h"

#include <QAction>
#include <QEvent>
#include <QPushButton>

#include "app/controls_qt.h"
#include "app/file_panels.h"
#include "app/message_alert.h"
#include "app/qm_window.h"
#include "app/walk_progress_dialog.h"
#include "editor/view_controller.h"
#include "ui_main_window.h"

namespace quillmark {

namespace {

void fail(DocumentError* error) {
  if (error == nullptr) return;
  *error =
      DocumentError{std::string(DocumentError::kOSStatusDomain), DocumentError::kUnimplemented, {}};
}

}  // namespace

// The adapters and the editor of one window. Members are destroyed in reverse:
// the editor first, then what it refers to.
struct Document::Adapters {
  Adapters(QMWindow& window, Ui::MainWindow& ui)
      : windowControl(window),
        headline(*ui.headlineBox),
        description(*ui.DescriptionBox),
        creator(*ui.creatorBox),
        copyright(*ui.copyrightBox),
        keywords(*ui.keywordsBox),
        headlineCheck(*ui.headlineCheckbox),
        descriptionCheck(*ui.descriptionCheckbox),
        creatorCheck(*ui.creatorCheckbox),
        copyrightCheck(*ui.copyrightCheckbox),
        keywordsCheck(*ui.keywordsCheckbox),
        save(*ui.saveButtonSetting),
        writeFolder(*ui.writefolderButtonSetting),
        alerts(&window),
        progress(&window),
        editor(EditorOutlets{headline, description, creator, copyright, keywords, headlineCheck,
                             descriptionCheck, creatorCheck, copyrightCheck, keywordsCheck, save,
                             writeFolder},
               EditorServices{openPanel, savePanel, alerts, &progress}) {
    save.addMirror(ui.saveAction);
  }

  WidgetWindow windowControl;
  LineEditField headline, description, creator, copyright, keywords;
  CheckBoxControl headlineCheck, descriptionCheck, creatorCheck, copyrightCheck, keywordsCheck;
  PushButtonControl save, writeFolder;
  FileOpenPanel openPanel;
  FileSavePanel savePanel;
  MessageAlertFactory alerts;
  WalkProgressDialog progress;
  ViewController editor;
};

Document::Document(QObject* parent) : QObject(parent) {}

Document::~Document() {
  // The window goes last; it must not report its own teardown to a half-gone document.
  if (window_ != nullptr) window_->removeEventFilter(this);
}

std::optional<QByteArray> Document::dataOfType(const QString& /*typeName*/,
                                               DocumentError* error) const {
  fail(error);
  return std::nullopt;
}

bool Document::readFromData(const QByteArray& /*data*/, const QString& /*typeName*/,
                            DocumentError* error) {
  fail(error);
  return false;
}

void Document::makeWindowControllers() {
  if (window_ != nullptr) return;
  window_ = std::make_unique<QMWindow>();
  ui_ = std::make_unique<Ui::MainWindow>();
  ui_->setupUi(window_.get());
  adapters_ = std::make_unique<Adapters>(*window_, *ui_);
  ViewController& editor = adapters_->editor;
  editor.setWindow(&adapters_->windowControl);

  const Ui::MainWindow& ui = *ui_;
  connect(ui.openButton, &QPushButton::clicked, this, [&editor] { editor.openButton(); });
  connect(ui.saveButtonSetting, &QPushButton::clicked, this, [&editor] { editor.saveButton(); });
  connect(ui.selectFolderButton, &QPushButton::clicked, this,
          [&editor] { editor.selectFolderButton(); });
  connect(ui.writefolderButtonSetting, &QPushButton::clicked, this, &Document::writeFolder);
  connect(ui.saveTextButton, &QPushButton::clicked, this, [&editor] { editor.saveTextButton(); });
  connect(ui.openAction, &QAction::triggered, this, [&editor] { editor.openButton(); });
  connect(ui.saveAction, &QAction::triggered, this, [&editor] { editor.saveButton(); });
  connect(ui.closeWindowAction, &QAction::triggered, window_.get(), &QWidget::close);

  // QMWindow adds nothing to QMainWindow, so its show and close events are watched here.
  window_->installEventFilter(this);
  ui.headlineBox->setFocus();
  editor.viewDidLoad();
}

void Document::showWindows() {
  makeWindowControllers();
  window_->show();
  window_->raise();
  window_->activateWindow();
}

void Document::openPath(const std::filesystem::path& path) {
  makeWindowControllers();
  adapters_->openPanel.answerNext(kModalResponseOK, path);
  adapters_->editor.openButton();
}

ViewController* Document::editor() const { return adapters_ ? &adapters_->editor : nullptr; }
FileOpenPanel& Document::openPanel() const { return adapters_->openPanel; }
FileSavePanel& Document::savePanel() const { return adapters_->savePanel; }
MessageAlertFactory& Document::alerts() const { return adapters_->alerts; }
WalkProgressDialog& Document::walkProgress() const { return adapters_->progress; }

void Document::writeFolder() {
  walking_ = true;
  adapters_->progress.begin();
  adapters_->editor.writeFolderButton();
  adapters_->progress.walkEnded();
  walking_ = false;
}

bool Document::eventFilter(QObject* watched, QEvent* event) {
  if (watched != window_.get() || adapters_ == nullptr) return false;
  switch (event->type()) {
    case QEvent::Show:
      adapters_->editor.viewDidAppear();
      break;
    case QEvent::Close:
      // The walk's progress reports let events through, but the window its
      // editor works for must stay until the walk has ended.
      if (walking_) {
        event->ignore();
        return true;
      }
      Q_EMIT windowClosed(this);
      break;
    default:
      break;
  }
  return false;
}

}  // namespace quillmark

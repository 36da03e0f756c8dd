// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/document.h"

#include <QAction>
#include <QCheckBox>
#include <QMetaObject>
#include <QSocketNotifier>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>

#include "app/controls_qt.h"
#include "app/file_panels.h"
#include "app/keyword_list_qt.h"
#include "app/message_alert.h"
#include "app/paths.h"
#include "app/qm_window.h"
#include "app/tag_list_qt.h"
#include "app/walk_progress_dialog.h"
#include "editor/view_controller.h"
#include "ui_main_window.h"

namespace quillmark {

namespace {

// The local items dropped in `mime`, as Open would take them.
std::vector<std::filesystem::path> droppedItems(const QMimeData* mime) {
  const QByteArray list = mime->data(QStringLiteral("text/uri-list"));
  return pathsFromUriList({list.constData(), static_cast<std::size_t>(list.size())});
}

// The window's event loop for the editor: tasks posted from the reader's thread run on the
// window's, and the item watch's descriptor is heard through a socket notifier.
class QtEventLoop : public EventLoop {
 public:
  explicit QtEventLoop(QObject& context) : context_(context) {}
  void post(std::function<void()> task) override {
    QMetaObject::invokeMethod(&context_, std::move(task), Qt::QueuedConnection);
  }
  void watch(int descriptor, std::function<void()> readable) override {
    delete std::exchange(notifier_, nullptr);
    if (descriptor < 0) return;
    notifier_ = new QSocketNotifier(descriptor, QSocketNotifier::Read, &context_);
    QObject::connect(notifier_, &QSocketNotifier::activated, &context_, std::move(readable));
  }

 private:
  QObject& context_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace

// The adapters and the editor of one window. Members are destroyed in reverse:
// the editor first, then what it refers to.
struct Document::Adapters {
  Adapters(QMWindow& window, Ui::MainWindow& ui, QObject& context)
      : windowControl(window, *ui.itemsLabel, *ui.readingPanel, *ui.readingBar),
        loop(context),
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
        useImageValues(*ui.useImageValuesAction),
        keywordList(*ui.keywordList, *ui.keywordsBox, *ui.removeKeywordButton,
                    *ui.keywordToAllButton),
        tags(*ui.tagsBox, false),
        tagList(*ui.tagList, *ui.tagsBox, *ui.removeTagButton, *ui.tagToAllButton,
                *ui.tagColourButton),
        alert(&window),
        openPanel(alert),
        savePanel(alert),
        progress(&window, std::chrono::milliseconds(500)),
        editor(EditorOutlets{headline, description, creator, copyright, keywords, headlineCheck,
                             descriptionCheck, creatorCheck, copyrightCheck, keywordsCheck, save,
                             writeFolder, keywordList, tags, tagList},
               EditorServices{.openPanel = openPanel,
                              .savePanel = savePanel,
                              .alert = alert,
                              .progress = &progress,
                              .useImageValues = &useImageValues,
                              .questions = &alert,
                              .loop = &loop},
               &windowControl) {
    save.addMirror(ui.saveAction);
    windowControl.setRevertAction(ui.revertAction);
  }

  WidgetWindow windowControl;
  QtEventLoop loop;
  LineEditField headline, description, creator, copyright, keywords;
  CheckBoxControl headlineCheck, descriptionCheck, creatorCheck, copyrightCheck, keywordsCheck;
  PushButtonControl save, writeFolder;
  ActionControl useImageValues;
  KeywordListControl keywordList;
  LineEditField tags;
  TagListControl tagList;
  MessageAlert alert;
  FileOpenPanel openPanel;
  FileSavePanel savePanel;
  WalkProgressDialog progress;
  ViewController editor;
};

Document::Document(QObject* parent) : QObject(parent) {}

Document::~Document() {
  // The window goes last; it must not report its own teardown to a half-gone document.
  if (window_ != nullptr) window_->removeEventFilter(this);
}

void Document::makeWindowControllers() {
  if (window_ != nullptr) return;
  window_ = std::make_unique<QMWindow>();
  ui_ = std::make_unique<Ui::MainWindow>();
  ui_->setupUi(window_.get());
  adapters_ = std::make_unique<Adapters>(*window_, *ui_, *this);
  ViewController& editor = adapters_->editor;

  const Ui::MainWindow& ui = *ui_;
  const auto save = [this] {
    withProgress(QCoreApplication::translate("WalkProgress", "Save"), &ViewController::saveButton);
  };
  connect(ui.openButton, &QPushButton::clicked, this, [&editor] { editor.openButton(); });
  connect(ui.saveButtonSetting, &QPushButton::clicked, this, save);
  connect(ui.selectFolderButton, &QPushButton::clicked, this,
          [&editor] { editor.selectFolderButton(); });
  connect(ui.writefolderButtonSetting, &QPushButton::clicked, this, [this] {
    withProgress(QCoreApplication::translate("WalkProgress", "Write Folder"),
                 &ViewController::writeFolderButton);
  });
  connect(ui.saveTextButton, &QPushButton::clicked, this, [&editor] { editor.saveTextButton(); });
  connect(ui.openAction, &QAction::triggered, this, [&editor] { editor.openButton(); });
  connect(ui.saveAction, &QAction::triggered, this, save);
  connect(ui.useImageValuesAction, &QAction::triggered, this,
          [&editor] { editor.useImageValuesButton(); });
  connect(ui.closeWindowAction, &QAction::triggered, window_.get(), &QWidget::close);
  connect(ui.desktopCopiesAction, &QAction::toggled, this,
          [&editor](bool on) { editor.setDesktopCopies(on); });
  connect(ui.revertAction, &QAction::triggered, this, [&editor] { editor.revertButton(); });
  connect(ui.stopReadingButton, &QPushButton::clicked, this, [&editor] { editor.stopReading(); });
  KeywordListControl& keywords = adapters_->keywordList;
  connect(&keywords, &KeywordListControl::removeRequested, this,
          [&editor](std::size_t row) { editor.removeKeyword(row); });
  connect(&keywords, &KeywordListControl::giveToAllRequested, this,
          [&editor](std::size_t row) { editor.giveKeywordToAll(row); });
  connect(&keywords, &KeywordListControl::addTypedRequested, this,
          [&editor] { editor.addTypedKeywords(); });
  TagListControl& tags = adapters_->tagList;
  connect(&tags, &TagListControl::removeRequested, this,
          [&editor](std::size_t row) { editor.removeTag(row); });
  connect(&tags, &TagListControl::giveToAllRequested, this,
          [&editor](std::size_t row) { editor.giveTagToAll(row); });
  connect(&tags, &TagListControl::recolourRequested, this,
          [&editor](std::size_t row, TagColour colour) { editor.recolourTag(row, colour); });
  connect(&tags, &TagListControl::addTypedRequested, this, [&editor] { editor.addTypedTags(); });
  // Every edit of the user's: the title's edited mark, and Revert, follow.
  const auto edited = [&editor] { editor.controlsChanged(); };
  for (QLineEdit* field : {ui.headlineBox, ui.DescriptionBox, ui.creatorBox, ui.copyrightBox,
                           ui.keywordsBox, ui.tagsBox})
    connect(field, &QLineEdit::textChanged, this, edited);
  for (QCheckBox* box : {ui.headlineCheckbox, ui.descriptionCheckbox, ui.creatorCheckbox,
                         ui.copyrightCheckbox, ui.keywordsCheckbox})
    connect(box, &QCheckBox::toggled, this, edited);

  // The window's show, close and drop events are watched here.
  window_->installEventFilter(this);
  window_->setAcceptDrops(true);
  for (QLineEdit* field : window_->findChildren<QLineEdit*>()) field->installEventFilter(this);
  ui.headlineBox->setFocus();
  editor.viewDidLoad();
}

void Document::showWindows() {
  makeWindowControllers();
  window_->show();
  window_->raise();
  window_->activateWindow();
}

void Document::openPaths(std::vector<std::filesystem::path> paths) {
  makeWindowControllers();
  adapters_->editor.openItems(std::move(paths));
}

bool Document::reading() const { return adapters_ != nullptr && adapters_->editor.reading(); }

FileOpenPanel& Document::openPanel() const { return adapters_->openPanel; }
FileSavePanel& Document::savePanel() const { return adapters_->savePanel; }
MessageAlert& Document::alert() const { return adapters_->alert; }

// A large selection saves as long as a walk does, with the same progress and Stop.
void Document::withProgress(const QString& title, void (ViewController::*action)()) {
  walking_ = true;
  adapters_->progress.begin(title);
  (adapters_->editor.*action)();
  adapters_->progress.end();
  walking_ = false;
}

bool Document::eventFilter(QObject* watched, QEvent* event) {
  if (adapters_ == nullptr) return false;
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
      // Files dropped anywhere on the window, its fields included, open there;
      // other drops (text into a field) are left to the widget.
      auto* drop = static_cast<QDropEvent*>(event);
      std::vector<std::filesystem::path> items = droppedItems(drop->mimeData());
      if (items.empty() || walking_) return false;
      drop->acceptProposedAction();
      if (event->type() == QEvent::Drop) openPaths(std::move(items));
      return true;
    }
    default:
      break;
  }
  if (watched != window_.get()) return false;
  switch (event->type()) {
    case QEvent::Show:
      adapters_->editor.viewDidAppear();
      break;
    case QEvent::WindowActivate:
      adapters_->editor.windowDidBecomeKey();
      break;
    case QEvent::Close:
      // The walk's progress reports let events through, but the window its
      // editor works for must stay until the walk has ended; edits not saved
      // are not dropped unasked.
      if (walking_ || !adapters_->editor.windowShouldClose()) {
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

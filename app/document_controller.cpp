// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/document_controller.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <algorithm>
#include <limits>

#include "app/app_delegate.h"
#include "app/controls_qt.h"
#include "app/document.h"
#include "app/file_panels.h"
#include "app/message_alert.h"
#include "app/paths.h"
#include "app/qm_window.h"
#include "ui_main_window.h"

namespace quillmark {

namespace {

// More windows than this opening at once are asked about first.
constexpr std::size_t kWindowsWithoutAsking = 12;

const QString kDesktopCopiesKey = QStringLiteral("desktopCopies");

QSettings settings() { return QSettings(QStringLiteral("Quillmark"), QStringLiteral("Quillmark")); }

bool askToOpen(std::size_t count) {
  // Plural forms take an int; no selection comes near its limit.
  const int n = static_cast<int>(std::min<std::size_t>(count, std::numeric_limits<int>::max()));
  QMessageBox box(
      QMessageBox::Question, QApplication::applicationName(),
      QCoreApplication::translate("DocumentController", "Open %Ln window(s)?", nullptr, n));
  box.setInformativeText(QCoreApplication::translate(
      "DocumentController", "Quillmark shows each item in a window of its own."));
  QPushButton* open = box.addButton(
      QCoreApplication::translate("DocumentController", "Open %Ln Window(s)", nullptr, n),
      QMessageBox::AcceptRole);
  box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(open);
  box.exec();
  return box.clickedButton() == open;
}

}  // namespace

DocumentController::DocumentController(AppDelegate& app, ConfirmWindows confirm, QObject* parent)
    : QObject(parent), app_(app), confirmWindows_(std::move(confirm)) {
  if (!confirmWindows_) confirmWindows_ = askToOpen;
}

DocumentController::~DocumentController() { qDeleteAll(std::exchange(documents_, {})); }

void DocumentController::openLaunchArguments(const std::vector<std::string>& arguments) {
  std::vector<std::filesystem::path> paths;
  std::string unopened;
  for (const std::string& argument : arguments) {
    // A URI of another machine, or a relative one, names no item here.
    if (std::optional<std::filesystem::path> path = pathFromArgument(argument)) {
      paths.push_back(std::move(*path));
    } else {
      if (!unopened.empty()) unopened += '\n';
      unopened += toUtf8(
          QCoreApplication::translate("DocumentController",
                                      "“%1” cannot be opened: it names "
                                      "no item on this computer.")
              .arg(QString::fromUtf8(argument.data(), static_cast<qsizetype>(argument.size()))));
    }
  }
  if (paths.size() > kWindowsWithoutAsking && !confirmWindows_(paths.size())) paths.clear();
  Document* first = nullptr;
  for (const std::filesystem::path& path : paths) {
    Document* document = openDocument(path);
    if (first == nullptr) first = document;
  }
  // Without a window nobody could see the alert, or quit.
  if (first == nullptr) first = documents_.isEmpty() ? newDocument() : documents_.back();
  if (unopened.empty()) return;
  // After the launch, so the alert shows over a window that is already up.
  QTimer::singleShot(0, first, [first, unopened] { first->alert().show(unopened, false); });
}

Document* DocumentController::newDocument() {
  auto* document = new Document(this);
  document->makeWindowControllers();
  document->openPanel().setNativeDialogsAllowed(nativeDialogs_);
  document->savePanel().setNativeDialogsAllowed(nativeDialogs_);

  const Ui::MainWindow& ui = *document->ui();
  QWidget* window = document->window();
  connect(ui.newWindowAction, &QAction::triggered, this, [this] { newDocument(); });
  // Closing every window rather than quitting outright lets a window that
  // must stay (one whose Write Folder is running) keep the application up.
  connect(ui.quitAction, &QAction::triggered, qApp, &QApplication::closeAllWindows,
          Qt::QueuedConnection);
  connect(ui.checkForUpdatesAction, &QAction::triggered, &app_, &AppDelegate::openUpdates);
  connect(ui.supportAction, &QAction::triggered, &app_, &AppDelegate::openSupport);
  connect(ui.aboutAction, &QAction::triggered, window, [this, window] { app_.showAbout(window); });
  connect(document, &Document::windowClosed, this, &DocumentController::documentClosed);
  ui.desktopCopiesAction->setChecked(settings().value(kDesktopCopiesKey, false).toBool());
  connect(ui.desktopCopiesAction, &QAction::toggled, this, &DocumentController::setDesktopCopies);

  documents_.append(document);
  document->showWindows();
  return document;
}

Document* DocumentController::openDocument(const std::filesystem::path& path) {
  Document* document = newDocument();
  document->openPath(std::filesystem::absolute(path));
  return document;
}

void DocumentController::setDesktopCopies(bool on) {
  settings().setValue(kDesktopCopiesKey, on);
  for (Document* document : std::as_const(documents_))
    document->ui()->desktopCopiesAction->setChecked(on);
}

void DocumentController::documentClosed(Document* document) {
  documents_.removeOne(document);
  // Later: the window is still in the middle of closing.
  document->deleteLater();
}

}  // namespace quillmark

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/document_controller.h"

#include <QAction>
#include <QApplication>
#include <QSettings>
#include <QTimer>
#include <algorithm>
#include <unordered_set>

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

const QString kDesktopCopiesKey = QStringLiteral("desktopCopies");

QSettings settings() { return QSettings(QStringLiteral("Quillmark"), QStringLiteral("Quillmark")); }

}  // namespace

DocumentController::DocumentController(AppDelegate& app, QObject* parent)
    : QObject(parent), app_(app) {}

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
  Document* first = paths.empty() ? nullptr : openDocument(std::move(paths));
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

Document* DocumentController::openDocument(std::vector<std::filesystem::path> paths) {
  Document* document = newDocument();
  std::vector<std::filesystem::path> items;
  items.reserve(paths.size());
  std::unordered_set<std::string> seen;
  for (const std::filesystem::path& path : paths) {
    // An item named twice (a path and its URI) is one item, saved once.
    std::filesystem::path item = std::filesystem::absolute(path);
    if (seen.insert(item.native()).second) items.push_back(std::move(item));
  }
  // Each path holds a list of its components: two lists of 20,000 would double the peak.
  std::vector<std::filesystem::path>().swap(paths);
  std::unordered_set<std::string>().swap(seen);
  document->openPaths(std::move(items));
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

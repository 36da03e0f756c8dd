// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Quillmark: views and edits the metadata that files and folders carry as
// extended attributes. The paths on the command line open together in one window.
#include <QApplication>
#include <QIcon>
#include <string>
#include <vector>

#include "app/app_delegate.h"
#include "app/document_controller.h"
#include "app/translations.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillmark"));
  QApplication::setDesktopFileName(QStringLiteral("example.quillmark.Quillmark"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("example.quillmark.Quillmark")));
  quillmark::installTranslations();

  quillmark::AppDelegate delegate;
  quillmark::DocumentController documents(delegate);
  // QApplication has taken its own options out of argv; the rest are kept as
  // bytes, since QApplication::arguments() cannot carry names that are not UTF-8.
  documents.openLaunchArguments(std::vector<std::string>(argv + 1, argv + argc));
  // Declined: there is no window whose closing would end the application.
  if (documents.documents().isEmpty()) return 0;
  return QApplication::exec();
}

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// GoogleTest main for the Qt shell's tests: one QApplication for all of them.
// Listing the tests (as CTest's discovery does at build time) needs no display,
// so no application is made for it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include "app/translations.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  // Headless unless asked otherwise (QT_QPA_PLATFORM=xcb to watch the tests).
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Settings the tests change are this process's own: not the user's, nor another run's.
  const QTemporaryDir settings;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
  // The tests read the English texts whatever the machine's language; one run
  // of them is German (LANGUAGE=de, ctest's app.window_in_german).
  if (qEnvironmentVariableIsEmpty("LANGUAGE")) qputenv("LANGUAGE", "en");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillmark"));
  quillmark::installTranslations();
  return RUN_ALL_TESTS();
}

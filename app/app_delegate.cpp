// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/app_delegate.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

namespace quillmark {

namespace {

// The maker's pages. The domain is a reserved one until the maker has a site.
constexpr std::string_view kSupportUrl = "https://quillmark.example/support/extended-attributes";

// Releases are made per platform; this is the Linux one's page.
constexpr std::string_view kUpdatesUrl = "https://quillmark.example/updates/linux";

}  // namespace

AppDelegate::AppDelegate(UrlOpener opener, QObject* parent)
    : QObject(parent), opener_(std::move(opener)) {
  if (!opener_) opener_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::openUpdates() { open(kUpdatesUrl); }

void AppDelegate::openSupport() { open(kSupportUrl); }

void AppDelegate::open(std::string_view address) {
  // A refusal is deliberately ignored.
  (void)opener_(QUrl(QString::fromLatin1(address.data(), static_cast<qsizetype>(address.size()))));
}

void AppDelegate::showAbout(QWidget* window) {
  QMessageBox::about(
      window, QCoreApplication::translate("AppDelegate", "About Quillmark"),
      QCoreApplication::translate(
          "AppDelegate",
          "<p><b>Quillmark %1</b></p>"
          "<p>Views and edits the headline, description, creator, copyright and keywords "
          "that files and folders carry as extended attributes.</p>")
              .arg(QStringLiteral(QUILLMARK_VERSION)) +
          QCoreApplication::translate(
              "AppDelegate",
              "<p>Copyright © 2026 The Quillmark developers</p>"
              "<p>Quillmark is free software: you may pass it on and change it under the terms "
              "of the GNU General Public License, version 3 or (at your option) any later "
              "version (GPL-3.0-or-later). It comes with no warranty.</p>"));
}

}  // namespace quillmark

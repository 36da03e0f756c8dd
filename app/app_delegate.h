// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Application-wide commands: the Help menu's web pages and About box.
//
// Pages open in the desktop's browser through a replaceable UrlOpener; when
// the desktop refuses, nothing is said: there is nothing the user could do
// about it here. Every address the application knows is in app_delegate.cpp.
#ifndef QUILLMARK_APP_APP_DELEGATE_H_
#define QUILLMARK_APP_APP_DELEGATE_H_

#include <QObject>
#include <functional>
#include <string_view>

class QUrl;
class QWidget;

namespace quillmark {

// Hands an address to the desktop; false when it was refused.
using UrlOpener = std::function<bool(const QUrl& url)>;

class AppDelegate : public QObject {
  Q_OBJECT

 public:
  // The default opener is QDesktopServices::openUrl.
  explicit AppDelegate(UrlOpener opener = {}, QObject* parent = nullptr);
  ~AppDelegate() override;

  // The updates page for the running platform.
  void openUpdates();
  void openSupport();
  // The About box, over `window`.
  void showAbout(QWidget* window);

 private:
  void open(std::string_view address);

  UrlOpener opener_;
};

}  // namespace quillmark

#endif  // QUILLMARK_APP_APP_DELEGATE_H_

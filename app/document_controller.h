// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The set of open documents: one untitled window at start (or one for all the
// paths handed over on the command line, edited together), one more per New
// Window, and each gone when its window closes.
//
// Whether Save also keeps the desktop tags and comment is one choice for all
// windows, remembered from one run to the next (off until chosen).
//
// The application quits when its last window closes (Qt's default): a Linux
// desktop has no menu bar for a windowless application to stay in.
#ifndef QUILLMARK_APP_DOCUMENT_CONTROLLER_H_
#define QUILLMARK_APP_DOCUMENT_CONTROLLER_H_

#include <QList>
#include <QObject>
#include <filesystem>
#include <string>
#include <vector>

namespace quillmark {

class AppDelegate;
class Document;

class DocumentController : public QObject {
  Q_OBJECT

 public:
  explicit DocumentController(AppDelegate& app, QObject* parent = nullptr);
  ~DocumentController() override;

  // Opens the arguments (paths, or file: URIs) in one window, edited together;
  // with none that opens, one untitled window. An argument that names no local
  // item is named in an alert.
  // Arguments are what the desktop hands over, as bytes: names need not be UTF-8.
  void openLaunchArguments(const std::vector<std::string>& arguments);

  // A new document with its window on screen.
  Document* newDocument();
  // A new document showing the items at `paths`.
  Document* openDocument(std::vector<std::filesystem::path> paths);

  const QList<Document*>& documents() const { return documents_; }

  // Whether new windows may use the desktop's own file dialogs (tests turn them off).
  void setNativeDialogsAllowed(bool allowed) { nativeDialogs_ = allowed; }

 private:
  void documentClosed(Document* document);
  void setDesktopCopies(bool on);

  AppDelegate& app_;
  QList<Document*> documents_;
  bool nativeDialogs_ = true;
};

}  // namespace quillmark

#endif  // QUILLMARK_APP_DOCUMENT_CONTROLLER_H_

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// One document: a window built from the interface description, with its own
// editor (ViewController) and the adapters between the two.
//
// Documents hold no data of their own: the editor reads and writes the
// attributes directly. The document lives as long as its window: when the
// window closes, windowClosed is emitted and the owner disposes of it.
#ifndef QUILLMARK_APP_DOCUMENT_H_
#define QUILLMARK_APP_DOCUMENT_H_

#include <QObject>
#include <filesystem>
#include <memory>
#include <vector>

namespace Ui {
class MainWindow;
}

namespace quillmark {

class FileOpenPanel;
class FileSavePanel;
class MessageAlert;
class QMWindow;
class ViewController;

class Document : public QObject {
  Q_OBJECT

 public:
  explicit Document(QObject* parent = nullptr);
  ~Document() override;

  // Builds the window and its editor (once); the window is not shown yet.
  void makeWindowControllers();
  void showWindows();
  // Opens `paths` in the editor to be edited together (the command line, a drop), as Open opens
  // what its panel chose.
  void openPaths(std::vector<std::filesystem::path> paths);

  // Whether the items opened are still being read.
  bool reading() const;

  // Null before makeWindowControllers().
  QMWindow* window() const { return window_.get(); }
  Ui::MainWindow* ui() const { return ui_.get(); }

  // The adapters, for the application and tests; only after makeWindowControllers().
  FileOpenPanel& openPanel() const;
  FileSavePanel& savePanel() const;
  MessageAlert& alert() const;

 Q_SIGNALS:
  void windowClosed(quillmark::Document* document);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Runs the editor's `action` (Write Folder, Save) behind the progress dialog titled `title`,
  // which appears only when the action takes long.
  void withProgress(const QString& title, void (ViewController::*action)());

  struct Adapters;
  // Declared in construction order; the editor (in adapters_) goes first.
  std::unique_ptr<QMWindow> window_;
  std::unique_ptr<Ui::MainWindow> ui_;
  std::unique_ptr<Adapters> adapters_;
  bool walking_ = false;
};

}  // namespace quillmark

#endif  // QUILLMARK_APP_DOCUMENT_H_

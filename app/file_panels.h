// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's open, folder and save panels as QFileDialogs.
//
// The open and folder panels are window-modal on the editor's window and start
// in the folder the editor names (beside what it shows); the save panel is a
// free-standing, non-modal window so the editor stays usable while it is up.
// Each begin call returns at once and calls its completion once, when the
// dialog finishes: with the chosen paths as the file system has them (see
// app/paths.h; several only from Open), or with none. A panel destroyed first
// closes its dialogs without answering. A name that stands for several entries
// of its folder is not guessed at: the error alert says so and the panel answers nothing.
//
// A panel can be given its answer in advance (answerNext): the next panel is
// then not shown and answers as soon as the event loop runs, exactly as if the
// user had chosen. Tests answer panels this way.
#ifndef QUILLMARK_APP_FILE_PANELS_H_
#define QUILLMARK_APP_FILE_PANELS_H_

#include <QFileDialog>
#include <QList>
#include <QPointer>
#include <deque>
#include <filesystem>
#include <optional>

#include "editor/controls.h"

namespace quillmark {

// What both panel kinds share: answers handed in advance, taken one per panel
// in order, the switch for the desktop's own dialogs, and the alert.
class QtPanel {
 public:
  explicit QtPanel(ErrorAlert& alert) : alert_(alert) {}
  void answerNext(std::optional<std::filesystem::path> path);
  // The desktop's own dialog is used where Qt's is not needed and this is on.
  void setNativeDialogsAllowed(bool allowed) { nativeAllowed_ = allowed; }

 protected:
  // Takes the next prepared answer, if any, and delivers it from the event loop.
  bool answerLater(PanelCompletion& completion);
  // Calls `completion` once, when `dialog` finishes, then disposes of the dialog.
  void completeOnFinish(QFileDialog* dialog, PanelCompletion completion);
  bool nativeAllowed() const { return nativeAllowed_; }

 private:
  ErrorAlert& alert_;
  std::deque<std::optional<std::filesystem::path>> answers_;
  bool nativeAllowed_ = true;
};

// Both open panels: files and folders (the Open action) and one folder only
// (Select Folder).
class FileOpenPanel : public OpenPanel, public QtPanel {
 public:
  using QtPanel::QtPanel;
  ~FileOpenPanel() override;

  void beginSheetModal(PanelChoice choice, Window* window, const std::filesystem::path& near,
                       PanelCompletion completion) override;

  // The dialog on screen, or null.
  QFileDialog* activeDialog() const;

 private:
  QPointer<QFileDialog> active_;
};

class FileSavePanel : public SavePanel, public QtPanel {
 public:
  using QtPanel::QtPanel;
  // Closes the dialogs still open, without answering: their editor is gone.
  ~FileSavePanel() override;

  void begin(PanelCompletion completion) override;

  // The most recent dialog still on screen, or null.
  QFileDialog* activeDialog() const;

 private:
  QList<QPointer<QFileDialog>> dialogs_;
};

}  // namespace quillmark

#endif  // QUILLMARK_APP_FILE_PANELS_H_

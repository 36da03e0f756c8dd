// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The progress of Write Folder and of a large selection's Save, as a window-modal QProgressDialog.
//
// Nothing is shown for a walk that ends within the delay given (counted from
// begin()); after that the dialog shows how many entries are done and
// the path of the next one, and its Cancel button stops the walk before that
// entry. While the walk runs, each report lets the event loop run so windows
// keep painting; until the dialog is up, input is held back, so the window
// whose walk is running cannot start anything new.
#ifndef QUILLMARK_APP_WALK_PROGRESS_DIALOG_H_
#define QUILLMARK_APP_WALK_PROGRESS_DIALOG_H_

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <chrono>
#include <cstdint>
#include <filesystem>

#include "editor/controls.h"

class QProgressDialog;
class QWidget;

namespace quillmark {

class WalkProgressDialog : public WalkProgress {
 public:
  WalkProgressDialog(QWidget* window, std::chrono::milliseconds delay);
  ~WalkProgressDialog() override;
  WalkProgressDialog(const WalkProgressDialog&) = delete;
  WalkProgressDialog& operator=(const WalkProgressDialog&) = delete;

  // A walk is about to start, under `title`: the delay counts from here.
  void begin(const QString& title);
  bool walkProgressed(std::uint64_t entriesDone, const std::filesystem::path& current) override;
  // The walk has ended: closes the dialog; harmless when there is none.
  void end();
  // The dialog while it is on screen, or null.
  QProgressDialog* dialog() const;

 private:
  void show();

  QPointer<QWidget> window_;
  QPointer<QProgressDialog> dialog_;
  QElapsedTimer clock_;
  std::chrono::milliseconds delay_;
  QString title_;
  bool canceled_ = false;
};

}  // namespace quillmark

#endif  // QUILLMARK_APP_WALK_PROGRESS_DIALOG_H_

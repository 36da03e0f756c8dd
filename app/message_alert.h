// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's error alert and its questions as QMessageBoxes: application-modal, run until the
// user answers. An error alert is critical, with "OK"; a question warns, and its safe answer is the
// default (Keep Other, Cancel).
//
// Tests can watch each box once it is on screen; it is dismissed with its default button right
// after unless the watcher pressed one, so nothing waits for a person.
#ifndef QUILLMARK_APP_MESSAGE_ALERT_H_
#define QUILLMARK_APP_MESSAGE_ALERT_H_

#include <QPointer>
#include <QString>
#include <functional>

#include "editor/controls.h"

class QAbstractButton;
class QMessageBox;
class QWidget;

namespace quillmark {

// Sees an alert on screen and may press one of its buttons.
using AlertWatcher = std::function<void(QMessageBox& box)>;

class MessageAlert : public ErrorAlert, public Questions {
 public:
  // Alerts are centred over `window` (may be null).
  explicit MessageAlert(QWidget* window);
  Answer show(std::string_view details, bool offerStop) override;
  Answer showFailures(const std::vector<ItemFailure>& failures, bool offerStop) override;
  Replace askReplace(const std::vector<ChangedElsewhere>& changed) override;
  Unsaved askSaveChanges() override;
  bool askRevert() override;

  void setWatcher(AlertWatcher watcher) { watcher_ = std::move(watcher); }

 private:
  Answer showError(const QString& details, bool offerStop);
  // Runs `box` until answered (or its window is gone: null), the watcher given its turn.
  QAbstractButton* run(QMessageBox* box, QAbstractButton* safe);

  QPointer<QWidget> window_;
  AlertWatcher watcher_;
};

}  // namespace quillmark

#endif  // QUILLMARK_APP_MESSAGE_ALERT_H_

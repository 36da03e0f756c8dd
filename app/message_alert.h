// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's error alert as a QMessageBox: critical, application-modal, run
// until the user dismisses it.
//
// Tests can watch each alert once it is on screen; it is dismissed with "OK"
// right after unless the watcher pressed a button, so nothing waits for a person.
#ifndef QUILLMARK_APP_MESSAGE_ALERT_H_
#define QUILLMARK_APP_MESSAGE_ALERT_H_

#include <QPointer>
#include <functional>

#include "editor/controls.h"

class QMessageBox;
class QWidget;

namespace quillmark {

// Sees an alert on screen and may press one of its buttons.
using AlertWatcher = std::function<void(QMessageBox& box)>;

class MessageAlert : public ErrorAlert {
 public:
  // Alerts are centred over `window` (may be null).
  explicit MessageAlert(QWidget* window);
  Answer show(std::string_view details, bool offerStop) override;

  void setWatcher(AlertWatcher watcher) { watcher_ = std::move(watcher); }

 private:
  QPointer<QWidget> window_;
  AlertWatcher watcher_;
};

}  // namespace quillmark

#endif  // QUILLMARK_APP_MESSAGE_ALERT_H_

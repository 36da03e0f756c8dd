// The editor's alert as a QMessageBox: application-modal, run until the user
// dismisses it, with the editor's texts, style and buttons.
//
// runModal returns 1000 for the first button, 1001 for the second and so on
// (the editor adds them in that order). Tests can watch each alert once it is
// on screen and have it dismissed right after, so nothing waits for a person.
#ifndef QUILLMARK_APP_MESSAGE_ALERT_H_
#define QUILLMARK_APP_MESSAGE_ALERT_H_

#include <QPointer>
#include <functional>
#include <memory>

#include "editor/controls.h"

class QMessageBox;
class QWidget;

namespace quillmark {

inline constexpr int kAlertFirstButtonReturn = 1000;

// Sees an alert on screen; the alert is then dismissed with its first button.
using AlertWatcher = std::function<void(QMessageBox& box)>;

class MessageAlertFactory : public AlertFactory {
 public:
  // Alerts are centred over `window` (may be null).
  explicit MessageAlertFactory(QWidget* window);
  std::unique_ptr<Alert> makeAlert() override;

  void setWatcher(AlertWatcher watcher) { watcher_ = std::move(watcher); }

 private:
  QPointer<QWidget> window_;
  AlertWatcher watcher_;
};

}  // namespace quillmark

#endif  // QUILLMARK_APP_MESSAGE_ALERT_H_

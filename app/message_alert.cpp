#include "app/message_alert.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "app/controls_qt.h"

namespace quillmark {

namespace {
// Wide enough that a short system message stays on one line.
constexpr int kTextWidth = 320;
}  // namespace

MessageAlert::MessageAlert(QWidget* window) : window_(window) {}

void MessageAlert::show(std::string_view details) {
  // Parented to the window so it is centred over it, but modal for the whole
  // application: the action that raised it waits for the answer.
  QPointer<QMessageBox> box = new QMessageBox(window_.data());
  box->setWindowTitle(QApplication::applicationName());
  box->setWindowModality(Qt::ApplicationModal);
  box->setIcon(QMessageBox::Critical);
  box->setText(QApplication::translate("ErrorAlert", "An error occurred in your last action:"));
  box->setInformativeText(toQString(details));
  QPushButton* ok = box->addButton(QApplication::translate("ErrorAlert", "OK"),
                                   QMessageBox::AcceptRole);
  box->setDefaultButton(ok);
  box->setEscapeButton(ok);
  for (QLabel* label : box->findChildren<QLabel*>()) {
    if (label->objectName().startsWith(QLatin1String("qt_msgbox_")) && !label->text().isEmpty())
      label->setMinimumWidth(kTextWidth);
  }
  if (watcher_) {
    QTimer::singleShot(0, box.data(), [this, box, ok] {
      watcher_(*box);
      if (box->isVisible()) ok->click();
    });
  }
  box->exec();
  delete box.data();  // null when its window went away meanwhile
}

}  // namespace quillmark

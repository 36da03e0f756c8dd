// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/message_alert.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "app/translations.h"

namespace quillmark {

namespace {
// Wide enough that a short system message stays on one line.
constexpr int kTextWidth = 320;
}  // namespace

MessageAlert::MessageAlert(QWidget* window) : window_(window) {}

ErrorAlert::Answer MessageAlert::show(std::string_view details, bool offerStop) {
  // Parented to the window so it is centred over it, but modal for the whole
  // application: the action that raised it waits for the answer.
  QPointer<QMessageBox> box = new QMessageBox(window_.data());
  box->setWindowTitle(QApplication::applicationName());
  box->setWindowModality(Qt::ApplicationModal);
  box->setIcon(QMessageBox::Critical);
  box->setText(QApplication::translate("ErrorAlert", "An error occurred in your last action:"));
  box->setInformativeText(translatedAlert(details));
  // "Stop Writing" ends a Write Folder that would otherwise raise one alert
  // per entry and field; Return and Escape both mean "OK", which goes on.
  QPushButton* stop = offerStop
                          ? box->addButton(QApplication::translate("ErrorAlert", "Stop Writing"),
                                           QMessageBox::RejectRole)
                          : nullptr;
  QPushButton* ok =
      box->addButton(QApplication::translate("ErrorAlert", "OK"), QMessageBox::AcceptRole);
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
  // Null when its window went away meanwhile: then there is nothing left to write for.
  const bool stopped = box.isNull() || (stop != nullptr && box->clickedButton() == stop);
  delete box.data();
  return stopped ? Answer::kStop : Answer::kGoOn;
}

}  // namespace quillmark

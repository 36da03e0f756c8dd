// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/message_alert.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "app/controls_qt.h"
#include "app/paths.h"
#include "app/translations.h"

namespace quillmark {

namespace {
// Wide enough that a short system message stays on one line.
constexpr int kTextWidth = 320;
}  // namespace

MessageAlert::MessageAlert(QWidget* window) : window_(window) {}

QAbstractButton* MessageAlert::run(QMessageBox* shown, QAbstractButton* safe) {
  // Parented to the window so it is centred over it, but modal for the whole
  // application: the action that raised it waits for the answer.
  QPointer<QMessageBox> box = shown;
  box->setWindowTitle(QApplication::applicationName());
  box->setWindowModality(Qt::ApplicationModal);
  for (QLabel* label : box->findChildren<QLabel*>()) {
    if (label->objectName().startsWith(QLatin1String("qt_msgbox_")) && !label->text().isEmpty())
      label->setMinimumWidth(kTextWidth);
  }
  if (watcher_) {
    QTimer::singleShot(0, box.data(), [this, box, safe] {
      watcher_(*box);
      if (box->isVisible()) safe->click();
    });
  }
  box->exec();
  // Null when its window went away meanwhile: then there is nothing left to answer for.
  QAbstractButton* clicked = box.isNull() ? nullptr : box->clickedButton();
  delete box.data();
  return clicked;
}

ErrorAlert::Answer MessageAlert::show(std::string_view details, bool offerStop) {
  return showError(translatedAlert(details), offerStop);
}

ErrorAlert::Answer MessageAlert::showFailures(const std::vector<ItemFailure>& failures, bool offerStop) {
  QStringList lines;
  for (const ItemFailure& failure : failures) lines << translatedFailureLine(failure);
  return showError(lines.join(QLatin1Char('\n')), offerStop);
}

ErrorAlert::Answer MessageAlert::showError(const QString& details, bool offerStop) {
  auto* box = new QMessageBox(window_.data());
  box->setIcon(QMessageBox::Critical);
  box->setText(QApplication::translate("ErrorAlert", "An error occurred in your last action:"));
  box->setInformativeText(details);
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
  QAbstractButton* clicked = run(box, ok);
  return clicked == nullptr || (stop != nullptr && clicked == stop) ? Answer::kStop : Answer::kGoOn;
}

Questions::Replace MessageAlert::askReplace(const std::vector<ChangedElsewhere>& changed) {
  auto* box = new QMessageBox(window_.data());
  box->setIcon(QMessageBox::Warning);
  box->setText(QApplication::translate("Questions", "Replace what another program stored?"));
  QStringList lines{QApplication::translate("Questions",
                                            "Since the window showed them, another program stored:")};
  const auto quoted = [](const std::string& text) {
    return text.empty() ? QApplication::translate("Questions", "none")
                        : QApplication::translate("Questions", "“%1”").arg(toQString(text));
  };
  for (const ChangedElsewhere& change : changed) {
    lines << QApplication::translate("Questions", "%1 — %2: stored %3, yours %4")
                 .arg(fromPath(change.item), translatedLabel(change.position), quoted(change.theirs),
                      quoted(change.yours));
  }
  box->setInformativeText(lines.join(QLatin1Char('\n')));
  QPushButton* replace =
      box->addButton(QApplication::translate("Questions", "Replace"), QMessageBox::DestructiveRole);
  QPushButton* keep =
      box->addButton(QApplication::translate("Questions", "Keep Other"), QMessageBox::RejectRole);
  box->setDefaultButton(keep);
  box->setEscapeButton(keep);
  return run(box, keep) == replace ? Replace::kReplace : Replace::kKeepOther;
}

Questions::Unsaved MessageAlert::askSaveChanges() {
  auto* box = new QMessageBox(window_.data());
  box->setIcon(QMessageBox::Warning);
  box->setText(QApplication::translate("Questions", "Save the changes made in this window?"));
  box->setInformativeText(
      QApplication::translate("Questions", "They are lost if they are not saved."));
  box->setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
  QAbstractButton* cancel = box->button(QMessageBox::Cancel);
  QAbstractButton* save = box->button(QMessageBox::Save);
  QAbstractButton* discard = box->button(QMessageBox::Discard);
  box->setDefaultButton(QMessageBox::Save);
  box->setEscapeButton(cancel);
  QAbstractButton* clicked = run(box, cancel);
  return clicked == save ? Unsaved::kSave : clicked == discard ? Unsaved::kDiscard : Unsaved::kCancel;
}

bool MessageAlert::askRevert() {
  auto* box = new QMessageBox(window_.data());
  box->setIcon(QMessageBox::Warning);
  box->setText(QApplication::translate("Questions", "Drop the changes made in this window?"));
  box->setInformativeText(
      QApplication::translate("Questions", "The fields then show what is stored now."));
  QPushButton* revert =
      box->addButton(QApplication::translate("Questions", "Revert"), QMessageBox::DestructiveRole);
  box->setStandardButtons(box->standardButtons() | QMessageBox::Cancel);
  QAbstractButton* cancel = box->button(QMessageBox::Cancel);
  box->setDefaultButton(QMessageBox::Cancel);
  box->setEscapeButton(cancel);
  return run(box, cancel) == revert;
}

}  // namespace quillmark

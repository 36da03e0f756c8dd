// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/controls_qt.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <limits>

#include "app/translations.h"

namespace quillmark {

QString toQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toUtf8(const QString& text) { return text.toUtf8().toStdString(); }

LineEditField::LineEditField(QLineEdit& edit) : edit_(edit) {
  edit_.setMaxLength(std::numeric_limits<int>::max());
}

std::string LineEditField::stringValue() const { return toUtf8(edit_.text()); }

void LineEditField::setStringValue(std::string_view text) {
  edit_.setText(toQString(text));
  // Show the start of a long value rather than wherever the cursor was.
  edit_.setCursorPosition(0);
}

void LineEditField::setPlaceholder(std::string_view text, Hint hint) {
  const QString shown = translatedPlaceholder(text, hint);
  edit_.setPlaceholderText(shown);
  if (text.empty()) {
    edit_.setToolTip(QString());
  } else if (hint == Hint::kInImage) {
    edit_.setToolTip(
        QCoreApplication::translate("Fields",
                                    "Embedded in the image, which Quillmark never changes. Use "
                                    "Values from the Image puts it in the field for you to Save."));
  } else {
    edit_.setToolTip(
        QCoreApplication::translate("Fields",
                                    "Stored as it is: %1. Save leaves it unless its box is ticked "
                                    "and the field is empty.")
            .arg(shown));
  }
}

bool CheckBoxControl::isOn() const { return box_.isChecked(); }

void CheckBoxControl::setOn(bool on) { box_.setChecked(on); }

void PushButtonControl::addMirror(QAction* action) {
  mirrors_.append(action);
  action->setEnabled(button_.isEnabled());
}

void PushButtonControl::setEnabled(bool enabled) {
  button_.setEnabled(enabled);
  for (QAction* action : mirrors_) action->setEnabled(enabled);
}

void ActionControl::setEnabled(bool enabled) { action_.setEnabled(enabled); }

void WidgetWindow::setTitle(std::string_view title) { window_.setWindowTitle(toQString(title)); }

QWidget* widgetOf(Window* window) {
  auto* ours = dynamic_cast<WidgetWindow*>(window);
  return ours != nullptr ? &ours->widget() : nullptr;
}

}  // namespace quillmark

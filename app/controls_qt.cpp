// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/controls_qt.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QPushButton>
#include <QWidget>
#include <limits>
#include <utility>

#include "app/paths.h"
#include "app/translations.h"
#include "attrstore/resource_list.h"

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

void LineEditField::setChoices(const std::vector<ValueCount>& choices) {
  delete std::exchange(choose_, nullptr);
  if (choices.empty()) return;
  QStringList lines;
  for (const ValueCount& choice : choices) {
    // Plural forms take an int; no selection comes near its limit.
    const int items = static_cast<int>(choice.items);
    lines << QCoreApplication::translate("Fields", "%1 (%Ln item(s))", nullptr, items)
                 .arg(toQString(choice.text));
  }
  choose_ = edit_.addAction(edit_.style()->standardIcon(QStyle::SP_ArrowDown),
                            QLineEdit::TrailingPosition);
  choose_->setText(QCoreApplication::translate("Fields", "Choose a Value for All Items"));
  // From the keyboard too, as a drop-down list opens.
  choose_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Down));
  choose_->setShortcutContext(Qt::WidgetShortcut);
  QObject::connect(choose_, &QAction::triggered, &edit_, [this, choices, lines] {
    QMenu menu(&edit_);
    for (qsizetype i = 0; i < lines.size(); ++i) {
      const QString text = toQString(choices[static_cast<std::size_t>(i)].text);
      menu.addAction(lines[i], &edit_, [this, text] { setStringValue(toUtf8(text)); });
    }
    menu.exec(edit_.mapToGlobal(edit_.rect().bottomLeft()));
  });
  edit_.setToolTip(QCoreApplication::translate("Fields", "The items hold different values:") +
                   QLatin1Char('\n') + lines.join(QLatin1Char('\n')));
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

void WidgetWindow::showItems(const std::vector<std::filesystem::path>& items) {
  items_.setVisible(items.size() > 1);
  if (items.size() < 2) return;
  // Plural forms take an int; no selection comes near its limit.
  const int count = static_cast<int>(items.size());
  window_.setWindowTitle(QCoreApplication::translate("Window", "%Ln item(s)", nullptr, count));
  QStringList names, paths;
  for (const std::filesystem::path& item : items) {
    names << toQString(lastPathComponent(item));
    paths << fromPath(item);
  }
  // One line however many: 40 names would push the fields down; the tooltip has them all.
  const QString all = QCoreApplication::translate("Window", "Editing together: %1")
                          .arg(names.join(QStringLiteral(", ")));
  items_.setWholeText(all);
  items_.setAccessibleName(all);
  items_.setToolTip(paths.join(QLatin1Char('\n')));
}

QWidget* widgetOf(Window* window) {
  auto* ours = dynamic_cast<WidgetWindow*>(window);
  return ours != nullptr ? &ours->widget() : nullptr;
}

}  // namespace quillmark

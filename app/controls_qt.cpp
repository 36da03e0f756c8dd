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
#include <QProgressBar>
#include <QTimer>
#include <QStyle>
#include <QPushButton>
#include <QWidget>
#include <algorithm>
#include <limits>
#include <utility>

#include "app/paths.h"
#include "app/translations.h"
#include "attrstore/item_at.h"

namespace quillmark {

QString toQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toUtf8(const QString& text) { return text.toUtf8().toStdString(); }

LineEditField::LineEditField(QLineEdit& edit, bool boxed)
    : edit_(edit), boxed_(boxed), ownTip_(edit.toolTip()) {
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
    hintTip_.clear();
  } else if (hint == Hint::kInImage) {
    hintTip_ =
        QCoreApplication::translate("Fields",
                                    "Embedded in the image, which Quillmark never changes. Use "
                                    "Values from the Image puts it in the field for you to Save.");
  } else if (boxed_) {
    hintTip_ =
        QCoreApplication::translate("Fields",
                                    "Stored as it is: %1. Save leaves it unless its box is ticked "
                                    "and the field is empty.")
            .arg(shown);
  } else {
    hintTip_ =
        QCoreApplication::translate("Fields", "Stored as it is: %1. Save leaves it so.").arg(shown);
  }
  updateToolTip();
}

void LineEditField::setChangedElsewhere(const std::optional<std::string>& stored) {
  delete std::exchange(elsewhere_, nullptr);
  elsewhereTip_.clear();
  if (stored) {
    const QString value = *stored == kMultipleValues
                              ? translatedPlaceholder(*stored, Hint::kMultiple)
                              : toQString(*stored);
    elsewhereTip_ =
        stored->empty()
            ? QCoreApplication::translate("Fields",
                                          "Removed elsewhere since it was shown. Save will ask "
                                          "before replacing it.")
            : QCoreApplication::translate("Fields",
                                          "Changed elsewhere to “%1” since it was shown. Save "
                                          "will ask before replacing it.")
                  .arg(value);
    elsewhere_ = edit_.addAction(edit_.style()->standardIcon(QStyle::SP_MessageBoxWarning),
                                 QLineEdit::TrailingPosition);
    elsewhere_->setText(elsewhereTip_);  // its button's name for screen readers
    elsewhere_->setToolTip(elsewhereTip_);
  }
  // Screen readers read the description with the field.
  edit_.setAccessibleDescription(elsewhereTip_);
  updateToolTip();
}

void LineEditField::updateToolTip() {
  QStringList parts;
  if (!ownTip_.isEmpty()) parts << ownTip_;
  if (!hintTip_.isEmpty()) parts << hintTip_;
  if (!elsewhereTip_.isEmpty()) parts << elsewhereTip_;
  edit_.setToolTip(parts.join(QLatin1Char('\n')));
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
  hintTip_ = QCoreApplication::translate("Fields", "The items hold different values:") +
             QLatin1Char('\n') + lines.join(QLatin1Char('\n'));
  updateToolTip();
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

namespace {

// A title with Qt's edited mark at its end; a "[*]" in a name stays as it is.
QString markedTitle(const QString& title) {
  QString escaped = title;
  escaped.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
  return escaped + QStringLiteral("[*]");
}

// Reading that ends sooner shows no progress at all.
constexpr int kReadingShownAfterMs = 300;
// The characters of names the items line lays out (it shows one line, elided), and the paths its
// tooltip lists.
constexpr qsizetype kNamesShown = 1000;
constexpr std::size_t kPathsListed = 40;

}  // namespace

WidgetWindow::WidgetWindow(QWidget& window, ElidedLabel& items, QWidget& reading, QProgressBar& bar)
    : window_(window), items_(items), reading_(reading), bar_(bar), readingShown_(new QTimer(&reading)) {
  readingShown_->setSingleShot(true);
  readingShown_->setInterval(kReadingShownAfterMs);
  QObject::connect(readingShown_, &QTimer::timeout, &reading_, [this] { reading_.setVisible(true); });
}

void WidgetWindow::setTitle(std::string_view title) { window_.setWindowTitle(markedTitle(toQString(title))); }

void WidgetWindow::setDocumentEdited(bool edited) {
  window_.setWindowModified(edited);
  if (revert_ != nullptr) revert_->setEnabled(edited);
}

void WidgetWindow::showReading(std::size_t done, std::size_t total) {
  if (done >= total) {
    readingShown_->stop();
    reading_.setVisible(false);
    return;
  }
  // Plural forms and the bar take an int; no selection comes near its limit.
  const int all = static_cast<int>(total);
  const QString format = QCoreApplication::translate("Window", "Reading %1 of %Ln item(s)", nullptr, all);
  bar_.setRange(0, all);
  bar_.setValue(static_cast<int>(done));
  bar_.setFormat(format.arg(done));
  if (!reading_.isVisible() && !readingShown_->isActive()) readingShown_->start();
}

void WidgetWindow::showItems(const std::vector<std::filesystem::path>& items) {
  items_.setVisible(items.size() > 1);
  if (items.size() < 2) return;
  // Plural forms take an int; no selection comes near its limit.
  const int count = static_cast<int>(items.size());
  window_.setWindowTitle(markedTitle(QCoreApplication::translate("Window", "%Ln item(s)", nullptr, count)));
  // One line however many: 40 names would push the fields down. Only as many names as a line
  // can show are laid out, and only as many paths as a screen can hold are listed: laying out
  // 20,000 names would take more memory than the items themselves.
  QStringList names, paths;
  qsizetype length = 0;
  for (const std::filesystem::path& item : items) {
    if (length > kNamesShown) break;
    names << toQString(lastPathComponent(item));
    length += names.back().size() + 2;
  }
  for (std::size_t i = 0; i < std::min(items.size(), kPathsListed); ++i) paths << fromPath(items[i]);
  if (names.size() < count) names << QStringLiteral("\u2026");
  if (const int more = count - static_cast<int>(std::min(items.size(), kPathsListed)); more > 0)
    paths << QCoreApplication::translate("Window", "and %Ln more", nullptr, more);
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

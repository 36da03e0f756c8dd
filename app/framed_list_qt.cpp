// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/framed_list_qt.h"

#include <QAbstractButton>
#include <QCompleter>
#include <QCoreApplication>
#include <QFont>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QSet>
#include <QStandardItemModel>
#include <algorithm>

namespace quillmark {

FramedListControl::FramedListControl(QListWidget& list, QLineEdit& typed, QAbstractButton& remove,
                                     QAbstractButton& toAll)
    : list_(list), remove_(remove), toAll_(toAll), known_(new QStandardItemModel(this)) {
  auto* completer = new QCompleter(known_, &typed);
  completer->setCaseSensitivity(Qt::CaseInsensitive);
  typed.setCompleter(completer);
  connect(&typed, &QLineEdit::returnPressed, this, &FramedListControl::addTypedRequested);
  connect(&remove_, &QAbstractButton::clicked, this, [this] {
    if (chosen() >= 0) Q_EMIT removeRequested(static_cast<std::size_t>(chosen()));
  });
  connect(&toAll_, &QAbstractButton::clicked, this, [this] {
    if (chosen() >= 0) Q_EMIT giveToAllRequested(static_cast<std::size_t>(chosen()));
  });
  connect(&list_, &QListWidget::currentRowChanged, this, [this] { updateButtons(); });
  connect(&list_, &QListWidget::itemSelectionChanged, this, [this] { updateButtons(); });
  list_.installEventFilter(this);
  // Each word framed on its own, so one holding a comma reads as one.
  list_.setStyleSheet(QStringLiteral(
      "QListWidget::item { border: 1px solid palette(mid); border-radius: 9px; padding: 1px 6px; }"
      "QListWidget::item:selected { background: palette(highlight); color: "
      "palette(highlighted-text); }"));
  FramedListControl::updateButtons();
}

void FramedListControl::showRows(const std::vector<Row>& rows, std::size_t items,
                                 const std::vector<Offer>& offers) {
  // The row chosen stays chosen, or the one that took its place after a removal.
  const int current = list_.currentRow();
  items_ = items;
  list_.clear();
  counts_.clear();
  known_->clear();
  // Without items (nothing open, or a folder to write) the field's text is all there is.
  list_.setEnabled(items > 0);
  // Plural forms take an int; no selection comes near its limit.
  const int all = static_cast<int>(items_);
  QFont partialFont = list_.font();
  partialFont.setItalic(true);  // carried by only some of the items
  const auto counted = [&](const QString& text, std::size_t carried) {
    return carried < items_
               ? QCoreApplication::translate("Keywords", "%1 (%2 of %Ln item(s))", nullptr, all)
                     .arg(text)
                     .arg(carried)
               : text;
  };
  QSet<QString> offered;
  for (const Row& shown : rows) {
    const QString sign = shown.warned ? QStringLiteral("\u26A0 ") : QString();
    auto* row = new QListWidgetItem(shown.icon, sign + counted(shown.text, shown.items), &list_);
    if (shown.items < items_) row->setFont(partialFont);
    // Said without the warning sign, which the description words.
    const QString spoken =
        shown.spoken.isEmpty() ? shown.text : shown.text + QStringLiteral(", ") + shown.spoken;
    row->setData(Qt::AccessibleTextRole, counted(spoken, shown.items));
    if (!shown.description.isEmpty()) {
      row->setData(Qt::AccessibleDescriptionRole, shown.description);
      row->setToolTip(shown.description);
    }
    counts_.push_back(shown.items);
    if (!offered.contains(shown.text)) known_->appendRow(new QStandardItem(shown.icon, shown.text));
    offered.insert(shown.text);
  }
  for (const Offer& offer : offers) {
    if (!offered.contains(offer.text)) known_->appendRow(new QStandardItem(offer.icon, offer.text));
    offered.insert(offer.text);
  }
  if (current >= 0 && list_.count() > 0) list_.setCurrentRow(std::min(current, list_.count() - 1));
  updateButtons();
}

int FramedListControl::chosen() const {
  // A screen reader selects a row without making it current.
  const QList<QListWidgetItem*> selected = list_.selectedItems();
  return selected.isEmpty() ? list_.currentRow() : list_.row(selected.front());
}

void FramedListControl::updateButtons() {
  const int row = chosen();
  remove_.setEnabled(row >= 0);
  toAll_.setEnabled(row >= 0 && partial(row));
}

bool FramedListControl::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &list_ || event->type() != QEvent::KeyPress || chosen() < 0) return false;
  const auto row = static_cast<std::size_t>(chosen());
  switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
      Q_EMIT removeRequested(row);
      return true;
    case Qt::Key_Insert:
      Q_EMIT giveToAllRequested(row);
      return true;
    default:
      return false;
  }
}

}  // namespace quillmark

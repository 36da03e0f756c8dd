// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/keyword_list_qt.h"

#include <QAbstractButton>
#include <QCompleter>
#include <QCoreApplication>
#include <QFont>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QStringListModel>
#include <algorithm>

#include "app/controls_qt.h"

namespace quillmark {

KeywordListControl::KeywordListControl(QListWidget& list, QLineEdit& typed,
                                       QAbstractButton& remove, QAbstractButton& toAll)
    : list_(list), typed_(typed), remove_(remove), toAll_(toAll), known_(new QStringListModel(this)) {
  auto* completer = new QCompleter(known_, &typed_);
  completer->setCaseSensitivity(Qt::CaseInsensitive);
  typed_.setCompleter(completer);
  connect(&typed_, &QLineEdit::returnPressed, this, &KeywordListControl::addTypedRequested);
  connect(&remove_, &QAbstractButton::clicked, this, [this] {
    if (chosen() >= 0) Q_EMIT removeRequested(static_cast<std::size_t>(chosen()));
  });
  connect(&toAll_, &QAbstractButton::clicked, this, [this] {
    if (chosen() >= 0) Q_EMIT giveToAllRequested(static_cast<std::size_t>(chosen()));
  });
  connect(&list_, &QListWidget::currentRowChanged, this, &KeywordListControl::updateButtons);
  connect(&list_, &QListWidget::itemSelectionChanged, this, &KeywordListControl::updateButtons);
  list_.installEventFilter(this);
  // Each keyword framed on its own, so one holding a comma reads as one.
  list_.setStyleSheet(QStringLiteral(
      "QListWidget::item { border: 1px solid palette(mid); border-radius: 9px; padding: 1px 6px; }"
      "QListWidget::item:selected { background: palette(highlight); color: palette(highlighted-text); }"));
  updateButtons();
}

void KeywordListControl::setKeywords(const std::vector<ValueCount>& keywords, std::size_t items) {
  // The row chosen stays chosen, or the one that took its place after a removal.
  const int current = list_.currentRow();
  items_ = items;
  list_.clear();
  counts_.clear();
  // Without items (nothing open, or a folder to write) the field's text is all there is.
  list_.setEnabled(items > 0);
  QStringList known;
  // Plural forms take an int; no selection comes near its limit.
  const int all = static_cast<int>(items_);
  QFont partial = list_.font();
  partial.setItalic(true);  // carried by only some of the items
  for (const ValueCount& keyword : keywords) {
    const QString text = toQString(keyword.text);
    auto* row = new QListWidgetItem(&list_);
    if (keyword.items < items_) {
      row->setFont(partial);
      row->setText(QCoreApplication::translate("Keywords", "%1 (%2 of %Ln item(s))", nullptr, all)
                       .arg(text)
                       .arg(keyword.items));
    } else {
      row->setText(text);
    }
    counts_.push_back(keyword.items);
    known << text;
  }
  known_->setStringList(known);
  if (current >= 0 && list_.count() > 0) list_.setCurrentRow(std::min(current, list_.count() - 1));
  updateButtons();
}

int KeywordListControl::chosen() const {
  // A screen reader selects a row without making it current.
  const QList<QListWidgetItem*> selected = list_.selectedItems();
  return selected.isEmpty() ? list_.currentRow() : list_.row(selected.front());
}

void KeywordListControl::updateButtons() {
  const int row = chosen();
  remove_.setEnabled(row >= 0);
  toAll_.setEnabled(row >= 0 && counts_[static_cast<std::size_t>(row)] < items_);
}

bool KeywordListControl::eventFilter(QObject* watched, QEvent* event) {
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

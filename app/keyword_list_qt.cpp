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
#include "editor/selection.h"

namespace quillmark {

namespace {

constexpr int kCountRole = Qt::UserRole;  // how many items carry the row's keyword

QString keywordOf(const QListWidgetItem& row) { return row.data(Qt::UserRole + 1).toString(); }

}  // namespace

KeywordListControl::KeywordListControl(QListWidget& list, QLineEdit& typed,
                                       QAbstractButton& remove, QAbstractButton& toAll)
    : list_(list), typed_(typed), remove_(remove), toAll_(toAll), known_(new QStringListModel(this)) {
  auto* completer = new QCompleter(known_, &typed_);
  completer->setCaseSensitivity(Qt::CaseInsensitive);
  typed_.setCompleter(completer);
  connect(&typed_, &QLineEdit::returnPressed, this, &KeywordListControl::addTyped);
  connect(&remove_, &QAbstractButton::clicked, this, &KeywordListControl::removeCurrent);
  connect(&toAll_, &QAbstractButton::clicked, this, &KeywordListControl::giveCurrentToAll);
  connect(&list_, &QListWidget::currentRowChanged, this, &KeywordListControl::updateButtons);
  connect(&list_, &QListWidget::itemSelectionChanged, this, &KeywordListControl::updateButtons);
  list_.installEventFilter(this);
  // Each keyword framed on its own, so one holding a comma reads as one.
  list_.setStyleSheet(QStringLiteral(
      "QListWidget::item { border: 1px solid palette(mid); border-radius: 9px; padding: 1px 6px; }"
      "QListWidget::item:selected { background: palette(highlight); color: palette(highlighted-text); }"));
  updateButtons();
}

std::vector<ValueCount> KeywordListControl::keywords() const {
  std::vector<ValueCount> keywords;
  for (int i = 0; i < list_.count(); ++i) {
    const QListWidgetItem& row = *list_.item(i);
    keywords.push_back({toUtf8(keywordOf(row)), row.data(kCountRole).value<std::size_t>()});
  }
  return keywords;
}

void KeywordListControl::setKeywords(const std::vector<ValueCount>& keywords, std::size_t items) {
  items_ = items;
  list_.clear();
  // Without items (nothing open, or a folder to write) the field's text is all there is.
  list_.setEnabled(items > 0);
  QStringList known;
  for (const ValueCount& keyword : keywords) {
    addRow(keyword);
    known << toQString(keyword.text);
  }
  known_->setStringList(known);
  updateButtons();
}

void KeywordListControl::addRow(const ValueCount& keyword) {
  auto* row = new QListWidgetItem(&list_);
  row->setData(Qt::UserRole + 1, toQString(keyword.text));
  row->setData(kCountRole, QVariant::fromValue(keyword.items));
  showCount(*row);
}

void KeywordListControl::showCount(QListWidgetItem& row) const {
  const std::size_t count = row.data(kCountRole).value<std::size_t>();
  // Plural forms take an int; no selection comes near its limit.
  const int all = static_cast<int>(items_);
  QFont font = list_.font();
  font.setItalic(count < items_);  // carried by only some of the items
  row.setFont(font);
  row.setText(count >= items_ ? keywordOf(row)
                              : QCoreApplication::translate("Keywords", "%1 (%2 of %Ln item(s))",
                                                            nullptr, all)
                                    .arg(keywordOf(row))
                                    .arg(count));
}

QListWidgetItem* KeywordListControl::chosen() const {
  // A screen reader selects a row without making it current.
  return list_.selectedItems().value(0, list_.currentItem());
}

void KeywordListControl::removeCurrent() {
  delete chosen();
  updateButtons();
}

void KeywordListControl::giveCurrentToAll() {
  QListWidgetItem* row = chosen();
  if (row == nullptr) return;
  row->setData(kCountRole, QVariant::fromValue(items_));
  showCount(*row);
  updateButtons();
}

void KeywordListControl::addTyped() {
  if (items_ == 0) return;
  for (const std::string& word : typedKeywords(toUtf8(typed_.text()))) {
    const QString text = toQString(word);
    QListWidgetItem* known = nullptr;
    for (int i = 0; i < list_.count() && known == nullptr; ++i) {
      if (keywordOf(*list_.item(i)) == text) known = list_.item(i);
    }
    if (known != nullptr) {
      known->setData(kCountRole, QVariant::fromValue(items_));
      showCount(*known);
    } else {
      addRow({word, items_});
    }
  }
  typed_.clear();
  updateButtons();
}

void KeywordListControl::updateButtons() {
  const QListWidgetItem* row = chosen();
  remove_.setEnabled(row != nullptr);
  toAll_.setEnabled(row != nullptr && row->data(kCountRole).value<std::size_t>() < items_);
}

bool KeywordListControl::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &list_ || event->type() != QEvent::KeyPress) return false;
  switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
      removeCurrent();
      return true;
    case Qt::Key_Insert:
      giveCurrentToAll();
      return true;
    default:
      return false;
  }
}

}  // namespace quillmark

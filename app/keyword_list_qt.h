// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The keywords as a list of separate keywords, on a QListWidget: each row one framed keyword
// (one holding a comma stays one), with how many items carry it where not all do, in italics
// ("harbour (2 of 3 items)"). The row's own keys act on it (Delete removes it, Insert gives it to every item), and so
// do the buttons beside the list, each named for screen readers. Enter in the keyword field adds
// what is typed there, split on commas, to every item; the field completes from the keywords the
// items already carry.
#ifndef QUILLMARK_APP_KEYWORD_LIST_QT_H_
#define QUILLMARK_APP_KEYWORD_LIST_QT_H_

#include <QObject>
#include <QStringList>
#include <cstddef>
#include <vector>

#include "editor/controls.h"

class QAbstractButton;
class QCompleter;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QStringListModel;

namespace quillmark {

class KeywordListControl : public QObject, public KeywordList {
  Q_OBJECT

 public:
  // The widgets must outlive the control.
  KeywordListControl(QListWidget& list, QLineEdit& typed, QAbstractButton& remove,
                     QAbstractButton& toAll);
  std::vector<ValueCount> keywords() const override;
  void setKeywords(const std::vector<ValueCount>& keywords, std::size_t items) override;

  // The chosen keyword taken out of the list, or given to every item.
  void removeCurrent();
  void giveCurrentToAll();
  // What is typed in the field, split on commas, added to every item.
  void addTyped();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The row the user chose, or null.
  QListWidgetItem* chosen() const;
  void addRow(const ValueCount& keyword);
  void showCount(QListWidgetItem& row) const;
  void updateButtons();

  QListWidget& list_;
  QLineEdit& typed_;
  QAbstractButton& remove_;
  QAbstractButton& toAll_;
  QStringListModel* known_;
  std::size_t items_ = 0;
};

}  // namespace quillmark

#endif  // QUILLMARK_APP_KEYWORD_LIST_QT_H_

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The keywords as a list of separate keywords, on a QListWidget: each row one framed keyword
// (one holding a comma stays one), with how many items carry it where not all do, in italics
// ("harbour (2 of 3 items)"). It only shows them: the row's own keys (Delete removes it, Insert
// gives it to every item), the buttons beside the list (each named for screen readers) and Enter in
// the keyword field ask for the action, which the editor's keyword model carries out and shows
// anew. The field completes from the keywords shown.
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
  void setKeywords(const std::vector<ValueCount>& keywords, std::size_t items) override;

 Q_SIGNALS:
  // The chosen row taken off every item, or given to every item; what is typed added.
  void removeRequested(std::size_t row);
  void giveToAllRequested(std::size_t row);
  void addTypedRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The row the user chose, or -1.
  int chosen() const;
  void updateButtons();

  QListWidget& list_;
  QLineEdit& typed_;
  QAbstractButton& remove_;
  QAbstractButton& toAll_;
  QStringListModel* known_;
  std::vector<std::size_t> counts_;  // per row
  std::size_t items_ = 0;
};

}  // namespace quillmark

#endif  // QUILLMARK_APP_KEYWORD_LIST_QT_H_

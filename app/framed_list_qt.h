// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the keyword and tag lists share, on a QListWidget: each row one framed word (one holding a
// comma stays one), with how many items carry it where not all do, in italics ("harbour (2 of 3
// items)"). It only shows them: the row's own keys (Delete removes it, Insert gives it to every
// item), the buttons beside the list (each named for screen readers) and Enter in the field for
// typing ask for the action, which the editor carries out and shows anew. The field completes from
// the words shown and whatever else the list offers.
#ifndef QUILLMARK_APP_FRAMED_LIST_QT_H_
#define QUILLMARK_APP_FRAMED_LIST_QT_H_

#include <QIcon>
#include <QObject>
#include <QString>
#include <cstddef>
#include <vector>

class QAbstractButton;
class QLineEdit;
class QListWidget;
class QStandardItemModel;

namespace quillmark {

class FramedListControl : public QObject {
  Q_OBJECT

 public:
  // The widgets must outlive the control.
  FramedListControl(QListWidget& list, QLineEdit& typed, QAbstractButton& remove,
                    QAbstractButton& toAll);

  // One row as shown.
  struct Row {
    QString text;
    std::size_t items = 0;
    QIcon icon{};           // before the text
    QString spoken{};       // what screen readers say after the text ("red"); empty: nothing
    QString description{};  // for screen readers and the tooltip; empty: the list's own
    bool warned = false;    // shown after a warning sign, as a field's value stored elsewhere is
  };
  // A completion the field offers beside the words shown.
  struct Offer {
    QString text;
    QIcon icon{};
  };

 Q_SIGNALS:
  // The chosen row taken off every item, or given to every item; what is typed added.
  void removeRequested(std::size_t row);
  void giveToAllRequested(std::size_t row);
  void addTypedRequested();

 protected:
  // Shows `rows` carried over `items` items; the field completes from them and `offers`.
  void showRows(const std::vector<Row>& rows, std::size_t items,
                const std::vector<Offer>& offers = {});
  // The row the user chose, or -1.
  int chosen() const;
  bool partial(int row) const { return counts_[static_cast<std::size_t>(row)] < items_; }
  QListWidget& list() const { return list_; }
  // The chosen row changed, or the rows did.
  virtual void updateButtons();
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QListWidget& list_;
  QAbstractButton& remove_;
  QAbstractButton& toAll_;
  QStandardItemModel* known_;
  std::vector<std::size_t> counts_;  // per row
  std::size_t items_ = 0;
};

}  // namespace quillmark

#endif  // QUILLMARK_APP_FRAMED_LIST_QT_H_

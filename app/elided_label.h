// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A one-line label showing as much of its text as its width allows, ending in "…", cut again
// whenever it is resized: a long list of names never widens the window, and widening the
// window shows more of them.
#ifndef QUILLMARK_APP_ELIDED_LABEL_H_
#define QUILLMARK_APP_ELIDED_LABEL_H_

#include <QLabel>
#include <QString>

namespace quillmark {

class ElidedLabel : public QLabel {
 public:
  explicit ElidedLabel(QWidget* parent = nullptr);
  // Shows `text`, cut to the label's width.
  void setWholeText(const QString& text);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void elide();
  QString whole_;
};

}  // namespace quillmark

#endif  // QUILLMARK_APP_ELIDED_LABEL_H_

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The document window: a QMainWindow that adds nothing of its own. Everything
// the window does is wired from outside by its Document.
#ifndef QUILLMARK_APP_QM_WINDOW_H_
#define QUILLMARK_APP_QM_WINDOW_H_

#include <QMainWindow>

namespace quillmark {

class QMWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit QMWindow(QWidget* parent = nullptr);
  ~QMWindow() override;
};

}  // namespace quillmark

#endif  // QUILLMARK_APP_QM_WINDOW_H_

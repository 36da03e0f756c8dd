// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qm_window.h"

namespace quillmark {

QMWindow::QMWindow(QWidget* parent) : QMainWindow(parent) {}

QMWindow::~QMWindow() = default;

}  // namespace quillmark

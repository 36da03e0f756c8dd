// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/elided_label.h"

#include <QResizeEvent>

namespace quillmark {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
  // The layout gives the width; the text never asks for more.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::setWholeText(const QString& text) {
  whole_ = text;
  elide();
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  elide();
}

void ElidedLabel::elide() {
  setText(fontMetrics().elidedText(whole_, Qt::ElideRight, contentsRect().width()));
}

}  // namespace quillmark

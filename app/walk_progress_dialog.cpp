// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/walk_progress_dialog.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressDialog>
#include <QWidget>
#include <algorithm>
#include <limits>

#include "app/paths.h"

namespace quillmark {

namespace {
// Wide enough to show most of a path; the dialog keeps this width so it
// does not jump as paths of different lengths go by.
constexpr int kPathWidth = 420;
}  // namespace

WalkProgressDialog::WalkProgressDialog(QWidget* window, std::chrono::milliseconds delay)
    : window_(window), delay_(delay) {}

WalkProgressDialog::~WalkProgressDialog() { delete dialog_.data(); }

QProgressDialog* WalkProgressDialog::dialog() const {
  return dialog_ != nullptr && dialog_->isVisible() ? dialog_.data() : nullptr;
}

void WalkProgressDialog::begin(const QString& title) {
  end();
  title_ = title;
  canceled_ = false;
  clock_.start();
}

bool WalkProgressDialog::walkProgressed(std::uint64_t entriesDone,
                                        const std::filesystem::path& current) {
  if (!clock_.isValid()) clock_.start();  // a walk nobody announced
  if (dialog_ == nullptr && clock_.elapsed() >= delay_.count()) show();

  if (dialog_ != nullptr) {
    const QString path =
        dialog_->fontMetrics().elidedText(fromPath(current), Qt::ElideMiddle, kPathWidth);
    // Plural forms take an int; no walk comes near its limit.
    const int done =
        static_cast<int>(std::min<std::uint64_t>(entriesDone, std::numeric_limits<int>::max()));
    dialog_->setLabelText(
        QCoreApplication::translate("WalkProgress", "%Ln item(s) done\n%1", nullptr, done)
            .arg(path));
    QCoreApplication::processEvents();
  } else {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  return !canceled_;
}

void WalkProgressDialog::end() {
  clock_.invalidate();
  if (dialog_ != nullptr) {
    dialog_->hide();
    dialog_->deleteLater();
    dialog_ = nullptr;
  }
}

void WalkProgressDialog::show() {
  dialog_ = new QProgressDialog(window_);
  dialog_->setWindowTitle(title_);
  dialog_->setWindowModality(Qt::WindowModal);
  // The number of entries is not known in advance: a busy bar, no percentage.
  dialog_->setRange(0, 0);
  dialog_->setMinimumDuration(0);
  dialog_->setAutoClose(false);
  dialog_->setAutoReset(false);
  auto* label = new QLabel(dialog_);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  dialog_->setLabel(label);
  dialog_->setMinimumWidth(kPathWidth + 60);
  QObject::connect(dialog_, &QProgressDialog::canceled, dialog_, [this] { canceled_ = true; });
  dialog_->show();
}

}  // namespace quillmark

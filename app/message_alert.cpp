#include "app/message_alert.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "app/controls_qt.h"

namespace quillmark {

namespace {

constexpr int kTextWidth = 320;

class MessageAlert : public Alert {
 public:
  MessageAlert(QWidget* window, AlertWatcher watcher)
      : box_(new QMessageBox(window)), watcher_(std::move(watcher)) {
    box_->setWindowTitle(QApplication::applicationName());
    box_->setWindowModality(Qt::ApplicationModal);
    box_->setIcon(QMessageBox::Warning);
  }

  ~MessageAlert() override { delete box_.data(); }
  MessageAlert(const MessageAlert&) = delete;
  MessageAlert& operator=(const MessageAlert&) = delete;

  void setMessageText(std::string_view text) override { box_->setText(toQString(text)); }
  void setInformativeText(std::string_view text) override {
    box_->setInformativeText(toQString(text));
  }

  void setAlertStyle(AlertStyle style) override {
    switch (style) {
      case AlertStyle::kCritical:
        box_->setIcon(QMessageBox::Critical);
        break;
      case AlertStyle::kInformational:
        box_->setIcon(QMessageBox::Information);
        break;
      case AlertStyle::kWarning:
        box_->setIcon(QMessageBox::Warning);
        break;
    }
  }

  void addButtonWithTitle(std::string_view title) override {
    // The first button is the default and answers Return, the way alerts do.
    QPushButton* button = box_->addButton(toQString(title), QMessageBox::AcceptRole);
    buttons_.append(button);
    if (buttons_.size() == 1) box_->setDefaultButton(button);
  }

  int runModal() override {
    // An alert without buttons could not be dismissed.
    if (buttons_.isEmpty()) addButtonWithTitle("OK");
    box_->setEscapeButton(buttons_.first());
    // Wide enough that a short system message stays on one line.
    for (QLabel* label : box_->findChildren<QLabel*>()) {
      if (label->objectName().startsWith(QLatin1String("qt_msgbox_")) && !label->text().isEmpty())
        label->setMinimumWidth(kTextWidth);
    }
    if (watcher_) {
      QTimer::singleShot(0, box_.data(), [this] {
        watcher_(*box_);
        if (box_->isVisible()) buttons_.first()->click();
      });
    }
    box_->exec();
    if (box_.isNull()) return kAlertFirstButtonReturn;  // its window went away
    const auto index = buttons_.indexOf(box_->clickedButton());
    return kAlertFirstButtonReturn + static_cast<int>(index < 0 ? 0 : index);
  }

 private:
  // Owned here, but parented to the window so it is centred over it.
  QPointer<QMessageBox> box_;
  AlertWatcher watcher_;
  QList<QAbstractButton*> buttons_;
};

}  // namespace

MessageAlertFactory::MessageAlertFactory(QWidget* window) : window_(window) {}

std::unique_ptr<Alert> MessageAlertFactory::makeAlert() {
  return std::make_unique<MessageAlert>(window_.data(), watcher_);
}

}  // namespace quillmark

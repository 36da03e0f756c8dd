// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's simple controls on Qt widgets: a line edit as a text field, a
// check box, a push button and the document window's title and items.
//
// Each adapter only points at its widget, which must outlive it. Text crosses
// the boundary as UTF-8.
#ifndef QUILLMARK_APP_CONTROLS_QT_H_
#define QUILLMARK_APP_CONTROLS_QT_H_

#include <QList>
#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/elided_label.h"
#include "editor/controls.h"

class QAction;
class QCheckBox;
class QProgressBar;
class QTimer;
class QLineEdit;
class QPushButton;
class QWidget;

namespace quillmark {

class LineEditField : public TextField {
 public:
  // Lifts the line edit's length limit (32,767 characters by default): a
  // longer stored value would be shown cut short and then saved cut short.
  // The widget's own tooltip stays first in the one the field shows; `boxed`:
  // a box beside it removes the value.
  explicit LineEditField(QLineEdit& edit, bool boxed = true);
  std::string stringValue() const override;
  void setStringValue(std::string_view text) override;
  void setPlaceholder(std::string_view text, Hint hint) override;
  // A button at the field's end (or Alt+Down) opens a menu of the values with their counts;
  // choosing one puts it in the field. The values are also in the tooltip, which screen readers read.
  void setChoices(const std::vector<ValueCount>& choices) override;
  // Said in the field's tooltip and accessible description, and marked by an icon at its end.
  void setChangedElsewhere(const std::optional<std::string>& stored) override;

 private:
  // The tooltip: the widget's own, what the placeholder or choices say, then what changed
  // elsewhere.
  void updateToolTip();

  QLineEdit& edit_;
  bool boxed_;
  QString ownTip_;
  QAction* choose_ = nullptr;  // while there are choices
  QAction* elsewhere_ = nullptr;  // while a value stored elsewhere waits
  QString hintTip_, elsewhereTip_;
};

class CheckBoxControl : public Checkbox {
 public:
  explicit CheckBoxControl(QCheckBox& box) : box_(box) {}
  bool isOn() const override;
  void setOn(bool on) override;

 private:
  QCheckBox& box_;
};

// A button whose enabled flag is also carried by the actions that stand for
// it elsewhere (a menu item doing the same thing), so the two never disagree.
class PushButtonControl : public Button {
 public:
  explicit PushButtonControl(QPushButton& button) : button_(button) {}
  void addMirror(QAction* action);
  void setEnabled(bool enabled) override;

 private:
  QPushButton& button_;
  QList<QAction*> mirrors_;
};

// A menu action standing alone, as a button the editor enables.
class ActionControl : public Button {
 public:
  explicit ActionControl(QAction& action) : action_(action) {}
  void setEnabled(bool enabled) override;

 private:
  QAction& action_;
};

// Several items show as "3 items" in the title and their names in `items` (hidden otherwise),
// whose tooltip has each path. Edits not saved mark the title (Qt's "[*]"). Reading shows in
// `reading` with its bar, once it has taken longer than a moment.
class WidgetWindow : public Window {
 public:
  WidgetWindow(QWidget& window, ElidedLabel& items, QWidget& reading, QProgressBar& bar);
  void setTitle(std::string_view title) override;
  void showItems(const std::vector<std::filesystem::path>& items) override;
  void setDocumentEdited(bool edited) override;
  void showReading(std::size_t done, std::size_t total) override;
  // An action that is enabled while there are edits to drop.
  void setRevertAction(QAction* revert) { revert_ = revert; }
  QWidget& widget() const { return window_; }

 private:
  QWidget& window_;
  ElidedLabel& items_;
  QWidget& reading_;
  QProgressBar& bar_;
  QTimer* readingShown_;  // shows `reading_` once reading has gone on for a moment
  QAction* revert_ = nullptr;
};

// The Qt widget behind an editor window, or null when it is not one of ours.
QWidget* widgetOf(Window* window);

// UTF-8 text to and from Qt strings.
QString toQString(std::string_view text);
std::string toUtf8(const QString& text);

}  // namespace quillmark

#endif  // QUILLMARK_APP_CONTROLS_QT_H_

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The Finder tags as the keyword list shows keywords (framed_list_qt.h), each after a dot of its
// colour (none for no colour), and the colour said with its name for screen readers ("Work, red").
// Its colour changes from the Colour button's menu or the row's context menu (the menu key too),
// which also remove it and give it to every item. The tag field completes from the tags shown and
// the seven colours' names in the user's language; a colour's name gives that colour's tag.
#ifndef QUILLMARK_APP_TAG_LIST_QT_H_
#define QUILLMARK_APP_TAG_LIST_QT_H_

#include <QIcon>
#include <QString>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/framed_list_qt.h"
#include "editor/controls.h"

class QMenu;
class QPushButton;

namespace quillmark {

// The colour's name in the user's language ("Red"; "None" for none), and its dot (none: a null
// icon).
QString translatedColour(TagColour colour);
QIcon colourDot(TagColour colour);

class TagListControl : public FramedListControl, public TagList {
  Q_OBJECT

 public:
  // The widgets must outlive the control.
  TagListControl(QListWidget& list, QLineEdit& typed, QAbstractButton& remove,
                 QAbstractButton& toAll, QPushButton& colour);
  void setTags(const std::vector<TagCount>& tags, std::size_t items) override;
  std::string colourName(TagColour colour) const override;
  std::optional<TagColour> colourNamed(std::string_view typed) const override;

 Q_SIGNALS:
  void recolourRequested(std::size_t row, quillmark::TagColour colour);

 protected:
  void updateButtons() override;

 private:
  // Fills `menu` with the colours for the chosen row, the one it has ticked.
  void addColours(QMenu& menu);
  void showContextMenu(const QPoint& at);

  QLineEdit& typed_;
  QPushButton& colour_;
  std::vector<TagColour> colours_;  // per row
};

}  // namespace quillmark

#endif  // QUILLMARK_APP_TAG_LIST_QT_H_

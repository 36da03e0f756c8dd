// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/tag_list_qt.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include "app/controls_qt.h"

namespace quillmark {

namespace {

// Finder's own colours, by number; none has no dot.
constexpr const char* kDotColours[kTagColours] = {nullptr,   "#8E8E93", "#34C759", "#AF52DE",
                                                  "#007AFF", "#FFCC00", "#FF3B30", "#FF9500"};
constexpr const char* kColourNames[kTagColours] = {
    QT_TRANSLATE_NOOP("Tags", "None"),  QT_TRANSLATE_NOOP("Tags", "Grey"),
    QT_TRANSLATE_NOOP("Tags", "Green"), QT_TRANSLATE_NOOP("Tags", "Purple"),
    QT_TRANSLATE_NOOP("Tags", "Blue"),  QT_TRANSLATE_NOOP("Tags", "Yellow"),
    QT_TRANSLATE_NOOP("Tags", "Red"),   QT_TRANSLATE_NOOP("Tags", "Orange")};

constexpr TagColour colourAt(std::size_t index) { return static_cast<TagColour>(index); }

}  // namespace

QString translatedColour(TagColour colour) {
  return QCoreApplication::translate("Tags", kColourNames[static_cast<std::size_t>(colour)]);
}

QIcon colourDot(TagColour colour) {
  const char* fill = kDotColours[static_cast<std::size_t>(colour)];
  if (fill == nullptr) return {};
  // Drawn at twice the size it shows at, so that it stays round on a dense screen.
  QPixmap dot(24, 24);
  dot.fill(Qt::transparent);
  QPainter painter(&dot);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor shade = QColor::fromString(QLatin1String(fill));
  painter.setPen(QPen(shade.darker(125), 1.5));
  painter.setBrush(shade);
  painter.drawEllipse(QRectF(2, 2, 20, 20));
  painter.end();
  return QIcon(dot);
}

TagListControl::TagListControl(QListWidget& list, QLineEdit& typed, QAbstractButton& remove,
                               QAbstractButton& toAll, QPushButton& colour)
    : FramedListControl(list, typed, remove, toAll), typed_(typed), colour_(colour) {
  // Tags go to the items open; Write Folder writes the fields alone.
  typed_.setEnabled(false);
  list.setIconSize(QSize(12, 12));
  list.setContextMenuPolicy(Qt::CustomContextMenu);
  connect(&list, &QWidget::customContextMenuRequested, this, &TagListControl::showContextMenu);
  auto* menu = new QMenu(&colour_);
  connect(menu, &QMenu::aboutToShow, this, [this, menu] {
    menu->clear();
    addColours(*menu);
  });
  colour_.setMenu(menu);
  TagListControl::updateButtons();
}

void TagListControl::setTags(const std::vector<TagCount>& tags, std::size_t items) {
  const QString elsewhere = QCoreApplication::translate(
      "Tags", "Changed elsewhere since it was shown. Save will ask before replacing it.");
  std::vector<Row> rows;
  rows.reserve(tags.size());
  colours_.clear();
  for (const TagCount& tag : tags) {
    rows.push_back({.text = toQString(tag.name),
                    .items = tag.items,
                    .icon = colourDot(tag.colour),
                    .spoken = tag.colour == TagColour::kNone
                                  ? QString()
                                  : translatedColour(tag.colour).toLower(),
                    .description = tag.changedElsewhere ? elsewhere : QString(),
                    .warned = tag.changedElsewhere});
    colours_.push_back(tag.colour);
  }
  std::vector<Offer> offers;
  for (std::size_t colour = 1; colour < kTagColours; ++colour)
    offers.push_back(
        {.text = translatedColour(colourAt(colour)), .icon = colourDot(colourAt(colour))});
  typed_.setEnabled(items > 0);
  showRows(rows, items, offers);
}

std::string TagListControl::colourName(TagColour colour) const {
  return colour == TagColour::kNone ? std::string() : toUtf8(translatedColour(colour));
}

std::optional<TagColour> TagListControl::colourNamed(std::string_view typed) const {
  const QString text = toQString(typed);
  for (std::size_t colour = 1; colour < kTagColours; ++colour) {
    if (text.compare(translatedColour(colourAt(colour)), Qt::CaseInsensitive) == 0)
      return colourAt(colour);
  }
  return std::nullopt;
}

void TagListControl::updateButtons() {
  FramedListControl::updateButtons();
  colour_.setEnabled(chosen() >= 0);
}

void TagListControl::addColours(QMenu& menu) {
  const int row = chosen();
  if (row < 0) return;
  auto* group = new QActionGroup(&menu);
  for (std::size_t colour = 0; colour < kTagColours; ++colour) {
    QAction* action =
        menu.addAction(colourDot(colourAt(colour)), translatedColour(colourAt(colour)));
    action->setCheckable(true);
    action->setChecked(colours_[static_cast<std::size_t>(row)] == colourAt(colour));
    group->addAction(action);
    connect(action, &QAction::triggered, this, [this, row, colour] {
      Q_EMIT recolourRequested(static_cast<std::size_t>(row), colourAt(colour));
    });
  }
}

void TagListControl::showContextMenu(const QPoint& at) {
  // The menu key asks for the chosen row's menu; the mouse for the row under it.
  if (QListWidgetItem* under = list().itemAt(at); under != nullptr) list().setCurrentItem(under);
  const int row = chosen();
  if (row < 0) return;
  QMenu menu(&list());
  menu.addAction(QCoreApplication::translate("Tags", "Remove Tag"), this,
                 [this, row] { Q_EMIT removeRequested(static_cast<std::size_t>(row)); });
  QAction* toAll =
      menu.addAction(QCoreApplication::translate("Tags", "Give to All"), this,
                     [this, row] { Q_EMIT giveToAllRequested(static_cast<std::size_t>(row)); });
  toAll->setEnabled(partial(row));
  menu.addSeparator();
  addColours(menu);
  menu.exec(list().viewport()->mapToGlobal(list().visualItemRect(list().item(row)).bottomLeft()));
}

}  // namespace quillmark

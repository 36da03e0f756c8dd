// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/keyword_list_qt.h"

#include "app/controls_qt.h"

namespace quillmark {

void KeywordListControl::setKeywords(const std::vector<ValueCount>& keywords, std::size_t items) {
  std::vector<Row> rows;
  rows.reserve(keywords.size());
  for (const ValueCount& keyword : keywords)
    rows.push_back({.text = toQString(keyword.text), .items = keyword.items});
  showRows(rows, items);
}

}  // namespace quillmark

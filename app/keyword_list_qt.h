// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The keywords as a list of separate keywords (framed_list_qt.h), the keyword field completing
// from them.
#ifndef QUILLMARK_APP_KEYWORD_LIST_QT_H_
#define QUILLMARK_APP_KEYWORD_LIST_QT_H_

#include <cstddef>
#include <vector>

#include "app/framed_list_qt.h"
#include "editor/controls.h"

namespace quillmark {

class KeywordListControl : public FramedListControl, public KeywordList {
  Q_OBJECT

 public:
  using FramedListControl::FramedListControl;
  void setKeywords(const std::vector<ValueCount>& keywords, std::size_t items) override;
};

}  // namespace quillmark

#endif  // QUILLMARK_APP_KEYWORD_LIST_QT_H_

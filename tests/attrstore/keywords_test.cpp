// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Keywords added and removed as a list, each item keeping the form it keeps them in.
#include "attrstore/keywords.h"

#include <gtest/gtest.h>

#include "attrstore/string_array.h"

namespace quillmark {
namespace {

// What the edit leaves, as the window would describe it: "-" removed, "=" kept, "!" refused.
std::string after(const FoundValue& found, const KeywordChange& change) {
  Data storage;
  const ValueEdit edit = keywordEdit(found, change, storage);
  if (edit.action == ValueEdit::Action::kRemove) return "-";
  if (edit.action == ValueEdit::Action::kKeep) return "=";
  if (edit.value->empty()) return "!";
  const StoredValue stored = readStoredValue(*edit.value);
  return (stored.kind == StoredValue::Kind::kStringArray ? "list " : "") + describeStoredValue(stored);
}

TEST(Keywords, AddAndRemoveKeepEachItemsFormAndNeverSplitAKeyword) {
  const FoundValue none, text{true, encodeAttributeValue("harbour, dawn"), 0},
      list{true, encodeStringArray({"harbour", "Smith, John"}), 0},
      number{true, {0x62, 0x70, 0x6c, 0x69, 0x73, 0x74, 0x30, 0x30, 0x10, 0x03, 0x08, 0x00, 0x00,
                    0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                    0x00, 0x00, 0x00, 0x0a}, 0};
  EXPECT_EQ(after(none, {{"boats"}, {}}), "boats");
  EXPECT_EQ(after(text, {{"boats", "dawn"}, {"harbour"}}), "dawn, boats");
  EXPECT_EQ(after(text, {{"Dawn"}, {}}), "harbour, dawn, Dawn");  // case as given
  EXPECT_EQ(after(text, {{"dawn"}, {"fog"}}), "=");
  EXPECT_EQ(after(text, {{}, {"harbour", "dawn"}}), "-");
  EXPECT_EQ(after(text, {{"Holt, Maren"}, {}}), "!");  // it would come back as two
  EXPECT_EQ(after(list, {{"Holt, Maren"}, {"harbour"}}), "list Smith, John, Holt, Maren");
  EXPECT_EQ(after(number, {{"boats"}, {}}), "!");
}

}  // namespace
}  // namespace quillmark

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The keyword list's rules: the rows each action leaves, what Save applies, and edits kept when
// others store new keywords.
#include "editor/keyword_model.h"

#include <gtest/gtest.h>

namespace quillmark {
namespace {

using Rows = std::vector<ValueCount>;
using Words = std::vector<std::string>;

TEST(KeywordModelTest, ActionsGiveTheRowsAndSaveGetsOnlyWhatDiffersFromTheStoredSet) {
  KeywordModel model;
  model.reset({{"harbour", 2}, {"dunes", 3}, {"gulls", 1}}, 3);
  EXPECT_FALSE(model.edited());

  model.giveToAll(0);
  model.remove(2);
  model.addTyped(" kelp , dunes,tide,kelp ");  // one already listed is only given to all
  EXPECT_EQ(model.rows(), (Rows{{"harbour", 3}, {"dunes", 3}, {"kelp", 3}, {"tide", 3}}));
  EXPECT_EQ(model.change().remove, Words{"gulls"});
  EXPECT_EQ(model.change().add, (Words{"harbour", "kelp", "tide"}));

  // Undone: back where every item has it, in its place; added then removed. A partial keyword
  // typed back is given to all, at the end.
  model.remove(1);
  model.addTyped("dunes");
  model.remove(2);
  model.addTyped("gulls");
  EXPECT_EQ(model.rows(), (Rows{{"harbour", 3}, {"dunes", 3}, {"tide", 3}, {"gulls", 3}}));
  EXPECT_TRUE(model.change().remove.empty());
  EXPECT_EQ(model.change().add, (Words{"harbour", "tide", "gulls"}));
}

TEST(KeywordModelTest, RestoreKeepsTheEditsWhileUntouchedKeywordsFollowTheNewStoredSet) {
  KeywordModel model;
  model.reset({{"dawn", 1}, {"boats", 1}, {"sea", 2}}, 2);
  model.remove(0);
  model.giveToAll(0);
  model.addTyped("tide");

  // Others took boats away, stored dawn on both, sea on one, and added fog and tide.
  model.restore({{"sea", 1}, {"dawn", 2}, {"fog", 1}, {"tide", 1}}, 2);
  EXPECT_EQ(model.rows(), (Rows{{"sea", 1}, {"fog", 1}, {"boats", 2}, {"tide", 2}}));
  EXPECT_EQ(model.change().remove, Words{"dawn"});
  EXPECT_EQ(model.change().add, (Words{"boats", "tide"}));
}

}  // namespace
}  // namespace quillmark

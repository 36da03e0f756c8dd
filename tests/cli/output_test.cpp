// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What reaches a terminal: nothing stored can drive it, and a line cut to the
// terminal's width stays UTF-8.
#include "cli/output.h"

#include <gtest/gtest.h>

namespace quillmark::cli {
namespace {

TEST(TerminalOutput, EscapesControlsAndBrokenBytesKeepingTextTabsAndNewlines) {
  EXPECT_EQ(escapedForTerminal("Zo\xc3\xab\tat\nsea"), "Zo\xc3\xab\tat\nsea");
  EXPECT_EQ(escapedForTerminal("a\x1b]0;x\x07\r\x7f"), "a\\033]0;x\\a\\r\\177");
  EXPECT_EQ(escapedForTerminal("\xc2\x9b" "2J caf\xe9 \xe2\x82"), "\\302\\2332J caf\\351 \\342\\202");
  EXPECT_EQ(escapedForTerminal("C:\\033"), "C:\\\\033");  // not to be taken for an escape
}

TEST(TerminalOutput, CutsOnlyBetweenCharacters) {
  EXPECT_EQ(cutAtCharacter("ab\xc3\xa9\xe2\x82\xac", 3), "ab");
  EXPECT_EQ(cutAtCharacter("ab\xc3\xa9\xe2\x82\xac", 6), "ab\xc3\xa9");
  EXPECT_EQ(cutAtCharacter("ab\xc3\xa9", 9), "ab\xc3\xa9");
}

}  // namespace
}  // namespace quillmark::cli

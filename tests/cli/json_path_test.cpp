// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Paths in the CLI's JSON keep every byte: base64 at each padding length, and
// what is not base64 is refused rather than guessed at.
#include "cli/json_path.h"

#include <gtest/gtest.h>

namespace quillmark::cli {
namespace {

TEST(JsonPath, Base64KeepsEveryByteAtEachPaddingLength) {
  EXPECT_EQ(base64("caf\xe9"), "Y2Fm6Q==");
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(255 - i);
  for (std::size_t length : {0, 1, 2, 3, 4, 5, 256}) {
    const std::string part = bytes.substr(0, length);
    EXPECT_EQ(unbase64(base64(part)), part) << length;
  }
  EXPECT_EQ(unbase64("Y2Fm6Q"), "caf\xe9");  // padding left off
  for (const char* bad : {"Y2F*", "Y2Fm6Q==6Q", "Y2Fm 6Q=="}) EXPECT_EQ(unbase64(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace quillmark::cli

// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Paths in quillmark-cli's JSON. A path keeps its bytes: one that is UTF-8 is a
// JSON string, any other is {"base64": "..."} (standard alphabet, padded), so a
// Latin-1 name read by `show --json` comes back to the same file in `set --json`.
#ifndef QUILLMARK_CLI_JSON_PATH_H_
#define QUILLMARK_CLI_JSON_PATH_H_

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace quillmark::cli {

using Json = nlohmann::ordered_json;

// `bytes` in base64 with padding.
std::string base64(std::string_view bytes);

// The bytes `text` encodes; nothing when it is not base64 (padding is optional).
std::optional<std::string> unbase64(std::string_view text);

// `path` as a string when it is UTF-8, else as {"base64": ...}.
Json pathToJson(const std::filesystem::path& path);

// The path `value` holds in either form; throws UsageError for anything else
// and for a path holding NUL.
std::filesystem::path pathFromJson(const Json& value);

}  // namespace quillmark::cli

#endif  // QUILLMARK_CLI_JSON_PATH_H_

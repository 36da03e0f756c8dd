// The five fields as quillmark-cli names them, and an item's stored values.
#ifndef QUILLMARK_CLI_FIELDS_H_
#define QUILLMARK_CLI_FIELDS_H_

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "attrstore/codec.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace quillmark::cli {

// The fields in list order (Copyright, Creator, Description, Headline,
// Keywords), as option names and JSON keys, and as the window labels them.
constexpr std::array<const char*, 5> kFields = {"copyright", "creator", "description", "headline",
                                                "keywords"};
constexpr std::array<const char*, 5> kLabels = {"Copyright", "Creator", "Description", "Headline",
                                                "Keywords"};
// The order the window shows them in, as indexes into the lists above.
constexpr std::array<std::size_t, 5> kWindowOrder = {3, 2, 1, 0, 4};

// The item's five values in list order, wherever Mac peers keep them; nothing
// for a value it does not carry.
std::array<std::optional<StoredValue>, 5> storedValues(const std::filesystem::path& path);

// The errno when `path` itself cannot be reached, else 0.
int unreachable(const std::filesystem::path& path);

// Adds --headline ... --keywords TEXT to `command`, in window order, each one
// refusing empty and non-UTF-8 text; `texts` is in list order.
std::vector<CLI::Option*> addFieldOptions(CLI::App* command, std::array<std::string, 5>& texts);

}  // namespace quillmark::cli

#endif  // QUILLMARK_CLI_FIELDS_H_

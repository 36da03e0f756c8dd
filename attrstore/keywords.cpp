// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "attrstore/keywords.h"

#include <algorithm>
#include <string_view>

#include "attrstore/string_array.h"

namespace quillmark {

namespace {

bool contains(const std::vector<std::string>& words, const std::string& word) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

}  // namespace

std::string_view trimmedKeyword(std::string_view text) {
  constexpr std::string_view kSpace = " \t\n\v\f\r";
  const std::size_t first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpace) + 1 - first);
}

std::vector<std::string> keywordsOf(const StoredValue& stored) {
  if (stored.kind == StoredValue::Kind::kStringArray) return stored.items;
  std::vector<std::string> words;
  if (stored.kind != StoredValue::Kind::kString) return words;
  for (std::size_t start = 0; start <= stored.text.size();) {
    const std::size_t comma = std::min(stored.text.find(',', start), stored.text.size());
    const std::string_view word = trimmedKeyword(std::string_view(stored.text).substr(start, comma - start));
    if (!word.empty()) words.emplace_back(word);
    start = comma + 1;
  }
  return words;
}

std::string joinKeywords(const std::vector<std::string>& words) {
  std::string joined;
  for (std::size_t i = 0; i < words.size(); ++i) joined.append(i == 0 ? "" : ", ").append(words[i]);
  return joined;
}

ValueEdit keywordEdit(const FoundValue& found, const KeywordChange& change, Data& storage,
                      KeywordRefusal* refusal) {
  storage.clear();
  const auto refused = [&](KeywordRefusal why) {
    if (refusal != nullptr) *refusal = std::move(why);
    return ValueEdit{.action = ValueEdit::Action::kWrite, .value = &storage};
  };
  const StoredValue stored = found.stored();
  const bool list = stored.kind == StoredValue::Kind::kStringArray;
  if (found.present && !list && stored.kind != StoredValue::Kind::kString)
    return refused({.keptAs = describeStoredValue(stored), .commaWord = {}});
  std::vector<std::string> words = keywordsOf(stored);
  const std::size_t before = words.size();
  std::erase_if(words, [&](const std::string& word) { return contains(change.remove, word); });
  bool changed = words.size() != before;
  for (const std::string& word : change.add) {
    if (contains(words, word) || contains(change.remove, word) || word.empty()) continue;
    if (!list && word.find(',') != std::string::npos) return refused({.keptAs = {}, .commaWord = word});
    words.push_back(word);
    changed = true;
  }
  if (!changed) return {};
  if (words.empty()) return {.action = ValueEdit::Action::kRemove};
  if (list) {
    storage = encodeStringArray(words);
  } else {
    storage = encodeAttributeValue(joinKeywords(words));
  }
  return {.action = ValueEdit::Action::kWrite, .value = &storage};
}

}  // namespace quillmark

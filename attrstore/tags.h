// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Finder tags: names, each with one of seven colours or none, as Macs keep them in the value
// _kMDItemUserTags: a list of strings, each the name alone, or the name, a line feed and the
// colour's digit. Reading accepts a bare name, "\n0" and a digit 1-7. A change keeps the order,
// appends new tags, and keeps each tag it does not touch exactly as stored (its name's bytes, bare
// or "\n0"), in the platform writer's bytes. Names compare exactly. Pure.
#ifndef QUILLMARK_ATTRSTORE_TAGS_H_
#define QUILLMARK_ATTRSTORE_TAGS_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "attrstore/keyword_change.h"
#include "attrstore/places.h"

namespace quillmark {

// Finder's numbering, which its colour label uses too.
enum class TagColour : std::uint8_t { kNone, kGrey, kGreen, kPurple, kBlue, kYellow, kRed, kOrange };
inline constexpr std::size_t kTagColours = 8;
// Their names, by number: how the command line writes and reads them.
inline constexpr std::array<std::string_view, kTagColours> kTagColourNames = {
    "none", "grey", "green", "purple", "blue", "yellow", "red", "orange"};

// The colour named `name` (case folded; "gray" too, or its digit), or nothing.
std::optional<TagColour> tagColourNamed(std::string_view name);

struct Tag {
  std::string name;
  TagColour colour = TagColour::kNone;
  bool digitOutOfRange = false;  // stored with a digit 8 or 9 after its line feed: no colour a Mac knows
  bool operator==(const Tag&) const = default;
};

// One stored string as a tag.
Tag tagOf(std::string_view stored);
// The string a Mac stores for `tag`: its name, and a line feed and digit when it has a colour.
std::string storedTag(const Tag& tag);
// The tags `stored` holds when it is a list of strings (or absent: none); nothing for any other value.
std::optional<std::vector<Tag>> tagsOf(const FoundValue& stored);

// What tags stored as `stored`, anything but a list of strings, are kept as, in kKindWords' words.
std::string tagsKeptAs(const StoredValue& stored);

// The colour a Mac labels an item with for `tags`: the last coloured tag's, or none.
TagColour labelColour(const std::vector<Tag>& tags);

struct TagChange {
  std::vector<Tag> add;             // appended where no tag has the name; where one has, given its colour
  std::vector<std::string> remove;  // taken out wherever they are
  std::vector<Tag> recolour;        // the tags by these names given these colours, where they are
  bool empty() const { return add.empty() && remove.empty() && recolour.empty(); }
};

// The edit applying `change` to tags found as `found`, the new bytes in `storage` (which must
// outlive it): kKeep when nothing changes, kRemove when no tag is left. Tags kept as anything but
// a list of strings are not changed: the edit is then a write with no bytes, which the store
// refuses (EINVAL), and `refusal`, where given, says what they are kept as.
ValueEdit tagEdit(const FoundValue& found, const TagChange& change, Data& storage,
                  KeywordRefusal* refusal = nullptr);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_TAGS_H_

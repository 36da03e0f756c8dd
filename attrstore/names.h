// SPDX-FileCopyrightText: 2026 The Quillmark developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The values the program keeps, in list order: the five text values
// (Copyright, Creator, Description, Headline, Keywords), then the Finder tags
// (tags.h). How every part of the program names each one, in one table. This
// is the one place that spells them. All six are stored alike, in the same
// places and forms; the five are shown as fields and reported, the tags as
// tags.
//
// Attribute names: the portable name a Mac shows, and each name under which a
// Linux machine keeps it for some Mac peer.
// - user.<name>: ordinary programs may only use the `user.` namespace; rsync
//   -X and netatalk add and strip that prefix, so values survive a trip to and
//   from a Mac under their portable names.
// - osx.<name>: how the hfsplus and apfs drivers show a Mac's own names.
// - user.DosStream.<name>:$DATA: a Samba server's stream (vfs_streams_xattr)
//   of a Mac client's attribute; the Mac turns the colon into U+F022, and
//   Samba keeps that unless catia maps it back to a colon.
#ifndef QUILLMARK_ATTRSTORE_NAMES_H_
#define QUILLMARK_ATTRSTORE_NAMES_H_

#include <array>
#include <cstddef>
#include <string_view>

namespace quillmark {

struct ValueName {
  std::string_view key;     // "kMDItemHeadline"
  std::string_view label;   // "Headline": what the window and the report call it
  std::string_view flag;    // "headline": the command line's option and JSON name
  std::size_t windowOrder;  // its row in the window, from the top
  std::size_t reportOrder;  // its section in the report, from the top
  std::string_view portable;
  const char* user;
  const char* osx;
  const char* sambaStream;  // the U+F022 form
  const char* sambaColonStream;
};

// The desktop's own copies of the keywords and the description (desktop_copies.h).
inline constexpr const char* kDesktopTags = "user.xdg.tags";
inline constexpr const char* kDesktopComment = "user.xdg.comment";

// Where Mac peers keep an item's Finder info (finder_info.h), in the order it is read; a sidecar
// keeps it in its own entry.
enum class FinderInfoPlace { kAfpInfo, kNetatalk, kOsx, kUser };
inline constexpr std::array<const char*, 4> kFinderInfoNames = {
    "user.DosStream.AFP_AfpInfo:$DATA",  // Samba with fruit:metadata = stream: at 16 of AfpInfo
    "user.org.netatalk.Metadata",        // netatalk, and Samba's default: netatalk's metadata
    "osx.com.apple.FinderInfo",          // a Mac disk
    "user.com.apple.FinderInfo",         // copied from a Mac
};

// The parts the names are made of, for code that takes a listed name apart.
#define QUILLMARK_METADATA "com.apple.metadata"
#define QUILLMARK_PRIVATE_COLON "\xEF\x80\xA2"  // U+F022 in UTF-8
inline constexpr std::string_view kUserPrefix = "user.";
inline constexpr std::string_view kStreamPrefix = "user.DosStream.";
inline constexpr std::string_view kStreamSuffix = ":$DATA";
inline constexpr std::string_view kMetadataDomain = QUILLMARK_METADATA;  // then ':' (a stream: either colon)
inline constexpr std::string_view kPrivateColon = QUILLMARK_PRIVATE_COLON;
inline constexpr std::string_view kPortableMetadataPrefix = QUILLMARK_METADATA ":";
inline constexpr std::string_view kUserMetadataPrefix = "user." QUILLMARK_METADATA ":";
inline constexpr std::string_view kOsxMetadataPrefix = "osx." QUILLMARK_METADATA ":";
inline constexpr std::string_view kUserApplePrefix = "user.com.apple.";  // any Mac value, the five's among them

#define QUILLMARK_VALUE_NAME(key, label, flag, window, report)                                          \
  {                                                                                                     \
    key, label, flag, window, report, QUILLMARK_METADATA ":" key, "user." QUILLMARK_METADATA ":" key,    \
        "osx." QUILLMARK_METADATA ":" key, "user.DosStream." QUILLMARK_METADATA QUILLMARK_PRIVATE_COLON key \
        ":$DATA",                                                                                       \
        "user.DosStream." QUILLMARK_METADATA ":" key ":$DATA"                                           \
  }
inline constexpr std::array<ValueName, 6> kValueNames = {{
    QUILLMARK_VALUE_NAME("kMDItemCopyright", "Copyright", "copyright", 3, 3),
    QUILLMARK_VALUE_NAME("kMDItemCreator", "Creator", "creator", 2, 2),
    QUILLMARK_VALUE_NAME("kMDItemDescription", "Description", "description", 1, 1),
    QUILLMARK_VALUE_NAME("kMDItemHeadline", "Headline", "headline", 0, 0),
    QUILLMARK_VALUE_NAME("kMDItemKeywords", "Keywords", "keywords", 4, 4),
    QUILLMARK_VALUE_NAME("_kMDItemUserTags", "Tags", "tags", 5, 5),
}};
#undef QUILLMARK_VALUE_NAME
#undef QUILLMARK_PRIVATE_COLON
#undef QUILLMARK_METADATA

// The list positions, by name.
inline constexpr std::size_t kCopyright = 0, kCreator = 1, kDescription = 2, kHeadline = 3, kKeywords = 4,
                             kTags = 5;
inline constexpr std::size_t kValueCount = kValueNames.size();  // every value kept
// The largest value the store decodes or writes: the kernel's own limit for one attribute.
inline constexpr std::size_t kValueLimit = 64 * 1024;
inline constexpr std::size_t kFieldCount = kTags;  // the five text values: the positions before kTags

// The five text values' positions ordered by `order` (&ValueName::windowOrder or ::reportOrder).
constexpr std::array<std::size_t, kFieldCount> positionsBy(std::size_t ValueName::*order) {
  std::array<std::size_t, kFieldCount> positions{};
  for (std::size_t position = 0; position < kFieldCount; ++position)
    positions[kValueNames[position].*order] = position;
  return positions;
}
inline constexpr std::array<std::size_t, kFieldCount> kPositionsInWindowOrder = positionsBy(&ValueName::windowOrder);
inline constexpr std::array<std::size_t, kFieldCount> kPositionsInReportOrder = positionsBy(&ValueName::reportOrder);

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_NAMES_H_

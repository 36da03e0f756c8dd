// The five values' attribute names, in list order (Copyright, Creator,
// Description, Headline, Keywords): the portable name a Mac shows, and each
// name under which a Linux machine keeps it for some Mac peer. This is the one
// place that spells them.
//
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
#include <string_view>

namespace quillmark {

struct ValueName {
  std::string_view portable;
  const char* user;
  const char* osx;
  const char* sambaStream;  // the U+F022 form
  const char* sambaColonStream;
};

#define QUILLMARK_VALUE_NAME(key)                                                             \
  {                                                                                           \
    "com.apple.metadata:" key, "user.com.apple.metadata:" key, "osx.com.apple.metadata:" key, \
        "user.DosStream.com.apple.metadata\xEF\x80\xA2" key ":$DATA",                         \
        "user.DosStream.com.apple.metadata:" key ":$DATA"                                     \
  }
inline constexpr std::array<ValueName, 5> kValueNames = {{
    QUILLMARK_VALUE_NAME("kMDItemCopyright"),
    QUILLMARK_VALUE_NAME("kMDItemCreator"),
    QUILLMARK_VALUE_NAME("kMDItemDescription"),
    QUILLMARK_VALUE_NAME("kMDItemHeadline"),
    QUILLMARK_VALUE_NAME("kMDItemKeywords"),
}};
#undef QUILLMARK_VALUE_NAME

}  // namespace quillmark

#endif  // QUILLMARK_ATTRSTORE_NAMES_H_
